#include "core/symbolscan.h"

#include "core/cp1251.h"

#include <QPainter>

#include <QTransform>
#include <algorithm>
#include <cmath>

#ifndef ZX_USE_UTF8
#define ZX_USE_UTF8 1
#endif
#include <ZXing/ReadBarcode.h>

namespace Reading {

namespace {

FoundSymbol found(const ZXing::Result& r) {
    FoundSymbol s;
    s.kind = r.format() == ZXing::BarcodeFormat::PDF417 ? FoundSymbol::Kind::Pdf417
                                                        : FoundSymbol::Kind::Code128;
    const ZXing::ByteArray& bytes = r.bytes();
    s.bytes = QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    s.text = Cp1251::decode(s.bytes);
    const ZXing::Position& p = r.position();
    for (int i = 0; i < 4; ++i)
        s.where << QPointF(p[i].x, p[i].y);
    return s;
}

ZXing::ImageView view(const QImage& grey) {
    return ZXing::ImageView(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                            int(grey.bytesPerLine()));
}

QList<FoundSymbol> scanOnce(const QImage& grey, ZXing::BarcodeFormats formats) {
    ZXing::DecodeHints hints;
    hints.setFormats(formats);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    QList<FoundSymbol> out;
    for (const ZXing::Result& r : ZXing::ReadBarcodes(view(grey), hints))
        if (r.isValid())
            out << found(r);
    return out;
}

// The image turned by `angle` degrees on white paper.
QImage straightened(const QImage& grey, double angle) {
    const QImage turned = grey.convertToFormat(QImage::Format_ARGB32)
                              .transformed(QTransform().rotate(angle), Qt::SmoothTransformation);
    QImage paper(turned.size(), QImage::Format_Grayscale8);
    paper.fill(Qt::white);
    QPainter painter(&paper);
    painter.drawImage(0, 0, turned);
    painter.end();
    return paper;
}

} // namespace

namespace {

// The rows above and below a Code 128 read line that still cross its bars: where the share of
// dark pixels across the symbol's width stays near that of the read line.
QRect barsAround(const QImage& grey, int x0, int x1, int y) {
    auto darkShare = [&](int row) {
        const uchar* line = grey.constScanLine(row);
        int dark = 0;
        for (int x = x0; x <= x1; ++x)
            dark += line[x] < 128 ? 1 : 0;
        return double(dark) / double(x1 - x0 + 1);
    };
    const double share = darkShare(y);
    int top = y, bottom = y;
    while (top > 0 && std::abs(darkShare(top - 1) - share) < share / 2)
        --top;
    while (bottom < grey.height() - 1 && std::abs(darkShare(bottom + 1) - share) < share / 2)
        ++bottom;
    return QRect(QPoint(x0, top), QPoint(x1, bottom));
}

// Every Code 128 symbol, one read at a time: each found symbol is painted over before the next
// read. (The decoder's search for several linear symbols at once is not used: the version we
// build against fails an assertion on it.)
QList<FoundSymbol> scanCode128(QImage grey) {
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::Code128);
    hints.setTryHarder(true);
    hints.setTryRotate(false);
    QList<FoundSymbol> out;
    for (int guard = 0; guard < 64; ++guard) {
        const ZXing::Result r = ZXing::ReadBarcode(view(grey), hints);
        if (!r.isValid())
            break;
        const FoundSymbol s = found(r);
        out << s;
        const QRectF line = s.where.boundingRect();
        const int x0 = std::clamp(int(line.left()), 0, grey.width() - 1);
        const int x1 = std::clamp(int(line.right()), x0, grey.width() - 1);
        const int y = std::clamp(int(line.center().y()), 0, grey.height() - 1);
        // The quiet zones too, so that no part of the symbol is read again.
        const QRect bars =
            barsAround(grey, x0, x1, y).adjusted(-(x1 - x0) / 8, -2, (x1 - x0) / 8, 2);
        QPainter painter(&grey);
        painter.fillRect(bars, Qt::white);
    }
    return out;
}

} // namespace

QList<FoundSymbol> scanImage(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    QList<FoundSymbol> found = scanOnce(grey, ZXing::BarcodeFormat::PDF417) + scanCode128(grey);
    if (!found.isEmpty())
        return found;
    // A photo at an angle: straighten it by steps and look again.
    for (const double angle : {-3.0, 3.0, -6.0, 6.0, -9.0, 9.0, -12.0, 12.0}) {
        const QImage turned = straightened(grey, angle);
        found = scanOnce(turned, ZXing::BarcodeFormat::PDF417) + scanCode128(turned);
        if (!found.isEmpty())
            return found;
    }
    return found;
}

QList<FoundSymbol> readUprightPdf417(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    // One symbol: the single read is many times quicker than the search for all of them.
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::PDF417);
    const ZXing::Result r = ZXing::ReadBarcode(view(grey), hints);
    if (r.isValid())
        return {found(r)};
    return scanOnce(grey, ZXing::BarcodeFormat::PDF417);
}

} // namespace Reading
