// Reads barcode symbols back from rendered images with zxing-cpp, the independent decoder.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

#ifndef ZX_USE_UTF8
#define ZX_USE_UTF8 1
#endif
#include <ZXing/ReadBarcode.h>

// The raw bytes of the one symbol of `format` in `image`, or a null array when none is found.
inline QByteArray readSymbolBytes(const QImage& image, ZXing::BarcodeFormat format,
                                  bool tryHarder = false) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(format);
    hints.setTryHarder(tryHarder);
    const ZXing::Result result =
        ZXing::ReadBarcode(ZXing::ImageView(grey.constBits(), grey.width(), grey.height(),
                                            ZXing::ImageFormat::Lum, int(grey.bytesPerLine())),
                           hints);
    if (!result.isValid())
        return {};
    const ZXing::ByteArray& bytes = result.bytes();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// The raw bytes of every symbol of `format` in `image`, in the order zxing-cpp finds them.
inline QList<QByteArray> readAllSymbolBytes(const QImage& image, ZXing::BarcodeFormat format) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(format);
    hints.setTryHarder(true);
    QList<QByteArray> out;
    for (const ZXing::Result& r :
         ZXing::ReadBarcodes(ZXing::ImageView(grey.constBits(), grey.width(), grey.height(),
                                              ZXing::ImageFormat::Lum, int(grey.bytesPerLine())),
                             hints)) {
        if (!r.isValid())
            continue;
        const ZXing::ByteArray& bytes = r.bytes();
        out << QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    }
    return out;
}
