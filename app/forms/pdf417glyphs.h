// Drawing of the PDF417 converter's output ("Code PDF417" text) as modules.
#pragma once

#include <QRectF>
#include <QStringList>

class QPainter;

namespace Pdf417Glyphs {

// Paints converter output: one line of `lines` is one symbol row, `pitch` form units high,
// each module `module` form units wide. Each row is centred within `area` (the object's
// rectangle less its inner gaps); the first row starts at area.top().
// The painter's coordinates are form units.
void paint(QPainter& painter, const QRectF& area, const QStringList& lines, double pitch,
           double module = 1.0);

// Width in modules of one line of converter output (quiet zones included).
int lineModules(const QString& line);

} // namespace Pdf417Glyphs
