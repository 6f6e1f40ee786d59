// Several workstations on one database: the program against a real Firebird 3 server that the
// test starts on a free loopback port (fbserver.h) and stops at the end. Commands run as
// processes with FIREBIRD at the server's root, so that "localhost:" reaches it.
#include "../core/contractfixture.h"
#include "core/catalogue.h"
#include "core/dbconnection.h"
#include "fbserver.h"
#include "runtarvik.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

const QString kSample = QStringLiteral(TARVIK_SOURCE_DIR "/samples/contract-2026-0041.dat");

// One value of a checking query on a connection of its own.
QVariant scalar(const QString& database, const QString& sql) {
    FbDatabase db;
    db.setDatabaseName(database);
    db.open();
    FbTransaction tr(db, FbTransaction::DefaultAction::Commit);
    FbQuery q(db, tr);
    q.setSql({sql});
    q.open();
    const QVariant v = q.value(0, 0);
    q.close();
    tr.commit();
    db.close();
    return v;
}

// A contract whose directory holds `organisations` organisations (ids from 5001, shared by
// every file made here) and `positions` positions, each given to two of them.
QByteArray bigContract(const QString& docno, int organisations, int positions) {
    QStringList lines = {QStringLiteral("[REFERENCEBOOKS]")};
    for (int i = 0; i < organisations; ++i)
        lines << fixture::org(5001 + i, QStringLiteral("Организация %1").arg(i));
    lines << fixture::element(3, 1, QStringLiteral("100"), QStringLiteral("Бинт"))
          << fixture::element(4, 1, QStringLiteral("796"), QStringLiteral("шт"))
          << QStringLiteral("[/REFERENCEBOOKS]") << QStringLiteral("[CONTRACT]")
          << QStringLiteral("%1#01.02.2026#31.12.2026#2#5001#x#ПР#r#x#5002#").arg(docno)
          << QStringLiteral("[/CONTRACT]") << QStringLiteral("[CONTRACT2]");
    for (int p = 1; p <= positions; ++p)
        lines << QStringLiteral("%1#3#1#4#1#0#ГОСТ %1#").arg(p);
    lines << QStringLiteral("[/CONTRACT2]") << QStringLiteral("[CONTRACT3]");
    for (int p = 1; p <= positions; ++p) {
        for (int k = 0; k < 2; ++k)
            lines << QStringLiteral("%1#2#%2#01.03.2026#%3#%4#")
                         .arg(p)
                         .arg(5001 + (p + k) % organisations)
                         .arg(k + 1)
                         .arg(10 * (k + 1));
    }
    lines << QStringLiteral("[/CONTRACT3]");
    return fixture::contract(lines);
}

// Runs the tarvik executable with the server's environment.
struct Started {
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    QElapsedTimer clock;
};

Started startTarvik(const TestServer& server, const QStringList& args) {
    Started s;
    s.process->setProcessEnvironment(server.environment());
    s.clock.start();
    s.process->start(qEnvironmentVariable("TARVIK_BIN") + QStringLiteral("/tarvik"), args);
    return s;
}

TarvikRun finish(Started& s, qint64* ms = nullptr) {
    TarvikRun r;
    if (!s.process->waitForFinished(180000)) {
        s.process->kill();
        s.process->waitForFinished();
        return r;
    }
    if (ms)
        *ms = s.clock.elapsed();
    r.code = s.process->exitStatus() == QProcess::NormalExit ? s.process->exitCode() : -2;
    r.out = QString::fromUtf8(s.process->readAllStandardOutput());
    r.err = QString::fromUtf8(s.process->readAllStandardError());
    return r;
}

TarvikRun tarvik(const TestServer& server, const QStringList& args) {
    Started s = startTarvik(server, args);
    return finish(s);
}

} // namespace

class TestServerMode : public QObject {
    Q_OBJECT
    TestServer m_server;
    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QString error;
        QVERIFY2(m_server.start(&error), qPrintable(error));
        qInfo("test server: pid %lld, 127.0.0.1:%u, root %s", m_server.pid(), m_server.port(),
              qPrintable(m_server.root()));
        // This process is a client of the same root: "localhost:" means the test's server, and
        // its embedded attachments share the server's lock directory.
        qputenv("FIREBIRD", QFile::encodeName(m_server.root()));
        qputenv("FIREBIRD_LOCK", QFile::encodeName(m_server.lockDir()));
    }

    void cleanupTestCase() {
        QVERIFY(m_server.stop());
        QVERIFY(!TestServer::listening(m_server.port()));
        qInfo("test server stopped; port %u closed", m_server.port());
    }

    // create-db, import, list and the settings, all through the server: with the port of the
    // client's configuration ("localhost:") and with the port in the name.
    void throughServer_data() {
        QTest::addColumn<bool>("portInName");
        QTest::newRow("localhost:/path") << false;
        QTest::newRow("localhost/port:/path") << true;
    }
    void throughServer() {
        QFETCH(bool, portInName);
        const QString path = m_dir.filePath(portInName ? "named.gdb" : "default.gdb");
        const QString db = portInName ? m_server.url(path) : QStringLiteral("localhost:") + path;
        TarvikRun r = tarvik(m_server, {"create-db", db});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(QFile::exists(path));
        r = tarvik(m_server, {"import", "--db", db, kSample});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.out.trimmed(), QStringLiteral("1"));
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        r = tarvik(m_server, {"list", "--db", db});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(QStringLiteral("1\t0163200000326004117-0041\tПР-0041/26\t")));

        // The attachment is a network one, and the settings go through it.
        QCOMPARE(scalar(db, "SELECT mon$remote_protocol FROM mon$attachments "
                            "WHERE mon$attachment_id = current_connection")
                     .toString()
                     .trimmed(),
                 QStringLiteral("TCPv4"));
        {
            DbConnection c(db);
            c.dbTarvik.open();
            c.write([&] {
                Catalogue::writeSetting(c.qTarvik, Catalogue::Setting::GlBuh,
                                        {QStringLiteral("Ложкина А. В."), QString()});
                Catalogue::writeSetting(c.qTarvik, Catalogue::Setting::Nds,
                                        {QStringLiteral("10"), QString()});
            });
            c.dbTarvik.close();
        }
        DbConnection c(db);
        c.dbTarvik.open();
        QCOMPARE(Catalogue::readSetting(c.qTarvik, Catalogue::Setting::GlBuh)->value1,
                 QStringLiteral("Ложкина А. В."));
        QCOMPARE(Catalogue::readSetting(c.qTarvik, Catalogue::Setting::Nds)->value1,
                 QStringLiteral("10"));
    }

    // Kelmor's f_div runs inside the server process: directly, and in the waybill's grouped
    // query.
    void fDivInServer() {
        const QString path = m_dir.filePath("udf.gdb");
        const QString db = m_server.url(path);
        QCOMPARE(tarvik(m_server, {"create-db", db}).code, 0);
        QCOMPARE(tarvik(m_server, {"import", "--db", db, kSample}).code, 0);
        QCOMPARE(scalar(db, "SELECT f_div(7, 2) FROM rdb$database").toDouble(), 3.5);
        QCOMPARE(scalar(db, "SELECT f_div(1, 0) FROM rdb$database").toDouble(), 0.0);
        DbConnection c(db);
        c.dbTarvik.open();
        const TContDataList items = Catalogue::waybillItems(c.qTarvik, 1, 2101);
        QVERIFY(!items.isEmpty());
        for (const TContData& d : items)
            QCOMPARE(d.price, std::round(d.summa / d.quant * 100) / 100);
    }

    // One import through the server and one embedded, at once, into the same file, sharing
    // organisations: new ones in the first round, present ones in the second. Both commit,
    // each with its own lines.
    void serverAndEmbeddedAtOnce() {
        const QString path = m_dir.filePath("shared.gdb");
        QCOMPARE(tarvik(m_server, {"create-db", path}).code, 0);
        const int organisations = 1500, positions = 1500;
        const QString a = m_dir.filePath("a.dat"), b = m_dir.filePath("b.dat");
        QVERIFY(fixture::write(a, bigContract("A-1", organisations, positions)));
        QVERIFY(fixture::write(b, bigContract("B-1", organisations, positions)));
        for (const char* round : {"new organisations", "organisations present"}) {
            Started viaServer = startTarvik(m_server, {"import", "--db", m_server.url(path), a});
            Started embedded = startTarvik(m_server, {"import", "--db", path, b});
            qint64 msServer = 0, msEmbedded = 0;
            const TarvikRun rs = finish(viaServer, &msServer);
            const TarvikRun re = finish(embedded, &msEmbedded);
            QVERIFY2(rs.code == 0, qPrintable(rs.err));
            QVERIFY2(re.code == 0, qPrintable(re.err));
            const int na = rs.out.trimmed().toInt(), nb = re.out.trimmed().toInt();
            QVERIFY(na != nb);
            for (const auto& [number, docno] : {std::pair{na, "A-1"}, std::pair{nb, "B-1"}}) {
                QCOMPARE(
                    scalar(path,
                           QStringLiteral("SELECT docno FROM contract WHERE number=%1").arg(number))
                        .toString(),
                    QString::fromLatin1(docno));
                QCOMPARE(scalar(path, QStringLiteral("SELECT count(*) FROM contract2 WHERE "
                                                     "title=%1")
                                          .arg(number))
                             .toInt(),
                         2 * positions);
            }
            const int orgs = scalar(path, "SELECT count(*) FROM organisations").toInt();
            const int contracts = scalar(path, "SELECT count(*) FROM contract").toInt();
            const int lines = scalar(path, "SELECT count(*) FROM contract2").toInt();
            QCOMPARE(orgs, organisations);
            qInfo("%s: through the server %lld ms (contract %d), embedded %lld ms (contract %d); "
                  "rows now: %d contracts, %d item lines, %d organisations",
                  round, msServer, na, msEmbedded, nb, contracts, lines, orgs);
        }
        QCOMPARE(scalar(path, "SELECT count(*) FROM contract").toInt(), 4);
        QCOMPARE(scalar(path, "SELECT count(*) FROM contract2").toInt(), 4 * 2 * positions);
    }

    // A password the server does not know: said so, the client's words below it.
    void wrongPassword() {
        const QString path = m_dir.filePath("password.gdb");
        QCOMPARE(tarvik(m_server, {"create-db", m_server.url(path)}).code, 0);
        FbDatabase db;
        db.setDatabaseName(m_server.url(path));
        db.params() = QStringList{"user_name=SYSDBA", "password=wrong", "lc_ctype=WIN1251"};
        try {
            db.open();
            QFAIL("opened");
        } catch (const DbError& e) {
            const QStringList lines = e.message().split('\n');
            QVERIFY2(lines.size() >= 3, qPrintable(e.message()));
            QCOMPARE(lines[1], QStringLiteral("Сервер базы данных не принял имя пользователя или "
                                              "пароль."));
            QVERIFY2(lines[2].contains("user name and password"), qPrintable(e.message()));
        }
    }

    // A server that does not run: a clear message, the client's words below it.
    void serverNotRunning() {
        const quint16 port = TestServer::freePort();
        QVERIFY(!TestServer::listening(port));
        const QString db = QStringLiteral("localhost/%1:%2").arg(port).arg(m_dir.filePath("x.gdb"));
        const TarvikRun r = tarvik(m_server, {"list", "--db", db});
        QCOMPARE(r.code, 1);
        const QStringList lines = r.err.trimmed().split('\n');
        QVERIFY2(lines.size() >= 3, qPrintable(r.err));
        QCOMPARE(lines[0], QStringLiteral("Не удалось открыть базу данных %1:").arg(db));
        QCOMPARE(lines[1], QStringLiteral("Сервер базы данных недоступен: он не запущен, или к "
                                          "нему нет доступа по сети."));
        QVERIFY2(lines[2].contains("Unable to complete network request"), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TestServerMode)
#include "tst_server.moc"
