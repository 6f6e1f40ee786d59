// "tarvik recipients" and "tarvik items" on the sample contract, run as processes.
#include "runtarvik.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kSample = QStringLiteral(TARVIK_SOURCE_DIR "/samples/contract-2026-0041.dat");

} // namespace

class TestCliWaybill : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_db;

private slots:
    void initTestCase() {
        m_db = m_dir.filePath(QStringLiteral("w.gdb"));
        QCOMPARE(runTarvik({"create-db", m_db}).code, 0);
        const TarvikRun r = runTarvik({"import", "--db", m_db, kSample});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.trimmed(), QStringLiteral("1"));
    }

    // The recipient list in the window's order: by name.
    void recipients() {
        const TarvikRun r = runTarvik({"recipients", "--db", m_db, "--contract", "1"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.err.isEmpty());
        QCOMPARE(r.out, QStringLiteral("2103\tГБУЗ ДОБ\n"
                                       "2101\tГБУЗ ОКБ\n"
                                       "2104\tГБУЗ Онкодиспансер\n"
                                       "2102\tГБУЗ ЦРБ Заречье\n"));
    }

    void items_data() {
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QStringList>("lines");
        const QString header = QStringLiteral(
            "row\trecipC\telem\telemC\telemS\tkat\tgost\tdata\tquant\tsumma\tprice\tunit\tcomment");
        QTest::newRow("first recipient")
            << "2103"
            << QStringList{
                   header,
                   "1\t2200302\t3101\t9393110\tБинт марлевый медицинский нестерильный 7 м х 14 "
                   "см\t1\tГОСТ 1172-93\t02.03.2026\t1200\t18720\t15,6\tшт\t",
                   "2\t2200302\t3102\t9393120\tБинт марлевый медицинский стерильный 5 м х 10 "
                   "см\t1\tГОСТ 1172-93\t02.03.2026\t2000\t37000\t18,5\tшт\t",
                   "3\t2200302\t3104\t9393310\tСалфетки марлевые медицинские стерильные 16 х 14 "
                   "см N 20\t1\tГОСТ 16427-93\t16.03.2026\t700\t29610\t42,3\tнабор\t",
                   "4\t2200302\t3107\t9444130\tПерчатки хирургические латексные стерильные, "
                   "размер 7,5\t1\tГОСТ Р 52238-2004\t16.02.2026\t1500\t27750\t18,5\tпар\t"};
        // Remarks and an empty category.
        QTest::newRow("with remarks")
            << "2101"
            << QStringList{header,
                           "1\t2200117\t3101\t9393110\tБинт марлевый медицинский нестерильный 7 "
                           "м х 14 см\t1\tГОСТ 1172-93\t16.02.2026\t4000\t62400\t15,6\tшт\t",
                           "2\t2200117\t3102\t9393120\tБинт марлевый медицинский стерильный 5 м "
                           "х 10 см\t1\tГОСТ 1172-93\t16.02.2026\t3000\t55500\t18,5\tшт\t",
                           "3\t2200117\t3103\t9393210\tВата медицинская гигроскопическая "
                           "хирургическая нестерильная 250 г\t\tГОСТ 5556-81\t16.02.2026\t600\t"
                           "54600\t91\tшт\tУпаковка по 250 г",
                           "4\t2200117\t3104\t9393310\tСалфетки марлевые медицинские стерильные "
                           "16 х 14 см N 20\t1\tГОСТ 16427-93\t16.03.2026\t1000\t42300\t42,3\t"
                           "набор\t",
                           "5\t2200117\t3106\t9393410\tМарля медицинская отбеленная, плотность "
                           "36 г/м2\t\tГОСТ 9412-93\t01.04.2026\t5000\t71500\t14,3\tм\tОтгрузка "
                           "рулонами по 1000 м",
                           "6\t2200117\t3107\t9444130\tПерчатки хирургические латексные "
                           "стерильные, размер 7,5\t1\tГОСТ Р 52238-2004\t16.02.2026\t2500\t"
                           "46250\t18,5\tпар\t"};
    }
    void items() {
        QFETCH(QString, recipient);
        QFETCH(QStringList, lines);
        const TarvikRun r =
            runTarvik({"items", "--db", m_db, "--contract", "1", "--recipient", recipient});
        QCOMPARE(r.code, 0);
        QVERIFY(r.err.isEmpty());
        QCOMPARE(r.out.split('\n'), lines + QStringList{QString()});
    }

    void errors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown contract")
            << QStringList{"items", "--contract", "7", "--recipient", "2101"}
            << "Контракт 7 не найден";
        QTest::newRow("recipients of an unknown contract")
            << QStringList{"recipients", "--contract", "7"} << "Контракт 7 не найден";
        QTest::newRow("unknown recipient")
            << QStringList{"items", "--contract", "1", "--recipient", "1502"}
            << "У контракта 1 нет получателя 1502";
        QTest::newRow("no recipient") << QStringList{"items", "--contract", "1"} << "--recipient";
        QTest::newRow("no contract") << QStringList{"recipients"} << "--contract";
        QTest::newRow("not a number")
            << QStringList{"recipients", "--contract", "x"} << "--contract: x";
        QTest::newRow("extra words")
            << QStringList{"recipients", "--contract", "1", "more"} << "more";
    }
    void errors() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        args << "--db" << m_db;
        const TarvikRun r = runTarvik(args);
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TestCliWaybill)
#include "tst_cliwaybill.moc"
