// Printed symbols found again in images: a page of sixteen, a barcode-only waybill, and a page
// turned as a scan or a photo would have it.
#include "core/cp1251.h"
#include "core/payload.h"
#include "core/symbolreading.h"
#include "core/symbolscan.h"
#include "docs/waybillprint.h"
#include "forms/pdf417converter.h"
#include "forms/renderer.h"

#include <QPainter>
#include <QtTest>

namespace {

QStringList symbolTexts(const QList<Reading::FoundSymbol>& found) {
    QStringList out;
    for (const Reading::FoundSymbol& s : found)
        if (s.kind == Reading::FoundSymbol::Kind::Pdf417)
            out << s.text;
    return out;
}

// A waybill's worth of shipped items.
TContDataList items(int count) {
    TContDataList list;
    for (int i = 0; i < count; ++i) {
        TContData d;
        d.elemC = QStringLiteral("3310%1").arg(i, 4, 10, QLatin1Char('0'));
        d.kat = QStringLiteral("Категория %1").arg(i % 3);
        d.factQuant = 2;
        d.factSumma = 31.2;
        d.serials = QStringLiteral("SN%1-a;SN%1-b;").arg(i);
        d.recipC = QStringLiteral("R-2101");
        list << d;
    }
    return list;
}

// The image turned by `angle` degrees on white paper, softened a little.
QImage turned(const QImage& page, double angle, bool blur) {
    QImage t = page.convertToFormat(QImage::Format_ARGB32)
                   .transformed(QTransform().rotate(angle), Qt::SmoothTransformation);
    if (blur)
        t = t.scaled(t.size() * 3 / 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .scaled(t.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage paper(t.size(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter p(&paper);
    p.drawImage(0, 0, t);
    return paper;
}

} // namespace

class TestDocumentRead : public QObject {
    Q_OBJECT
private slots:
    void sixteenOnAPage();
    void barcodeWaybill();
    void turnedPages_data();
    void turnedPages();
};

// A landscape page of 16 symbols, laid out as the appended symbol pages are, gives 16.
void TestDocumentRead::sixteenOnAPage() {
    const BarcodeText t = BuildBarcodeChunks(
        {QStringLiteral("rem"), QStringLiteral("1"), QDate(2026, 3, 5)}, items(200));
    QVERIFY(t.BarcodeChunks.size() >= 16);
    Forms::Variables vars;
    Forms::Report r(
        Forms::Template::fromJson(
            R"({"name": "p", "pages": [{"orientation": "landscape", "objects": []}]})", "p.json"),
        &vars);
    Pdf417Converter converter;
    for (int j = 0; j < 16; ++j)
        r.addTextObject(0, Docs::appendedSymbolRect(j), QStringLiteral("Code PDF417"), 8,
                        Forms::HAlign::Center, -7, converter.Convert(t.BarcodeChunks[j], -1, 8, 0));
    const QImage page = Forms::renderSheet(r.prepare().sheets.front(), 300);
    QStringList read = symbolTexts(Reading::scanImage(page));
    read.sort();
    QStringList expected = t.BarcodeChunks.mid(0, 16);
    expected.sort();
    QCOMPARE(read, expected);
}

// A barcode-only waybill: each sheet's symbol, all together giving the payload.
void TestDocumentRead::barcodeWaybill() {
    Docs::WaybillInput in;
    in.rem = QStringLiteral("Поставка");
    in.number = QStringLiteral("A-1");
    in.date = QDate(2026, 3, 5);
    in.type = Docs::BarcodeOnly;
    const TContDataList list = items(30);
    Docs::WaybillPrinter printer;
    Forms::Report* report = printer.print(in, list);
    QVERIFY(report);
    QStringList read;
    for (const Forms::Sheet& s : report->prepared().sheets)
        read << symbolTexts(Reading::scanImage(Forms::renderSheet(s, 300)));
    const Reading::Reassembled r = Reading::reassemble(read);
    QVERIFY2(r.complete(), qPrintable(r.errors.join('\n')));
    QCOMPARE(r.payload, printer.barcodes().BarcodePayload);
}

void TestDocumentRead::turnedPages_data() {
    QTest::addColumn<double>("angle");
    QTest::addColumn<bool>("blur");
    QTest::newRow("a quarter turn") << 90.0 << false;
    QTest::newRow("7 degrees, blurred") << 7.0 << true;
    QTest::newRow("-5 degrees") << -5.0 << false;
}

void TestDocumentRead::turnedPages() {
    QFETCH(double, angle);
    QFETCH(bool, blur);
    const QString text = QStringLiteral("<N0101Поставка#A-1-05.03.2026#05.03.2026#R#1#2#3#4##046>");
    Pdf417Converter converter;
    Forms::Report r = Forms::Report::load(QStringLiteral("frBarCode"));
    r.onManualBuild = [&](Forms::ReportBuilder& b) {
        Forms::Variables::global().set(QStringLiteral("code"), converter.Convert(text, -1, 7, 0));
        b.showBand(QStringLiteral("MasterHeader1"));
    };
    const QImage page = Forms::renderSheet(r.prepare().sheets.front(), 300);
    QCOMPARE(symbolTexts(Reading::scanImage(turned(page, angle, blur))), QStringList{text});
}

QTEST_MAIN(TestDocumentRead)
#include "tst_documentread.moc"
