// The data layer against a real embedded database made like "tarvik create-db" makes it.
#include "core/catalogue.h"
#include "core/cp1251.h"
#include "core/dbconnection.h"
#include "core/fbdatabase.h"
#include "testdb.h"

#include <QtTest/QtTest>

namespace {

struct Conn {
    FbDatabase db;
    FbTransaction tr{db};
    FbQuery q{db, tr};
    explicit Conn(const QString& path) {
        db.setDatabaseName(path);
        db.open();
    }
    void run(const QStringList& sql) {
        q.close();
        q.setSql(sql);
        q.execSql();
    }
};

int insertContract(FbQuery& q, const QString& docno) {
    TContTitle title;
    title.data = QDate(2011, 4, 18);
    title.dataend = QDate(2011, 12, 31);
    title.agent = 1;
    title.target = QStringLiteral("П-7");
    title.rem = QStringLiteral("примечание");
    title.docno = docno;
    title.agents = QStringLiteral("Поставщик");
    Catalogue::insertContract(q, title, QStringLiteral("/tmp/k.dat"));
    return Catalogue::lastContractNumber(q).value();
}

void insertLine(FbQuery& q, int title, int recip, const QString& recipS, double quant,
                double summa) {
    TContData line;
    line.elem = 7;
    line.recip = recip;
    line.recipS = recipS;
    line.quant = quant;
    line.summa = summa;
    line.data = QDate(2011, 5, 1);
    line.unit = QStringLiteral("шт");
    Catalogue::ContractLineInsert(q, title).insert(line);
}

int count(FbQuery& q, const QString& sql) {
    q.close();
    q.setSql({sql});
    q.open();
    return q.fieldByName(QStringLiteral("N")).asInteger();
}

} // namespace

class TestFbDatabase : public QObject {
    Q_OBJECT
private slots:
    void namedBindingAndStatementSteps();
    void unboundParametersAreNull();
    void win1251RoundTrip();
    void longTextInBlobAndTooLongString();
    void registerTransactionSeesOnlyCommitted();
    void failedWriteStaysUncommittedUntilRolledBack();
    void numbersGrowAndAreNeverReused();
    void deleteCascadesToLines();
    void groupedItemQueryWithFDiv();
    void connectionErrors_data();
    void connectionErrors();
    void conflictsNamedAndRecognised_data();
    void conflictsNamedAndRecognised();
    void maxNumberFromIndex();
};

void TestFbDatabase::namedBindingAndStatementSteps() {
    TestDb t;
    Conn c(t.path());
    const int n = insertContract(c.q, QStringLiteral("К-1"));
    // A name used twice binds both places; names match without regard to case.
    c.q.close();
    c.q.sqlClear();
    c.q.sqlAdd(QStringLiteral("SELECT docno, data FROM contract"));
    c.q.sqlAdd(QStringLiteral("WHERE number=:num AND :NUM > 0 AND docno <> ':not_a_param'"));
    c.q.prepare();
    QCOMPARE(c.q.paramCount(), 1);
    c.q.paramByName(QStringLiteral("Num")).setInteger(n);
    c.q.open();
    QVERIFY(!c.q.eof());
    QCOMPARE(c.q.fieldByName(QStringLiteral("DOCNO")).asString(), QStringLiteral("К-1"));
    QCOMPARE(c.q.fieldByName(QStringLiteral("data")).asDate(), QDate(2011, 4, 18));
    c.q.next();
    QVERIFY(c.q.eof());
    // The query keeps its statement and its bound values until the text changes.
    c.q.close();
    c.q.open();
    QCOMPARE(c.q.recordCount(), 1);
    QVERIFY_THROWS_EXCEPTION(DbError, c.q.paramByName(QStringLiteral("nothing")));
    QVERIFY_THROWS_EXCEPTION(DbError, c.q.fieldByName(QStringLiteral("nothing")));
    // A string bound to an integer parameter is converted, or refused with a message.
    c.q.paramByName(QStringLiteral("num")).setString(QString::number(n));
    c.q.open();
    QCOMPARE(c.q.recordCount(), 1);
    c.q.paramByName(QStringLiteral("num")).setString(QStringLiteral("abc"));
    QVERIFY_THROWS_EXCEPTION(DbError, c.q.open());
}

void TestFbDatabase::unboundParametersAreNull() {
    TestDb t;
    Conn c(t.path());
    insertContract(c.q, QStringLiteral("К-2"));
    QCOMPARE(count(c.q, QStringLiteral("SELECT count(*) n FROM contract WHERE protno IS NULL AND "
                                       "status IS NULL AND regno = 0")),
             1);
    // A cleared parameter is NULL again.
    c.q.close();
    c.q.setSql({QStringLiteral("UPDATE contract SET target=:t")});
    c.q.paramByName(QStringLiteral("t")).setString(QStringLiteral("x"));
    c.q.paramByName(QStringLiteral("t")).clear();
    c.q.execSql();
    QCOMPARE(c.q.rowsAffected(), 1);
    QCOMPARE(count(c.q, QStringLiteral("SELECT count(*) n FROM contract WHERE target IS NULL")), 1);
}

void TestFbDatabase::win1251RoundTrip() {
    TestDb t;
    Conn c(t.path());
    const QString text = QStringLiteral("Получатель №1 ёЁ");
    const int n = insertContract(c.q, QStringLiteral("К-3"));
    insertLine(c.q, n, 5, text, 1, 1);
    c.q.close();
    c.q.setSql({QStringLiteral("SELECT recipS, octet_length(recipS) len, "
                               "CAST(recipS AS VARCHAR(100) CHARACTER SET OCTETS) raw "
                               "FROM contract2")});
    c.q.open();
    QCOMPARE(c.q.fieldByName(QStringLiteral("recips")).asString(), text);
    QCOMPARE(c.q.fieldByName(QStringLiteral("len")).asInteger(), 16);
    const QByteArray raw = Cp1251::encode(c.q.fieldByName(QStringLiteral("raw")).asString());
    QCOMPARE(raw, QByteArray("\xCF\xEE\xEB\xF3\xF7\xE0\xF2\xE5\xEB\xFC \xB9"
                             "1 \xB8\xA8"));
    // The text of the statement itself travels in WIN1251 as well.
    QCOMPARE(count(c.q, QStringLiteral("SELECT count(*) n FROM contract2 WHERE recipS = "
                                       "'Получатель №1 ёЁ'")),
             1);
}

void TestFbDatabase::longTextInBlobAndTooLongString() {
    TestDb t;
    Conn c(t.path());
    const int n = insertContract(c.q, QStringLiteral("К-4"));
    QString rem;
    for (int i = 0; i < 5000; ++i)
        rem += QStringLiteral("Строка %1 текста контракта\r\n").arg(i);
    c.q.close();
    c.q.setSql({QStringLiteral("UPDATE contract SET rem=:rem WHERE number=:n")});
    c.q.paramByName(QStringLiteral("rem")).setString(rem);
    c.q.paramByName(QStringLiteral("n")).setInteger(n);
    c.q.execSql();
    c.q.close();
    c.q.setSql({QStringLiteral("SELECT rem FROM contract")});
    c.q.open();
    QCOMPARE(c.q.fieldByName(QStringLiteral("rem")).asString(), rem);

    // A text longer than its column is refused with the parameter's name, and nothing is sent.
    c.q.close();
    c.q.setSql({QStringLiteral("UPDATE nsi SET value1=:val1 WHERE dt_key='gl_buh'")});
    c.q.paramByName(QStringLiteral("val1")).setString(QString(501, QChar(u'ж')));
    try {
        c.q.execSql();
        QFAIL("no error");
    } catch (const DbError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("VAL1")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("501")), qPrintable(e.message()));
    }
}

void TestFbDatabase::registerTransactionSeesOnlyCommitted() {
    TestDb t;
    FbDatabase db;
    db.setDatabaseName(t.path());
    FbTransaction trTarvik(db);
    FbQuery qTarvik(db, trTarvik);
    FbTransaction trMain(db, FbTransaction::DefaultAction::Commit);
    FbQuery qMain(db, trMain);
    // A query opens a closed connection and starts its transaction implicitly.
    QVERIFY(!db.connected());
    insertContract(qTarvik, QStringLiteral("К-5"));
    QVERIFY(db.connected());
    QVERIFY(trTarvik.inTransaction());
    const QString reg = QStringLiteral("SELECT count(*) n FROM contract");
    QCOMPARE(count(qMain, reg), 0);
    trTarvik.commit();
    // trMain still reads its old snapshot until it is restarted.
    QCOMPARE(count(qMain, reg), 0);
    trMain.commit();
    trMain.startTransaction();
    QCOMPARE(count(qMain, reg), 1);
}

void TestFbDatabase::failedWriteStaysUncommittedUntilRolledBack() {
    TestDb t;
    FbDatabase db;
    db.setDatabaseName(t.path());
    db.open();
    FbTransaction tr(db);
    FbQuery q(db, tr);
    tr.startTransaction();
    const int n = insertContract(q, QStringLiteral("К-6"));
    insertLine(q, n, 1, QStringLiteral("А"), 1, 1);
    // A line for a contract that does not exist breaks the foreign key.
    QVERIFY_THROWS_EXCEPTION(DbError, insertLine(q, n + 100, 1, QStringLiteral("Б"), 1, 1));
    QVERIFY(tr.inTransaction());
    {
        Conn other(t.path());
        QCOMPARE(count(other.q, QStringLiteral("SELECT count(*) n FROM contract")), 0);
    }
    // The next write begins by rolling back: the failed work never becomes committed.
    tr.rollback();
    tr.startTransaction();
    QCOMPARE(count(q, QStringLiteral("SELECT count(*) n FROM contract2")), 0);
    tr.commit();
    // Closing the connection rolls back an open transaction of the default action.
    tr.startTransaction();
    insertContract(q, QStringLiteral("К-7"));
    db.close();
    QVERIFY(!tr.inTransaction());
    Conn other(t.path());
    QCOMPARE(count(other.q, QStringLiteral("SELECT count(*) n FROM contract")), 0);
}

void TestFbDatabase::numbersGrowAndAreNeverReused() {
    TestDb t;
    Conn c(t.path());
    const int first = insertContract(c.q, QStringLiteral("К-8"));
    QVERIFY(first >= 1);
    c.tr.commit();
    c.run({QStringLiteral("DELETE FROM contract")});
    c.tr.commit();
    // max(number) inside the writing transaction sees the row it just inserted.
    const int second = insertContract(c.q, QStringLiteral("К-9"));
    QVERIFY(second > first);
    c.tr.rollback();
    const int third = insertContract(c.q, QStringLiteral("К-10"));
    QVERIFY(third > second);
}

void TestFbDatabase::deleteCascadesToLines() {
    TestDb t;
    Conn c(t.path());
    const int a = insertContract(c.q, QStringLiteral("К-11"));
    insertLine(c.q, a, 1, QStringLiteral("А"), 1, 1);
    insertLine(c.q, a, 2, QStringLiteral("Б"), 1, 1);
    const int b = insertContract(c.q, QStringLiteral("К-12"));
    insertLine(c.q, b, 1, QStringLiteral("А"), 1, 1);
    c.q.setSql(Catalogue::kDeleteContract);
    c.q.paramByName(QStringLiteral("number")).setInteger(a);
    c.q.execSql();
    QCOMPARE(count(c.q, QStringLiteral("SELECT count(*) n FROM contract2")), 1);
    QCOMPARE(count(c.q, QStringLiteral("SELECT count(*) n FROM contract2 WHERE title=%1").arg(b)),
             1);
}

void TestFbDatabase::groupedItemQueryWithFDiv() {
    TestDb t;
    Conn c(t.path());
    const int n = insertContract(c.q, QStringLiteral("К-13"));
    insertLine(c.q, n, 4, QStringLiteral("А"), 4, 10);
    insertLine(c.q, n, 4, QStringLiteral("А"), 0, 5);
    const TContDataList items = Catalogue::waybillItems(c.q, n, 4);
    QCOMPARE(items.size(), 2);
    QList<double> prices;
    for (const TContData& d : items)
        prices << d.price;
    std::sort(prices.begin(), prices.end());
    QCOMPARE(prices, (QList<double>{0.0, 2.5}));

    // A function's fixed-length text arguments are bound without trailing blanks.
    c.q.close();
    c.q.setSql({QStringLiteral("SELECT f_setparam(:text, :prefix, :value) r FROM rdb$database")});
    c.q.paramByName(QStringLiteral("text")).setString(QStringLiteral("a=1\r\nб=2"));
    c.q.paramByName(QStringLiteral("prefix")).setString(QStringLiteral("б="));
    c.q.paramByName(QStringLiteral("value")).setString(QStringLiteral("три"));
    c.q.open();
    QCOMPARE(c.q.fieldByName(QStringLiteral("r")).asString(), QStringLiteral("a=1\r\nб=три\r\n"));
}

void TestFbDatabase::connectionErrors_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("sentence");
    QTest::newRow("missing file") << "missing"
                                  << "Файл базы данных не найден.";
    QTest::newRow("directory") << "directory"
                               << "Указан каталог, а не файл базы данных.";
    QTest::newRow("not a database") << "garbage"
                                    << "Файл не является базой данных этой версии Firebird.";
    QTest::newRow("empty name") << "empty"
                                << "";
}

void TestFbDatabase::connectionErrors() {
    QFETCH(QString, kind);
    QFETCH(QString, sentence);
    FirebirdEnv::setup(QStringLiteral(TARVIK_BINARY_DIR "/bin"));
    QTemporaryDir dir;
    QString name;
    if (kind == QLatin1String("missing")) {
        name = dir.filePath(QStringLiteral("nothing.gdb"));
    } else if (kind == QLatin1String("directory")) {
        name = dir.path();
    } else if (kind == QLatin1String("garbage")) {
        name = dir.filePath(QStringLiteral("garbage.gdb"));
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(20000, 'x'));
    }
    FbDatabase db;
    db.setDatabaseName(name);
    try {
        db.open();
        QFAIL("opened");
    } catch (const DbError& e) {
        // Our own words first, then the client's message.
        QVERIFY2(e.message().startsWith(QStringLiteral("Не удалось открыть базу данных")) ||
                     kind == QLatin1String("empty"),
                 qPrintable(e.message()));
        QVERIFY(e.message().contains(name));
        QVERIFY(e.message().count(QLatin1Char('\n')) >= 1 || kind == QLatin1String("empty"));
        // Then the user's sentence, then the client's own words; the codes travel along.
        if (!sentence.isEmpty()) {
            const QStringList lines = e.message().split(QLatin1Char('\n'));
            QVERIFY2(lines.size() >= 3, qPrintable(e.message()));
            QCOMPARE(lines[1], sentence);
            QVERIFY(!e.codes().isEmpty());
        }
    }
    QVERIFY(!db.connected());
    // Starting a transaction does not open a closed connection.
    FbTransaction tr(db);
    QVERIFY_THROWS_EXCEPTION(DbError, tr.startTransaction());
}

// Two transactions on one row: the error of the second is recognised by its codes as a
// conflict that may succeed when run again, and named in Russian before the client's words.
void TestFbDatabase::conflictsNamedAndRecognised_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("sentence");
    // The engine reports a row whose lock wait timed out as an update conflict.
    QTest::newRow("row held past the lock timeout")
        << "timeout"
        << "Эти же данные одновременно изменяет другой пользователь.";
    QTest::newRow("update conflict") << "update"
                                     << "Эти же данные одновременно изменяет другой пользователь.";
    QTest::newRow("organisation inserted meanwhile") << "insert"
                                                     << "Такая запись уже есть в базе данных.";
    QTest::newRow("other primary key, not a conflict") << "nsi"
                                                       << "Такая запись уже есть в базе данных.";
}

void TestFbDatabase::conflictsNamedAndRecognised() {
    QFETCH(QString, kind);
    QFETCH(QString, sentence);
    TestDb t;
    {
        Conn setup(t.path());
        setup.run({QStringLiteral("INSERT INTO organisations(id, spr_naim) VALUES (1, 'А')")});
        setup.tr.commit();
    }
    Conn first(t.path()), second(t.path());
    TransactionParams params;
    params.isolation = TransactionParams::Isolation::Snapshot;
    params.lockTimeoutSeconds = 1;
    second.tr.startTransaction(params);
    // The second's snapshot begins before the first changes anything.
    QCOMPARE(count(second.q, QStringLiteral("SELECT count(*) n FROM organisations")), 1);
    QString firstSql, secondSql;
    if (kind == QLatin1String("insert")) {
        firstSql = secondSql = QStringLiteral("INSERT INTO organisations(id) VALUES (2)");
    } else if (kind == QLatin1String("nsi")) {
        firstSql = QStringLiteral("SELECT 1 FROM rdb$database");
        secondSql = QStringLiteral("INSERT INTO nsi(dt_key) VALUES ('nds')");
    } else {
        firstSql = secondSql = QStringLiteral("UPDATE organisations SET spr_naim='Б' WHERE id=1");
    }
    first.run({firstSql});
    if (kind != QLatin1String("timeout"))
        first.tr.commit();
    try {
        second.run({secondSql});
        QFAIL("no conflict");
    } catch (const DbError& e) {
        const QStringList lines = e.message().split(QLatin1Char('\n'));
        QVERIFY2(lines.first() == sentence, qPrintable(e.message()));
        QVERIFY(lines.size() >= 2);
        QCOMPARE(isWriteConflict(e), kind != QLatin1String("nsi"));
    }
}

// The import's "max(number)" is answered from the descending index, not by a scan.
void TestFbDatabase::maxNumberFromIndex() {
    TestDb t;
    Conn c(t.path());
    c.q.setSql(Catalogue::kLastContractNumber);
    QCOMPARE(c.q.plan().simplified(),
             QStringLiteral("PLAN (CONTRACT ORDER IX_CONTRACT_NUMBER_DESC)"));
}

QTEST_GUILESS_MAIN(TestFbDatabase)
#include "tst_fbdatabase.moc"
