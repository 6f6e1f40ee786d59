// Rendering to PDF and PNG: positions and texts read back from the output files.
#include "forms/barcodesheet.h"
#include "forms/renderer.h"
#include "forms/report.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace Forms;

namespace {

struct Word {
    int page;
    QRectF box; // form units
    QString text;
};

struct PdfText {
    QList<QSizeF> pages; // form units
    QList<Word> words;

    QList<Word> find(const QString& text) const {
        QList<Word> out;
        for (const Word& w : words)
            if (w.text == text)
                out << w;
        return out;
    }
};

// Words and page sizes of a PDF as pdftotext sees them, converted to form units.
PdfText readPdf(const QString& file) {
    QProcess p;
    p.start("pdftotext", {"-bbox", file, "-"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qFatal("pdftotext failed");
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    const double k = kUnitsPerInch / 72.0;
    PdfText out;
    static const QRegularExpression tag(
        R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            out.pages << QSizeF(m.captured(1).toDouble() * k, m.captured(2).toDouble() * k);
            continue;
        }
        out.words << Word{
            int(out.pages.size()) - 1,
            QRectF(QPointF(m.captured(3).toDouble() * k, m.captured(4).toDouble() * k),
                   QPointF(m.captured(5).toDouble() * k, m.captured(6).toDouble() * k)),
            m.captured(7)};
    }
    return out;
}

// An A4 landscape form with printer margins: the title band starts at y 18.
const char* const kForm = R"({
  "name": "geo", "pages": [ { "paper": [2100, 2970], "orientation": "landscape", "bands": [
    { "name": "ReportTitle1", "type": "ReportTitle", "height": 100, "objects": [
      { "name": "mLeft", "x": 20, "y": 10, "w": 300, "h": 20, "text": "ЛевыйТекст" },
      { "name": "mCentre", "x": 400, "y": 10, "w": 300, "h": 20, "text": "Центр", "align": "C/T" },
      { "name": "mRight", "x": 700, "y": 40, "w": 300, "h": 20, "text": "Правый", "align": "R/T" },
      { "name": "mBox", "x": 20, "y": 60, "w": 200, "h": 30, "frame": "box", "frameWidth": 2 }
    ] },
    { "name": "MasterData1", "type": "MasterData", "height": 20, "dataset": "rows", "objects": [
      { "name": "mRow", "x": 20, "y": 0, "w": 200, "h": 20, "text": "Строка[n]" } ] },
    { "name": "ColumnFooter1", "type": "ColumnFooter", "height": 20, "objects": [
      { "name": "mSum", "x": 20, "y": 0, "w": 200, "h": 20, "text": "Итого [s]",
        "script": ["s:=Sum([n],MasterData1);"] } ] } ] } ]
})";

} // namespace

class TestGeometry : public QObject {
    Q_OBJECT

private slots:
    void pdfPositionsAndTexts();
    void pngFrame();
    void barcodeSheet_data();
    void barcodeSheet();

private:
    QTemporaryDir m_dir;
};

void TestGeometry::pdfPositionsAndTexts() {
    Variables vars;
    Report r(Template::fromJson(kForm, "geo.json"), &vars);
    UserDataset rows;
    rows.rangeCount = 40;
    rows.onFirst = rows.onNext = [&] { vars.set("n", rows.recNo() + 1); };
    r.setDataset("rows", &rows);
    const PreparedReport& prepared = r.prepare();
    const QString file = m_dir.filePath("geo.pdf");
    writePdf(prepared, file);
    const PdfText pdf = readPdf(file);
    QCOMPARE(pdf.pages.size(), int(prepared.sheets.size()));
    QVERIFY(pdf.pages.size() >= 2);
    QVERIFY(std::fabs(pdf.pages[0].width() - 1071.4) < 1 &&
            std::fabs(pdf.pages[0].height() - 757.6) < 1);

    const double tol = 1.0;
    const Word left = pdf.find("ЛевыйТекст").value(0);
    QVERIFY(std::fabs(left.box.left() - 22) < tol);              // x + inner gap
    QVERIFY(left.box.top() > 28 - 2 && left.box.top() < 28 + 3); // 18 + y 10, gap 1
    const Word centre = pdf.find("Центр").value(0);
    QVERIFY(std::fabs(centre.box.center().x() - 550) < tol);
    const Word right = pdf.find("Правый").value(0);
    QVERIFY(std::fabs(right.box.right() - 998) < tol);
    QVERIFY(right.box.top() > 58 - 2 && right.box.top() < 58 + 3);

    // Rows follow the 100-unit title; each sheet ends with its own total; all 40 rows print.
    int printed = 0;
    double sum = 0;
    for (int page = 0; page < pdf.pages.size(); ++page) {
        double pageSum = 0, lastRowTop = 0;
        for (const Word& w : pdf.words) {
            if (w.page != page || !w.text.startsWith("Строка"))
                continue;
            ++printed;
            pageSum += w.text.mid(6).toInt();
            QVERIFY(w.box.top() > lastRowTop);
            lastRowTop = w.box.top();
        }
        QList<Word> totals;
        for (const Word& w : pdf.find(QString::number(pageSum)))
            if (w.page == page && w.box.left() > 40)
                totals << w;
        QCOMPARE(totals.size(), 1);
        QVERIFY(totals[0].box.top() > lastRowTop);
        QVERIFY(totals[0].box.bottom() < 758 - 18);
        sum += pageSum;
    }
    QCOMPARE(printed, 40);
    QCOMPARE(sum, 40.0 * 41 / 2);
    const Word firstRow = pdf.find("Строка1").value(0);
    QVERIFY(firstRow.box.top() > 118 && firstRow.box.top() < 123);
}

void TestGeometry::pngFrame() {
    Variables vars;
    Report r(Template::fromJson(kForm, "geo.json"), &vars);
    UserDataset rows;
    r.setDataset("rows", &rows);
    const QString file = m_dir.filePath("geo.png");
    QCOMPARE(writePng(r.prepare(), file, 300), QStringList{file});
    const QImage img(file);
    QCOMPARE(img.size(), QSize(3508, 2481)); // A4 landscape at 300 dpi
    // The box of mBox: x 20..220, y 78..108 (title at 18), 2 units wide.
    const double k = 300 / kUnitsPerInch;
    auto dark = [&](double x, double y) { return qGray(img.pixel(int(x * k), int(y * k))) < 128; };
    QVERIFY(dark(120, 78));
    QVERIFY(dark(120, 108));
    QVERIFY(dark(20, 93));
    QVERIFY(dark(220, 93));
    QVERIFY(!dark(120, 93));
    QVERIFY(!dark(120, 74));
}

void TestGeometry::barcodeSheet_data() {
    QTest::addColumn<int>("symbols");
    QTest::addColumn<int>("lines");
    QTest::newRow("one symbol, 10 lines") << 1 << 10;
    QTest::newRow("three symbols, 30 lines") << 3 << 30;
    QTest::newRow("50 lines: the memo grows") << 2 << 50;
}

void TestGeometry::barcodeSheet() {
    QFETCH(int, symbols);
    QFETCH(int, lines);
    Report r = Report::load("frBarCode");
    QStringList asked;
    setBarcodeSheetBuild(r, symbols, [&](int i) {
        asked << QString::number(i);
        QStringList rows;
        for (int k = 0; k < lines; ++k)
            rows << QString(10 + i, QChar('A' + i));
        return rows.join('\n');
    });
    const PreparedReport& p = r.prepare();
    QCOMPARE(r.preparedSheetCount(), symbols);
    QCOMPARE(asked.size(), symbols);
    for (const Sheet& s : p.sheets) {
        QCOMPARE(s.sizeUnits, QSize(260, 180));
        QCOMPARE(s.sizeMm, QSizeF(72, 50));
        QCOMPARE(int(s.items.size()), 1);
        const Primitive& sym = s.items[0];
        QCOMPARE(sym.type, Primitive::Type::Pdf417);
        QCOMPARE(sym.rows.size(), lines);
        QCOMPARE(sym.pitch, 4.0);
        QCOMPARE(sym.module, 1.0);
        // Memo1 at (20, 8) 216 wide, less the inner gaps; centred on x 128.
        QCOMPARE(sym.rect.left(), 22.0);
        QCOMPARE(sym.rect.top(), 9.0);
        QCOMPARE(sym.rect.center().x(), 128.0);
        // It reaches the stretched band's bottom (168) or grows 4 units a line beyond it.
        QCOMPARE(sym.rect.height(), double(qMax(168 - 8, 1 + 4 * lines) - 1));
    }
    const QString file = m_dir.filePath("sheet.pdf");
    writePdf(p, file);
    const PdfText pdf = readPdf(file);
    QCOMPARE(pdf.pages.size(), symbols);
    QVERIFY(std::fabs(pdf.pages[0].width() - 72 / kMmPerUnit) < 0.5);
    QVERIFY(std::fabs(pdf.pages[0].height() - 50 / kMmPerUnit) < 0.5);
}

QTEST_MAIN(TestGeometry)
#include "tst_geometry.moc"
