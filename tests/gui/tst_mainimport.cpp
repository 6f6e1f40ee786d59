// The "Загрузить" button: the open dialog, the read, the import with its progress dialog and
// the register refresh, in a real main window under the offscreen platform.
#include "../core/contractfixture.h"
#include "core/apperror.h"
#include "core/dbcreate.h"
#include "gui/uDmMain.h"
#include "gui/uMain.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// Answers every file dialog while it lives: picks `path`, or cancels when it is empty.
std::unique_ptr<QTimer> answerFileDialog(const QString& path) {
    auto timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        if (path.isEmpty()) {
            dialog->reject();
        } else {
            // The name typed into the dialog's own line editor, as a user would.
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!edit)
                return;
            edit->setText(path);
            QMetaObject::invokeMethod(dialog, "accept");
        }
    });
    timer->start(20);
    return timer;
}

// A contract of `positions` positions, each distributed to two recipients.
QByteArray bigContract(int positions) {
    QStringList lines = {"[REFERENCEBOOKS]", fixture::org(1, "Поставщик"),
                         fixture::org(2, "Больница 1"), fixture::org(3, "Больница 2"),
                         fixture::element(4, 1, "796", "шт")};
    for (int p = 1; p <= positions; ++p)
        lines << fixture::element(3, p, QString::number(9300000 + p),
                                  QStringLiteral("Товар %1").arg(p));
    lines << "[/REFERENCEBOOKS]"
          << "[CONTRACT]"
          << "К-9#01.02.2026#31.12.2026#2#1#x#ПР-9#Большой контракт#"
          << "[/CONTRACT]"
          << "[CONTRACT2]";
    for (int p = 1; p <= positions; ++p)
        lines << QStringLiteral("%1#3#%1#4#1#1#ГОСТ %1#").arg(p);
    lines << "[/CONTRACT2]"
          << "[CONTRACT3]";
    for (int p = 1; p <= positions; ++p) {
        lines << QStringLiteral("%1#2#2#10.03.2026#5#50.5#").arg(p)
              << QStringLiteral("%1#2#3#11.03.2026#7#70.7#").arg(p);
    }
    lines << "[/CONTRACT3]";
    return fixture::contract(lines);
}

} // namespace

class TestMainImport : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<TMain> m_main;

private slots:
    void initTestCase() {
        const QString db = m_dir.filePath("main.gdb");
        DbCreate::createDatabase(db);
        m_main = std::make_unique<TMain>(db);
        m_main->show();
        QVERIFY(fixture::write(m_dir.filePath("big.dat"), bigContract(3000)));
        QVERIFY(fixture::write(m_dir.filePath("bad.dat"), "{EAF475FC}\r\n"));
    }
    void cleanupTestCase() { m_main.reset(); }

    // Cancelling the dialog changes nothing.
    void cancel() {
        const auto answer = answerFileDialog(QString());
        m_main->ToolButton1Click();
        QCOMPARE(m_main->dmMain->sMain->rowCount(), 0);
        QVERIFY(!m_main->dmMain->trTarvik.inTransaction());
    }

    // A rejected file reports the read error and leaves the database alone.
    void badFile() {
        const auto answer = answerFileDialog(m_dir.filePath("bad.dat"));
        try {
            m_main->ToolButton1Click();
            QFAIL("bad file imported");
        } catch (const AppError& e) {
            QCOMPARE(e.message().section('\n', 0, 0), kContractReadError);
            // The same text as the command line: the file and the cause below.
            QCOMPARE(e.message().section('\n', 1),
                     m_dir.filePath("bad.dat") +
                         QStringLiteral(": строка 1 не является идентификатором формата."));
        }
        QVERIFY(!m_main->dmMain->trTarvik.inTransaction());
        QCOMPARE(m_main->dmMain->sMain->rowCount(), 0);
    }

    // A large contract imports behind a modal progress dialog while events keep flowing, and
    // the register shows it afterwards.
    void importLarge() {
        int ticks = 0;
        bool progressSeen = false;
        bool mainBlocked = true;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] {
            ++ticks;
            if (auto* p = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget())) {
                progressSeen = true;
                mainBlocked = mainBlocked && p->isModal();
            }
        });
        ticker.start(0);
        const auto answer = answerFileDialog(m_dir.filePath("big.dat"));
        m_main->ToolButton1Click();
        ticker.stop();
        QVERIFY2(ticks > 1, qPrintable(QString::number(ticks)));
        QVERIFY(progressSeen);
        QVERIFY(mainBlocked);
        QCOMPARE(m_main->dmMain->sMain->rowCount(), 1);
        QVERIFY(!m_main->dmMain->trTarvik.inTransaction());
        QCOMPARE(m_main->dmMain->qMain.fieldByName("docno").asString(), QStringLiteral("К-9"));
        QCOMPARE(m_main->dmMain->qMain.fieldByName("filename").asString(),
                 m_dir.filePath("big.dat"));
        FbQuery& q = m_main->dmMain->qTarvik;
        q.setSql({"SELECT count(*) n FROM contract2"});
        q.open();
        QCOMPARE(q.fieldByName("n").asInteger(), 6000);
        q.close();
    }
};

QTEST_MAIN(TestMainImport)
#include "tst_mainimport.moc"
