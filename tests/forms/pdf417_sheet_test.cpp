// PDF417 symbols through the report engine: the barcode sheet (frBarCode) is built from
// converter output, its sheets are rendered at 300 dpi and read back with zxing-cpp.
#include "core/apperror.h"
#include "core/cp1251.h"
#include "forms/barcodesheet.h"
#include "forms/pdf417converter.h"
#include "forms/pdf417glyphs.h"
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

// Symbol texts as the payload rules frame them: "<N0101", a piece of 400 characters, "400>".
QString framed(const QString& alphabet) {
    return QStringLiteral("<N0101") + cycle(alphabet, 400) + QStringLiteral("400>");
}

// Every character of Windows-1251, from byte 1 to 255.
QString everyCp1251Character() {
    QByteArray bytes;
    for (int b = 1; b < 256; ++b)
        if (b != 0x98) // the one byte with no character
            bytes += char(b);
    return Cp1251::decode(bytes);
}

// A waybill band as the table forms have it: the symbol object on top, the table's headings
// 140 units below the band's top (boxed, across the symbol's width). The band prints below a
// title band of 100 units, as on a waybill's first sheet.
QByteArray headedBand(int symbolY, int symbolH) {
    return QStringLiteral(R"({"name": "headed", "pages": [{"paper": [2100, 2970],
        "orientation": "landscape", "margins": "none", "bands": [
        {"name": "ReportTitle1", "type": "ReportTitle", "height": 100},
        {"name": "MasterHeader1", "type": "MasterHeader", "height": 204, "stretch": true,
         "objects": [
          {"name": "mPdf", "x": 20, "y": %1, "w": 284, "h": %2, "text": ["[code]"],
           "font": "Code PDF417", "size": 8, "align": "C/T", "stretch": true,
           "wordWrap": true, "lineSpacing": -7},
          {"name": "Memo50", "x": 20, "y": 140, "w": 24, "h": 48, "text": ["№ пп"],
           "align": "C/M", "frame": "box"},
          {"name": "Memo51", "x": 44, "y": 140, "w": 264, "h": 16, "text": ["Товар"],
           "align": "C/T", "frame": "box"}]}]}]})")
        .arg(symbolY)
        .arg(symbolH)
        .toUtf8();
}

// The sheet with its first symbol only.
Forms::Sheet firstSymbolOnly(const Forms::Sheet& sheet) {
    Forms::Sheet only = sheet;
    only.items.clear();
    for (const Forms::Primitive& p : sheet.items)
        if (p.type == Forms::Primitive::Type::Pdf417 && only.items.empty())
            only.items.push_back(p);
    return only;
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
    void symbolsFitTheirPlace_data();
    void symbolsFitTheirPlace();
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

// Every place that prints a symbol, with the longest symbol texts: the symbol, converted as the
// waybill printing converts it (its columns widened for the object's room), stays inside the
// object's room and reads back from a 300 dpi raster of the sheet.
void Pdf417SheetTest::symbolsFitTheirPlace_data() {
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRectF>("room"); // on the sheet, in form units

    const QString cyrillic =
        QStringLiteral("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя");
    const QString texts[][2] = {
        {QStringLiteral("410 Cyrillic"), framed(cyrillic)},
        {QStringLiteral("410 mixed"),
         framed(QStringLiteral("4101234567#1#12,5#1534,38#SN00012345;SN00012346;#"
                               "4101234568#2#3#96,1#Д-17/2026#"))},
        // Single letters between Latin, digits and signs are the costliest for the encoder.
        {QStringLiteral("410 alternating"), framed(QStringLiteral("Ж1ж#Я,ё-Ф2ы;Ъ.ю "))},
        {QStringLiteral("410 every character"), framed(everyCp1251Character())},
    };
    const struct {
        const char* name;
        QRectF room;
    } places[] = {
        // Down to 1 unit above the headings at 140 below the band's top (band at 100).
        {"TORG-12 mPdf", QRectF(20, 104, 284, 135)},
        {"1-T mPdf", QRectF(20, 100, 284, 139)},
        {"barcode sheet", QRectF(20, 8, 216, 172)},         // to the sheet's bottom edge
        {"appended symbol page", QRectF(20, 20, 216, 165)}, // the object itself
    };
    for (const auto& place : places)
        for (const auto& text : texts)
            QTest::addRow("%s, %s", place.name, qPrintable(text[0]))
                << QString::fromLatin1(place.name) << text[1] << place.room;
}

void Pdf417SheetTest::symbolsFitTheirPlace() {
    QFETCH(QString, place);
    QFETCH(QString, text);
    QFETCH(QRectF, room);

    Forms::Variables variables;
    Pdf417Converter converter;
    const QStringList chunks{text};
    Pdf417Settings settings; // -1, 8, 0 as the waybills set them
    Forms::Report report(place == QLatin1String("barcode sheet")
                             ? Forms::Template::load(QStringLiteral("frBarCode"))
                         : place == QLatin1String("TORG-12 mPdf")
                             ? Forms::Template::fromJson(headedBand(4, 32), "torg12.json")
                         : place == QLatin1String("1-T mPdf")
                             ? Forms::Template::fromJson(headedBand(0, 56), "1t.json")
                             : Forms::Template::fromJson(
                                   R"({"name": "blank", "pages": [{"bands": []}]})", "blank.json"),
                         &variables);
    QString object = QStringLiteral("mPdf");
    int sheet = 0;
    if (place == QLatin1String("barcode sheet")) {
        object = QStringLiteral("Memo1");
        settings.second = 7;
        const Pdf417Room memo = report.symbolRoom(object);
        Forms::setBarcodeSheetBuild(
            report, 1, [&](int i) { return ConvertChunk(converter, chunks, i, settings, memo); });
    } else if (place == QLatin1String("appended symbol page")) {
        // As the waybill printing appends them: a landscape page, objects 272 and 185 apart.
        report.addPage().landscape = true;
        for (const QPoint at : {QPoint(20, 20), QPoint(292, 20), QPoint(20, 205)}) {
            Forms::FormObject& o =
                report.addTextObject(1, QRect(at, QSize(216, 165)), QStringLiteral("Code PDF417"),
                                     8, Forms::HAlign::Center, -7, QString());
            o.setText(ConvertChunk(converter, chunks, 0, settings, report.symbolRoom(o.name)));
            if (at == QPoint(20, 20))
                object = o.name;
        }
        sheet = 1;
    } else {
        variables.set(QStringLiteral("code"),
                      ConvertChunk(converter, chunks, 0, settings, report.symbolRoom(object)));
    }
    const Pdf417Room objectRoom = report.symbolRoom(object);
    const Forms::PreparedReport& prepared = report.prepare();
    QVERIFY(int(prepared.sheets.size()) > sheet);
    const Forms::Sheet& printed = prepared.sheets[size_t(sheet)];

    // The symbol's drawn extent lies inside the room, to a dot of the raster.
    const double dot = 1 / Forms::unitsToDots(300);
    const QRectF drawn = darkBounds(Forms::renderSheet(firstSymbolOnly(printed), 300), 300);
    const QRectF inside = room.adjusted(2 - dot, 1 - dot, -2 + dot, dot);
    QVERIFY2(drawn.isValid() && inside.contains(drawn),
             qPrintable(QStringLiteral("drawn %1, %2 – %3, %4")
                            .arg(drawn.left())
                            .arg(drawn.top())
                            .arg(drawn.right())
                            .arg(drawn.bottom())));

    // Full size (4-unit pitch, 1-unit module) unless the symbol at its widest was too tall.
    const Forms::Primitive* symbol = nullptr;
    for (const Forms::Primitive& p : printed.items)
        if (p.type == Forms::Primitive::Type::Pdf417 && !symbol)
            symbol = &p;
    QVERIFY(symbol);
    const int rows = int(symbol->rows.size());
    const int modules = Pdf417Glyphs::lineModules(symbol->rows.front());
    const int widest = 17 * (Pdf417MaxColumns(objectRoom.width) + 4) + 5;
    qInfo("%d rows of %d modules: pitch %.3f, module %.3f", rows, modules, symbol->pitch,
          symbol->module);
    if (symbol->pitch < 4 || symbol->module < 1) {
        QCOMPARE(modules, widest);
        QVERIFY(rows * 4.0 > objectRoom.height);
    }
    QVERIFY(symbol->pitch >= 3 * symbol->module - 1e-9);

    // The symbol reads back from the sheet's raster, its neighbours and headings around it.
    const double k = Forms::unitsToDots(300);
    const QRectF around = room.adjusted(-8, -8, 8, 8);
    const QImage image = Forms::renderSheet(printed, 300)
                             .copy(QRectF(around.topLeft() * k, around.size() * k).toRect());
    QCOMPARE(readBack(image), Cp1251::encode(text));
}

QTEST_MAIN(Pdf417SheetTest)
#include "pdf417_sheet_test.moc"
