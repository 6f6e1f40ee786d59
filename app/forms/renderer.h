// Painting prepared sheets on any QPainter: preview, printer, PDF and images.
#pragma once

#include "forms/prepared.h"

#include <QImage>

class QPainter;

namespace Forms {

// Paints one sheet; the painter's coordinates must be form units from the sheet's top-left.
void paintSheet(QPainter& painter, const Sheet& sheet);

// Scale from form units to a device of `dpi` dots per inch.
inline double unitsToDots(double dpi) {
    return dpi / kUnitsPerInch;
}

// A sheet as a white image at `dpi`.
QImage renderSheet(const Sheet& sheet, double dpi);

// One primitive alone, as paintSheet draws it, on a white image at `dpi` that covers what it
// draws and `margin` form units around it; `origin` gets the image's top-left in form units.
QImage renderPrimitive(const Primitive& primitive, double dpi, double margin,
                       QPointF* origin = nullptr);

// The whole report as a PDF, one page per sheet at the sheet's paper size (real text).
void writePdf(const PreparedReport& report, const QString& file);
// Images: one sheet writes FILE; several write FILE-1.png, FILE-2.png, ...
QStringList writePng(const PreparedReport& report, const QString& file, double dpi = 300);

} // namespace Forms
