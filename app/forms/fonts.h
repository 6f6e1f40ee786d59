// Fonts of the templates in form units: family substitution and text measurement.
#pragma once

#include "forms/formmodel.h"

#include <QFont>

namespace Forms {

// Our printed forms name Windows fonts; these are the metric-compatible families we draw with.
QString substituteFamily(const QString& name);

// The font's cell height in form units: the point size × 96 / 72, rounded.
int cellHeight(const FontSpec& font);
// Distance between lines: cell height plus the object's line spacing.
int linePitch(const FontSpec& font, int lineSpacing);

// Text is drawn and measured with a font of kFontScale times the size in form units,
// under a painter scaled by 1 / kFontScale: pixel sizes are whole numbers.
constexpr double kFontScale = 64.0;
QFont scaledFont(const FontSpec& font);

// Width and ascent in form units.
double textWidth(const FontSpec& font, const QString& text);
double fontAscent(const FontSpec& font);

} // namespace Forms
