// Finding the symbols of a printed document in images: every PDF417 and Code 128 symbol, by an
// independent decoder (zxing-cpp), on page renderings or on scans and photos.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPolygonF>
#include <QString>

namespace Reading {

struct FoundSymbol {
    enum class Kind { Pdf417, Code128 };
    Kind kind = Kind::Pdf417;
    QByteArray bytes; // as encoded: Windows-1251 for PDF417, digits for Code 128
    QString text;     // the bytes read as Windows-1251
    QPolygonF where;  // the symbol's corners in the image
};

// Every symbol in the image. A page of 16 symbols gives 16. A scan turned by a few degrees or
// by a quarter turn is read as far as the decoder allows; when a first pass finds nothing of a
// kind, the image is tried again turned by small angles.
QList<FoundSymbol> scanImage(const QImage& image);

// The one PDF417 symbol of an image that shows it upright and alone, as a print's own check
// draws it: a quick read first, the full search only when that finds nothing. Empty when no
// symbol reads.
QList<FoundSymbol> readUprightPdf417(const QImage& image);

} // namespace Reading
