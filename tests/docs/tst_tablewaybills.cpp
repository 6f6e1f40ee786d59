// TORG-12 and 1-T printed through the whole print sequence: every sheet drawn at 300 dpi, every
// PDF417 symbol on it found and read by the independent decoder, and the texts put together
// again giving exactly the waybill's payload; the symbols beyond the table on appended pages.
#include "core/symbolreading.h"
#include "core/symbolscan.h"
#include "docs/waybillprint.h"
#include "forms/renderer.h"

#include <QtTest>

namespace {

// `count` shipped items, each with `serials` serial numbers of 18 characters.
TContDataList shipment(int count, int serials, bool cyrillic = false) {
    TContDataList items;
    for (int i = 0; i < count; ++i) {
        TContData d;
        d.elemC = QStringLiteral("3310%1").arg(i, 4, 10, QLatin1Char('0'));
        d.elemS = QStringLiteral("Бинт марлевый медицинский нестерильный, позиция %1").arg(i + 1);
        d.kat = cyrillic ? QStringLiteral("Категория высшая ЖЁСТКАЯ упаковка №%1").arg(i)
                         : QStringLiteral("ТМ-1");
        d.unit = QStringLiteral("шт");
        d.gost = QStringLiteral("ГОСТ 1172-93");
        d.recipC = QStringLiteral("R-2101");
        d.quant = 1000;
        d.price = 15.6;
        d.factQuant = std::max(1, serials);
        d.factSumma = d.factQuant * d.price;
        for (int s = 0; s < serials; ++s)
            d.serials += QStringLiteral("SN-%1-%2-ABCDEFGH")
                             .arg(i, 3, 10, QLatin1Char('0'))
                             .arg(s, 3, 10, QLatin1Char('0'));
        if (serials > 0)
            d.serials = d.serials.replace(QStringLiteral("ABCDEFGH"), QStringLiteral("ABCDEFG;"));
        items << d;
    }
    return items;
}

Docs::WaybillInput input(int type, const QString& rem) {
    Docs::WaybillInput in;
    in.docno = QStringLiteral("0163200000326004117-0041");
    in.contractDate = QDate(2026, 1, 12);
    in.rem = rem;
    in.number = QStringLiteral("A-7/1");
    in.date = QDate(2026, 3, 5);
    in.type = type;
    in.values.nds = 20;
    in.values.prov = QStringLiteral("ООО Медтекстиль, ИНН 3702104455");
    in.values.recip = QStringLiteral("ГБУЗ ОКБ");
    return in;
}

} // namespace

class TestTableWaybills : public QObject {
    Q_OBJECT
private slots:
    void symbolsReadBack_data();
    void symbolsReadBack();
    void printingTwiceDoesNotAccumulate();
};

void TestTableWaybills::symbolsReadBack_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("serials");
    QTest::addColumn<bool>("cyrillic");
    QTest::addColumn<int>("appended"); // symbols on appended pages, -1: not checked
    const int torg = Docs::Torg12, oneT = Docs::OneT;
    QTest::newRow("TORG-12, one sheet, 3 symbols") << torg << 3 << 18 << false << 2;
    QTest::newRow("TORG-12, several sheets") << torg << 40 << 1 << false << -1;
    QTest::newRow("TORG-12, 17 symbols beyond the table") << torg << 4 << 90 << false << 17;
    QTest::newRow("TORG-12, Cyrillic fields") << torg << 30 << 0 << true << -1;
    QTest::newRow("1-T, one sheet") << oneT << 3 << 18 << false << 2;
    QTest::newRow("1-T, several sheets") << oneT << 40 << 1 << false << -1;
}

void TestTableWaybills::symbolsReadBack() {
    QFETCH(int, type);
    QFETCH(int, items);
    QFETCH(int, serials);
    QFETCH(bool, cyrillic);
    QFETCH(int, appended);
    const QString rem = cyrillic ? QString(300, QChar(u'Ж')) : QStringLiteral("Поставка 41");
    const TContDataList list = shipment(items, serials, cyrillic);
    Docs::WaybillPrinter printer;
    Forms::Report* report = printer.print(input(type, rem), list);
    QVERIFY(report);
    const BarcodeText& b = printer.barcodes();
    const int n = int(b.BarcodeChunks.size());
    if (appended >= 0)
        QCOMPARE(n - printer.symbolsOnSheets(), appended);
    const auto& sheets = report->prepared().sheets;
    const int appendedPages = (n - printer.symbolsOnSheets() + 15) / 16;
    const int firstAppended = int(sheets.size()) - appendedPages;
    QStringList read;
    for (int s = 0; s < int(sheets.size()); ++s) {
        const Forms::Sheet& sheet = sheets[std::size_t(s)];
        int symbols = 0;
        for (const Reading::FoundSymbol& f : Reading::scanImage(Forms::renderSheet(sheet, 300)))
            if (f.kind == Reading::FoundSymbol::Kind::Pdf417) {
                read << f.text;
                ++symbols;
            }
        // A sheet of the table shows its own symbol; the closing sheets and a sheet holding
        // only the totals show none; an appended page up to 16.
        if (sheet.bands.contains(QStringLiteral("MasterHeader1")))
            QCOMPARE(symbols, s < n ? 1 : 0);
        else if (s < firstAppended)
            QCOMPARE(symbols, 0);
        else if (s == firstAppended)
            QCOMPARE(symbols, std::min(16, n - printer.symbolsOnSheets()));
    }
    const Reading::Reassembled r = Reading::reassemble(read);
    QVERIFY2(r.complete(), qPrintable(r.errors.join('\n')));
    QCOMPARE(r.payload, b.BarcodePayload);
    if (appended == 2 || appended == 17) {
        // The appended symbols fill the landscape page row by row from (20, 20), 272 apart.
        const Forms::Sheet& page = sheets[std::size_t(firstAppended)];
        QVERIFY(page.sizeUnits.width() > page.sizeUnits.height());
        QList<QPointF> places;
        for (const Forms::Primitive& p : page.items)
            if (p.type == Forms::Primitive::Type::Pdf417)
                places << p.rect.topLeft() - QPointF(2, 1);
        QCOMPARE(places.value(0), QPointF(20, 20));
        QCOMPARE(places.value(1), QPointF(292, 20));
        if (appended == 17) {
            QCOMPARE(places.value(4), QPointF(20, 205));
            QCOMPARE(places.size(), 16);
            QCOMPARE(appendedPages, 2);
        }
    }
}

// A second print of the same report starts again from its own form pages.
void TestTableWaybills::printingTwiceDoesNotAccumulate() {
    Docs::WaybillPrinter printer;
    const TContDataList list = shipment(4, 90);
    Forms::Report* first = printer.print(input(Docs::Torg12, QStringLiteral("x")), list);
    QVERIFY(first);
    const int pages = first->pageCount();
    const std::size_t sheets = first->prepared().sheets.size();
    Forms::Report* second = printer.print(input(Docs::Torg12, QStringLiteral("x")), list);
    QCOMPARE(second->pageCount(), pages);
    QCOMPARE(second->prepared().sheets.size(), sheets);
}

QTEST_MAIN(TestTableWaybills)
#include "tst_tablewaybills.moc"
