// The barcode sheet through the `tarvik pdf417` command: symbols read back from a 300 dpi
// raster of the PDF by zxing, their place on the sheet, and the command's errors.
#include "core/cp1251.h"
#include "forms/renderer.h"
#include "symbolread.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#define ZX_USE_UTF8 1

namespace {

struct Run {
    int code;
    QString err;
};

Run tarvik(const QStringList& args) {
    QProcess p;
    p.start(qEnvironmentVariable("TARVIK_BIN") + "/tarvik", QStringList{"pdf417"} + args);
    if (!p.waitForFinished(120000))
        qFatal("tarvik did not finish");
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
}

// The PDF's pages as 300 dpi greyscale images.
QList<QImage> rasterise(const QString& pdf, const QString& dir) {
    QProcess p;
    p.start("pdftoppm", {"-r", "300", "-gray", "-png", pdf, dir + "/page"});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        qFatal("pdftoppm failed");
    QList<QImage> pages;
    for (const QString& f : QDir(dir).entryList({"page*.png"}, QDir::Files, QDir::Name))
        pages << QImage(dir + "/" + f).convertToFormat(QImage::Format_Grayscale8);
    return pages;
}

// Decodes the one PDF417 symbol of an image; its bytes are Windows-1251 text.
QString decode(const QImage& img) {
    const QByteArray bytes = readSymbolBytes(img, ZXing::BarcodeFormat::PDF417, true);
    return bytes.isNull() ? QStringLiteral("<not read>") : Cp1251::decode(bytes);
}

// Horizontal centre of the dark pixels, in form units.
double darkCentre(const QImage& img) {
    int minX = img.width(), maxX = -1;
    for (int y = 0; y < img.height(); ++y) {
        const uchar* row = img.constScanLine(y);
        for (int x = 0; x < img.width(); ++x)
            if (row[x] < 128) {
                minX = qMin(minX, x);
                maxX = qMax(maxX, x);
            }
    }
    return maxX < 0 ? -1 : (minX + maxX + 1) / 2.0 / (300 / Forms::kUnitsPerInch);
}

} // namespace

class TestBarcodeSheet : public QObject {
    Q_OBJECT

private slots:
    void readBack_data();
    void readBack();
    void commandErrors_data();
    void commandErrors();
};

void TestBarcodeSheet::readBack_data() {
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("waybill frame, 7 columns")
        << QStringList{"<N0101Привет, мир #1-2011011>"} << QStringList{"--columns", "7"};
    QTest::newRow("three symbols, default options")
        << QStringList{"<A>", "Второй символ накладной 2", QString(300, QChar(0x0416))}
        << QStringList{};
    QTest::newRow("ecc 5, 4 columns")
        << QStringList{"ТОРГ-12 № 17 от 11.12.2026"} << QStringList{"--ecc", "5", "--columns", "4"};
    // Too tall for the sheet at the columns asked for: widened, and lowered where still too tall.
    QTest::newRow("2 columns, 100 letters")
        << QStringList{QString(100, QChar(0x0416))} << QStringList{"--columns", "2"};
    QTest::newRow("410 Cyrillic characters")
        << QStringList{"<N0101" + QString("ЖёЛкаСчётфактураПривет").repeated(19).left(400) + "400>"}
        << QStringList{};
}

void TestBarcodeSheet::readBack() {
    QFETCH(QStringList, texts);
    QFETCH(QStringList, options);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("s.pdf");
    const Run run = tarvik(options + QStringList{"--out", pdf} + texts);
    QVERIFY2(run.code == 0, qPrintable(run.err));
    const QList<QImage> pages = rasterise(pdf, dir.path());
    QCOMPARE(pages.size(), texts.size());
    for (int i = 0; i < pages.size(); ++i) {
        // 72 × 50 mm at 300 dpi (850.4 × 590.6 dots; the rasteriser rounds either way).
        QVERIFY(qAbs(pages[i].width() - 850) <= 1 && qAbs(pages[i].height() - 591) <= 1);
        QCOMPARE(decode(pages[i]), texts[i]);
        QVERIFY2(std::fabs(darkCentre(pages[i]) - 128) < 1,
                 qPrintable(QString::number(darkCentre(pages[i]))));
    }
    // The same sheets as PNG files, one per text.
    const Run png = tarvik(options + QStringList{"--out", dir.filePath("s.png")} + texts);
    QVERIFY2(png.code == 0, qPrintable(png.err));
    const QString first = texts.size() == 1 ? dir.filePath("s.png") : dir.filePath("s-1.png");
    const QImage img = QImage(first).convertToFormat(QImage::Format_Grayscale8);
    QCOMPARE(decode(img), texts[0]);
}

void TestBarcodeSheet::commandErrors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("no output") << QStringList{"text"} << "Использование";
    QTest::newRow("no text") << QStringList{"--out", "x.pdf"} << "Использование";
    QTest::newRow("bad format") << QStringList{"--out", "x.txt", "t"} << ".pdf или .png";
    QTest::newRow("bad ecc") << QStringList{"--ecc", "9", "--out", "x.pdf", "t"} << "--ecc";
    QTest::newRow("columns not a number")
        << QStringList{"--columns", "seven", "--out", "x.pdf", "t"} << "--columns";
    QTest::newRow("converter refuses") << QStringList{"--out", "x.pdf", "日本"} << "Windows-1251";
}

void TestBarcodeSheet::commandErrors() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const Run run = tarvik(args);
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

QTEST_MAIN(TestBarcodeSheet)
#include "tst_barcodesheet.moc"
