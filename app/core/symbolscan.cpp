#include "core/symbolscan.h"

#include "core/cp1251.h"

#include <QPainter>
#include <QTransform>

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

QList<FoundSymbol> scanImage(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::BarcodeFormats both = ZXing::BarcodeFormat::PDF417 | ZXing::BarcodeFormat::Code128;
    QList<FoundSymbol> found = scanOnce(grey, both);
    if (!found.isEmpty())
        return found;
    // A photo at an angle: straighten it by steps and look again.
    for (const double angle : {-3.0, 3.0, -6.0, 6.0, -9.0, 9.0, -12.0, 12.0}) {
        const QImage turned = straightened(grey, angle);
        found = scanOnce(turned, both);
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
