// "tarvik import" run as a process: the number on stdout, errors on stderr with exit code 1
// and nothing committed.
#include "../core/contractfixture.h"

#include "runtarvik.h"

#include "core/fbdatabase.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

using Run = TarvikRun;

Run tarvik(const QStringList& args) {
    return runTarvik(args);
}

const QString kSample = QStringLiteral(TARVIK_SOURCE_DIR "/samples/contract-2026-0041.dat");

QByteArray sampleBytes() {
    QFile f(kSample);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The sample up to the end of line `line` (1-based), or into its middle.
QByteArray cut(int line, bool midLine) {
    const QByteArray bytes = sampleBytes();
    qsizetype end = 0;
    for (int n = 0; n < line; ++n)
        end = bytes.indexOf("\r\n", end) + 2;
    if (midLine) {
        const qsizetype start = bytes.lastIndexOf("\r\n", end - 3) + 2;
        end = start + (end - 2 - start) / 2;
    }
    return bytes.left(end);
}

// One value of a checking query.
int countRows(const QString& db, const QString& sql) {
    FbDatabase d;
    d.setDatabaseName(db);
    d.open();
    FbTransaction tr(d, FbTransaction::DefaultAction::Commit);
    FbQuery q(d, tr);
    q.setSql({sql});
    q.open();
    const int n = q.value(0, 0).toInt();
    q.close();
    tr.commit();
    d.close();
    return n;
}

// A contract of `organisations` organisations (the same identifiers in every file made here)
// and `positions` positions, each given to two of them.
QByteArray sharedContract(const QString& docno, int organisations, int positions) {
    QStringList lines = {QStringLiteral("[REFERENCEBOOKS]")};
    for (int i = 0; i < organisations; ++i)
        lines << fixture::org(7001 + i, QStringLiteral("Организация %1").arg(i));
    lines << fixture::element(3, 1, QStringLiteral("100"), QStringLiteral("Бинт"))
          << fixture::element(4, 1, QStringLiteral("796"), QStringLiteral("шт"))
          << QStringLiteral("[/REFERENCEBOOKS]") << QStringLiteral("[CONTRACT]")
          << QStringLiteral("%1#01.02.2026#31.12.2026#2#7001#x#ПР#r#").arg(docno)
          << QStringLiteral("[/CONTRACT]") << QStringLiteral("[CONTRACT2]");
    for (int p = 1; p <= positions; ++p)
        lines << QStringLiteral("%1#3#1#4#1#0#ГОСТ %1#").arg(p);
    lines << QStringLiteral("[/CONTRACT2]") << QStringLiteral("[CONTRACT3]");
    for (int p = 1; p <= positions; ++p) {
        for (int k = 0; k < 2; ++k)
            lines << QStringLiteral("%1#2#%2#01.03.2026#1#10#")
                         .arg(p)
                         .arg(7001 + (p + k) % organisations);
    }
    lines << QStringLiteral("[/CONTRACT3]");
    return fixture::contract(lines);
}

QProcess* startImport(const QString& db, const QString& file) {
    auto* p = new QProcess;
    p->start(qEnvironmentVariable("TARVIK_BIN") + QStringLiteral("/tarvik"),
             {"import", "--db", db, file});
    return p;
}

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

    // Damaged and wrong files: the read error, then the file and the cause on the next line,
    // and the register unchanged.
    void damagedFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("cause");
        QTest::newRow("cut between directory lines")
            << "file" << cut(10, false) << "раздел [REFERENCEBOOKS] не закрыт.";
        // Half an organisation line still has its required fields: only the open section
        // tells that the file was cut.
        QTest::newRow("cut inside an organisation line")
            << "file" << cut(6, true) << "раздел [REFERENCEBOOKS] не закрыт.";
        QTest::newRow("cut inside a unit line")
            << "file" << cut(17, true) << "строка 17, поле 2: поля нет.";
        QTest::newRow("cut after the header line")
            << "file" << cut(25, false) << "раздел [CONTRACT] не закрыт.";
        QTest::newRow("cut inside the header line") << "file" << cut(25, true) << "строка 25, поле";
        QTest::newRow("cut between positions")
            << "file" << cut(31, false) << "раздел [CONTRACT2] не закрыт.";
        QTest::newRow("cut between distribution lines")
            << "file" << cut(45, false) << "раздел [CONTRACT3] не закрыт.";
        QTest::newRow("cut inside a distribution line")
            << "file" << cut(40, true) << "строка 40, поле 3: поля нет.";
        QTest::newRow("saved again in UTF-8")
            << "file" << fixture::iconvert(sampleBytes(), "UTF-8", "KOI8-R")
            << "файл в кодировке UTF-8, ожидается KOI8-R.";
        QTest::newRow("empty") << "file" << QByteArray() << "пустой файл.";
        QByteArray noise(4096, '\0');
        QRandomGenerator random(14);
        for (char& c : noise)
            c = char(random.bounded(256));
        QTest::newRow("random bytes") << "file" << noise << "не в кодировке KOI8-R.";
        QTest::newRow("missing") << "missing" << QByteArray() << "не существует.";
        QTest::newRow("directory") << "directory" << QByteArray() << "это каталог, а не файл.";
        QTest::newRow("FIFO") << "fifo" << QByteArray() << "не является обычным файлом.";
        QTest::newRow("40 MB") << "huge" << QByteArray() << "слишком большой";
    }
    void damagedFiles() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, cause);
        const QString db = m_dir.filePath("damaged.gdb");
        if (!QFile::exists(db))
            QCOMPARE(tarvik({"create-db", db}).code, 0);
        QTemporaryDir dir;
        const QString file = dir.filePath("contract.dat");
        if (kind == "file")
            QVERIFY(fixture::write(file, bytes));
        else if (kind == "directory")
            QVERIFY(QDir(dir.path()).mkdir("contract.dat"));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else if (kind == "huge") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(40LL * 1024 * 1024));
        }
        const Run r = tarvik({"import", "--db", db, file});
        QCOMPARE(r.code, 1);
        const QStringList lines = r.err.trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("Файл содержит не корректные данные или поврежден!"));
        QVERIFY2(lines[1].startsWith(file + ": "), qPrintable(lines[1]));
        QVERIFY2(lines[1].contains(cause), qPrintable(lines[1]));
        QVERIFY(lines[1].endsWith('.'));
        QCOMPARE(tarvik({"list", "--db", db}).out, QString());
    }

    // Two imports at once into one database, whose contracts share organisations: new ones,
    // present ones, and present ones of which one is held by a third workstation that commits
    // its change a moment later. Both imports commit, each with its own lines.
    void twoAtOnce_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("new organisations") << "new";
        QTest::newRow("organisations present") << "present";
        QTest::newRow("one held by another workstation") << "held";
    }
    void twoAtOnce() {
        QFETCH(QString, kind);
        const int organisations = 1500, positions = 1500;
        const QString db = m_dir.filePath(QStringLiteral("two-%1.gdb").arg(kind));
        QCOMPARE(tarvik({"create-db", db}).code, 0);
        const QString a = m_dir.filePath("shared-a.dat"), b = m_dir.filePath("shared-b.dat");
        if (!QFile::exists(a)) {
            QVERIFY(fixture::write(a, sharedContract("A-1", organisations, positions)));
            QVERIFY(fixture::write(b, sharedContract("B-1", organisations, positions)));
        }
        if (kind != "new")
            QCOMPARE(tarvik({"import", "--db", db, a}).code, 0);
        const int before = countRows(db, "SELECT count(*) FROM contract");

        FbDatabase holderDb;
        holderDb.setDatabaseName(db);
        FbTransaction holder(holderDb);
        FbQuery hq(holderDb, holder);
        if (kind == "held") {
            holderDb.open();
            hq.setSql({"UPDATE organisations SET spr_naim='Чужое' WHERE id=7001"});
            hq.execSql();
        }
        QElapsedTimer clock;
        clock.start();
        std::unique_ptr<QProcess> pa(startImport(db, a)), pb(startImport(db, b));
        if (kind == "held") {
            QTest::qWait(1500);
            holder.commit();
        }
        QVERIFY(pa->waitForFinished(180000));
        const qint64 msA = clock.elapsed();
        QVERIFY(pb->waitForFinished(180000));
        const qint64 msB = clock.elapsed();
        const QString errA = QString::fromUtf8(pa->readAllStandardError());
        const QString errB = QString::fromUtf8(pb->readAllStandardError());
        QVERIFY2(pa->exitCode() == 0, qPrintable(errA));
        QVERIFY2(pb->exitCode() == 0, qPrintable(errB));
        const int na = QString::fromUtf8(pa->readAllStandardOutput()).trimmed().toInt();
        const int nb = QString::fromUtf8(pb->readAllStandardOutput()).trimmed().toInt();
        QVERIFY(na > 0 && nb > 0 && na != nb);
        for (int n : {na, nb})
            QCOMPARE(
                countRows(db,
                          QStringLiteral("SELECT count(*) FROM contract2 WHERE title=%1").arg(n)),
                2 * positions);
        QCOMPARE(countRows(db, "SELECT count(*) FROM contract"), before + 2);
        QCOMPARE(countRows(db, "SELECT count(*) FROM organisations"), organisations);
        // The file's values stand over the third workstation's.
        QCOMPARE(countRows(db, "SELECT count(*) FROM organisations WHERE spr_naim='Чужое'"), 0);
        qInfo("%s: A %lld ms (contract %d), B %lld ms (contract %d); rows: %d contracts, %d item "
              "lines, %d organisations",
              qPrintable(kind), msA, na, msB, nb, countRows(db, "SELECT count(*) FROM contract"),
              countRows(db, "SELECT count(*) FROM contract2"),
              countRows(db, "SELECT count(*) FROM organisations"));
        if (holderDb.connected())
            holderDb.close();
    }
};

QTEST_GUILESS_MAIN(TestCliImport)
#include "tst_cliimport.moc"
