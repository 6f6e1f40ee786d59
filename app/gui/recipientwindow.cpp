#include "gui/recipientwindow.h"

#include "core/apperror.h"
#include "gui/uDmMain.h"

#include <QComboBox>
#include <QVBoxLayout>

void raiseListIndexError(int index) {
    throw AppError(QStringLiteral("Индекс списка вне допустимых границ (%1)").arg(index));
}

TRecipientWindow::TRecipientWindow(const QString& name, const QString& caption, TdmMain& dm,
                                   QWidget* parent)
    : QDialog(parent), m_dm(dm) {
    setObjectName(name);
    setWindowTitle(caption);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    layout->addWidget(ComboBox1);
    layout->addStretch();
    resize(640, 420);
}

void TRecipientWindow::setRecipients(const QList<Catalogue::Recipient>& recipients) {
    ComboBox1->clear();
    for (const Catalogue::Recipient& r : recipients)
        ComboBox1->addItem(r.recipS, r.recip);
    ComboBox1->setCurrentIndex(ComboBox1->count() > 0 ? 0 : -1);
}

int TRecipientWindow::selectedRecipient() const {
    if (ComboBox1->currentIndex() < 0)
        raiseListIndexError(0);
    return ComboBox1->currentData().toInt();
}

void TRecipientWindow::LoadItems() {
    (void)selectedRecipient();
}
