// "tarvik import" run as a process: the number on stdout, errors on stderr with exit code 1
// and nothing committed.
#include "../core/contractfixture.h"

#include "runtarvik.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Run = TarvikRun;

Run tarvik(const QStringList& args) {
    return runTarvik(args);
}

const QString kSample = QStringLiteral(TARVIK_SOURCE_DIR "/samples/contract-2026-0041.dat");

} // namespace

class TestCliImport : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // create-db, import, list: the sample contract appears in the register.
    void importSample() {
        const QString db = m_dir.filePath("a.gdb");
        QCOMPARE(tarvik({"create-db", db}).code, 0);
        Run r = tarvik({"import", "--db", db, kSample});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.trimmed(), QStringLiteral("1"));
        QVERIFY(r.err.isEmpty());
        r = tarvik({"import", "--db", db, kSample});
        QCOMPARE(r.out.trimmed(), QStringLiteral("2"));
        r = tarvik({"list", "--db", db});
        QCOMPARE(r.code, 0);
        const QStringList rows = r.out.trimmed().split('\n');
        QCOMPARE(rows.size(), 2);
        // The contract's number first: what the waybill commands take.
        QVERIFY(rows[0].startsWith(QStringLiteral("1\t0163200000326004117-0041\tПР-0041/26\t")));
        QVERIFY(rows[1].startsWith(QStringLiteral("2\t")));
        QVERIFY(rows[0].endsWith(kSample));
    }

    void failures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QString db = m_dir.filePath("f.gdb");
        const QString bad = m_dir.filePath("bad.dat");
        const QString longLine = m_dir.filePath("long.dat");
        QTest::newRow("bad file") << QStringList{"import", "--db", db, bad}
                                  << "Файл содержит не корректные данные или поврежден!";
        QTest::newRow("missing file")
            << QStringList{"import", "--db", db, m_dir.filePath("none.dat")}
            << "Файл содержит не корректные данные или поврежден!";
        QTest::newRow("value too long") << QStringList{"import", "--db", db, longLine} << "GOST";
        QTest::newRow("no contract file") << QStringList{"import", "--db", db} << "import";
        QTest::newRow("missing database")
            << QStringList{"import", "--db", m_dir.filePath("none.gdb"), kSample} << "";
    }
    void failures() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const QString db = m_dir.filePath("f.gdb");
        if (!QFile::exists(db)) {
            QCOMPARE(tarvik({"create-db", db}).code, 0);
            QVERIFY(fixture::write(m_dir.filePath("bad.dat"), "not a contract\n"));
            QFile sample(kSample);
            QVERIFY(sample.open(QIODevice::ReadOnly));
            QByteArray bytes = sample.readAll();
            bytes.replace("16427-93", QByteArray(800, 'G'));
            QVERIFY(fixture::write(m_dir.filePath("long.dat"), bytes));
        }
        const Run r = tarvik(args);
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!r.err.trimmed().isEmpty());
        const Run list = tarvik({"list", "--db", db});
        QCOMPARE(list.code, 0);
        QCOMPARE(list.out, QString());
    }
};

QTEST_GUILESS_MAIN(TestCliImport)
#include "tst_cliimport.moc"
