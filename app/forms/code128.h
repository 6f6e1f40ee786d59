// Code 128, character set C: digit pairs, as the label forms print them.
#pragma once

#include <QList>
#include <QString>

namespace Code128 {

struct Symbol {
    QString digits;    // the encoded digits, with a leading "0" added to an odd count
    QList<int> widths; // bar, space, bar, ... in modules, start to stop
};

// What prints in place of a text the symbol cannot carry.
inline const QString kPlaceholder = QStringLiteral("12345678");

// True when the text is digits only (at least one). Anything else (an empty text, an unset
// field "[...]", a sign, a separator, a blank, a letter) would need a pair that is not two
// digits, so it is not encoded at all.
bool isEncodable(const QString& text);

// Text that is not encodable prints the placeholder "12345678".
Symbol encodeSetC(const QString& text);
int modules(const Symbol& symbol);

} // namespace Code128
