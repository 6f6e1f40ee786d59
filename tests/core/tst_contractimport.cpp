// The import against a real database file: rows as written, organisations inserted or
// updated, repeated imports, and failures that leave nothing committed.
#include "contractfixture.h"
#include "core/apperror.h"
#include "core/catalogue.h"
#include "core/contractimport.h"
#include "core/contractreader.h"
#include "core/dbcreate.h"
#include "core/fbdatabase.h"

#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <memory>
#include <thread>

using fixture::contract;
using fixture::element;
using fixture::org;

namespace {

// A connection with the application's write transaction and its two queries.
struct Session {
    explicit Session(const QString& path) {
        db.setDatabaseName(path);
        db.open();
    }
    FbDatabase db;
    FbTransaction tr{db, FbTransaction::DefaultAction::Rollback};
    FbQuery q{db, tr};
    FbQuery qOrgs{db, tr};

    int import(const ContractContent& c, const QString& fileName,
               const ImportProgress& progress = {}) {
        return ImportContract(tr, q, qOrgs, c.refItems, c.title, c.items, fileName, progress);
    }
};

// Reads committed data on a connection of its own.
QList<QVariantList> select(const QString& path, const QString& sql) {
    FbDatabase db;
    db.setDatabaseName(path);
    db.open();
    FbTransaction tr(db, FbTransaction::DefaultAction::Commit);
    FbQuery q(db, tr);
    q.sqlAdd(sql);
    q.open();
    QList<QVariantList> rows;
    for (; !q.eof(); q.next()) {
        QVariantList row;
        for (const QString& f : q.fieldNames())
            row << q.fieldByName(f).value();
        rows << row;
    }
    q.close();
    tr.commit();
    db.close();
    return rows;
}

int count(const QString& path, const QString& table) {
    return select(path, QStringLiteral("SELECT count(*) FROM ") + table).first().first().toInt();
}

QStringList directory() {
    return {QStringLiteral("[REFERENCEBOOKS]"),
            org(10, QStringLiteral("Поставщик")),
            org(20, QStringLiteral("Получатель А")),
            org(21, QStringLiteral("Получатель Б"), 19),
            org(22, QStringLiteral("Получатель В")),
            element(3, 100, QStringLiteral("9398110"), QStringLiteral("Бинт марлевый")),
            element(3, 20, QStringLiteral("9398120"), QStringLiteral("Вата")),
            element(4, 1, QStringLiteral("796"), QStringLiteral("шт")),
            QStringLiteral("[/REFERENCEBOOKS]")};
}

// Position 1 to three recipients, position 2 to nobody.
ContractContent sample(const QStringList& extraPositions = {}) {
    return ParseContract(contract(
        directory() +
        QStringList{"[CONTRACT]", "К-15#01.02.2023#31.12.2023#2#10#x#ПР-7#Поставка изделий#y#30#",
                    "[/CONTRACT]", "[CONTRACT2]", "1#3#100#4#1#1#ГОСТ 1172-93#",
                    "2#3#20#4#1#0#ТУ 2#a#b#Срочно#"} +
        extraPositions +
        QStringList{"[/CONTRACT2]", "[CONTRACT3]", "1#2#20#15.03.2023#100#1250.5#",
                    "1#2#21#16.03.2023#50#625.25#", "1#2#22#17.03.2023#10#125.05#",
                    "[/CONTRACT3]"}));
}

// The same contract with organisations of its own: identifiers moved by 1000.
ContractContent withOwnOrganisations(ContractContent c) {
    for (TRefItem& r : c.refItems) {
        if (r.refBook == 2)
            r.id += 1000;
    }
    c.title.agent += 1000;
    for (TContData& d : c.items) {
        if (d.recip != 0)
            d.recip += 1000;
    }
    return c;
}

// Another workstation that changes one organisation and keeps its transaction open.
struct Holder {
    explicit Holder(const QString& path) : s(path) {}
    void update(int id) {
        s.q.setSql(
            {QStringLiteral("UPDATE ORGANISATIONS SET SPR_NAIM='Чужое' WHERE ID=%1").arg(id)});
        s.q.execSql();
        QCOMPARE(s.q.rowsAffected(), 1);
    }
    void insert(int id) {
        s.q.setSql({QStringLiteral("INSERT INTO ORGANISATIONS(ID, SPR_NAIM) VALUES (%1, 'Чужое')")
                        .arg(id)});
        s.q.execSql();
    }
    Session s;
};

} // namespace

class TestContractImport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    int m_serial = 0;

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("t%1.gdb").arg(++m_serial));
        DbCreate::createDatabase(m_path);
    }

    void rowsAsSpecified() {
        const QString file = m_dir.filePath("k15.dat");
        int number = 0;
        {
            Session s(m_path);
            number = s.import(sample(), file);
            QVERIFY(!s.tr.inTransaction());
        }
        const auto header = select(m_path, "SELECT number, protno, regno, data, dataend, agent, "
                                           "target, status, rem, filename, docno, agents, payer "
                                           "FROM contract");
        QCOMPARE(header.size(), 1);
        const QVariantList h = header.first();
        QCOMPARE(h[0].toInt(), number);
        QVERIFY(h[1].isNull()); // PROTNO
        QCOMPARE(h[2].toInt(), 0);
        QVERIFY(!h[2].isNull()); // REGNO
        QCOMPARE(h[3].toDate(), QDate(2023, 2, 1));
        QCOMPARE(h[4].toDate(), QDate(2023, 12, 31));
        QCOMPARE(h[5].toInt(), 10);
        QCOMPARE(h[6].toString(), QStringLiteral("ПР-7"));
        QVERIFY(h[7].isNull()); // STATUS
        QCOMPARE(h[8].toString(), QStringLiteral("Поставка изделий"));
        QCOMPARE(h[9].toString(), QFileInfo(file).absoluteFilePath());
        QCOMPARE(h[10].toString(), QStringLiteral("К-15"));
        QCOMPARE(h[11].toString(), QStringLiteral("Поставщик"));
        QCOMPARE(h[12].toInt(), 30);

        const auto lines = select(m_path, "SELECT title, elem, kat, gost, recip, data, quant, "
                                          "summa, elemS, recipS, elemC, recipC, unit, comment "
                                          "FROM contract2 ORDER BY elem DESC, recip");
        const QList<QVariantList> expected = {
            {number, 100, "1", "ГОСТ 1172-93", 20, QDate(2023, 3, 15), 100.0, 1250.5,
             "Бинт марлевый", "Получатель А", "9398110", "ОКПО20", "шт", ""},
            {number, 100, "1", "ГОСТ 1172-93", 21, QDate(2023, 3, 16), 50.0, 625.25,
             "Бинт марлевый", "Получатель Б", "9398110", "ОКПО21", "шт", ""},
            {number, 100, "1", "ГОСТ 1172-93", 22, QDate(2023, 3, 17), 10.0, 125.05,
             "Бинт марлевый", "Получатель В", "9398110", "ОКПО22", "шт", ""},
            {number, 20, "", "ТУ 2", 0, kZeroDate, 0.0, 0.0, "Вата", "", "9398120", "", "шт",
             "Срочно"},
        };
        QCOMPARE(lines.size(), expected.size());
        for (qsizetype r = 0; r < lines.size(); ++r) {
            for (qsizetype c = 0; c < expected[r].size(); ++c) {
                const QVariant& got = lines[r][c];
                const QVariant& want = expected[r][c];
                // Empty strings are stored as empty strings, never NULL.
                QVERIFY2(!got.isNull(), qPrintable(QStringLiteral("row %1 col %2").arg(r).arg(c)));
                if (want.typeId() == QMetaType::QDate)
                    QCOMPARE(got.toDate(), want.toDate());
                else if (want.typeId() == QMetaType::Double)
                    QCOMPARE(got.toDouble(), want.toDouble());
                else
                    QCOMPARE(got.toString(), want.toString());
            }
        }

        // Organisations only (directory 2): the 19-field one without requisites; the goods
        // element with ID 20 leaves organisation 20 as it is.
        const auto orgs = select(m_path, "SELECT id, clf_code, dt_type, spr_naim, full_naim, inn, "
                                         "recv_code, rlw_name FROM organisations ORDER BY id");
        QCOMPARE(orgs.size(), 4);
        QCOMPARE(orgs[1][0].toInt(), 20);
        QCOMPARE(orgs[1][3].toString(), QStringLiteral("Получатель А"));
        QCOMPARE(orgs[1][4].toString(), QStringLiteral("ООО \"Получатель А\""));
        QCOMPARE(orgs[1][6].toString(), QStringLiteral("К20"));
        QCOMPARE(orgs[2][0].toInt(), 21);
        QCOMPARE(orgs[2][1].toString(), QStringLiteral("ОКПО21"));
        QCOMPARE(orgs[2][2].toInt(), 1);
        QVERIFY(!orgs[2][4].isNull());
        QCOMPARE(orgs[2][4].toString(), QString());
    }

    // An organisation the database has is updated, one it lacks is inserted; one repeated in
    // the file ends with its last values.
    void organisationsUpdatedOrInserted() {
        {
            Session s(m_path);
            s.tr.startTransaction();
            s.q.sqlAdd("INSERT INTO ORGANISATIONS(ID, SPR_NAIM, FULL_NAIM, INN) "
                       "VALUES (20, 'Старое имя', 'Старое полное', '1')");
            s.q.execSql();
            s.tr.commit();
        }
        QStringList lines = directory();
        lines.insert(lines.size() - 1, org(22, QStringLiteral("Получатель В, новый адрес")));
        const ContractContent c = ParseContract(contract(lines));
        {
            Session s(m_path);
            s.import(c, "x.dat");
        }
        const auto orgs =
            select(m_path, "SELECT id, spr_naim, full_naim, inn FROM organisations ORDER BY id");
        QCOMPARE(orgs.size(), 4);
        QCOMPARE(orgs[0][0].toInt(), 10);
        QCOMPARE(orgs[1][1].toString(), QStringLiteral("Получатель А"));
        QCOMPARE(orgs[1][2].toString(), QStringLiteral("ООО \"Получатель А\""));
        QCOMPARE(orgs[1][3].toString(), QStringLiteral("7700000020"));
        QCOMPARE(orgs[3][1].toString(), QStringLiteral("Получатель В, новый адрес"));
        // A file without [CONTRACT2] lines gives a contract without item lines.
        QCOMPARE(count(m_path, "contract"), 1);
        QCOMPARE(count(m_path, "contract2"), 0);
    }

    // The same file twice gives two contracts with their own numbers and lines.
    void sameFileTwice() {
        Session s(m_path);
        const int first = s.import(sample(), "a.dat");
        const int second = s.import(sample(), "a.dat");
        QCOMPARE(first, 1);
        QVERIFY(second > first);
        QCOMPARE(count(m_path, "contract"), 2);
        QCOMPARE(count(m_path, "organisations"), 4);
        const auto perTitle =
            select(m_path, "SELECT title, count(*) FROM contract2 GROUP BY title ORDER BY title");
        QCOMPARE(perTitle.size(), 2);
        QCOMPARE(perTitle[0][0].toInt(), first);
        QCOMPARE(perTitle[1][0].toInt(), second);
        QCOMPARE(perTitle[0][1].toInt(), 4);
        QCOMPARE(perTitle[1][1].toInt(), 4);
    }

    // A failure in the middle of the item lines commits nothing; the next import rolls the
    // unfinished work back first and commits only its own rows.
    void failureMidLines_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("string longer than its column") << "long"
                                                       << "GOST";
        QTest::newRow("error raised from the progress") << "progress"
                                                        << "прервана";
    }
    void failureMidLines() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        Session s(m_path);
        const int before = s.import(sample(), "before.dat");

        QStringList extra;
        for (int i = 3; i < 400; ++i)
            extra << QStringLiteral("%1#3#100#4#1#1#ГОСТ %1#").arg(i);
        if (kind == QLatin1String("long"))
            extra[200] = QStringLiteral("203#3#100#4#1#1#%1#").arg(QString(600, QChar(u'Щ')));
        const ContractContent big = sample(extra);
        qsizetype calls = 0;
        const ImportProgress progress = [&](qsizetype done, qsizetype total) {
            ++calls;
            QVERIFY(done <= total);
            if (kind == QLatin1String("progress") && done > total / 2)
                throw AppError(QStringLiteral("Загрузка прервана"));
        };
        try {
            s.import(big, "big.dat", progress);
            QFAIL("import succeeded");
        } catch (const AppError& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
        QVERIFY(calls > 2);
        // The unfinished work is still open and seen by nobody else.
        QVERIFY(s.tr.inTransaction());
        QCOMPARE(count(m_path, "contract"), 1);
        QCOMPARE(count(m_path, "contract2"), 4);

        const int after = s.import(sample(), "after.dat");
        QVERIFY(after > before);
        const auto numbers = select(m_path, "SELECT number, filename FROM contract ORDER BY 1");
        QCOMPARE(numbers.size(), 2);
        QCOMPARE(numbers[0][0].toInt(), before);
        QCOMPARE(numbers[1][0].toInt(), after);
        QCOMPARE(count(m_path, "contract2"), 8);
    }

    // The import's transaction is a snapshot with a bounded wait for locked rows, as the
    // server itself reports it while the import runs.
    void transactionIsSnapshot() {
        Session s(m_path);
        FbQuery mon(s.db, s.tr);
        int isolation = -1, timeout = -1;
        s.import(sample(), "k.dat", [&](qsizetype done, qsizetype) {
            if (done != 0)
                return;
            mon.setSql({"SELECT mon$isolation_mode, mon$lock_timeout FROM mon$transactions "
                        "WHERE mon$transaction_id = current_transaction"});
            mon.open();
            isolation = mon.value(0, 0).toInt();
            timeout = mon.value(0, 1).toInt();
            mon.close();
        });
        QCOMPARE(isolation, 1); // concurrency, Firebird's snapshot
        QCOMPARE(timeout, kWriteLockTimeoutSeconds);
        QCOMPARE(importTransactionParams().isolation, TransactionParams::Isolation::Snapshot);
    }

    // Why the snapshot: a header inserted first, another workstation's contract committed
    // (with the higher number) before max(number) is read. In the snapshot the import finds its
    // own number; reading committed data it would take the other one's.
    void numberInsideSnapshot_data() {
        QTest::addColumn<bool>("snapshot");
        QTest::newRow("the import's transaction") << true;
        QTest::newRow("read committed, for contrast") << false;
    }
    void numberInsideSnapshot() {
        QFETCH(bool, snapshot);
        TransactionParams params = importTransactionParams();
        if (!snapshot)
            params.isolation = TransactionParams::Isolation::ReadCommitted;
        Session mine(m_path);
        mine.tr.startTransaction(params);
        const ContractContent c = sample();
        Catalogue::insertContract(mine.q, c.title, "/mine.dat");
        mine.q.setSql({"SELECT number FROM contract WHERE filename='/mine.dat'"});
        mine.q.open();
        const int own = mine.q.value(0, 0).toInt();

        Session other(m_path);
        const int theirs = other.import(withOwnOrganisations(c), "theirs.dat");
        QVERIFY(theirs > own);
        QCOMPARE(Catalogue::lastContractNumber(mine.q).value(), snapshot ? own : theirs);
        mine.tr.rollback();
    }

    // Two imports whose commits interleave: the second starts, takes its number and writes
    // lines; meanwhile the first runs whole and commits. Each contract gets its own lines.
    void interleavedCommits() {
        Session first(m_path), second(m_path);
        const ContractContent a = withOwnOrganisations(sample());
        const ContractContent b = sample();
        int numberA = 0;
        const qsizetype afterHeader = b.refItems.size() + 1;
        const int numberB = second.import(b, "b.dat", [&](qsizetype done, qsizetype) {
            if (done == afterHeader && numberA == 0)
                numberA = first.import(a, "a.dat");
        });
        QVERIFY(numberA > numberB);
        const auto perTitle =
            select(m_path, "SELECT title, count(*), min(filename) FROM contract2 JOIN contract "
                           "ON number=title GROUP BY title ORDER BY title");
        QCOMPARE(perTitle.size(), 2);
        QCOMPARE(perTitle[0][0].toInt(), numberB);
        QCOMPARE(perTitle[0][1].toInt(), b.items.size());
        QVERIFY(perTitle[0][2].toString().endsWith("b.dat"));
        QCOMPARE(perTitle[1][0].toInt(), numberA);
        QCOMPARE(perTitle[1][1].toInt(), a.items.size());
        QCOMPARE(select(m_path, "SELECT count(*) FROM contract2 WHERE recip > 1000")
                     .first()
                     .first()
                     .toInt(),
                 a.items.size() - 1); // position 2 goes to nobody
    }

    // Another workstation holds an organisation the import writes (changed, or inserted and
    // not yet committed) and commits a moment later: the import waits, meets the conflict,
    // runs again and commits with the file's values.
    void conflictRunsAgain_data() {
        QTest::addColumn<bool>("present");
        QTest::newRow("update conflict on a present organisation") << true;
        QTest::newRow("primary key on an organisation inserted meanwhile") << false;
    }
    void conflictRunsAgain() {
        QFETCH(bool, present);
        Session s(m_path);
        if (present)
            s.import(sample(), "first.dat");
        Holder holder(m_path);
        if (present)
            holder.update(20);
        else
            holder.insert(20);
        std::thread later([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
            holder.s.tr.commit();
        });
        int number = 0;
        try {
            number = s.import(sample(), "second.dat");
        } catch (...) {
            later.join();
            throw;
        }
        later.join();
        QVERIFY(number > 0);
        QVERIFY(!s.tr.inTransaction());
        QCOMPARE(select(m_path, "SELECT spr_naim FROM organisations WHERE id=20")
                     .first()
                     .first()
                     .toString(),
                 QStringLiteral("Получатель А"));
        QCOMPARE(count(m_path, "contract"), present ? 2 : 1);
    }

    // A row held for longer than every attempt waits: the write gives up with the busy
    // message, rolls back and holds nothing; the other workstation's change stands.
    void busyGivesUp() {
        Session s(m_path);
        s.import(sample(), "first.dat");
        Holder holder(m_path);
        holder.update(20);
        WriteOptions options;
        options.attempts = 2;
        options.params = importTransactionParams();
        options.params->lockTimeoutSeconds = 1;
        const ContractContent c = sample();
        try {
            runWrite(
                s.tr,
                [&] {
                    Catalogue::insertContract(s.q, c.title, "/busy.dat");
                    Catalogue::setOrganisationWrite(s.q, c.refItems[1], true);
                    s.q.execSql();
                },
                options);
            QFAIL("written");
        } catch (const DbError& e) {
            QVERIFY2(e.message().startsWith("База данных занята другим пользователем"),
                     qPrintable(e.message()));
            QVERIFY(isWriteConflict(e));
            QVERIFY(e.message().count('\n') >= 2); // the conflict and the client's words below
        }
        QVERIFY(!s.tr.inTransaction());
        holder.s.tr.commit();
        QCOMPARE(count(m_path, "contract"), 1);
        QCOMPARE(select(m_path, "SELECT spr_naim FROM organisations WHERE id=20")
                     .first()
                     .first()
                     .toString(),
                 QStringLiteral("Чужое"));
    }

    // The organisation test sees rows of its own transaction only until they are rolled back.
    void organisationExists() {
        Session s(m_path);
        QVERIFY(!Catalogue::organisationExists(s.qOrgs, 10));
        s.q.sqlAdd("INSERT INTO ORGANISATIONS(ID) VALUES (10)");
        s.q.execSql();
        QVERIFY(Catalogue::organisationExists(s.qOrgs, 10));
        s.tr.rollback();
        QVERIFY(!Catalogue::organisationExists(s.qOrgs, 10));
    }
};

QTEST_GUILESS_MAIN(TestContractImport)
#include "tst_contractimport.moc"
