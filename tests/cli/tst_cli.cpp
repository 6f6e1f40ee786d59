// The executable's commands, run as processes.
#include "runtarvik.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest/QtTest>
#include <csignal>

namespace {

using Run = TarvikRun;

Run tarvik(const QStringList& args) {
    return runTarvik(args);
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void createDbThenList();
    void errors_data();
    void errors();
    void helpAndVersion();
    void stderrCarriesOnlyOwnMessages();
    void windowEndsOnTerminate_data();
    void windowEndsOnTerminate();
};

void TestCli::createDbThenList() {
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("x.gdb"));
    Run r = tarvik({QStringLiteral("create-db"), db});
    QCOMPARE(r.code, 0);
    QVERIFY(QFileInfo::exists(db));
    r = tarvik({QStringLiteral("list"), QStringLiteral("--db"), db});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QString());
    // The file exists now: a second creation refuses and leaves it alone.
    const qint64 size = QFileInfo(db).size();
    r = tarvik({QStringLiteral("create-db"), db});
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(QStringLiteral("уже существует")));
    QCOMPARE(QFileInfo(db).size(), size);
    r = tarvik({QStringLiteral("list"), QStringLiteral("--db"), db});
    QCOMPARE(r.code, 0);
}

void TestCli::errors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("list of a missing database") << QStringList{
        QStringLiteral("list"), QStringLiteral("--db"), QStringLiteral("@dir/no.gdb")};
    QTest::newRow("create-db without a file") << QStringList{QStringLiteral("create-db")};
    QTest::newRow("create-db in a missing folder")
        << QStringList{QStringLiteral("create-db"), QStringLiteral("@dir/no/such/x.gdb")};
    QTest::newRow("unknown option") << QStringList{QStringLiteral("list"), QStringLiteral("--x")};
    QTest::newRow("unknown command option") << QStringList{QStringLiteral("--bogus")};
}

void TestCli::errors() {
    QFETCH(QStringList, args);
    QTemporaryDir dir;
    for (QString& a : args)
        a.replace(QStringLiteral("@dir"), dir.path());
    const Run r = tarvik(args);
    QCOMPARE(r.code, 1);
    QVERIFY(!r.err.trimmed().isEmpty());
    QCOMPARE(r.out.contains(QStringLiteral("\t")), false);
}

void TestCli::helpAndVersion() {
    Run r = tarvik({QStringLiteral("--version")});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains(QStringLiteral("1.4")));
    r = tarvik({QStringLiteral("--help")});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains(QStringLiteral("create-db")));
}

// A command that draws runs under Qt's GUI application without XDG_RUNTIME_DIR (as under cron
// or su): stderr stays empty on success, and an error is the program's own words alone.
void TestCli::stderrCarriesOnlyOwnMessages() {
    QTemporaryDir dir;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    p.setProcessEnvironment(env);
    const QString bin = qEnvironmentVariable("TARVIK_BIN") + QStringLiteral("/tarvik");
    const QString out = dir.filePath(QStringLiteral("s.png"));
    p.start(bin,
            {QStringLiteral("pdf417"), QStringLiteral("--out"), out, QStringLiteral("Тарвик")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(QFileInfo::exists(out));
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QString());
    p.start(bin, {QStringLiteral("pdf417"), QStringLiteral("--out"), dir.filePath("no/s.png"),
                  QStringLiteral("Тарвик")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QVERIFY(!err.isEmpty());
    QVERIFY2(!err.contains(QStringLiteral("QStandardPaths")), qPrintable(err));
}

void TestCli::windowEndsOnTerminate_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("databaseExists");
    QTest::newRow("SIGTERM, main window") << int(SIGTERM) << true;
    QTest::newRow("SIGINT, main window") << int(SIGINT) << true;
    // The database cannot be opened: the error box is up, before the event loop runs.
    QTest::newRow("SIGTERM, start-up error box") << int(SIGTERM) << false;
    QTest::newRow("SIGINT, start-up error box") << int(SIGINT) << false;
}

// SIGTERM and SIGINT close the program as Выход does, at any moment: it ends normally, the
// database closed.
void TestCli::windowEndsOnTerminate() {
    QFETCH(int, signal);
    QFETCH(bool, databaseExists);
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("w.gdb"));
    if (databaseExists)
        QCOMPARE(tarvik({QStringLiteral("create-db"), db}).code, 0);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("TARVIK_BIN") + QStringLiteral("/tarvik"), {db});
    QVERIFY(p.waitForStarted());
    // The window (or the box) is up once the engine has tried the database.
    QTest::qWait(1500);
    QCOMPARE(p.state(), QProcess::Running);
    ::kill(pid_t(p.processId()), signal);
    QVERIFY2(p.waitForFinished(60000), "the program did not end on the signal");
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    if (!databaseExists)
        return;
    // Nothing is left holding the file: the next command opens it.
    QCOMPARE(tarvik({QStringLiteral("list"), QStringLiteral("--db"), db}).code, 0);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
