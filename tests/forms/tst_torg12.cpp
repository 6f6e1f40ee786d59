// The TORG-12 waybill template: its texts and positions read back from the PDF, sheet breaks,
// sheet and grand totals, number forms, tall rows and the closing sheet.
#include "forms/pdf417converter.h"
#include "forms/renderer.h"
#include "forms/report.h"

#include "pdfwords.h"
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <QtTest>
#include <cmath>

using namespace Forms;

namespace {

// ---- the PDF as pdftotext -bbox sees it ----

using Word = PdfWord;

QList<Word> readPdf(const QString& file) {
    return readPdfWords(file);
}

// Every place where the words of `line` stand one after another on one line of the page.
QList<QRectF> findLines(const QList<Word>& words, int page, const QString& line) {
    const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<QRectF> out;
    for (int i = 0; i + parts.size() <= words.size(); ++i) {
        QRectF box;
        bool ok = true;
        for (int j = 0; j < parts.size() && ok; ++j) {
            const Word& w = words[i + j];
            ok = w.page == page && w.text == parts[j] &&
                 std::fabs(w.box.top() - words[i].box.top()) < 1;
            box = box.united(w.box);
        }
        if (ok)
            out << box;
    }
    return out;
}

// The text of the words whose centres lie in `area` of the page, joined by spaces.
QString cellText(const QList<Word>& words, int page, const QRectF& area) {
    QStringList out;
    for (const Word& w : words)
        if (w.page == page && area.contains(w.box.center()))
            out << w.text;
    return out.join(QLatin1Char(' '));
}

double number(QString text) {
    text.remove(QChar(0x00A0)).remove(QLatin1Char(' ')).replace(QLatin1Char(','), QLatin1Char('.'));
    return text.toDouble();
}

// ---- the waybill ----

struct Item {
    QString name, gost, unit, pack;
    double perPlace, places, gross, quant, price, sumwnds;
    int nds;
    double sumnds, summa;
};

Item sampleItem(int i) {
    static const char* const kNames[] = {
        "Бинт марлевый 7 м × 14 см", "Перчатки нитриловые M", "Шприц 5 мл",
        "Вата медицинская 100 г",    "Маска медицинская",
    };
    static const char* const kGosts[] = {"ГОСТ 1172-93", "ГОСТ 52239", "ГОСТ ISO 7886-1",
                                         "ГОСТ 5556-81", ""};
    const double quant = 10 * (i % 7) + 2.5;
    const double price = 12.5 + i;
    const double sumwnds = std::round(quant * price * 100) / 100;
    const double sumnds = std::round(sumwnds * 20) / 100;
    return {QString::fromUtf8(kNames[i % 5]),
            QString::fromUtf8(kGosts[i % 5]),
            QStringLiteral("шт"),
            QStringLiteral("коробка"),
            double(10 * (i % 3)),
            double(i % 4),
            i % 2 ? 1.25 * i : 0,
            quant,
            price,
            sumwnds,
            20,
            sumnds,
            sumwnds + sumnds};
}

QList<Item> sampleItems(int count) {
    QList<Item> out;
    for (int i = 0; i < count; ++i)
        out << sampleItem(i);
    return out;
}

const QString kProv = QStringLiteral(
    "ООО «Северная звезда», 185000, г. Петрозаводск, ул. Ленина, д. 1, тел. 8142-000000, "
    "ИНН 1001000001, р/с 40702810000000000001 в ПАО «Онежский банк», БИК 048600001");

// frTorg12 with its header variables set and frUserDataset1 giving `items`; sheet p shows
// codes[p] in mPdf.
struct Waybill {
    Report report = Report::load(QStringLiteral("frTorg12"));
    UserDataset rows;
    QList<Item> items;
    QStringList codes;
    QList<int> sheetsStarted;

    explicit Waybill(QList<Item> list) : items(std::move(list)) {
        Variables& v = report.variables();
        v.set("n", QStringLiteral("Н-17"));
        v.set("k", QStringLiteral("Государственный контракт № 0123-45"));
        v.set("prov", kProv);
        v.set("prov_okpo", QStringLiteral("12345678"));
        v.set("payer", QStringLiteral("ГКУ «Центр снабжения», 185035, г. Петрозаводск"));
        v.set("payer_okpo", QStringLiteral("87654321"));
        v.set("recip", QStringLiteral("ГБУЗ «Городская больница № 2», 185002, г. Петрозаводск"));
        v.set("recip_okpo", QStringLiteral("11223344"));
        v.set("datek", QStringLiteral("от 01.02.2024"));
        v.set("daten", QStringLiteral("15.03.2024"));
        v.set("dayn", 15);
        v.set("monthn", 3);
        v.set("yearn", 2024);
        v.set("ogr_dl", QStringLiteral("Заместитель директора по снабжению"));
        v.set("ogr_fio", QStringLiteral("Иванов И. И."));
        v.set("gl_buh", QStringLiteral("Петрова А. С."));
        v.set("ogp_dl", QStringLiteral("Кладовщик"));
        v.set("ogp_fio", QStringLiteral("Сидоров П. П."));
        rows.onFirst = rows.onNext = [this] { setRow(); };
        report.setDataset(QStringLiteral("frUserDataset1"), &rows);
        report.onBeginPage = [this](int p) {
            sheetsStarted << p;
            report.variables().set("code", p < codes.size() ? codes[p] : QString());
        };
    }

    void setRow() {
        const int r = rows.recNo();
        const Item& it = items[r];
        Variables& v = report.variables();
        v.set("npp", QString::number(r + 1));
        v.set("ElemS", it.name);
        v.set("kat", QStringLiteral("1"));
        v.set("gost", it.gost);
        v.set("Quant", it.quant);
        v.set("price", it.price);
        v.set("sumwnds", it.sumwnds);
        v.set("nds", it.nds);
        v.set("sumnds", it.sumnds);
        v.set("summa", it.summa);
        v.set("edizm", it.unit);
        v.set("vidup", it.pack);
        v.set("klv1m", it.perPlace);
        v.set("klvm", it.places);
        v.set("brutto", it.gross);
    }

    const PreparedReport& prepare() {
        rows.rangeCount = int(items.size());
        sheetsStarted.clear();
        return report.prepare();
    }
};

// Symbol texts of about `length` characters as the converter draws them.
QStringList symbolCodes(int count, int length = 40) {
    Pdf417Converter converter;
    QStringList out;
    for (int i = 0; i < count; ++i) {
        QString text = QStringLiteral("<N%1%2>0123-45#Н-17#15.03.2024#ГБУЗ Городская больница")
                           .arg(count, 2, 10, QLatin1Char('0'))
                           .arg(i, 2, 10, QLatin1Char('0'));
        for (int item = 1; text.size() < length; ++item)
            text += QStringLiteral("#%1;1;%2;%3,50;SN%4")
                        .arg(item)
                        .arg(item * 10)
                        .arg(item * 125)
                        .arg(9000 + item);
        out << converter.Convert(text.left(length), -1, 8, 0);
    }
    return out;
}

// Band tops with printer margins of 18 units: the title, then the header, then the rows.
constexpr double kTitleTop = 18, kHeaderTop = 18 + 388, kFirstRowTop = kHeaderTop + 204;
constexpr double kLaterRowTop = 18 + 204, kRowLimit = 758 - 18 - 16;

// The 15 columns of the item table.
const QList<QPair<int, int>> kColumns = {
    {20, 44},   {44, 268},  {268, 308}, {308, 372}, {372, 412}, {412, 464}, {464, 500}, {500, 536},
    {536, 580}, {580, 664}, {664, 752}, {752, 832}, {832, 864}, {864, 940}, {940, 1052}};

QRectF columnArea(int column, double top, double height) {
    const auto& c = kColumns[column - 1];
    return QRectF(c.first, top, c.second - c.first, height);
}

} // namespace

class TestTorg12 : public QObject {
    Q_OBJECT

private slots:
    void design();
    void positions_data();
    void positions();
    void sheets_data();
    void sheets();
    void sheetTotals_data();
    void sheetTotals();
    void numberForms_data();
    void numberForms();
    void tallRows_data();
    void tallRows();
    void pictures();

private:
    QTemporaryDir m_dir;
};

void TestTorg12::design() {
    Report r = Report::load(QStringLiteral("frTorg12"));
    Template& t = r.design();
    QCOMPARE(t.title, QStringLiteral("Товарная накладная"));
    QCOMPARE(t.passes, 2);
    QVERIFY(!t.progress);
    QCOMPARE(r.pageCount(), 2);
    for (const FormPage& p : t.pages) {
        QCOMPARE(p.sizeUnits(), QSize(1071, 758));
        QCOMPARE(p.sizeMm(), QSizeF(297, 210));
        QCOMPARE(p.margins, MarginsMode::Printer);
        QCOMPARE(p.paperSource, 0);
    }
    QStringList bands;
    for (const FormPage& p : t.pages)
        for (const Band& b : p.bands)
            bands << QStringLiteral("%1 %2").arg(b.name).arg(b.height);
    QCOMPARE(bands, (QStringList{"ReportTitle1 388", "MasterHeader1 204", "MasterData1 16",
                                 "ColumnFooter1 16", "ReportSummary2 16", "ReportSummary1 460"}));
    const Band* header = t.findBand("MasterHeader1");
    QVERIFY(header->stretch && header->repeatOnEverySheet);
    QCOMPARE(header->type, BandType::MasterHeader);
    const Band* data = t.findBand("MasterData1");
    QVERIFY(data->stretch);
    QCOMPARE(data->dataSource, QStringLiteral("frUserDataset1"));
    QCOMPARE(t.findBand("ReportSummary1")->type, BandType::ReportSummary);

    const FormObject* pdf = t.findObject("mPdf");
    QCOMPARE(pdf->kind, FormObject::Kind::Pdf417);
    QCOMPARE(pdf->rect(), QRect(20, 4, 284, 32));
    QCOMPARE(pdf->font.size, 8.0);
    QCOMPARE(pdf->lineSpacing, -7);
    QCOMPARE(pdf->hAlign, HAlign::Center);
    QCOMPARE(pdf->text(), QStringLiteral("[code]"));
    QVERIFY(pdf->stretch && pdf->wordWrap);

    // The boxes of the column numbers and of a row abut along the 15 columns; the total rows
    // have boxes in columns 8 to 15.
    auto spans = [&](const QString& band) {
        QList<QPair<int, int>> out;
        for (const FormObject& o : t.findBand(band)->objects)
            if (o.frameSides == FrameBox && (band != "MasterHeader1" || o.y == 188))
                out << qMakePair(o.x, o.x + o.w);
        std::sort(out.begin(), out.end());
        return out;
    };
    QCOMPARE(spans("MasterHeader1"), kColumns);
    QCOMPARE(spans("MasterData1"), kColumns);
    QCOMPARE(spans("ColumnFooter1"), kColumns.mid(7));
    QCOMPARE(spans("ReportSummary2"), kColumns.mid(7));
}

void TestTorg12::positions_data() {
    QTest::addColumn<QString>("band");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QString>("align");
    QTest::addColumn<double>("size");
    QTest::addColumn<int>("line");  // which line of the object's text
    QTest::addColumn<int>("lines"); // how many it has
    auto row = [](const char* name, const char* band, const QString& text, QRect rect,
                  const char* align, double size = 8, int line = 0, int lines = 1) {
        QTest::newRow(name) << band << text << rect << align << size << line << lines;
    };
    row("Memo17", "title", "Унифицированная форма №ТОРГ-12", {904, 4, 148, 12}, "R/T", 6);
    row("Memo18", "title", "Утверждена постановлением Госкомстата Росси", {860, 16, 192, 12}, "R/T",
        6);
    row("Memo24", "title", "Код", {944, 46, 108, 20}, "C/M");
    row("Memo22", "title", "0330212", {944, 66, 108, 20}, "C/M");
    row("Memo21", "title", "12345678", {944, 86, 108, 16}, "C/M");
    row("Memo1", "title", "ООО «Северная звезда», 185000, г. Петрозаводск, ул. Ленина, д. 1,",
        {20, 52, 836, 52}, "L/T");
    row("Memo2", "title",
        "организация-грузоотправитель, адрес, телефон, факс, банковские реквизиты",
        {316, 100, 328, 12}, "C/T", 6);
    row("Memo27", "title", "Вид деятельности по ОКДП", {788, 124, 152, 16}, "R/M");
    row("Memo6", "title", "ГБУЗ «Городская больница № 2», 185002, г. Петрозаводск",
        {120, 132, 676, 56}, "L/T");
    row("Memo28", "title", "по ОКПО", {888, 170, 52, 16}, "R/M");
    row("Memo5", "title", "Грузополучатель", {20, 172, 100, 16}, "L/T");
    row("Memo8", "title", "Поставщик", {20, 228, 68, 16}, "L/T");
    row("Memo33", "title", "87654321", {944, 240, 108, 53}, "C/M");
    row("Memo11", "title", "Плательщик", {20, 280, 68, 16}, "L/T");
    row("Memo34", "title", "номер", {888, 293, 56, 29}, "R/B");
    row("Memo15", "title", "Государственный контракт № 0123-45 от 01.02.2024", {88, 308, 776, 16},
        "C/T");
    row("Memo16", "title", "договор, заказ-наряд", {448, 320, 128, 12}, "C/T", 6);
    row("Memo40", "title", "Транспортная накладная", {744, 338, 144, 16}, "R/B");
    row("Memo49", "title", "Дата составления", {620, 340, 104, 20}, "C/M");
    row("Memo45", "title", "ТОВАРНАЯ НАКЛАДНАЯ", {348, 360, 164, 20}, "C/M", 10);
    row("Memo46", "title", "Н-17", {516, 360, 104, 20}, "C/M", 10);
    row("Memo47", "title", "15.03.2024", {620, 360, 104, 20}, "C/M", 10);
    row("Memo43", "title", "Вид операции", {864, 370, 80, 16}, "R/B");
    // The heading's boxes reach down to the stretched band's bottom (204).
    row("Memo50", "header", "№", {20, 140, 24, 64}, "C/M", 8, 0, 2);
    row("Memo51", "header", "Товар", {44, 140, 264, 16}, "C/T");
    row("Memo52 line 2", "header", "тика, сорт, артикул товара", {44, 156, 224, 32}, "C/T", 8, 1,
        2);
    row("Memo62 line 3", "header", "нетто)", {580, 140, 84, 48}, "C/T", 8, 2, 3);
    row("Memo64 line 2", "header", "учёта НДС,", {752, 140, 80, 48}, "C/T", 8, 1, 3);
    row("Memo65", "header", "НДС", {832, 140, 108, 16}, "C/T");
    row("Memo60", "header", "штук", {500, 156, 36, 32}, "C/T", 8, 1, 2);
    row("Memo69", "header", "1", {20, 188, 24, 16}, "C/M");
    row("Memo83", "header", "15", {940, 188, 112, 16}, "C/M");
    row("Memo84", "row", "1", {20, 0, 24, 16}, "C/M");
    row("Memo85", "row", "Бинт марлевый 7 м × 14 см ГОСТ 1172-93", {44, 0, 224, 16}, "C/M");
    row("Memo87", "row", "шт", {308, 0, 64, 16}, "C/M");
    row("Memo89", "row", "коробка", {412, 0, 52, 16}, "C/M");
    row("Memo93", "row", "2,5", {580, 0, 84, 16}, "C/M");
    row("Memo94", "row", "12,5", {664, 0, 88, 16}, "C/M");
    row("Memo95", "row", "31,25", {752, 0, 80, 16}, "C/M");
    row("Memo96", "row", "20", {832, 0, 32, 16}, "C/M");
    row("Memo195", "footer", "Итого", {452, 0, 44, 16}, "R/M");
    row("Memo181", "footer", "15", {580, 0, 84, 16}, "C/T");
    row("Memo182", "footer", "x", {664, 0, 88, 16}, "C/M");
    row("Memo205", "summary", "Всего по накладной", {368, 0, 128, 16}, "R/M");
    row("Memo199", "summary", "15", {580, 0, 84, 16}, "C/T");
    row("Memo202", "summary", "x", {832, 0, 32, 16}, "C/M");
    row("Memo99", "closing", "Товарная накладная имеет приложение на", {24, 68, 224, 16}, "L/T");
    row("Memo105", "closing", "прописью", {316, 100, 128, 12}, "C/T", 6);
    row("Memo107", "closing", "15", {536, 136, 516, 16}, "R/T");
    row("Memo110", "closing", "1,25", {544, 164, 508, 16}, "R/T");
    row("Memo116", "closing", "Приложение (паспорта, сертификаты и т. п.) на", {24, 208, 252, 16},
        "L/T");
    row("Memo152", "closing", "от \"______\"", {812, 208, 64, 16}, "L/T");
    row("Memo157", "closing", "кем, кому (организация, должность, фамилия, и., о.)",
        {716, 244, 212, 12}, "C/T", 6);
    row("Memo128 line 1", "closing", "Заместитель директора", {152, 272, 128, 32}, "J/M", 8, 0, 2);
    row("Memo128 line 2", "closing", "по снабжению", {152, 272, 128, 32}, "L/M", 8, 1, 2);
    row("Memo130", "closing", "/Иванов И. И./", {396, 292, 156, 16}, "C/M");
    row("Memo134", "closing", "Главный (старший) бухгалтер", {24, 324, 164, 16}, "L/T");
    row("Memo136", "closing", "/Петрова А. С./", {396, 324, 156, 16}, "C/M");
    row("Memo140", "closing", "Кладовщик", {152, 340, 128, 32}, "L/M");
    row("Memo139", "closing", "Отпуск груза произвёл", {24, 356, 124, 16}, "L/T");
    row("Memo142", "closing", "/Сидоров П. П./", {396, 356, 156, 16}, "C/M");
    row("Memo168", "closing", "грузополучатель", {560, 372, 92, 16}, "L/T");
    row("Memo175", "closing", "М. П.", {560, 404, 124, 16}, "C/T");
    row("Memo176", "closing", "\"_______\"", {696, 404, 56, 16}, "L/T");
    row("Memo178", "closing", "года", {980, 404, 28, 16}, "L/T");
}

void TestTorg12::positions() {
    QFETCH(QString, band);
    QFETCH(QString, text);
    QFETCH(QRect, rect);
    QFETCH(QString, align);
    QFETCH(double, size);
    QFETCH(int, line);
    QFETCH(int, lines);
    // Two rows (2,5 and 12,5) on one sheet: rows at 610 and 626, totals at 642, 658.
    static QList<Word> words;
    if (words.isEmpty()) {
        Waybill w(sampleItems(2));
        const QString file = m_dir.filePath("positions.pdf");
        writePdf(w.prepare(), file);
        QCOMPARE(int(w.report.prepared().sheets.size()), 2);
        words = readPdf(file);
    }
    const QHash<QString, QPair<int, double>> tops = {
        {"title", {0, kTitleTop}},           {"header", {0, kHeaderTop}},
        {"row", {0, kFirstRowTop}},          {"footer", {0, kFirstRowTop + 2 * 16}},
        {"summary", {0, kFirstRowTop + 48}}, {"closing", {1, kTitleTop}}};
    const int page = tops[band].first;
    const QRectF box = QRectF(rect).translated(0, tops[band].second);
    // Where the line's text stands in its object: inner gaps 2 left and right, 1 at the top.
    const int pitch = int(std::lround(size * 96 / 72)) + 2;
    double top = box.top() + 1;
    if (align.endsWith('M'))
        top += (box.height() - 1 - lines * pitch) / 2.0;
    else if (align.endsWith('B'))
        top += box.height() - 1 - lines * pitch;
    top += line * pitch;
    const QList<QRectF> found = findLines(words, page, text);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    // The same text may print elsewhere too: take the nearest.
    auto distance = [&](const QRectF& r) {
        return std::fabs(r.top() - top) + std::fabs(r.left() - box.left());
    };
    const QRectF got =
        *std::min_element(found.begin(), found.end(), [&](const QRectF& a, const QRectF& b) {
            return distance(a) < distance(b);
        });
    const double tol = 1.5;
    QVERIFY2(std::fabs(got.top() - top) < 2.5,
             qPrintable(QStringLiteral("top %1, expected %2").arg(got.top()).arg(top)));
    const double left = box.left() + 2, right = box.right() - 2;
    if (align[0] == 'L' || align[0] == 'J')
        QVERIFY2(std::fabs(got.left() - left) < tol,
                 qPrintable(QStringLiteral("left %1, expected %2").arg(got.left()).arg(left)));
    if (align[0] == 'R' || align[0] == 'J')
        QVERIFY2(std::fabs(got.right() - right) < tol,
                 qPrintable(QStringLiteral("right %1, expected %2").arg(got.right()).arg(right)));
    if (align[0] == 'C')
        QVERIFY2(std::fabs(got.center().x() - box.center().x()) < tol,
                 qPrintable(QStringLiteral("centre %1, expected %2")
                                .arg(got.center().x())
                                .arg(box.center().x())));
}

void TestTorg12::sheets_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("sheets"); // the bands printed on each sheet
    const QString first = "ReportTitle1 MasterHeader1 MasterData1 ColumnFooter1";
    const QString later = "MasterHeader1 MasterData1 ColumnFooter1";
    // 7 rows fit below the heading, 31 on a later sheet.
    QTest::newRow("no rows") << 0
                             << QStringList{"ReportTitle1 MasterHeader1 ColumnFooter1 "
                                            "ReportSummary2",
                                            "ReportSummary1"};
    QTest::newRow("1 row: the table ends high")
        << 1 << QStringList{first + " ReportSummary2", "ReportSummary1"};
    QTest::newRow("6 rows: the summary fits")
        << 6 << QStringList{first + " ReportSummary2", "ReportSummary1"};
    QTest::newRow("7 rows: the summary moves")
        << 7 << QStringList{first, "ReportSummary2", "ReportSummary1"};
    QTest::newRow("8 rows: one row on sheet 2")
        << 8 << QStringList{first, later + " ReportSummary2", "ReportSummary1"};
    QTest::newRow("38 rows: sheet 2 full")
        << 38 << QStringList{first, later, "ReportSummary2", "ReportSummary1"};
    QTest::newRow("60 rows: three sheets")
        << 60 << QStringList{first, later, later + " ReportSummary2", "ReportSummary1"};
}

void TestTorg12::sheets() {
    QFETCH(int, rows);
    QFETCH(QStringList, sheets);
    Waybill w(sampleItems(rows));
    w.codes = symbolCodes(int(sheets.size()));
    const PreparedReport& p = w.prepare();
    // The sheets of page 0, then exactly one closing sheet.
    QStringList got;
    for (const Sheet& s : p.sheets)
        got << s.bands.join(' ');
    QCOMPARE(got, sheets);
    QList<int> started;
    for (int i = 0; i < sheets.size(); ++i)
        started << i;
    QCOMPARE(w.sheetsStarted, started);
    for (size_t i = 0; i < p.sheets.size(); ++i) {
        const Sheet& s = p.sheets[i];
        QList<const Primitive*> symbols;
        for (const Primitive& it : s.items)
            if (it.type == Primitive::Type::Pdf417)
                symbols << &it;
        // Each sheet that prints the table's heading carries its own symbol at mPdf.
        if (!s.bands.contains("MasterHeader1")) {
            QVERIFY(symbols.isEmpty());
            continue;
        }
        QCOMPARE(symbols.size(), 1);
        const double headerTop = i == 0 ? kHeaderTop : 18;
        QCOMPARE(symbols[0]->rows, w.codes[int(i)].split('\n'));
        QCOMPARE(symbols[0]->rect.left(), 22.0);
        QCOMPARE(symbols[0]->rect.width(), 280.0);
        QCOMPARE(symbols[0]->rect.top(), headerTop + 5);
        QCOMPARE(symbols[0]->pitch, 4.0);
    }
    // The closing block starts at the top of its own sheet.
    const QString file = m_dir.filePath("sheets.pdf");
    writePdf(p, file);
    const QList<Word> words = readPdf(file);
    const int last = int(sheets.size()) - 1;
    const QList<QRectF> closing = findLines(words, last, "Товарная накладная имеет приложение на");
    QCOMPARE(closing.size(), 1);
    QVERIFY(std::fabs(closing[0].top() - (18 + 68 + 1)) < 2.5);
    for (const Word& word : words)
        QVERIFY2(word.page != last || word.box.top() > 18 + 60, qPrintable(word.text));
}

void TestTorg12::sheetTotals_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("tableSheets");
    QTest::newRow("one sheet") << 5 << 1;
    QTest::newRow("two sheets, summary moves") << 38 << 2;
    QTest::newRow("three sheets") << 60 << 3;
}

void TestTorg12::sheetTotals() {
    QFETCH(int, rows);
    QFETCH(int, tableSheets);
    Waybill w(sampleItems(rows));
    const QString file = m_dir.filePath("totals.pdf");
    writePdf(w.prepare(), file);
    const QList<Word> words = readPdf(file);
    // Columns with totals: places (8), gross (9), quantity (10), the sums (12, 14, 15).
    const QList<int> columns{8, 9, 10, 12, 14, 15};
    auto fieldOf = [](const Item& it, int column) {
        switch (column) {
        case 8:
            return it.places;
        case 9:
            return it.gross;
        case 10:
            return it.quant;
        case 12:
            return it.sumwnds;
        case 14:
            return it.sumnds;
        default:
            return it.summa;
        }
    };
    QHash<int, double> grand, ofSheets;
    for (const Item& it : w.items)
        for (int c : columns)
            grand[c] += fieldOf(it, c);
    int rowsSeen = 0;
    for (int page = 0; page < tableSheets; ++page) {
        const QList<QRectF> itogo = findLines(words, page, "Итого");
        QCOMPARE(itogo.size(), 1);
        const double footerTop = itogo[0].top() - 3;
        const double rowsTop = page == 0 ? kFirstRowTop : kLaterRowTop;
        QVERIFY(footerTop < kRowLimit + 1);
        const int n = int(std::lround((footerTop - rowsTop) / 16));
        for (int c : columns) {
            double rowsSum = 0;
            for (int r = 0; r < n; ++r)
                rowsSum += number(cellText(words, page, columnArea(c, rowsTop + 16 * r, 16)));
            double expected = 0;
            for (int r = rowsSeen; r < rowsSeen + n; ++r)
                expected += fieldOf(w.items[r], c);
            QVERIFY(std::fabs(rowsSum - expected) < 0.005);
            const double sheetTotal = number(cellText(words, page, columnArea(c, footerTop, 16)));
            QVERIFY2(std::fabs(sheetTotal - expected) < 0.005,
                     qPrintable(QStringLiteral("sheet %1 column %2: %3, expected %4")
                                    .arg(page + 1)
                                    .arg(c)
                                    .arg(sheetTotal)
                                    .arg(expected)));
            ofSheets[c] += sheetTotal;
        }
        rowsSeen += n;
    }
    QCOMPARE(rowsSeen, rows);
    // The grand totals follow the last sheet's totals, or top a sheet of their own.
    int page = -1;
    QRectF vsego;
    for (int pg = 0; pg <= tableSheets; ++pg)
        if (const QList<QRectF> f = findLines(words, pg, "Всего по накладной"); !f.isEmpty()) {
            QCOMPARE(page, -1);
            page = pg;
            vsego = f[0];
        }
    QVERIFY(page == tableSheets - 1 || page == tableSheets);
    if (page == tableSheets)
        QVERIFY(std::fabs(vsego.top() - 18 - 3) < 2.5);
    for (int c : columns) {
        const double total = number(cellText(words, page, columnArea(c, vsego.top() - 3, 16)));
        QVERIFY(std::fabs(total - grand[c]) < 0.005);
        QVERIFY(std::fabs(total - ofSheets[c]) < 0.005);
    }
    // The closing sheet repeats the net and gross masses of the whole waybill.
    const int closing = page + 1;
    QCOMPARE(number(cellText(words, closing, QRectF(536, 18 + 136, 516, 16))), grand[10]);
    QVERIFY(std::fabs(number(cellText(words, closing, QRectF(544, 18 + 164, 508, 16))) - grand[9]) <
            0.005);
}

void TestTorg12::numberForms_data() {
    QTest::addColumn<QList<double>>("values"); // klv1m klvm brutto Quant price sumwnds sumnds summa
    QTest::addColumn<QStringList>("row");      // columns 7 to 15
    QTest::addColumn<QStringList>("totals");   // columns 8 to 15, sheet and grand alike
    QTest::addColumn<QStringList>("closing");  // Memo107, Memo110
    const QString nb = QString(QChar(0x00A0));
    QTest::newRow("grouped sums, general numbers")
        << QList<double>{12, 3, 4.75, 2.5, 27.778, 1234.5, 246.9, 1481.4}
        << QStringList{"12",  "3",      "4,75",
                       "2,5", "27,778", "1" + nb + "234,50",
                       "20",  "246,90", "1" + nb + "481,40"}
        << QStringList{"3",
                       "4,75",
                       "2,5",
                       "x",
                       "1" + nb + "234,50",
                       "x",
                       "246,90",
                       "1" + nb + "481,40"}
        << QStringList{"2,5", "4,75"};
    QTest::newRow("zeros hidden") << QList<double>{0, 0, 0, 3, 100, 300, 60, 360}
                                  << QStringList{"",       "",   "",      "3",     "100",
                                                 "300,00", "20", "60,00", "360,00"}
                                  << QStringList{"", "", "3", "x", "300,00", "x", "60,00", "360,00"}
                                  << QStringList{"3", ""};
    QTest::newRow("zero sums shown")
        << QList<double>{1, 1, 1, 1, 0, 0, 0, 0}
        << QStringList{"1", "1", "1", "1", "0", "0,00", "20", "0,00", "0,00"}
        << QStringList{"1", "1", "1", "x", "0,00", "x", "0,00", "0,00"} << QStringList{"1", "1"};
    QTest::newRow("millions") << QList<double>{0,        0,       0,        1000,
                                               1234.567, 1234567, 246913.4, 1481480.4}
                              << QStringList{"",
                                             "",
                                             "",
                                             "1000",
                                             "1234,567",
                                             "1" + nb + "234" + nb + "567,00",
                                             "20",
                                             "246" + nb + "913,40",
                                             "1" + nb + "481" + nb + "480,40"}
                              << QStringList{"",
                                             "",
                                             "1000",
                                             "x",
                                             "1" + nb + "234" + nb + "567,00",
                                             "x",
                                             "246" + nb + "913,40",
                                             "1" + nb + "481" + nb + "480,40"}
                              << QStringList{"1000", ""};
}

void TestTorg12::numberForms() {
    QFETCH(QList<double>, values);
    QFETCH(QStringList, row);
    QFETCH(QStringList, totals);
    QFETCH(QStringList, closing);
    Item it = sampleItem(0);
    it.perPlace = values[0];
    it.places = values[1];
    it.gross = values[2];
    it.quant = values[3];
    it.price = values[4];
    it.sumwnds = values[5];
    it.sumnds = values[6];
    it.summa = values[7];
    Waybill w({it});
    const QString file = m_dir.filePath("numbers.pdf");
    writePdf(w.prepare(), file);
    const QList<Word> words = readPdf(file);
    QStringList gotRow, gotFooter, gotSummary;
    for (int c = 7; c <= 15; ++c)
        gotRow << cellText(words, 0, columnArea(c, kFirstRowTop, 16));
    for (int c = 8; c <= 15; ++c) {
        gotFooter << cellText(words, 0, columnArea(c, kFirstRowTop + 16, 16));
        gotSummary << cellText(words, 0, columnArea(c, kFirstRowTop + 32, 16));
    }
    // The text layer of the PDF has a plain space where the sheet draws the regional
    // thousands separator.
    auto plain = [](QStringList l) { return l.replaceInStrings(QChar(0x00A0), " "); };
    QCOMPARE(gotRow, plain(row));
    QCOMPARE(gotFooter, plain(totals));
    QCOMPARE(gotSummary, plain(totals));
    const QStringList drawn = QStringList(row.mid(3)) + totals;
    for (const QString& t : drawn)
        if (!t.isEmpty())
            QVERIFY2(w.report.prepared().sheets[0].plainText().split('\n').contains(t),
                     qPrintable(t));
    QCOMPARE((QStringList{cellText(words, 1, QRectF(536, 18 + 136, 516, 16)),
                          cellText(words, 1, QRectF(544, 18 + 164, 508, 16))}),
             closing);
}

void TestTorg12::tallRows_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("lines");
    QTest::newRow("one line") << "Вата медицинская" << 1;
    QTest::newRow("two lines") << "Бинт марлевый медицинский нестерильный 7 м × 14 см" << 2;
    QTest::newRow("three lines")
        << "Бинт марлевый медицинский нестерильный 7 м × 14 см в индивидуальной упаковке, "
           "стерилизованный гамма-излучением"
        << 3;
}

void TestTorg12::tallRows() {
    QFETCH(QString, name);
    QFETCH(int, lines);
    QList<Item> items = sampleItems(3);
    items[1].name = name;
    items[1].gost = QString();
    Waybill w(items);
    const PreparedReport& p = w.prepare();
    const double top = kFirstRowTop + 16, height = qMax(16, 1 + 13 * lines);
    // All 15 boxes of the row end on one line, and the next row starts there.
    const Sheet& s = p.sheets.at(0);
    auto hasLine = [&](double x1, double y1, double x2, double y2) {
        for (const Primitive& it : s.items)
            if (it.type == Primitive::Type::Line && it.line == QLineF(x1, y1, x2, y2))
                return true;
        return false;
    };
    for (const auto& [x0, x1] : kColumns) {
        QVERIFY2(hasLine(x0, top + height, x1, top + height), qPrintable(QString::number(x0)));
        QVERIFY(hasLine(x0, top, x0, top + height));
        QVERIFY(hasLine(x1, top, x1, top + height));
    }
    const QString file = m_dir.filePath("tall.pdf");
    writePdf(p, file);
    const QList<Word> words = readPdf(file);
    // The name's lines stand 13 units apart, centred in the row; so does every other cell.
    QList<double> nameTops;
    for (const Word& word : words)
        if (word.page == 0 && QRectF(44, top, 224, height).contains(word.box.center()) &&
            !nameTops.contains(word.box.top()))
            nameTops << word.box.top();
    QCOMPARE(nameTops.size(), lines);
    for (int k = 0; k < lines; ++k)
        QVERIFY(std::fabs(nameTops[k] - (top + 1 + (height - 1 - 13 * lines) / 2 + 13 * k)) < 2.5);
    const QList<QRectF> npp = findLines(words, 0, "2");
    QVERIFY(std::any_of(npp.begin(), npp.end(), [&](const QRectF& r) {
        return std::fabs(r.center().y() - (top + height / 2)) < 2 && r.left() < 44;
    }));
    const QList<QRectF> next = findLines(words, 0, "3");
    QVERIFY(std::any_of(next.begin(), next.end(), [&](const QRectF& r) {
        return std::fabs(r.top() - (top + height + 2.5)) < 2.5 && r.left() < 44;
    }));
}

void TestTorg12::pictures() {
    // A realistic waybill over two sheets, drawn at 110 dpi: the first sheet and the closing one.
    Waybill w(sampleItems(12));
    w.codes = symbolCodes(2, 200);
    const PreparedReport& p = w.prepare();
    QCOMPARE(int(p.sheets.size()), 3);
    const QStringList files = writePng(p, m_dir.filePath("torg12.png"), 110);
    QCOMPARE(files.size(), 3);
    const QImage first(files[0]), closing(files[2]);
    const double k = 110 / kUnitsPerInch;
    auto dark = [&](const QImage& img, double x, double y) {
        return qGray(img.pixel(int(x * k), int(y * k))) < 160;
    };
    // The 2-unit box of the codes column and the table's heading boxes.
    QVERIFY(dark(first, 944, 18 + 200));
    QVERIFY(dark(first, 1052, 18 + 200));
    QVERIFY(dark(first, 990, 18 + 66 + 320));
    QVERIFY(dark(first, 100, kHeaderTop + 140));
    QVERIFY(dark(first, 100, kHeaderTop + 204));
    // The symbol: dark modules above the headings.
    int symbolDots = 0;
    for (double y = kHeaderTop + 5; y < kHeaderTop + 138; y += 1)
        for (double x = 22; x < 302; x += 1)
            symbolDots += dark(first, x, y);
    QVERIFY(symbolDots > 1000);
    // The closing sheet: the vertical rule between the signatures and an underline.
    QVERIFY(dark(closing, 556, 18 + 300));
    QVERIFY(dark(closing, 800, 18 + 136 + 3 + 11));
}

QTEST_MAIN(TestTorg12)
#include "tst_torg12.moc"
