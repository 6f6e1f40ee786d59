// Conversion and painting time of one full PDF417 symbol text (410 characters).
// Prints figures only.
#include "forms/pdf417converter.h"
#include "forms/pdf417glyphs.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

QString fullChunk() {
    const QString alphabet =
        QStringLiteral("0123456789 ABCxyz Счёт-фактура #12-3 <Ёлка> АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЭЮЯ");
    QString piece;
    for (int i = 0; i < 400; ++i)
        piece += alphabet.at(i % alphabet.size());
    return QStringLiteral("<N0101") + piece + QStringLiteral("400>");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString text = fullChunk();

    QElapsedTimer first;
    first.start();
    Pdf417Converter converter;
    QString code = converter.Convert(text, -1, 8, 0);
    const double firstMs = first.nsecsElapsed() / 1e6;

    const int rounds = 500;
    for (int columns : {8, 7}) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < rounds; ++i)
            code = converter.Convert(text, -1, columns, 0);
        const double ms = timer.nsecsElapsed() / 1e6 / rounds;
        const QStringList lines = Pdf417Glyphs::splitLines(code);
        std::printf("convert %d chars, %d columns: %.3f ms per symbol (%lld rows, %lld glyph "
                    "characters)\n",
                    int(text.size()), columns, ms, static_cast<long long>(lines.size()),
                    static_cast<long long>(code.size()));

        const double scale = 300.0 / 91.6256;
        QImage image(qCeil(230 * scale), qCeil((lines.size() * 4 + 20) * scale),
                     QImage::Format_RGB32);
        const int paints = 200;
        QElapsedTimer paintTimer;
        paintTimer.start();
        for (int i = 0; i < paints; ++i) {
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.scale(scale, scale);
            Pdf417Glyphs::paint(painter, QRectF(9, 5, 212, lines.size() * 4.0), lines, 4.0);
        }
        std::printf("paint at 300 dpi, %d columns: %.3f ms per symbol\n", columns,
                    paintTimer.nsecsElapsed() / 1e6 / paints);
    }
    std::printf("first conversion (attaches the encoder): %.3f ms\n", firstMs);
    return 0;
}
