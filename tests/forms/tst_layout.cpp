// Preparation of small synthetic templates: bands, breaks, stretching, sums, formats, events.
#include "core/apperror.h"
#include "forms/fonts.h"
#include "forms/report.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using namespace Forms;

namespace {

// A 100 × 50 mm sheet (361 × 180 units) without margins, a repeated header of 20 units,
// 16-unit rows, a 16-unit column footer with the sheet's sum and a summary with the grand sum.
const char* const kTable = R"({
  "name": "table", "pages": [ { "paper": [1000, 500], "margins": "none", "bands": [
    { "name": "MasterHeader1", "type": "MasterHeader", "height": 20, "repeat": true, "objects": [
      { "name": "mHead", "x": 10, "y": 2, "w": 200, "h": 16, "text": "Лист [code]" } ] },
    { "name": "MasterData1", "type": "MasterData", "height": 16, "dataset": "rows", "objects": [
      { "name": "mRow", "x": 10, "y": 0, "w": 100, "h": 16, "text": "row [npp]" },
      { "name": "mQuant", "x": 110, "y": 0, "w": 100, "h": 16, "text": "q [quant]" } ] },
    { "name": "ColumnFooter1", "type": "ColumnFooter", "height": 16, "objects": [
      { "name": "mItog", "x": 10, "y": 0, "w": 200, "h": 16, "text": "Итого [itog]",
        "script": ["begin", "itog:=Sum([quant],MasterData1);", "end"] } ] },
    { "name": "ReportSummary1", "type": "ReportSummary", "height": 16, "objects": [
      { "name": "mVsn", "x": 10, "y": 0, "w": 200, "h": 16, "text": "Всего [vsn]",
        "script": ["vsn:=Sum([quant],MasterData1);"] } ] } ] },
    { "paper": [1000, 500], "margins": "none", "objects": [
      { "name": "mClosing", "x": 10, "y": 10, "w": 200, "h": 16, "text": "Закрытие [vsn]" } ] } ]
})";

Template templ(const QByteArray& json) {
    return Template::fromJson(json, QStringLiteral("test.json"));
}

// A template with one band holding the given objects (JSON array text).
Template oneBand(const QString& objects, bool stretch = false, int height = 40) {
    return templ(QStringLiteral(R"({"name": "t", "pages": [{"paper": [1000, 500], "margins": "none",
        "bands": [{"name": "Band1", "type": "ReportTitle", "height": %1, "stretch": %2,
                   "objects": %3}]}]})")
                     .arg(height)
                     .arg(QLatin1String(stretch ? "true" : "false"), objects)
                     .toUtf8());
}

QList<const Primitive*> items(const Sheet& s, Primitive::Type type) {
    QList<const Primitive*> out;
    for (const Primitive& p : s.items)
        if (p.type == type)
            out << &p;
    return out;
}

QStringList texts(const Sheet& s) {
    QStringList out;
    for (const Primitive* p : items(s, Primitive::Type::Text))
        out << p->text;
    return out;
}

const Primitive* textItem(const Sheet& s, const QString& text) {
    for (const Primitive* p : items(s, Primitive::Type::Text))
        if (p->text == text)
            return p;
    return nullptr;
}

// Sets npp/quant for each record of `quants`; a handler that passes over zero quantities.
struct Rows {
    QList<double> quants;
    UserDataset ds;
    Variables* vars = nullptr;
    int handlerCalls = 0;

    void attach(Report& r) {
        vars = &r.variables();
        ds.rangeCount = int(quants.size());
        ds.onFirst = [this] { handler(); };
        ds.onNext = [this] { handler(); };
        r.setDataset(QStringLiteral("rows"), &ds);
    }
    void handler() {
        ++handlerCalls;
        const int rec = ds.recNo();
        if (!(quants[rec] > 0)) {
            ds.next();
            return;
        }
        vars->set(QStringLiteral("npp"), QString::number(rec + 1));
        vars->set(QStringLiteral("Quant"), quants[rec]);
    }
};

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void linePitch_data();
    void linePitch();
    void stretchEqualRows_data();
    void stretchEqualRows();
    void pageBreaks_data();
    void pageBreaks();
    void sheetSums_data();
    void sheetSums();
    void repeatedHeaderSheetIndices();
    void numberForms_data();
    void numberForms();
    void variablesCaseInsensitivePersistent();
    void underlines_data();
    void underlines();
    void manualBuild();
    void rowSourceSkips_data();
    void rowSourceSkips();
    void appendedLandscapePages();
    void childBands_data();
    void childBands();
    void placement_data();
    void placement();
    void justified();
    void wrapUsesInnerGaps_data();
    void wrapUsesInnerGaps();
    void brokenTemplates_data();
    void brokenTemplates();
    void findObjectIgnoresCase();
    void preparedFileRoundTrip();
};

void TestLayout::linePitch_data() {
    QTest::addColumn<double>("size");
    QTest::addColumn<int>("spacing");
    QTest::addColumn<int>("pitch");
    QTest::newRow("8pt -7 (PDF417)") << 8.0 << -7 << 4;
    QTest::newRow("8pt default") << 8.0 << 2 << 13;
    QTest::newRow("10pt default") << 10.0 << 2 << 15;
    QTest::newRow("12pt 0") << 12.0 << 0 << 16;
}

void TestLayout::linePitch() {
    QFETCH(double, size);
    QFETCH(int, spacing);
    QFETCH(int, pitch);
    FontSpec f;
    f.size = size;
    QCOMPARE(Forms::linePitch(f, spacing), pitch);
    // Three lines of a prepared object stand `pitch` apart, the first 1 unit below the top.
    Variables vars;
    Report r(oneBand(QStringLiteral(R"([{"name": "m", "x": 10, "y": 5, "w": 300, "h": 100,
        "text": ["a1", "b2", "c3"], "size": %1, "lineSpacing": %2}])")
                         .arg(size)
                         .arg(spacing)),
             &vars);
    const Sheet& s = r.prepare().sheets.at(0);
    const double ascent = fontAscent(f);
    QCOMPARE(textItem(s, "a1")->origin.y(), 5 + 1 + ascent);
    QCOMPARE(textItem(s, "b2")->origin.y() - textItem(s, "a1")->origin.y(), double(pitch));
    QCOMPARE(textItem(s, "c3")->origin.y() - textItem(s, "b2")->origin.y(), double(pitch));
    QCOMPARE(textItem(s, "a1")->origin.x(), 12.0);
}

void TestLayout::stretchEqualRows_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("lines");
    QTest::newRow("one line") << "Болт" << 1;
    QTest::newRow("three lines") << "Болт Болт Болт" << 3;
    QTest::newRow("five lines") << "Болт Болт Болт Болт Болт" << 5;
}

void TestLayout::stretchEqualRows() {
    QFETCH(QString, name);
    QFETCH(int, lines);
    // The name cell is just wide enough for one word; 8 pt, default spacing: pitch 13.
    FontSpec f;
    f.size = 8;
    const int w = int(std::ceil(textWidth(f, QStringLiteral("Болт Б")))) + 4 - 1;
    Variables vars;
    vars.set("name", name);
    Report r(oneBand(QStringLiteral(R"([
        {"name": "cName", "x": 10, "y": 0, "w": %1, "h": 16, "text": "[name]", "size": 8,
         "stretch": true, "wordWrap": true, "frame": "box"},
        {"name": "cQuant", "x": 200, "y": 0, "w": 40, "h": 16, "text": "5", "size": 8,
         "stretch": true, "wordWrap": true, "frame": "box"},
        {"name": "cFixed", "x": 250, "y": 0, "w": 40, "h": 16, "text": "x", "size": 8,
         "frame": "box"},
        {"name": "cBelow", "x": 10, "y": 24, "w": 40, "h": 10, "text": "below", "size": 8}])")
                         .arg(w),
                     true, 40),
             &vars);
    const Sheet& s = r.prepare().sheets.at(0);
    const int height = qMax(40, 1 + lines * 13);
    // Bottom frame lines of both stretched cells lie on the band's bottom; the fixed one stays.
    QList<double> bottoms;
    for (const Primitive* p : items(s, Primitive::Type::Line))
        if (p->line.y1() == p->line.y2() && p->line.y1() > 0)
            bottoms << p->line.y1();
    std::sort(bottoms.begin(), bottoms.end());
    QCOMPARE(bottoms, (QList<double>{16.0, double(height), double(height)}));
    QCOMPARE(texts(s).count(QStringLiteral("Болт")), lines);
    // The object below the growing one keeps its place.
    QCOMPARE(textItem(s, "below")->rect.top(), 25.0);
}

void TestLayout::pageBreaks_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("rowsPerSheet");
    QTest::addColumn<int>("summarySheet");
    // 180 units high: header 20, rows of 16 above the reserved 16-unit footer: 9 rows a sheet.
    QTest::newRow("1 row") << 1 << QList<int>{1} << 0;
    QTest::newRow("8 rows: summary fits") << 8 << QList<int>{8} << 0;
    QTest::newRow("9 rows: summary moves") << 9 << QList<int>{9, 0} << 1;
    QTest::newRow("10 rows") << 10 << QList<int>{9, 1} << 1;
    QTest::newRow("18 rows") << 18 << QList<int>{9, 9, 0} << 2;
}

void TestLayout::pageBreaks() {
    QFETCH(int, rows);
    QFETCH(QList<int>, rowsPerSheet);
    QFETCH(int, summarySheet);
    Variables vars;
    Report r(templ(kTable), &vars);
    Rows src;
    for (int i = 0; i < rows; ++i)
        src.quants << 1;
    src.attach(r);
    const PreparedReport& p = r.prepare();
    // Page 0's sheets, then the closing page's one sheet.
    QCOMPARE(int(p.sheets.size()), int(rowsPerSheet.size()) + 1);
    for (int i = 0; i < rowsPerSheet.size(); ++i) {
        const QStringList t = texts(p.sheets[size_t(i)]);
        QCOMPARE(t.filter(QRegularExpression("^row ")).size(), rowsPerSheet[i]);
        // A column footer ends every sheet with rows; the summary's own sheet has none.
        const bool hasRows = rowsPerSheet[i] > 0;
        QCOMPARE(t.filter(QRegularExpression("^Итого")).size(), hasRows ? 1 : 0);
        QCOMPARE(t.filter(QRegularExpression("^Всего")).size(), i == summarySheet ? 1 : 0);
        // The footer sits inside the printable area, after the sheet's last row.
        if (hasRows) {
            const Primitive* footer = nullptr;
            for (const Primitive* it : items(p.sheets[size_t(i)], Primitive::Type::Text))
                if (it->text.startsWith(QStringLiteral("Итого")))
                    footer = it;
            QVERIFY(footer->rect.top() >= 20 + 16 * rowsPerSheet[i]);
            QVERIFY(footer->rect.bottom() <= 180);
        }
    }
    QVERIFY(texts(p.sheets.back()).contains(QStringLiteral("Закрытие %1").arg(rows)));
}

void TestLayout::sheetSums_data() {
    QTest::addColumn<QList<double>>("quants");
    QTest::addColumn<QStringList>("sheetTotals");
    QTest::addColumn<QString>("grand");
    QTest::newRow("one sheet") << QList<double>{1.5, 2, 3} << QStringList{"Итого 6,5"}
                               << "Всего 6,5";
    QList<double> twelve;
    for (int i = 1; i <= 12; ++i)
        twelve << i;
    // 1..9 on the first sheet (45), 10..12 on the second (33).
    QTest::newRow("two sheets") << twelve << QStringList{"Итого 45", "Итого 33"} << "Всего 78";
}

void TestLayout::sheetSums() {
    QFETCH(QList<double>, quants);
    QFETCH(QStringList, sheetTotals);
    QFETCH(QString, grand);
    Variables vars;
    Report r(templ(kTable), &vars);
    Rows src;
    src.quants = quants;
    src.attach(r);
    const PreparedReport& p = r.prepare();
    QStringList totals;
    for (const Sheet& s : p.sheets)
        totals << texts(s).filter(QRegularExpression("^Итого"));
    QCOMPARE(totals, sheetTotals);
    QVERIFY(p.sheets.size() >= 2);
    QVERIFY(texts(p.sheets[p.sheets.size() - 2]).contains(grand));
    // The grand total lives on for the closing page.
    QVERIFY(texts(p.sheets.back()).contains(QString(grand).replace("Всего", "Закрытие")));
    // A second preparation computes the same totals again.
    src.ds = UserDataset();
    src.attach(r);
    QStringList again;
    for (const Sheet& s : r.prepare().sheets)
        again << texts(s).filter(QRegularExpression("^Итого"));
    QCOMPARE(again, sheetTotals);
}

void TestLayout::repeatedHeaderSheetIndices() {
    Variables vars;
    Report r(templ(kTable), &vars);
    Rows src;
    for (int i = 0; i < 20; ++i)
        src.quants << 1;
    src.attach(r);
    QList<int> indices;
    r.onBeginPage = [&](int sheet) {
        indices << sheet;
        vars.set("code", sheet < 2 ? QString("S%1").arg(sheet) : QString());
    };
    const PreparedReport& p = r.prepare();
    QCOMPARE(int(p.sheets.size()), 4); // 9 + 9 + 2 rows, then the closing sheet
    QCOMPARE(indices, (QList<int>{0, 1, 2, 3}));
    QVERIFY(texts(p.sheets[0]).contains("Лист S0"));
    QVERIFY(texts(p.sheets[1]).contains("Лист S1"));
    QVERIFY(texts(p.sheets[2]).contains("Лист "));
    QCOMPARE(texts(p.sheets[2]).filter("Лист").size(), 1);
    QCOMPARE(texts(p.sheets[3]).filter("Лист").size(), 0);
    // Preparing again restarts the indices.
    indices.clear();
    src.ds = UserDataset();
    src.attach(r);
    r.prepare();
    QCOMPARE(indices, (QList<int>{0, 1, 2, 3}));
}

void TestLayout::numberForms_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("hideZeros");
    QTest::addColumn<QString>("printed");
    const QString nb = QString(QChar(0x00A0));
    QTest::newRow("grouped 1234.5")
        << QVariant(1234.5) << "grouped2" << false << "1" + nb + "234,50";
    QTest::newRow("grouped million")
        << QVariant(1234567.891) << "grouped2" << false << "1" + nb + "234" + nb + "567,89";
    QTest::newRow("grouped negative")
        << QVariant(-1000.0) << "grouped2" << false << "-1" + nb + "000,00";
    QTest::newRow("grouped zero shown") << QVariant(0.0) << "grouped2" << false << "0,00";
    QTest::newRow("grouped zero hidden") << QVariant(0.0) << "grouped2" << true << "";
    QTest::newRow("general 2.5") << QVariant(2.5) << "general" << false << "2,5";
    QTest::newRow("general 3") << QVariant(3.0) << "general" << false << "3";
    QTest::newRow("general int") << QVariant(20) << "general" << false << "20";
    QTest::newRow("general 27.778") << QVariant(27.778) << "general" << false << "27,778";
    QTest::newRow("general 15 digits") << QVariant(0.1 + 0.2) << "general" << false << "0,3";
    QTest::newRow("general zero hidden") << QVariant(0) << "general" << true << "";
    QTest::newRow("not a number stays visible")
        << QVariant(std::nan("")) << "grouped2" << true << "NAN";
    QTest::newRow("text not formatted") << QVariant("0") << "general" << true << "0";
}

void TestLayout::numberForms() {
    QFETCH(QVariant, value);
    QFETCH(QString, format);
    QFETCH(bool, hideZeros);
    QFETCH(QString, printed);
    Variables vars;
    vars.set("v", value);
    Report r(oneBand(QStringLiteral(R"([{"name": "m", "x": 10, "y": 0, "w": 300, "h": 20,
        "text": "<[v]>", "format": "%1", "hideZeros": %2}])")
                         .arg(format, hideZeros ? "true" : "false")),
             &vars);
    QCOMPARE(texts(r.prepare().sheets.at(0)), QStringList{"<" + printed + ">"});
}

void TestLayout::variablesCaseInsensitivePersistent() {
    Variables& global = Variables::global();
    global.set("Quant", 2.5);
    global.set("PROV", QStringLiteral("ООО Ромашка"));
    const QString objects = QStringLiteral(
        R"([{"name": "m", "x": 10, "y": 0, "w": 300, "h": 20, "text": "[quant] [prov] [nothing]"}])");
    Report first(oneBand(objects));
    QCOMPARE(texts(first.prepare().sheets.at(0)), QStringList{"2,5 ООО Ромашка "});
    // Another report sees the same values until they are set again.
    Report second(oneBand(objects));
    QCOMPARE(texts(second.prepare().sheets.at(0)), QStringList{"2,5 ООО Ромашка "});
    global.set("QUANT", 7);
    QCOMPARE(texts(second.prepare().sheets.at(0)), QStringList{"7 ООО Ромашка "});
    QCOMPARE(global.value("quant").typeId(), int(QMetaType::Int));
}

void TestLayout::underlines_data() {
    QTest::addColumn<double>("size");
    QTest::addColumn<int>("spacing");
    QTest::addColumn<int>("height");
    QTest::addColumn<QList<double>>("rules");
    // 3 + c + k × pitch from the object's top (y 10), k up to height ÷ pitch − 1.
    QTest::newRow("10pt, 16 high") << 10.0 << 2 << 16 << QList<double>{10 + 3 + 13};
    QTest::newRow("10pt, 45 high") << 10.0 << 2 << 45 << QList<double>{26, 41, 56};
    QTest::newRow("8pt, 26 high") << 8.0 << 2 << 26 << QList<double>{24, 37};
    QTest::newRow("8pt, 12 high: none") << 8.0 << 2 << 12 << QList<double>{};
}

void TestLayout::underlines() {
    QFETCH(double, size);
    QFETCH(int, spacing);
    QFETCH(int, height);
    QFETCH(QList<double>, rules);
    Variables vars;
    Report r(oneBand(QStringLiteral(R"([{"name": "m", "x": 10, "y": 10, "w": 200, "h": %1,
        "size": %2, "lineSpacing": %3, "underlines": true, "frameWidth": 2}])")
                         .arg(height)
                         .arg(size)
                         .arg(spacing),
                     false, 100),
             &vars);
    QList<double> ys;
    for (const Primitive* p : items(r.prepare().sheets.at(0), Primitive::Type::Line)) {
        QCOMPARE(p->line.x1(), 10.0);
        QCOMPARE(p->line.x2(), 210.0);
        QCOMPARE(p->width, 2.0);
        ys << p->line.y1();
    }
    QCOMPARE(ys, rules);
}

void TestLayout::manualBuild() {
    Variables vars;
    Report r(templ(R"({"name": "m", "pages": [{"paper": [720, 500], "margins": "none", "bands": [
        {"name": "MasterHeader1", "type": "MasterHeader", "y": 4, "height": 168, "objects": [
          {"name": "Memo1", "x": 20, "y": 8, "w": 216, "h": 156, "text": "[code]"}]}]}]})"),
             &vars);
    const QStringList codes{"first", "second", "third"};
    QList<int> sheetsStarted;
    r.onBeginPage = [&](int i) { sheetsStarted << i; };
    r.onManualBuild = [&](ReportBuilder& b) {
        QCOMPARE(b.pageIndex(), 0);
        for (int i = 0; i < codes.size(); ++i) {
            vars.set("code", codes[i]);
            b.showBand("masterheader1");
            if (i < codes.size() - 1)
                b.newPage();
        }
    };
    const PreparedReport& p = r.prepare();
    QCOMPARE(r.preparedSheetCount(), 3);
    QCOMPARE(sheetsStarted, (QList<int>{0, 1, 2}));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(p.sheets[size_t(i)].sizeUnits, QSize(260, 180));
        QCOMPARE(texts(p.sheets[size_t(i)]), QStringList{codes[i]});
        // The band starts at the sheet's top edge: the object's top is 8 units down.
        QCOMPARE(textItem(p.sheets[size_t(i)], codes[i])->rect.top(), 9.0);
    }
    r.onManualBuild = [](ReportBuilder& b) { b.showBand("NoSuchBand"); };
    QVERIFY_THROWS_EXCEPTION(AppError, r.prepare());
}

void TestLayout::rowSourceSkips_data() {
    QTest::addColumn<QList<double>>("quants");
    QTest::addColumn<QStringList>("printed");
    QTest::newRow("0 and 5") << QList<double>{0, 5} << QStringList{"row 2"};
    QTest::newRow("runs of zeros")
        << QList<double>{0, 0, 1, 0, 0, 0, 2, 0} << QStringList{"row 3", "row 7"};
    QTest::newRow("all zero") << QList<double>{0, 0, 0} << QStringList{};
    QTest::newRow("none skipped") << QList<double>{1, 1} << QStringList{"row 1", "row 2"};
    QTest::newRow("empty") << QList<double>{} << QStringList{};
    // A long run of passed-over records must not nest the handler ever deeper.
    QList<double> longRun(200000, 0.0);
    longRun << 4;
    QTest::newRow("200000 passed over") << longRun << QStringList{"row 200001"};
}

void TestLayout::rowSourceSkips() {
    QFETCH(QList<double>, quants);
    QFETCH(QStringList, printed);
    Variables vars;
    Report r(templ(kTable), &vars);
    Rows src;
    src.quants = quants;
    src.attach(r);
    const Sheet& s = r.prepare().sheets.at(0);
    QCOMPARE(texts(s).filter(QRegularExpression("^row ")), printed);
    // Every record is visited exactly once, passed over or printed.
    QCOMPARE(src.handlerCalls, int(quants.size()));
}

void TestLayout::appendedLandscapePages() {
    Variables vars;
    Report r(templ(kTable), &vars);
    Rows src;
    src.quants = {1};
    src.attach(r);
    // Two pages of symbols: 16 on the first, one on the second.
    for (int j = 0; j < 17; ++j) {
        if (j % 16 == 0)
            r.addPage().landscape = true;
        r.addTextObject(r.pageCount() - 1,
                        QRect(20 + 272 * (j % 4), 20 + 185 * ((j % 16) / 4), 216, 165), "Arial", 8,
                        HAlign::Center, -7, QStringLiteral("S%1").arg(j));
    }
    QCOMPARE(r.pageCount(), 4);
    const PreparedReport& p = r.prepare();
    QCOMPARE(r.preparedSheetCount(), 4);
    QCOMPARE(p.sheets[2].sizeUnits, QSize(1071, 758));
    QCOMPARE(p.sheets[2].sizeMm, QSizeF(297, 210));
    QCOMPARE(texts(p.sheets[2]).size(), 16);
    QCOMPARE(texts(p.sheets[3]), QStringList{"S16"});
    const Primitive* s5 = textItem(p.sheets[2], "S5");
    QVERIFY(s5->rect.left() > 292 && s5->rect.right() < 292 + 216);
    QVERIFY(s5->rect.top() > 205 && s5->rect.top() < 210);
    // Deleting the appended pages gives back the original report.
    while (r.pageCount() > 2)
        r.deletePage(r.pageCount() - 1);
    QCOMPARE(r.prepare().sheets.size(), size_t(2));
}

void TestLayout::childBands_data() {
    QTest::addColumn<bool>("visible");
    QTest::addColumn<QStringList>("printed");
    QTest::newRow("shown") << true << QStringList{"row 1", "child 1", "row 2", "child 2", "end"};
    QTest::newRow("hidden") << false << QStringList{"row 1", "row 2", "end"};
}

void TestLayout::childBands() {
    QFETCH(bool, visible);
    QFETCH(QStringList, printed);
    Variables vars;
    Template t = templ(R"({"name": "c", "pages": [{"paper": [1000, 500], "margins": "none",
      "bands": [
        {"name": "Child1", "type": "Child", "parent": "MasterData1", "height": 12, "objects": [
          {"name": "c1", "x": 10, "y": 0, "w": 100, "h": 12, "text": "child [npp]"}]},
        {"name": "MasterData1", "type": "MasterData", "height": 12, "dataset": "rows",
         "objects": [{"name": "r1", "x": 10, "y": 0, "w": 100, "h": 12, "text": "row [npp]"}]},
        {"name": "ReportSummary1", "type": "ReportSummary", "height": 12, "objects": [
          {"name": "s1", "x": 10, "y": 0, "w": 100, "h": 12, "text": "end"}]}]}]})");
    t.findBand("child1")->visible = visible;
    Report r(t, &vars);
    Rows src;
    src.quants = {1, 1};
    src.attach(r);
    const Sheet& s = r.prepare().sheets.at(0);
    QCOMPARE(texts(s), printed);
    // Bands follow one another without gaps.
    for (int i = 0; i < printed.size(); ++i)
        QCOMPARE(textItem(s, printed[i])->rect.top(), 12.0 * i + 1);
}

void TestLayout::placement_data() {
    QTest::addColumn<QString>("placement");
    QTest::addColumn<QString>("margins");
    QTest::addColumn<int>("x");
    // 101 mm wide sheet: 364 units; printer margins 18 each side give L 18 and R 346.
    QTest::newRow("centred") << "center"
                             << "printer" << 18 + (328 - 165) / 2;
    QTest::newRow("left") << "left"
                          << "printer" << 18;
    QTest::newRow("right") << "right"
                           << "printer" << 346 - 165;
    QTest::newRow("stored") << "stored"
                            << "printer" << 40;
    QTest::newRow("centred, no margins") << "center"
                                         << "none" << (364 - 165) / 2;
}

void TestLayout::placement() {
    QFETCH(QString, placement);
    QFETCH(QString, margins);
    QFETCH(int, x);
    Variables vars;
    Report r(templ(QStringLiteral(R"({"name": "p", "pages": [{"paper": [1010, 1280],
        "margins": "%1", "objects": [{"name": "m", "x": 40, "y": 48, "w": 165, "h": 96,
        "text": "x", "frame": "L", "placement": "%2"}]}]})")
                       .arg(margins, placement)
                       .toUtf8()),
             &vars);
    const auto lines = items(r.prepare().sheets.at(0), Primitive::Type::Line);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0]->line.x1(), double(x));
}

void TestLayout::justified() {
    Variables vars;
    FontSpec f;
    const QString para = QStringLiteral("один два три четыре пять шесть семь восемь девять");
    Report r(oneBand(QStringLiteral(R"([{"name": "m", "x": 10, "y": 0, "w": 150, "h": 20,
        "text": "%1", "align": "J/T", "wordWrap": true, "stretch": true}])")
                         .arg(para),
                     true, 20),
             &vars);
    const Sheet& s = r.prepare().sheets.at(0);
    const auto words = items(s, Primitive::Type::Text);
    QCOMPARE(texts(s).join(' '), para);
    // Every line but the last runs from the left to the right inner gap.
    QList<double> lineRight;
    double lastBaseline = -1;
    for (const Primitive* w : words) {
        if (w->origin.y() != lastBaseline) {
            lineRight << 0;
            QCOMPARE(w->origin.x(), 12.0);
            lastBaseline = w->origin.y();
        }
        lineRight.last() = w->rect.right();
    }
    QVERIFY(lineRight.size() >= 2);
    for (int i = 0; i < lineRight.size() - 1; ++i)
        QVERIFY(std::fabs(lineRight[i] - 158.0) < 0.01);
    QVERIFY(lineRight.last() < 158.0);
}

void TestLayout::wrapUsesInnerGaps_data() {
    QTest::addColumn<QString>("align");
    QTest::addColumn<double>("spare"); // object width less the text's width, at least
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("stands"); // where the first line stands in the object
    // Between the gaps a line stands as aligned; in the gaps it keeps inside the object.
    QTest::newRow("L, between the gaps") << "L/T" << 6.0 << 1 << "left gap";
    QTest::newRow("C, between the gaps") << "C/T" << 6.0 << 1 << "centre";
    QTest::newRow("R, between the gaps") << "R/T" << 6.0 << 1 << "right gap";
    QTest::newRow("L, into the right gap") << "L/T" << 1.0 << 1 << "right edge";
    QTest::newRow("C, into both gaps") << "C/T" << 1.0 << 1 << "centre";
    QTest::newRow("R, into the left gap") << "R/T" << 1.0 << 1 << "left edge";
    QTest::newRow("L, wider than the object") << "L/T" << -1.0 << 2 << "left gap";
    QTest::newRow("R, wider than the object") << "R/T" << -1.0 << 2 << "right gap";
}

void TestLayout::wrapUsesInnerGaps() {
    QFETCH(QString, align);
    QFETCH(double, spare);
    QFETCH(int, lines);
    QFETCH(QString, stands);
    // A two-word heading in a box sized around it breaks only when wider than the box.
    FontSpec f;
    f.size = 10;
    f.bold = true;
    const QString text = QStringLiteral("ТОВАРНАЯ НАКЛАДНАЯ");
    const int x = 100, w = int(std::ceil(textWidth(f, text) + spare));
    Variables vars;
    Report r(oneBand(QStringLiteral(R"([{"name": "m", "x": %1, "y": 0, "w": %2, "h": 20,
        "text": "%3", "size": 10, "bold": true, "align": "%4", "frame": "box",
        "stretch": true, "wordWrap": true}])")
                         .arg(x)
                         .arg(w)
                         .arg(text, align),
                     false, 60),
             &vars);
    const Sheet& s = r.prepare().sheets.at(0);
    QCOMPARE(texts(s).size(), lines);
    if (lines == 1)
        QCOMPARE(texts(s).at(0), text);
    const QRectF line = items(s, Primitive::Type::Text).at(0)->rect;
    const QHash<QString, double> at = {{"left gap", line.left() - (x + 2)},
                                       {"right gap", line.right() - (x + w - 2)},
                                       {"centre", line.center().x() - (x + w / 2.0)},
                                       {"left edge", line.left() - x},
                                       {"right edge", line.right() - (x + w)}};
    QVERIFY2(std::fabs(at[stands]) < 0.01, qPrintable(QString::number(at[stands])));
    QVERIFY(line.left() >= x - 0.01 && line.right() <= x + w + 0.01);
}

void TestLayout::brokenTemplates_data() {
    QTest::addColumn<QString>("json");
    QTest::addColumn<QString>("mentions");
    const QString page =
        R"({"name": "b", "pages": [{"paper": [1000, 500], "bands": [{"name": "Band1",
            "type": "ReportTitle", "height": 40, "objects": [%1]}]}]})";
    QTest::newRow("not json") << "{"
                              << "broken.json";
    QTest::newRow("no pages") << R"({"name": "b", "pages": []})"
                              << "страниц";
    QTest::newRow("unknown property")
        << page.arg(R"({"name": "Memo7", "x": 1, "y": 1, "w": 10, "h": 10, "colour": 1})")
        << "объект Memo7";
    QTest::newRow("bad align")
        << page.arg(R"({"name": "Memo8", "x": 1, "y": 1, "w": 10, "h": 10, "align": "X/Y"})")
        << "объект Memo8";
    QTest::newRow("wider than sheet")
        << page.arg(R"({"name": "Memo9", "x": 300, "y": 1, "w": 100, "h": 10})") << "объект Memo9";
    QTest::newRow("duplicate name")
        << page.arg(R"({"name": "memo1", "x": 1, "y": 1, "w": 10, "h": 10},
                       {"name": "MEMO1", "x": 1, "y": 1, "w": 10, "h": 10})")
        << "объект MEMO1";
    QTest::newRow("missing x") << page.arg(R"({"name": "Memo2", "y": 1, "w": 10, "h": 10})")
                               << "объект Memo2";
    QTest::newRow("bad script")
        << page.arg(R"({"name": "Memo3", "x": 1, "y": 1, "w": 10, "h": 10, "script": ["x:=1+"]})")
        << "объект Memo3";
    QTest::newRow("sum over a missing band")
        << page.arg(R"({"name": "Memo4", "x": 1, "y": 1, "w": 10, "h": 10,
                       "script": ["s:=Sum([q],MasterData9);"]})")
        << "объект Memo4";
    QTest::newRow("unknown band type")
        << R"({"name": "b", "pages": [{"bands": [{"name": "Band5", "type": "Footer", "height": 1}]}]})"
        << "бэнд Band5";
    QTest::newRow("page name twice")
        << R"({"name": "b", "pages": [{"name": "Page1"}, {"name": "page1"}]})"
        << "имя страницы page1 повторяется";
}

void TestLayout::brokenTemplates() {
    QFETCH(QString, json);
    QFETCH(QString, mentions);
    try {
        Template::fromJson(json.toUtf8(), "broken.json");
        QFAIL("no error on load");
    } catch (const AppError& e) {
        QVERIFY2(e.message().contains("broken.json"), qPrintable(e.message()));
        QVERIFY2(e.message().contains(mentions), qPrintable(e.message()));
    }
}

void TestLayout::findObjectIgnoresCase() {
    Template t = Template::load("frBarCode");
    QVERIFY(t.findObject("memo1"));
    QCOMPARE(t.findObject("MEMO1")->name, QStringLiteral("Memo1"));
    QVERIFY(!t.findObject("Memo2"));
    QCOMPARE(t.title, QStringLiteral("Штрих-код"));
    // Pages keep the names they are given; a page without one has an empty name.
    const Template named = templ(R"({"name": "n", "pages": [{}, {"name": "Page2"}]})");
    QCOMPARE(named.pages[0].name, QString());
    QCOMPARE(named.pages[1].name, QStringLiteral("Page2"));
    QVERIFY_THROWS_EXCEPTION(AppError, Template::load("noSuchForm"));
}

void TestLayout::preparedFileRoundTrip() {
    Variables vars;
    Report r(templ(kTable), &vars);
    Rows src;
    for (int i = 0; i < 12; ++i)
        src.quants << i;
    src.attach(r);
    const PreparedReport& p = r.prepare();
    QTemporaryDir dir;
    const QString file = dir.filePath("report.trp");
    p.save(file);
    const PreparedReport back = PreparedReport::load(file);
    QCOMPARE(back.sheets.size(), p.sheets.size());
    for (size_t i = 0; i < p.sheets.size(); ++i) {
        QCOMPARE(back.sheets[i].plainText(), p.sheets[i].plainText());
        QCOMPARE(back.sheets[i].items.size(), p.sheets[i].items.size());
        QCOMPARE(back.sheets[i].sizeUnits, p.sheets[i].sizeUnits);
    }
    // A cut or foreign file is refused with a message, not read half-way.
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray all = f.readAll();
    f.close();
    const QString cut = dir.filePath("cut.trp");
    for (qsizetype size = 0; size < all.size(); size += 97) {
        QFile c(cut);
        QVERIFY(c.open(QIODevice::WriteOnly | QIODevice::Truncate));
        c.write(all.left(size));
        c.close();
        QVERIFY_THROWS_EXCEPTION(AppError, PreparedReport::load(cut));
    }
    QFile g(dir.filePath("other.trp"));
    QVERIFY(g.open(QIODevice::WriteOnly));
    g.write("%PDF-1.4 not ours");
    g.close();
    QVERIFY_THROWS_EXCEPTION(AppError, PreparedReport::load(dir.filePath("other.trp")));
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
