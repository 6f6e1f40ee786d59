// Reading a waybill's symbol texts and a label's codes back: frames, reassembly and its
// damage, the payload's fields, the label's numbers.
#include "core/payload.h"
#include "core/symbolreading.h"

#include <QtTest/QtTest>

namespace {

TContDataList shipment() {
    TContDataList items;
    auto add = [&](const QString& code, const QString& kat, double q, double s,
                   const QString& serials) {
        TContData d;
        d.elemC = code;
        d.kat = kat;
        d.factQuant = q;
        d.factSumma = s;
        d.serials = serials;
        d.recipC = QStringLiteral("R-2101");
        items << d;
    };
    add(QStringLiteral("33101"), QStringLiteral("ТМ"), 0, 0, QString()); // not shipped
    add(QStringLiteral("33102"), QString(), 2.5, 31.25, QStringLiteral("a1;b2;"));
    for (int i = 0; i < 60; ++i)
        add(QStringLiteral("4%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("Категория"), 3,
            1234567.5, QStringLiteral("Z%1;").arg(i));
    return items;
}

const WaybillHeader kHeader{QStringLiteral("Поставка #41"), QStringLiteral("A-1"),
                            QDate(2026, 3, 5)};

} // namespace

class TestSymbolReading : public QObject {
    Q_OBJECT
private slots:
    void roundTrip();
    void threeDigitFields();
    void damage_data();
    void damage();
    void labelCodes_data();
    void labelCodes();
};

// What the printer frames and splits comes back whole, in any order, read twice or not.
void TestSymbolReading::roundTrip() {
    const BarcodeText t = BuildBarcodeChunks(
        {QStringLiteral("Поставка 41"), kHeader.number, kHeader.date}, shipment());
    QVERIFY(t.BarcodeChunks.size() > 3);
    QStringList scanned = t.BarcodeChunks;
    std::reverse(scanned.begin(), scanned.end());
    scanned << t.BarcodeChunks.first();
    const Reading::Reassembled r = Reading::reassemble(scanned);
    QVERIFY2(r.complete(), qPrintable(r.errors.join('\n')));
    QCOMPARE(r.payload, t.BarcodePayload);
    QString why;
    const auto d = Reading::splitPayload(r.payload, &why);
    QVERIFY2(d, qPrintable(why));
    QCOMPARE(d->rem, QStringLiteral("Поставка 41"));
    QCOMPARE(d->number, QStringLiteral("A-1"));
    QCOMPARE(d->date, QStringLiteral("05.03.2026"));
    QCOMPARE(d->recipC, QStringLiteral("R-2101"));
    QCOMPARE(d->items.size(), 61);
    QCOMPARE(d->items[0].elemC, QStringLiteral("33102"));
    QCOMPARE(d->items[0].quantity, QStringLiteral("2,5"));
    QCOMPARE(d->items[0].serials, (QStringList{"a1", "b2"}));
    QCOMPARE(d->items[60].sum, QStringLiteral("1234567,5"));
}

void TestSymbolReading::damage_data() {
    QTest::addColumn<QStringList>("symbols");
    QTest::addColumn<QString>("error");
    const QStringList twelve = splitBarcodePayload(QString(12 * 400, QLatin1Char('x')));
    QStringList gaps = twelve;
    gaps.removeAt(6);
    gaps.removeAt(2);
    QTest::newRow("symbols 3 and 7 missing") << gaps << "нет символов 3 и 7 из 12";
    QStringList one = twelve;
    one.removeAt(11);
    QTest::newRow("the last one missing") << one << "нет символа 12 из 12";
    QStringList length = twelve;
    length[4].replace(length[4].size() - 4, 3, QStringLiteral("399"));
    QTest::newRow("a length field changed") << length << "поле длины";
    const QStringList other = splitBarcodePayload(QString(5 * 400, QLatin1Char('y')));
    QTest::newRow("two waybills' sheets mixed")
        << twelve.mid(0, 6) + other.mid(0, 3) << "двух разных накладных";
    QStringList same = twelve;
    same << splitBarcodePayload(QString(12 * 400, QLatin1Char('z')))[3];
    QTest::newRow("one index, two texts") << same << "двух разных накладных";
    QTest::newRow("not a frame") << QStringList{"hello"} << "без рамки";
    QTest::newRow("nothing read") << QStringList{} << "ни одного символа";
    QStringList many = splitBarcodePayload(QString(266 * 400, QLatin1Char('m')));
    many.removeAt(104);
    many.removeAt(9);
    QTest::newRow("three-digit count: index 10 and 105 missing")
        << many << "нет символов 10 и 105 из 266";
}

// Three-digit counts and indices: index 100 of 266 is not taken for index 10.
void TestSymbolReading::threeDigitFields() {
    QString payload;
    for (int i = 0; payload.size() < 266 * 400 - 50; ++i)
        payload += QStringLiteral("%1#").arg(i);
    const QStringList chunks = splitBarcodePayload(payload);
    QVERIFY(chunks.size() > 100);
    const Reading::Reassembled r = Reading::reassemble(chunks);
    QVERIFY2(r.complete(), qPrintable(r.errors.join('\n').left(300)));
    QCOMPARE(r.payload, payload);
}

void TestSymbolReading::damage() {
    QFETCH(QStringList, symbols);
    QFETCH(QString, error);
    const Reading::Reassembled r = Reading::reassemble(symbols);
    QVERIFY(!r.complete());
    QVERIFY2(r.errors.join('\n').contains(error), qPrintable(r.errors.join('\n')));
}

void TestSymbolReading::labelCodes_data() {
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QString>("contract");
    QTest::addColumn<QString>("elemC");
    QTest::addColumn<double>("quantity");
    QTest::addColumn<double>("sum");
    QTest::newRow("even item code")
        << QStringList{"2000000001250000", "0933101", "3000000195000000", "41170041"} << "41170041"
        << "33101" << 12.5 << 1950.0;
    QTest::newRow("odd item code, padded by set C")
        << QStringList{"009331012", "2000000000000000", "3000000000000000", "0163"} << "0163"
        << "331012" << 0.0 << 0.0;
    QTest::newRow("five decimals")
        << QStringList{"3000000000012345", "2000000123456000", "0977", "12345678"} << "12345678"
        << "77" << 1234.56 << 0.12345;
}

void TestSymbolReading::labelCodes() {
    QFETCH(QStringList, codes);
    QString why;
    const auto l = Reading::readLabelCodes(codes, &why);
    QVERIFY2(l, qPrintable(why));
    QTEST(l->contract, "contract");
    QTEST(l->elemC, "elemC");
    QTEST(l->quantity, "quantity");
    QTEST(l->sum, "sum");
    QVERIFY(!Reading::readLabelCodes(codes.mid(0, 3)));
}

QTEST_APPLESS_MAIN(TestSymbolReading)
#include "tst_symbolreading.moc"
