// Drawing of the PDF417 converter's output ("Code PDF417" text) as modules.
// The glyph code is described in pdf417converter.h: each character is a run of modules,
// runs alternate light and dark, and every line starts with a light run. Characters other
// than '0'..'9' (a stray "\r", say) are skipped and do not switch the colour.
#pragma once

#include <QPair>
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

// The lines of a converter output text: split at "\r\n", "\n" or "\r". An empty text has no
// lines; a trailing line break adds none.
QStringList splitLines(const QString& text);

// The dark runs of one line as (first module, number of modules), left to right; adjacent
// dark runs (split by an empty light run) are merged.
QList<QPair<int, int>> darkRuns(const QString& line);

} // namespace Pdf417Glyphs
