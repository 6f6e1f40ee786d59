// PDF417 symbols through the report engine: the barcode sheet (frBarCode) is built from
// converter output, its sheets are rendered at 300 dpi and read back with zxing-cpp.
#include "core/apperror.h"
#include "core/cp1251.h"
#include "forms/barcodesheet.h"
#include "forms/pdf417converter.h"
#include "forms/renderer.h"
#include "forms/report.h"
#include "symbolread.h"

#include <QImage>
#include <QtTest>

namespace {

QString cycle(const QString& alphabet, int length) {
    QString s;
    for (int i = 0; i < length; ++i)
        s += alphabet.at(i % alphabet.size());
    return s;
}

const QString kText = QStringLiteral("Счёт-фактура #12-3 <Ёлка> ABCxyz 0123456789 №");

QByteArray readBack(const QImage& image) {
    return readSymbolBytes(image, ZXing::BarcodeFormat::PDF417);
}

// Bounds of the dark pixels of `image` in form units: left, top, right, bottom.
QRectF darkBounds(const QImage& rgb, double dpi) {
    const QImage image = rgb.convertToFormat(QImage::Format_Grayscale8);
    int left = image.width(), right = -1, top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (row[x] < 128) {
                left = qMin(left, x);
                right = qMax(right, x);
                if (top < 0)
                    top = y;
                bottom = y;
            }
        }
    }
    const double k = Forms::unitsToDots(dpi);
    return right < 0 ? QRectF()
                     : QRectF(left / k, top / k, (right + 1 - left) / k, (bottom + 1 - top) / k);
}

} // namespace

class Pdf417SheetTest : public QObject {
    Q_OBJECT

private slots:
    void readsBackFromSheets_data();
    void readsBackFromSheets();
    void conversionErrorStopsThePreparation();
    void fullSymbolsThroughTheRenderer_data();
    void fullSymbolsThroughTheRenderer();
};

void Pdf417SheetTest::readsBackFromSheets_data() {
    QTest::addColumn<QStringList>("chunks");

    QTest::newRow("one character") << QStringList{QStringLiteral("1")};
    QTest::newRow("sheet example") << QStringList{QStringLiteral("<N0101Привет, мир #1-2011011>")};
    QTest::newRow("three framed symbols") << QStringList{
        QStringLiteral("<N0301") + cycle(kText, 100) + QStringLiteral("100>"),
        QStringLiteral("<N0302") + cycle(kText.mid(7), 100) + QStringLiteral("100>"),
        QStringLiteral("<N0303") + cycle(kText.mid(3), 101) + QStringLiteral("101>")};
    // Near the tallest symbol that the 72 x 50 mm sheet holds at 7 columns: 42 rows.
    QTest::newRow("320 characters") << QStringList{cycle(kText, 320)};
}

void Pdf417SheetTest::readsBackFromSheets() {
    QFETCH(QStringList, chunks);

    Forms::Variables variables;
    Forms::Report report(Forms::Template::load(QStringLiteral("frBarCode")), &variables);
    Pdf417Converter converter;
    Pdf417Settings settings;
    settings.second = 7; // the barcode sheet's column count
    Forms::setBarcodeSheetBuild(report, int(chunks.size()), [&](int i) {
        return ConvertChunk(converter, chunks, i, settings);
    });
    const Forms::PreparedReport& prepared = report.prepare();
    QCOMPARE(int(prepared.sheets.size()), int(chunks.size()));

    for (int i = 0; i < chunks.size(); ++i) {
        const QImage image = Forms::renderSheet(prepared.sheets[size_t(i)], 300);
        QCOMPARE(readBack(image), Cp1251::encode(chunks.at(i)));

        // Centred on x = 20 + 216 / 2; the first row 1 unit below the object's top, which is
        // 8 units below the sheet's top (the band starts at the top edge of a fresh sheet).
        const QRectF bounds = darkBounds(image, 300);
        QVERIFY2(qAbs(bounds.center().x() - 128) < 0.5, qPrintable(QString::number(bounds.x())));
        QVERIFY2(qAbs(bounds.width() - 188) < 0.7, qPrintable(QString::number(bounds.width())));
        QVERIFY2(qAbs(bounds.top() - 9) < 0.5, qPrintable(QString::number(bounds.top())));
        QVERIFY(bounds.bottom() <= 180);
    }
}

void Pdf417SheetTest::conversionErrorStopsThePreparation() {
    Forms::Variables variables;
    Forms::Report report(Forms::Template::load(QStringLiteral("frBarCode")), &variables);
    Pdf417Converter converter;
    const QStringList chunks = {QStringLiteral("first"), cycle(kText, 900)};
    Forms::setBarcodeSheetBuild(report, int(chunks.size()), [&](int i) {
        return ConvertChunk(converter, chunks, i, Pdf417Settings{-1, 7, 0});
    });
    try {
        report.prepare();
        QFAIL("no error raised");
    } catch (const AppError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("слишком длинный")), qPrintable(e.message()));
    }
    QCOMPARE(report.preparedSheetCount(), 0);
}

// The longest symbol texts, at the waybill's column counts, in an object as wide as the
// waybill's (284 units) with room below it: every one reads back from the rendered page.
void Pdf417SheetTest::fullSymbolsThroughTheRenderer_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("columns");
    const QString digits = cycle(QStringLiteral("0123456789"), 410);
    const QString mixed = QStringLiteral("<N0101") + cycle(kText, 400) + QStringLiteral("0410>");
    for (int columns : {8, 7}) {
        QTest::addRow("410 digits, %d columns", columns) << digits << columns;
        QTest::addRow("410 mixed, %d columns", columns) << mixed << columns;
    }
}

void Pdf417SheetTest::fullSymbolsThroughTheRenderer() {
    QFETCH(QString, text);
    QFETCH(int, columns);
    const char* const json = R"({"name": "symbolpage", "pages": [{"paper": [2100, 2970],
        "margins": "none", "bands": [{"name": "ReportTitle1", "type": "ReportTitle",
        "height": 120, "stretch": true, "objects": [{"name": "mPdf", "x": 40, "y": 10, "w": 284,
        "h": 100, "text": ["[code]"], "font": "Code PDF417", "size": 8, "align": "C/T",
        "stretch": true, "wordWrap": true, "lineSpacing": -7}]}]}]})";
    Forms::Variables variables;
    Forms::Report report(Forms::Template::fromJson(json, "symbolpage.json"), &variables);
    Pdf417Converter converter;
    const QString code = converter.Convert(text, -1, columns, 0);
    variables.set(QStringLiteral("code"), code);
    const Forms::PreparedReport& prepared = report.prepare();
    QCOMPARE(int(prepared.sheets.size()), 1);
    const QImage image = Forms::renderSheet(prepared.sheets.front(), 300);
    QCOMPARE(readBack(image), Cp1251::encode(text));
    // The object stretched by 4 units a row: the symbol ends 4 units a row below its start.
    const QRectF bounds = darkBounds(image, 300);
    const int rows = int(code.count(QLatin1Char('\n'))) + 1;
    QVERIFY2(qAbs(bounds.height() - 4.0 * rows) < 0.7,
             qPrintable(QString::number(bounds.height())));
}

QTEST_MAIN(Pdf417SheetTest)
#include "pdf417_sheet_test.moc"
