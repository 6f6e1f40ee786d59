// Windows-1251, the code page of the database connection and of the barcode payload.
#pragma once

#include <QByteArray>
#include <QString>

namespace Cp1251 {

// Characters with no Windows-1251 code become '?'.
QByteArray encode(const QString& text);
QString decode(const char* data, qsizetype size);
inline QString decode(const QByteArray& bytes) {
    return decode(bytes.constData(), bytes.size());
}

// The Unicode character of one Windows-1251 byte.
char16_t toUnicode(unsigned char byte);
// The Windows-1251 byte of a character, or -1 when it has none.
int fromUnicode(char16_t ch);

} // namespace Cp1251
