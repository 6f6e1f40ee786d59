// The label rules: the barcode number field, the per-package quantity typed into the grid, and
// the label item lines read from a real database.
#include "core/apperror.h"
#include "core/labels.h"
#include "labelfixture.h"
#include "testdb.h"

#include <QtTest/QtTest>
#include <algorithm>
#include <cmath>
#include <limits>

class TestLabels : public QObject {
    Q_OBJECT
private slots:
    void formatBarNumber_data();
    void formatBarNumber();
    void perPackage_data();
    void perPackage();
    void loadItemsGrouping();
    void barcodeTexts();
};

void TestLabels::formatBarNumber_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("field"); // empty: refused
    const QString comma = QStringLiteral(","), dot = QStringLiteral(".");
    QTest::newRow("12.5") << 12.5 << comma << "000000001250000";
    QTest::newRow("0") << 0.0 << comma << "000000000000000";
    QTest::newRow("1234.56") << 1234.56 << comma << "000000123456000";
    QTest::newRow("0.123456 cut") << 0.123456 << comma << "000000000012345";
    QTest::newRow("0.999999 cut, not rounded") << 0.999999 << comma << "000000000099999";
    QTest::newRow("1234.56, point separator") << 1234.56 << dot << "000000123456000";
    QTest::newRow("lowest: 0.00001") << 0.00001 << comma << "000000000000001";
    QTest::newRow("0.000015") << 0.000015 << comma << "000000000000001";
    QTest::newRow("highest: 9999999999.99999") << 9999999999.99999 << comma << "999999999999999";
    QTest::newRow("shown as 10 is 10") << 9.999999999999998 << comma << "000000001000000";
    QTest::newRow("below: 0.000009") << 0.000009 << comma << "";
    QTest::newRow("below: 1.5e-6") << 1.5e-6 << comma << "";
    QTest::newRow("10^10") << 1e10 << comma << "";
    QTest::newRow("shown as 10^10") << 9999999999.999999 << comma << "";
    QTest::newRow("1e20") << 1e20 << comma << "";
    QTest::newRow("negative") << -1.0 << comma << "";
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << comma << "";
}

void TestLabels::formatBarNumber() {
    QFETCH(double, value);
    QFETCH(QString, separator);
    QFETCH(QString, field);
    Regional r;
    r.decimalSeparator = separator.at(0);
    const Regional saved = Regional::current();
    Regional::setCurrent(r);
    QCOMPARE(Labels::fitsBarNumber(value), !field.isEmpty());
    try {
        const QString got = Labels::FormatBarNumber(value);
        Regional::setCurrent(saved);
        QCOMPARE(got, field);
    } catch (const AppError& e) {
        Regional::setCurrent(saved);
        QVERIFY2(field.isEmpty(), qPrintable(e.message()));
        QVERIFY2(e.message().startsWith(QStringLiteral("Число ")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("не помещается в поле штрихкода")),
                 qPrintable(e.message()));
    }
}

void TestLabels::perPackage_data() {
    QTest::addColumn<double>("quant");
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<double>("factQuant");
    QTest::addColumn<double>("factSumma");
    // The record starts with factQuant 4 and factSumma 50 (price 12.5).
    QTest::newRow("within quant") << 10.0 << 12.5 << "3" << true << 3.0 << 37.5;
    QTest::newRow("-5 with quant 10") << 10.0 << 12.5 << "-5" << true << 5.0 << 62.5;
    QTest::newRow("-50 with quant 10") << 10.0 << 12.5 << "-50" << true << 10.0 << 125.0;
    QTest::newRow("over quant") << 10.0 << 12.5 << "12" << true << 10.0 << 125.0;
    QTest::newRow("decimal comma") << 10.0 << 12.5 << "2,5" << true << 2.5 << 31.25;
    QTest::newRow("comma while typing") << 10.0 << 12.5 << "2," << true << 2.0 << 25.0;
    QTest::newRow("sum rounded half to even") << 10.0 << 0.25 << "0,5" << true << 0.5 << 0.12;
    QTest::newRow("sum rounded") << 10.0 << 3.333 << "3" << true << 3.0 << 10.0;
    QTest::newRow("letters") << 10.0 << 12.5 << "abc" << false << 4.0 << 50.0;
    QTest::newRow("digits and letters") << 10.0 << 12.5 << "5ш" << false << 4.0 << 50.0;
    QTest::newRow("empty") << 10.0 << 12.5 << "" << false << 4.0 << 50.0;
    QTest::newRow("point is not the separator") << 10.0 << 12.5 << "2.5" << false << 4.0 << 50.0;
}

void TestLabels::perPackage() {
    QFETCH(double, quant);
    QFETCH(double, price);
    QFETCH(QString, text);
    QFETCH(bool, taken);
    QFETCH(double, factQuant);
    QFETCH(double, factSumma);
    TContData d;
    d.quant = quant;
    d.price = price;
    d.factQuant = 4;
    d.factSumma = 50;
    QCOMPARE(Labels::setPerPackage(d, text), taken);
    QCOMPARE(d.factQuant, factQuant);
    QCOMPARE(d.factSumma, factSumma);
}

void TestLabels::loadItemsGrouping() {
    TestDb db;
    DbConnection c(db.path());
    c.dbTarvik.open();
    using labelfixture::line;
    const int number = labelfixture::seedContract(
        c, QStringLiteral("К-1"), QStringLiteral("12345"),
        {line(7, 1, QStringLiteral("111"), 2, 20),   // price 10
         line(7, 1, QStringLiteral("111"), 3, 36),   // price 12: a row of its own
         line(7, 2, QStringLiteral("222"), 2, 21),   // price 10.5
         line(7, 2, QStringLiteral("222"), 4, 42),   // price 10.5: summed with the line above
         line(7, 3, QStringLiteral("333"), 0, 5),    // quantity 0: price 0
         line(7, 4, QStringLiteral("444"), 3, 10),   // price 3.333...: 3.33
         line(8, 1, QStringLiteral("111"), 9, 90)}); // another recipient
    TContDataList items = Labels::loadItems(c.qTarvik, number, 7);
    std::sort(items.begin(), items.end(), [](const TContData& a, const TContData& b) {
        return a.elem != b.elem ? a.elem < b.elem : a.price < b.price;
    });
    QCOMPARE(items.size(), 5);
    struct Row {
        int elem;
        double quant, summa, price;
    };
    const Row expected[] = {
        {1, 2, 20, 10}, {1, 3, 36, 12}, {2, 6, 63, 10.5}, {3, 0, 5, 0}, {4, 3, 10, 3.33}};
    for (int i = 0; i < 5; ++i) {
        const TContData& d = items[i];
        QCOMPARE(d.elem, expected[i].elem);
        QCOMPARE(d.quant, expected[i].quant);
        QCOMPARE(d.summa, expected[i].summa);
        QCOMPARE(d.price, expected[i].price);
        QCOMPARE(d.factQuant, 0.0);
        QCOMPARE(d.factSumma, 0.0);
        QCOMPARE(d.unit, QStringLiteral("шт"));
        QCOMPARE(d.elemS, QStringLiteral("Бинт марлевый"));
        QCOMPARE(d.data, QDate(2026, 2, 16));
        QVERIFY(d.recipC.isEmpty());
        QVERIFY(d.comment.isEmpty());
    }
    QVERIFY(Labels::loadItems(c.qTarvik, number, 99).isEmpty());
}

void TestLabels::barcodeTexts() {
    TContData d;
    d.elemC = QStringLiteral("9393110");
    d.factQuant = 12.5;
    d.factSumma = 1234.56;
    const Labels::BarcodeTexts t = Labels::barcodeTexts(QStringLiteral("ПР-0041/26"), d);
    QCOMPARE(t.contract, QStringLiteral("ПР-0041/26"));
    QCOMPARE(t.elem, QStringLiteral("099393110"));
    QCOMPARE(t.quant, QStringLiteral("2000000001250000"));
    QCOMPARE(t.summa, QStringLiteral("3000000123456000"));
    const TContData fresh;
    QCOMPARE(Labels::barcodeTexts(QString(), fresh).quant, QStringLiteral("2000000000000000"));
    QCOMPARE(Labels::barcodeTexts(QString(), fresh).summa, QStringLiteral("3000000000000000"));
    d.factSumma = 2e10;
    try {
        Labels::barcodeTexts(QString(), d);
        QFAIL("a sum of 2E10 was written into the barcode");
    } catch (const AppError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("barSumma")), qPrintable(e.message()));
    }
}

QTEST_MAIN(TestLabels)
#include "tst_labels.moc"
