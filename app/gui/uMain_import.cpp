#include "core/contractimport.h"
#include "core/contractreader.h"
#include "gui/uDmMain.h"
#include "gui/uMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProgressDialog>

namespace {

// The import's progress: application-modal, so that no other command can start (and roll
// back the running transaction) while events are processed; it cannot be closed by hand.
class ImportProgressDialog : public QProgressDialog {
public:
    explicit ImportProgressDialog(QWidget* parent) : QProgressDialog(parent) {
        setWindowTitle(QStringLiteral("Тарвик"));
        setLabelText(QStringLiteral("Загрузка контракта..."));
        setCancelButton(nullptr);
        setWindowModality(Qt::ApplicationModal);
        setWindowFlag(Qt::WindowCloseButtonHint, false);
        setAutoClose(false);
        setAutoReset(false);
        setMinimumDuration(0);
        setRange(0, 0);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape)
            e->ignore();
        else
            QProgressDialog::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override { e->ignore(); }
};

} // namespace

// The import of a contract file: pick the file, read it, write it in one transaction on
// trTarvik, then re-read the register.
void TMain::ToolButton1Click() {
    if (!dmMain->OpenDialog1.Execute(this))
        return;
    const QString fileName = dmMain->OpenDialog1.FileName;
    ReadContractFile(fileName);

    // Shown before the first events are processed: its modality is what keeps the other
    // commands out while the import runs.
    ImportProgressDialog progress(this);
    progress.show();
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    ImportContract(*dmMain, fileName, [&](qsizetype done, qsizetype total) {
        // Repainting costs more than writing rows: let the window breathe
        // about 25 times a second.
        if (sinceEvents.elapsed() < 40 && done < total)
            return;
        sinceEvents.restart();
        const int scale = total > 1000000 ? 1000 : 1;
        progress.setMaximum(int(total / scale));
        progress.setValue(int(done / scale));
        QCoreApplication::processEvents();
    });
    progress.hide();
    RefreshRegister();
}
