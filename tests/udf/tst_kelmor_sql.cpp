// The Kelmor functions called from SQL, on a database made the way "tarvik create-db" makes it.
#include "core/catalogue.h"
#include "core/fbdatabase.h"
#include "testdb.h"

#include <QProcess>
#include <QtTest/QtTest>

#include <atomic>
#include <thread>

namespace {

// Text parameters of these functions are described as CHAR(n), which the client pads with
// blanks: callers cast them to VARCHAR.
const QString kExtract =
    QStringLiteral("f_extract(CAST(:a AS VARCHAR(32765)), CAST(:b AS VARCHAR(1000)))");
const QString kSetParam = QStringLiteral("f_setparam(CAST(:a AS VARCHAR(32765)), "
                                         "CAST(:b AS VARCHAR(1000)), CAST(:c AS VARCHAR(4000)))");

} // namespace

class TestKelmorSql : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void declaredFunctions();
    void numbers_data();
    void numbers();
    void texts_data();
    void texts();
    void dateResult();
    void groupedItemQuery();
    void isqlOnFreshDatabase();
    void udfAccessIsRestricted();
    void manyConnectionsAtOnce();

private:
    void select(const QString& expr, const QStringList& params = {});

    std::unique_ptr<TestDb> m_file;
    std::unique_ptr<FbDatabase> m_db;
    std::unique_ptr<FbTransaction> m_tr;
    std::unique_ptr<FbQuery> m_q;
};

void TestKelmorSql::initTestCase() {
    m_file = std::make_unique<TestDb>();
    m_db = std::make_unique<FbDatabase>();
    m_db->setDatabaseName(m_file->path());
    m_db->open();
    m_tr = std::make_unique<FbTransaction>(*m_db);
    m_q = std::make_unique<FbQuery>(*m_db, *m_tr);
}

void TestKelmorSql::cleanupTestCase() {
    m_q.reset();
    m_tr.reset();
    if (m_db)
        m_db->close();
    m_db.reset();
    m_file.reset();
}

// Runs "SELECT expr r FROM rdb$database" with the texts params bound to :a, :b, :c.
void TestKelmorSql::select(const QString& expr, const QStringList& params) {
    m_q->close();
    m_q->setSql({QStringLiteral("SELECT ") + expr + QStringLiteral(" r FROM rdb$database")});
    static const char* const names[] = {"a", "b", "c"};
    for (int i = 0; i < params.size() && i < 3; ++i)
        m_q->paramByName(QLatin1String(names[i])).setString(params[i]);
    m_q->open();
    QVERIFY(!m_q->eof());
}

void TestKelmorSql::declaredFunctions() {
    m_q->close();
    m_q->setSql({QStringLiteral("SELECT TRIM(rdb$function_name) n, TRIM(rdb$entrypoint) e, "
                                "TRIM(rdb$module_name) m FROM rdb$functions "
                                "WHERE rdb$module_name = 'kelmor' ORDER BY 1")});
    m_q->open();
    QStringList got;
    for (; !m_q->eof(); m_q->next())
        got << m_q->fieldByName(QStringLiteral("N")).asString() + QLatin1Char('=') +
                   m_q->fieldByName(QStringLiteral("E")).asString();
    QCOMPARE(got, QStringList({"F_ASMDATA=AsmData", "F_COMPARERANGE=CompareRange",
                               "F_DIV=ProtectDiv", "F_DOUBLETODATE=DoubleToDate",
                               "F_DOUBLETODATETIME=DoubleToDateTime", "F_EXTRACT=Extract",
                               "F_MROUND=mRound", "F_NEWLINE=NewLine", "F_SETPARAM=SetParam"}));
}

void TestKelmorSql::numbers_data() {
    QTest::addColumn<QString>("expr");
    QTest::addColumn<double>("expected");
    QTest::newRow("div") << "f_div(10, 4)" << 2.5;
    QTest::newRow("div by zero") << "f_div(10, 0)" << 0.0;
    QTest::newRow("zero by zero") << "f_div(0, 0)" << 0.0;
    QTest::newRow("div columns") << "f_div(CAST(7 AS DOUBLE PRECISION), -2)" << -3.5;
    QTest::newRow("round 0.125") << "f_mround(0.125, 2)" << 0.13;
    QTest::newRow("round 1.005") << "f_mround(1.005, 2)" << 1.0;
    QTest::newRow("round -2.5") << "f_mround(-2.5, 0)" << -3.0;
    QTest::newRow("round n<0") << "f_mround(7.5, -1)" << 8.0;
    QTest::newRow("round big n") << "f_mround(1234.5678, 2147483647)" << 1234.5678;
    QTest::newRow("range within") << "f_comparerange('AB10', 'AB15', 10, 3)" << 2.0;
    QTest::newRow("range overlap") << "f_comparerange('X100', 'X105', 10, 10)" << 1.0;
    QTest::newRow("range disjoint") << "f_comparerange('X100', 'X110', 10, 5)" << 0.0;
    QTest::newRow("range no digits") << "f_comparerange('abc', 'def', 1, 1)" << 2.0;
    QTest::newRow("range 1 in 2") << "f_comparerange('S20', 'S10', 5, 20)" << 1.0;
    QTest::newRow("range > 32 bits") << "f_comparerange('A4294967296', 'B4294967300', 5, 1)" << 2.0;
    QTest::newRow("newline length") << "char_length(f_newline())" << 1.0;
    QTest::newRow("newline code") << "ascii_val(f_newline())" << 13.0;
    // Dates as days (with fraction) from the server's day 0, 17.11.1858 0:00.
    QTest::newRow("asm 1.1.1900") << "f_asmdata(1, 1, 1900) - TIMESTAMP '1858-11-17 00:00:00'"
                                  << 15020.0;
    QTest::newRow("asm day 32") << "f_asmdata(32, 4, 2005) - TIMESTAMP '2005-04-30 00:00:00'"
                                << 0.0;
    QTest::newRow("asm leap") << "f_asmdata(99, 2, 2004) - TIMESTAMP '2004-02-29 00:00:00'" << 0.0;
    QTest::newRow("asm common") << "f_asmdata(99, 2, 2005) - TIMESTAMP '2005-02-28 00:00:00'"
                                << 0.0;
    QTest::newRow("asm from columns")
        << "f_asmdata(EXTRACT(DAY FROM DATE '2011-05-01'), EXTRACT(MONTH FROM DATE '2011-05-01'), "
           "EXTRACT(YEAR FROM DATE '2011-05-01')) - TIMESTAMP '2011-05-01 00:00:00'"
        << 0.0;
    // An invalid date leaves the record as the server passes it in: day 0, midnight.
    QTest::newRow("asm 31.4") << "f_asmdata(31, 4, 2005) - TIMESTAMP '1858-11-17 00:00:00'" << 0.0;
    QTest::newRow("asm month 13") << "f_asmdata(1, 13, 2005) - TIMESTAMP '1858-11-17 00:00:00'"
                                  << 0.0;
}

void TestKelmorSql::numbers() {
    QFETCH(QString, expr);
    QFETCH(double, expected);
    select(expr);
    QCOMPARE(m_q->fieldByName(QStringLiteral("R")).asDouble(), expected);
}

void TestKelmorSql::texts_data() {
    QTest::addColumn<QString>("expr");
    QTest::addColumn<QStringList>("params");
    QTest::addColumn<QString>("expected");
    const QString ini = QStringLiteral("[Получатель]\r\nимя=Иванов И.И.\r\nгород=Омск\r\n"
                                       "[Груз]\r\nимя=Трансформатор\r\n");
    QTest::newRow("extract name=") << kExtract << QStringList{ini, "имя="} << "Иванов И.И.";
    QTest::newRow("extract section")
        << kExtract << QStringList{ini, "[Получатель]"} << "имя=Иванов И.И.\r\nгород=Омск";
    QTest::newRow("extract last section")
        << kExtract << QStringList{ini, "[Груз]"} << "имя=Трансформатор";
    QTest::newRow("extract absent") << kExtract << QStringList{ini, "вес="} << "";
    QTest::newRow("extract empty value") << kExtract << QStringList{"a=\r\nb=2", "a="} << "";
    QTest::newRow("extract with newline()")
        << "f_extract('k=1' || f_newline() || 'm=2' || f_newline(), 'm=')" << QStringList{} << "2";
    QTest::newRow("setparam LF to CR LF")
        << kSetParam << QStringList{"a=1\nб=2\nc=3", "б=", "девять"}
        << "a=1\r\nб=девять\r\nc=3\r\n";
    QTest::newRow("setparam every line")
        << kSetParam << QStringList{"x=1\r\ny=2\r\nx=3", "x=", "0"} << "x=0\r\ny=2\r\nx=0\r\n";
    QTest::newRow("setparam no match")
        << kSetParam << QStringList{"x=1\ny=2\n", "z=", "0"} << "x=1\r\ny=2\r\n";
    // Long texts: a result longer than the declared 32765 bytes gives the input back.
    const QString shortLines = QStringLiteral("a\n").repeated(16000);
    QTest::newRow("setparam too long")
        << kSetParam << QStringList{shortLines, "b", "c"} << shortLines;
    QTest::newRow("setparam long")
        << kSetParam
        << QStringList{QString(20000, 'a') + "\n" + QString(12000, 'b'), "b", QString(4000, 'c')}
        << QString(20000, 'a') + "\r\nb" + QString(4000, 'c') + "\r\n";
    QTest::newRow("extract long") << kExtract
                                  << QStringList{"[S]\r\n" + QString(32000, 'x') + "\r\n[T]", "[S]"}
                                  << QString(32000, 'x');
    QTest::newRow("date") << "f_doubletodate(38449.5)" << QStringList{} << "07.04.2005";
    QTest::newRow("datetime") << "f_doubletodatetime(38449.5)" << QStringList{}
                              << "07.04.2005 12:00:00";
    QTest::newRow("datetime midnight") << "f_doubletodatetime(2)" << QStringList{} << "01.01.1900";
    QTest::newRow("date of a date column")
        << "f_doubletodate(DATE '2011-05-01' - DATE '1899-12-30')" << QStringList{} << "01.05.2011";
    QTest::newRow("datetime of a timestamp")
        << "f_doubletodatetime(TIMESTAMP '2011-05-01 09:05:07' - TIMESTAMP '1899-12-30 00:00:00')"
        << QStringList{} << "01.05.2011 9:05:07";
    QTest::newRow("date out of range") << "f_doubletodate(1e7)" << QStringList{} << "";
    QTest::newRow("datetime out of range") << "f_doubletodatetime(-1e7)" << QStringList{} << "";
}

void TestKelmorSql::texts() {
    QFETCH(QString, expr);
    QFETCH(QStringList, params);
    QFETCH(QString, expected);
    select(expr, params);
    QCOMPARE(m_q->fieldByName(QStringLiteral("R")).asString(), expected);
}

void TestKelmorSql::dateResult() {
    select(QStringLiteral("f_asmdata(15, 6, 2026)"));
    const QVariant v = m_q->fieldByName(QStringLiteral("R")).value();
    QCOMPARE(v.toDateTime(), QDateTime(QDate(2026, 6, 15), QTime(0, 0)));
    QCOMPARE(m_q->fieldByName(QStringLiteral("R")).asDate(), QDate(2026, 6, 15));
}

// The item query of the waybill window: grouped by the f_div price at position 7.
void TestKelmorSql::groupedItemQuery() {
    FbTransaction tr(*m_db);
    FbQuery q(*m_db, tr);
    TContTitle header;
    header.docno = QStringLiteral("K-1");
    Catalogue::insertContract(q, header, QString());
    const int title = Catalogue::lastContractNumber(q).value();

    struct Line {
        int elem;
        double quant, summa;
    };
    // elem 1: two lines of price 2.5 (one group) and one of price 3; elem 2: quantity 0.
    const Line lines[] = {{1, 4, 10}, {1, 2, 5}, {1, 1, 3}, {2, 0, 5}};
    Catalogue::ContractLineInsert insert(q, title);
    for (const Line& l : lines) {
        TContData d;
        d.elem = l.elem;
        d.kat = QStringLiteral("ТМ-100");
        d.recip = 5;
        d.data = QDate(2011, 5, 1);
        d.quant = l.quant;
        d.summa = l.summa;
        d.elemS = QStringLiteral("Изделие %1").arg(l.elem);
        d.unit = QStringLiteral("шт");
        insert.insert(d);
    }

    QStringList rows;
    for (const TContData& d : Catalogue::waybillItems(q, title, 5))
        rows << QStringLiteral("%1 %2 %3 %4").arg(d.elem).arg(d.price).arg(d.quant).arg(d.summa);
    rows.sort();
    QCOMPARE(rows, QStringList({"1 2.5 6 15", "1 3 1 3", "2 0 0 5"}));
    tr.rollback();
}

// The interactive tool on a freshly created database.
void TestKelmorSql::isqlOnFreshDatabase() {
    TestDb fresh(QStringLiteral("fresh.gdb"));
    QProcess isql;
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-user"),
                                           QStringLiteral("SYSDBA"), fresh.path()});
    QVERIFY(isql.waitForStarted());
    isql.write("select f_div(10, 4), f_div(10, 0) from rdb$database;\n");
    isql.closeWriteChannel();
    QVERIFY(isql.waitForFinished(60000));
    const QString out = QString::fromLatin1(isql.readAllStandardOutput());
    QCOMPARE(isql.exitCode(), 0);
    const QStringList words =
        out.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    QVERIFY2(words.size() >= 2, qPrintable(out));
    QCOMPARE(words.at(words.size() - 2).toDouble(), 2.5);
    QCOMPARE(words.at(words.size() - 1).toDouble(), 0.0);
}

// firebird.conf lets the server load function libraries from Kelmor's build directory only:
// a declaration of the same library copied elsewhere is refused.
void TestKelmorSql::udfAccessIsRestricted() {
    const QString copy = m_file->dir() + QStringLiteral("/libkelmor.so");
    QVERIFY(QFile::copy(QStringLiteral(TARVIK_BINARY_DIR "/udf-lib/libkelmor.so"), copy));
    FbTransaction tr(*m_db);
    FbQuery q(*m_db, tr);
    try {
        q.setSql({QStringLiteral("DECLARE EXTERNAL FUNCTION X_DIV DOUBLE PRECISION, "
                                 "DOUBLE PRECISION RETURNS DOUBLE PRECISION BY VALUE "
                                 "ENTRY_POINT 'ProtectDiv' MODULE_NAME '%1'")
                      .arg(copy)});
        q.execSql();
        tr.commit();
        q.close();
        q.setSql({QStringLiteral("SELECT x_div(10, 4) r FROM rdb$database")});
        q.open();
        QFAIL("a library outside the allowed directory was loaded");
    } catch (const DbError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("not allowed by server configuration")),
                 qPrintable(e.message()));
    }
    if (tr.inTransaction())
        tr.rollback();
}

// Every function through the server from several connections, each in its own thread: every
// row equals the one a single connection read before.
void TestKelmorSql::manyConnectionsAtOnce() {
    constexpr int kThreads = 4;
    constexpr int kQueries = 40;
    const auto sqlFor = [](int n) {
        return QStringLiteral(
                   "SELECT f_div(%1, 4) || '|' || f_mround(%1 / 3e0, 2) || '|' || "
                   "(f_asmdata(1 + MOD(%1, 28), 1 + MOD(%1, 12), 1990 + %1) - TIMESTAMP "
                   "'1858-11-17 00:00:00') || '|' || f_comparerange('S%1', 'S%2', 5, 1) || '|' || "
                   "f_extract('[A]' || f_newline() || ascii_char(10) || 'k=%1' || f_newline() || "
                   "'[B]', '[A]') || '|' || f_setparam('a=1' || ascii_char(10) || 'k=0', 'k=', "
                   "'%1') || '|' || f_doubletodate(40000 + %1) || '|' || "
                   "f_doubletodatetime(40000.25 + %1) || '|' || ascii_val(f_newline()) r "
                   "FROM rdb$database")
            .arg(n)
            .arg(n + 2);
    };
    QStringList expected;
    for (int n = 0; n < kQueries; ++n) {
        m_q->close();
        m_q->setSql({sqlFor(n)});
        m_q->open();
        expected << m_q->fieldByName(QStringLiteral("R")).asString();
    }
    QCOMPARE(expected.at(7), QStringLiteral("1.750000000000000|2.330000000000000|50668.000000000|"
                                            "2|k=7\r|a=1\r\nk=7\r\n|13.07.2009|"
                                            "13.07.2009 6:00:00|13"));

    std::atomic<int> done{0}, wrong{0}, failed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            try {
                FbDatabase db;
                db.setDatabaseName(m_file->path());
                db.open();
                FbTransaction tr(db);
                FbQuery q(db, tr);
                for (int i = 0; i < kQueries; ++i) {
                    const int n = (i + t * 11) % kQueries;
                    q.close();
                    q.setSql({sqlFor(n)});
                    q.open();
                    if (q.fieldByName(QStringLiteral("R")).asString() != expected.at(n))
                        ++wrong;
                    ++done;
                }
                tr.commit();
                db.close();
            } catch (const AppError&) {
                ++failed;
            }
        });
    }
    for (auto& th : threads)
        th.join();
    QCOMPARE(failed.load(), 0);
    QCOMPARE(done.load(), kThreads * kQueries);
    QCOMPARE(wrong.load(), 0);
}

QTEST_GUILESS_MAIN(TestKelmorSql)
#include "tst_kelmor_sql.moc"
