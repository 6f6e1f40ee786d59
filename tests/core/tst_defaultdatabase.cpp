// The default database of a start without one named: next to the program, or in the user's
// data folder.
#include "core/dbconnection.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest/QtTest>

class TestDefaultDatabase : public QObject {
    Q_OBJECT
private slots:
    void rule_data();
    void rule();
    void systemFolder();
};

void TestDefaultDatabase::rule_data() {
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<bool>("nextToProgram");
    QTest::newRow("writable folder: next to the program") << true << false << true;
    QTest::newRow("writable folder with the file") << true << true << true;
    QTest::newRow("read-only folder with the file: the file stays the default")
        << false << true << true;
    QTest::newRow("read-only folder without the file: the home folder") << false << false << false;
}

void TestDefaultDatabase::rule() {
    QFETCH(bool, writable);
    QFETCH(bool, fileExists);
    QFETCH(bool, nextToProgram);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString program = tmp.filePath(QStringLiteral("bin"));
    const QString home = tmp.filePath(QStringLiteral("home/.local/share/tarvik"));
    QVERIFY(QDir().mkpath(program));
    if (fileExists) {
        QFile f(program + QStringLiteral("/Tarvik.gdb"));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    if (!writable)
        QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                   QFileDevice::ReadOther | QFileDevice::ExeOther));
    const QString path = defaultDatabasePath(program, home);
    QFile::setPermissions(program,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(path, (nextToProgram ? program : home) + QStringLiteral("/Tarvik.gdb"));
}

// An installed program in /usr/bin keeps its database in the home folder, whoever runs it.
void TestDefaultDatabase::systemFolder() {
    if (QFileInfo::exists(QStringLiteral("/usr/bin/Tarvik.gdb")))
        QSKIP("/usr/bin/Tarvik.gdb exists on this machine");
    QCOMPARE(defaultDatabasePath(QStringLiteral("/usr/bin"), QStringLiteral("/home/u/tarvik")),
             QStringLiteral("/home/u/tarvik/Tarvik.gdb"));
}

QTEST_GUILESS_MAIN(TestDefaultDatabase)
#include "tst_defaultdatabase.moc"
