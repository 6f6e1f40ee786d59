// Code 128, character set C: digit pairs, as the label forms print them.
#pragma once

#include <QList>
#include <QString>

namespace Code128 {

struct Symbol {
    QString digits;    // the encoded digits, with a leading "0" added to an odd count
    QList<int> widths; // bar, space, bar, ... in modules, start to stop
};

// Text that is empty, starts with "[" or is not all digits prints the placeholder "12345678".
Symbol encodeSetC(const QString& text);
int modules(const Symbol& symbol);

} // namespace Code128
