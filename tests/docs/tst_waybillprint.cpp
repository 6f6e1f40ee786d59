// The waybill print sequence: row variables, what prints nothing, and every symbol of a printed
// waybill read back by an independent decoder and put together again.
#include "core/apperror.h"
#include "core/cp1251.h"
#include "core/symbolreading.h"
#include "docs/waybillprint.h"
#include "forms/renderer.h"
#include "symbolread.h"

#include <QtTest>
#include <algorithm>

namespace {

TContDataList shippedItems(int count, int serialsEach) {
    TContDataList items;
    for (int i = 0; i < count; ++i) {
        TContData d;
        d.elemC = QStringLiteral("3310%1").arg(i, 4, 10, QLatin1Char('0'));
        d.elemS = QStringLiteral("Изделие медицинское № %1").arg(i + 1);
        d.kat = QStringLiteral("ТМ-%1").arg(i % 3);
        d.recipC = QStringLiteral("R-2101");
        d.quant = 50;
        d.price = 12.5;
        d.factQuant = i % 4 == 1 ? 0 : 5; // every fourth record from the second is not shipped
        d.factSumma = d.factQuant * d.price;
        for (int s = 0; s < serialsEach && d.factQuant > 0; ++s)
            d.serials += QStringLiteral("СН%1-%2;")
                             .arg(i)
                             .arg(s)
                             .replace(QStringLiteral("СН"), QStringLiteral("SN"));
        items << d;
    }
    return items;
}

Docs::WaybillInput input(int type) {
    Docs::WaybillInput in;
    in.docno = QStringLiteral("0163200000326004117-0041");
    in.contractDate = QDate(2026, 1, 12);
    in.rem = QStringLiteral("Поставка перевязочных средств");
    in.number = QStringLiteral("A-7/1");
    in.date = QDate(2026, 3, 5);
    in.type = type;
    in.values.nds = 20;
    return in;
}

} // namespace

class TestWaybillPrint : public QObject {
    Q_OBJECT
private slots:
    void rowVariables_data();
    void rowVariables();
    void nothingToPrint();
    void barcodeSheetsReadBack();
    void spoiledSymbolStopsThePrint();
};

void TestWaybillPrint::rowVariables_data() {
    QTest::addColumn<double>("factQuant");
    QTest::addColumn<double>("factSumma");
    QTest::addColumn<int>("nds");
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("price");
    QTest::addColumn<double>("sumwnds");
    QTest::addColumn<double>("sumnds");
    QTest::newRow("TORG-12, 20 %")
        << 3.0 << 100.0 << 20 << int(Docs::Torg12) << 27.778 << 83.33 << 16.67;
    QTest::newRow("TORG-12, no VAT")
        << 3.0 << 100.0 << 0 << int(Docs::Torg12) << 33.333 << 100.0 << 0.0;
    QTest::newRow("1-T keeps the loaded price")
        << 3.0 << 100.0 << 20 << int(Docs::OneT) << 12.5 << 83.33 << 16.67;
}

void TestWaybillPrint::rowVariables() {
    QFETCH(double, factQuant);
    QFETCH(double, factSumma);
    QFETCH(int, nds);
    QFETCH(int, type);
    TContData d;
    d.price = 12.5;
    d.factQuant = factQuant;
    d.factSumma = factSumma;
    const Docs::RowValues v = Docs::rowValues(d, 1, nds, type);
    QCOMPARE(v.npp, QStringLiteral("2"));
    QTEST(v.price, "price");
    QTEST(v.sumwnds, "sumwnds");
    QTEST(v.sumnds, "sumnds");
}

void TestWaybillPrint::nothingToPrint() {
    Docs::WaybillPrinter printer;
    QVERIFY(!printer.print(input(Docs::BarcodeOnly), {}));
    // A type typed into the box instead of chosen prints nothing.
    QVERIFY(!printer.print(input(-1), shippedItems(2, 0)));
    QVERIFY(!printer.print(input(7), shippedItems(2, 0)));
}

// The barcode-only waybill: one 72 x 50 mm sheet per symbol, each symbol reading back to its
// text, the texts together giving the payload.
void TestWaybillPrint::barcodeSheetsReadBack() {
    const TContDataList items = shippedItems(40, 2);
    Docs::WaybillPrinter printer;
    Forms::Report* report = printer.print(input(Docs::BarcodeOnly), items);
    QVERIFY(report);
    const BarcodeText& b = printer.barcodes();
    QCOMPARE(b.BarcodeChunks.size(), 3);
    QVERIFY(b.BarcodePayload.startsWith(
        QStringLiteral("Поставка перевязочных средств#A-7/1-05.03.2026#05.03.2026#R-2101#")));
    const auto& sheets = report->prepared().sheets;
    QCOMPARE(int(sheets.size()), 3);
    QCOMPARE(printer.symbolsChecked(), 3); // the print read its own symbols back
    QList<QByteArray> read;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        QCOMPARE(sheets[i].sizeMm, QSizeF(72, 50));
        const QList<QByteArray> symbols =
            readAllSymbolBytes(Forms::renderSheet(sheets[i], 300), ZXing::BarcodeFormat::PDF417);
        QCOMPARE(symbols.size(), 1);
        QCOMPARE(symbols.first(), Cp1251::encode(b.BarcodeChunks[int(i)]));
        read << symbols.first();
    }
    std::reverse(read.begin(), read.end()); // order does not matter to the reader
    QStringList texts;
    for (const QByteArray& s : read)
        texts << Cp1251::decode(s);
    const Reading::Reassembled whole = Reading::reassemble(texts);
    QVERIFY2(whole.complete(), qPrintable(whole.errors.join('\n')));
    QCOMPARE(whole.payload, b.BarcodePayload);
}

// A symbol that does not read back is an error, not a document shown with wrong codes.
void TestWaybillPrint::spoiledSymbolStopsThePrint() {
    Docs::WaybillPrinter printer;
    printer.symbolHook = [](QImage& image, int symbol) {
        if (symbol == 1)
            image.fill(Qt::white);
    };
    try {
        printer.print(input(Docs::BarcodeOnly), shippedItems(40, 2));
        QFAIL("the print went on");
    } catch (const AppError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("не читается")), qPrintable(e.message()));
    }
    // Without the spoiling, the same printer prints again.
    printer.symbolHook = nullptr;
    QVERIFY(printer.print(input(Docs::BarcodeOnly), shippedItems(40, 2)));
    QCOMPARE(printer.symbolsChecked(), int(printer.barcodes().BarcodeChunks.size()));
}

QTEST_MAIN(TestWaybillPrint)
#include "tst_waybillprint.moc"
