// PDF417 converter and module painter: symbols are painted at printer resolution and read
// back with an independent decoder.
#include "core/apperror.h"
#include "core/cp1251.h"
#include "forms/pdf417converter.h"
#include "forms/pdf417glyphs.h"
#include "symbolread.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr double kUnitsPerInch = 91.6256; // form units
constexpr double kPitch = 4.0;            // 8 pt cell (11 units) with line spacing -7

// A text of `length` characters cycling through `alphabet`.
QString cycle(const QString& alphabet, int length) {
    QString s;
    for (int i = 0; i < length; ++i)
        s += alphabet.at(i % alphabet.size());
    return s;
}

const QString kCyrillic =
    QStringLiteral("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя№");
const QString kMixed = QStringLiteral("0123456789 ABCxyz Счёт-фактура #12-3 <Ёлка> ");

// Paints `lines` centred in an object `objectWidth` units wide (inner gaps of 2 units each
// side, 1 unit on top) on a white page at `dpi`, with a margin around the object.
QImage renderSymbol(const QStringList& lines, double dpi, double objectWidth = 216.0) {
    const double margin = 10.0;
    const double scale = dpi / kUnitsPerInch;
    const QSizeF units(objectWidth + 2 * margin, lines.size() * kPitch + 1 + 2 * margin);
    QImage image(qCeil(units.width() * scale), qCeil(units.height() * scale), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    const QRectF object(margin, margin, objectWidth, lines.size() * kPitch + 1);
    Pdf417Glyphs::paint(painter, object.adjusted(2, 1, -2, 0), lines, kPitch);
    painter.end();
    return image.convertToFormat(QImage::Format_Grayscale8);
}

// The bytes of the PDF417 symbol found in `image`, or a null array.
QByteArray readBack(const QImage& image) {
    return readSymbolBytes(image, ZXing::BarcodeFormat::PDF417);
}

// Horizontal extent [first, last] of dark pixels in `image`, or {-1, -1}.
QPair<int, int> darkColumns(const QImage& image, int* firstRow = nullptr, int* lastRow = nullptr) {
    int left = -1, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (row[x] < 128) {
                if (left < 0 || x < left)
                    left = x;
                right = qMax(right, x);
                if (top < 0)
                    top = y;
                bottom = y;
            }
        }
    }
    if (firstRow)
        *firstRow = top;
    if (lastRow)
        *lastRow = bottom;
    return {left, right};
}

QString convertOrFail(Pdf417Converter& converter, const QString& text, int s1, int s2, int s3) {
    try {
        return converter.Convert(text, s1, s2, s3);
    } catch (const AppError& e) {
        qWarning("%s", e.what());
        return {};
    }
}

} // namespace

class Pdf417Test : public QObject {
    Q_OBJECT

private slots:
    void readsBack_data();
    void readsBack();
    void readsBackFromPdf_data();
    void readsBackFromPdf();
    void lineCode_data();
    void lineCode();
    void splitLines_data();
    void splitLines();
    void converterOutputForm_data();
    void converterOutputForm();
    void settingsShapeTheSymbol();
    void paintedGeometry_data();
    void paintedGeometry();
    void converterErrors_data();
    void converterErrors();
    void connectsOnFirstConversion();
    void convertChunk();
    void fitRule_data();
    void fitRule();
    void widening_data();
    void widening();

private:
    Pdf417Converter m_converter;
};

void Pdf417Test::readsBack_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("columns");

    const QString framed =
        QStringLiteral("<N0101") + cycle(kMixed + kCyrillic, 400) + QStringLiteral("400>");
    const QList<QPair<const char*, QString>> texts = {
        {"one digit", QStringLiteral("7")},
        {"digits", cycle(QStringLiteral("0123456789"), 120)},
        {"latin", QStringLiteral("Contract GK-2011/07 for the supply of goods, lot 3")},
        {"cyrillic", kCyrillic},
        {"separators", QStringLiteral("#-<#--<<##-<")},
        {"sheet example", QStringLiteral("<N0101Привет, мир #1-2011011>")},
        {"mixed 250", cycle(kMixed, 250)},
        {"framed 410", framed},
        {"cyrillic 410", cycle(kCyrillic, 410)},
    };
    for (int columns : {8, 7}) {
        for (const auto& t : texts)
            QTest::addRow("%s, %d columns", t.first, columns) << t.second << columns;
    }
}

void Pdf417Test::readsBack() {
    QFETCH(QString, text);
    QFETCH(int, columns);

    const QString code = convertOrFail(m_converter, text, -1, columns, 0);
    QVERIFY(!code.isEmpty());
    const QImage image = renderSymbol(Pdf417Glyphs::splitLines(code), 300.0);
    const QByteArray bytes = readBack(image);
    QCOMPARE(bytes, Cp1251::encode(text));
    QCOMPARE(Cp1251::decode(bytes), text);
}

void Pdf417Test::readsBackFromPdf_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QSizeF>("pageMm");
    QTest::addColumn<QRectF>("object"); // form units

    // The barcode sheet (72 x 50 mm, object 216 units wide) and a waybill object on A4.
    QTest::newRow("sheet, 7 columns") << QStringLiteral("<N0101Привет, мир #1-2011011>") << 7
                                      << QSizeF(72, 50) << QRectF(20, 12, 216, 156);
    QTest::newRow("A4, 8 columns, 410 characters")
        << (QStringLiteral("<N0101") + cycle(kMixed + kCyrillic, 400) + QStringLiteral("400>")) << 8
        << QSizeF(210, 297) << QRectF(20, 40, 284, 32);
}

void Pdf417Test::readsBackFromPdf() {
    QFETCH(QString, text);
    QFETCH(int, columns);
    QFETCH(QSizeF, pageMm);
    QFETCH(QRectF, object);

    const QStringList lines =
        Pdf417Glyphs::splitLines(convertOrFail(m_converter, text, -1, columns, 0));
    QVERIFY(!lines.isEmpty());

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("symbol.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setPageSize(QPageSize(pageMm, QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF());
        writer.setResolution(1200);
        QPainter painter(&writer);
        painter.scale(1200 / kUnitsPerInch, 1200 / kUnitsPerInch);
        Pdf417Glyphs::paint(painter, object.adjusted(2, 1, -2, 0), lines, kPitch);
    }
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"),
                    QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf,
                    dir.filePath(QStringLiteral("page"))});
    QVERIFY(pdftoppm.waitForFinished(60000));
    QCOMPARE(pdftoppm.exitCode(), 0);
    QImage page(dir.filePath(QStringLiteral("page.png")));
    QVERIFY(!page.isNull());
    page = page.convertToFormat(QImage::Format_Grayscale8);
    QCOMPARE(readBack(page), Cp1251::encode(text));
}

void Pdf417Test::lineCode_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("modules");
    QTest::addColumn<QString>("dark"); // runs as "first+length" separated by spaces

    QTest::newRow("empty") << QString() << 0 << QString();
    QTest::newRow("light only") << QStringLiteral("5") << 5 << QString();
    QTest::newRow("start pattern")
        << QStringLiteral("281111113") << 19 << QStringLiteral("2+8 11+1 13+1 15+1");
    QTest::newRow("long run split by empty run")
        << QStringLiteral("2903") << 14 << QStringLiteral("2+12");
    QTest::newRow("empty light run merges dark runs")
        << QStringLiteral("12032") << 8 << QStringLiteral("1+5");
    QTest::newRow("carriage return and stray characters ignored")
        << QStringLiteral("2x31\r") << 6 << QStringLiteral("2+3");
}

void Pdf417Test::lineCode() {
    QFETCH(QString, line);
    QFETCH(int, modules);
    QFETCH(QString, dark);

    QCOMPARE(Pdf417Glyphs::lineModules(line), modules);
    QStringList runs;
    for (const auto& r : Pdf417Glyphs::darkRuns(line))
        runs << QStringLiteral("%1+%2").arg(r.first).arg(r.second);
    QCOMPARE(runs.join(QLatin1Char(' ')), dark);
}

void Pdf417Test::splitLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("one") << QStringLiteral("23") << QStringList{QStringLiteral("23")};
    QTest::newRow("lf") << QStringLiteral("23\n45") << QStringList{"23", "45"};
    QTest::newRow("crlf and trailing break")
        << QStringLiteral("23\r\n45\r\n") << QStringList{"23", "45"};
    QTest::newRow("cr") << QStringLiteral("23\r45") << QStringList{"23", "45"};
}

void Pdf417Test::splitLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(Pdf417Glyphs::splitLines(text), lines);
}

void Pdf417Test::converterOutputForm_data() {
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("lineModules");
    QTest::addColumn<int>("symbolModules");

    QTest::newRow("8 columns") << 8 << 209 << 205;
    QTest::newRow("7 columns") << 7 << 192 << 188;
    QTest::newRow("1 column") << 1 << 90 << 86;
}

void Pdf417Test::converterOutputForm() {
    QFETCH(int, columns);
    QFETCH(int, lineModules);
    QFETCH(int, symbolModules);

    const QString code = convertOrFail(m_converter, cycle(kMixed, 60), -1, columns, 0);
    QVERIFY(!code.isEmpty());
    QVERIFY(!code.endsWith(QLatin1Char('\n')));
    QVERIFY(!code.contains(QLatin1Char('\r')));
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9\n]+$")).match(code).hasMatch());

    const QStringList lines = code.split(QLatin1Char('\n'));
    QVERIFY(lines.size() >= 3);
    for (const QString& line : lines) {
        QCOMPARE(Pdf417Glyphs::lineModules(line), lineModules);
        const auto runs = Pdf417Glyphs::darkRuns(line);
        QVERIFY(!runs.isEmpty());
        // Quiet zone of 2 modules on both sides, start pattern 81111113, stop 711311121.
        QVERIFY(runs.size() > 9);
        const QList<QPair<int, int>> start = runs.mid(0, 4);
        QCOMPARE(start, (QList<QPair<int, int>>{{2, 8}, {11, 1}, {13, 1}, {15, 1}}));
        const int s = 2 + symbolModules - 18;
        const QList<QPair<int, int>> stop = runs.mid(runs.size() - 5);
        QCOMPARE(stop, (QList<QPair<int, int>>{
                           {s, 7}, {s + 8, 1}, {s + 12, 1}, {s + 14, 1}, {s + 17, 1}}));
    }
}

void Pdf417Test::settingsShapeTheSymbol() {
    const QString text = cycle(kMixed, 200);
    auto rows = [&](int s1, int s2, int s3) {
        return Pdf417Glyphs::splitLines(convertOrFail(m_converter, text, s1, s2, s3)).size();
    };
    QCOMPARE(rows(-1, 8, 40), 40);
    QCOMPARE(rows(-1, 8, 90), 90);
    QVERIFY(rows(8, 8, 0) > rows(0, 8, 0));              // more error correction, more rows
    QVERIFY(rows(-1, 7, 0) > rows(-1, 8, 0));            // fewer columns, more rows
    QVERIFY(rows(-1, 0, 0) > 0);                         // encoder's choice of columns
    QCOMPARE(convertOrFail(m_converter, text, -1, 8, 0), // the same text, the same symbol
             convertOrFail(m_converter, text, -1, 8, 0));

    // The rows asked for read back as well.
    const QImage image =
        renderSymbol(Pdf417Glyphs::splitLines(convertOrFail(m_converter, text, 2, 8, 30)), 300.0);
    QCOMPARE(readBack(image), Cp1251::encode(text));
}

void Pdf417Test::paintedGeometry_data() {
    QTest::addColumn<int>("columns");
    QTest::addColumn<double>("areaWidth");
    QTest::addColumn<int>("symbolWidth");

    // Waybill object 284 and sheet object 216 units wide, less 2 units of inner gap each side.
    QTest::newRow("8 columns, waybill") << 8 << 280.0 << 205;
    QTest::newRow("8 columns, sheet") << 8 << 212.0 << 205;
    QTest::newRow("7 columns, sheet") << 7 << 212.0 << 188;
    QTest::newRow("8 columns, area narrower than symbol") << 8 << 150.0 << 205;
}

void Pdf417Test::paintedGeometry() {
    QFETCH(int, columns);
    QFETCH(double, areaWidth);
    QFETCH(int, symbolWidth);

    const QStringList lines =
        Pdf417Glyphs::splitLines(convertOrFail(m_converter, cycle(kMixed, 90), -1, columns, 0));
    QVERIFY(!lines.isEmpty());

    // 4 pixels per unit, so every module edge falls on a pixel edge.
    const int scale = 4;
    const QRectF area(60, 12, areaWidth, 300);
    QImage image(int(areaWidth + 120) * scale, (lines.size() * 4 + 40) * scale,
                 QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    Pdf417Glyphs::paint(painter, area, lines, kPitch, 1.0);
    painter.end();

    int top = -1, bottom = -1;
    const auto [left, right] = darkColumns(image, &top, &bottom);
    QCOMPARE(right - left + 1, symbolWidth * scale);
    QCOMPARE((left + right + 1) / 2.0, area.center().x() * scale);
    QCOMPARE(top, int(area.top()) * scale);
    QCOMPARE(bottom + 1, int(area.top() + lines.size() * kPitch) * scale);

    // No gaps: a start bar column is dark from the first row to the last.
    const int startBar = left + 3 * scale;
    for (int y = top; y <= bottom; ++y)
        QVERIFY2(image.constScanLine(y)[startBar] < 128, qPrintable(QString::number(y)));
}

void Pdf417Test::converterErrors_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("s1");
    QTest::addColumn<int>("s2");
    QTest::addColumn<int>("s3");
    QTest::addColumn<QString>("message");

    const QString tooLong = QStringLiteral("слишком длинный");
    QTest::newRow("too long for 8 columns") << cycle(kMixed, 900) << -1 << 8 << 0 << tooLong;
    QTest::newRow("too long for 7 columns") << cycle(kMixed, 760) << -1 << 7 << 0 << tooLong;
    QTest::newRow("too long for any symbol") << cycle(kMixed, 2000) << -1 << 0 << 0 << tooLong;
    QTest::newRow("too long for the rows asked for")
        << cycle(kMixed, 410) << -1 << 8 << 10 << tooLong;
    QTest::newRow("empty text") << QString() << -1 << 8 << 0 << QStringLiteral("Пустой");
    QTest::newRow("character outside Windows-1251")
        << QStringLiteral("ab\u4E2Dc") << -1 << 8 << 0 << QStringLiteral("Windows-1251");
    QTest::newRow("error correction level")
        << QStringLiteral("a") << 9 << 8 << 0 << QStringLiteral("коррекции ошибок");
    QTest::newRow("columns") << QStringLiteral("a") << -1 << 31 << 0 << QStringLiteral("столбцов");
    QTest::newRow("negative columns")
        << QStringLiteral("a") << -1 << -1 << 0 << QStringLiteral("столбцов");
    QTest::newRow("rows") << QStringLiteral("a") << -1 << 8 << 2 << QStringLiteral("строк");
}

void Pdf417Test::converterErrors() {
    QFETCH(QString, text);
    QFETCH(int, s1);
    QFETCH(int, s2);
    QFETCH(int, s3);
    QFETCH(QString, message);

    try {
        m_converter.Convert(text, s1, s2, s3);
        QFAIL("no error raised");
    } catch (const AppError& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("PDF417")), qPrintable(e.message()));
    }
    // The converter stays usable after a failure.
    QVERIFY(!convertOrFail(m_converter, QStringLiteral("ok"), -1, 8, 0).isEmpty());
}

void Pdf417Test::connectsOnFirstConversion() {
    Pdf417Converter converter;
    QVERIFY(!converter.isConnected());
    QVERIFY_THROWS_EXCEPTION(AppError, converter.Convert(QStringLiteral("x"), 9, 8, 0));
    QVERIFY(!converter.isConnected());
    QVERIFY(!converter.Convert(QStringLiteral("x"), -1, 8, 0).isEmpty());
    QVERIFY(converter.isConnected());
}

void Pdf417Test::convertChunk() {
    const QStringList chunks = {QStringLiteral("<N0201первый кусок010>"),
                                QStringLiteral("<N0202второй кусок010>")};
    Pdf417Settings settings;
    QCOMPARE(settings.first, qint16(-1));
    QCOMPARE(settings.second, qint16(8));
    QCOMPARE(settings.third, 0);

    QCOMPARE(ConvertChunk(chunks, 1, settings), m_converter.Convert(chunks.at(1), -1, 8, 0));
    settings.second = 7;
    QCOMPARE(ConvertChunk(m_converter, chunks, 0, settings),
             m_converter.Convert(chunks.at(0), -1, 7, 0));
    QCOMPARE(Pdf417Glyphs::lineModules(ConvertChunk(chunks, 0, settings).section('\n', 0, 0)), 192);
    QVERIFY(programConverter().isConnected());
    QVERIFY_THROWS_EXCEPTION(AppError, ConvertChunk(chunks, 2, settings));
    QVERIFY_THROWS_EXCEPTION(AppError, ConvertChunk(chunks, -1, settings));
}

// The rows' layout in a room: full size where it fits, else the pitch shared out, and the module
// lowered only for a room too narrow or a pitch below 3 modules.
void Pdf417Test::fitRule_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("modules");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("module");
    QTest::addColumn<double>("pitch");

    QTest::newRow("fits") << 40 << 209 << 212.0 << 171.0 << 1.0 << 4.0;
    QTest::newRow("fits exactly") << 34 << 277 << 277.0 << 136.0 << 1.0 << 4.0;
    QTest::newRow("too tall") << 51 << 209 << 212.0 << 171.0 << 1.0 << 171.0 / 51;
    QTest::newRow("too tall for 3 modules")
        << 84 << 209 << 212.0 << 171.0 << 171.0 / 84 / 3 << 171.0 / 84;
    QTest::newRow("too wide") << 30 << 277 << 212.0 << 171.0 << 212.0 / 277 << 4.0;
    QTest::newRow("no room") << 30 << 277 << 0.0 << 0.0 << 1.0 << 4.0;
}

void Pdf417Test::fitRule() {
    QFETCH(int, rows);
    QFETCH(int, modules);
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(double, module);
    QFETCH(double, pitch);
    const Pdf417Layout layout = Pdf417Fit(rows, modules, Pdf417Room{width, height, 4});
    QCOMPARE(layout.module, module);
    QCOMPARE(layout.pitch, pitch);
}

// Columns for a room: the asked-for number where the rows fit at the 4-unit pitch, else wider,
// up to the most the room's width holds.
void Pdf417Test::widening_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("s2");
    QTest::addColumn<int>("s3");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("columns");

    const QString cyrillic = QStringLiteral("<N0101") + cycle(kCyrillic, 400) + "400>";
    const QString mixed = QStringLiteral("<N0101") + cycle(kMixed, 400) + "400>";
    QTest::newRow("short text keeps 8") << cycle(kMixed, 60) << 8 << 0 << 280.0 << 8;
    QTest::newRow("410 mixed, waybill: widest") << mixed << 8 << 0 << 280.0 << 12;
    QTest::newRow("410 Cyrillic, waybill: widest") << cyrillic << 8 << 0 << 280.0 << 12;
    QTest::newRow("410 Cyrillic, sheet: widest") << cyrillic << 7 << 0 << 212.0 << 8;
    QTest::newRow("rows asked: as asked") << cyrillic << 8 << 60 << 280.0 << 8;
    QTest::newRow("more than the width: as asked") << cycle(kMixed, 60) << 12 << 0 << 212.0 << 12;
    QTest::newRow("encoder's choice: widest") << cycle(kMixed, 60) << 0 << 0 << 280.0 << 12;
}

void Pdf417Test::widening() {
    QFETCH(QString, text);
    QFETCH(int, s2);
    QFETCH(int, s3);
    QFETCH(double, width);
    QFETCH(int, columns);
    const Pdf417Room room{width, 135, 4};
    const QStringList lines = Pdf417Glyphs::splitLines(m_converter.Convert(text, -1, s2, s3, room));
    QCOMPARE(Pdf417Glyphs::lineModules(lines.front()), 17 * (columns + 4) + 5);
    const bool fits = lines.size() * 4 <= room.height;
    QVERIFY(fits || columns == Pdf417MaxColumns(width) || s3 > 0 || s2 > Pdf417MaxColumns(width));
    if (s2 > 0 && columns > s2 && s3 == 0) // no fewer columns would have done
        QVERIFY(Pdf417Glyphs::splitLines(m_converter.Convert(text, -1, columns - 1, 0)).size() * 4 >
                room.height);
    const int modules = Pdf417Glyphs::lineModules(lines.front());
    QCOMPARE(readBack(renderSymbol(lines, 300.0, modules + 4)), Cp1251::encode(text));
}

QTEST_MAIN(Pdf417Test)
#include "pdf417_test.moc"
