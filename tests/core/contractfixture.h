// Builds small contract files for the tests: text lines in Unicode, written as KOI8-R by the C
// library's iconv (an encoder independent of the reader's own table).
#pragma once

#include "core/contractreader.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <iconv.h>
#include <stdexcept>

namespace fixture {

// Converts between charsets with iconv; throws on unconvertible input.
inline QByteArray iconvert(const QByteArray& in, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        throw std::runtime_error("iconv_open failed");
    QByteArray out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == size_t(-1))
        throw std::runtime_error("iconv failed");
    out.resize(out.size() - qsizetype(dstLeft));
    return out;
}

inline QByteArray koi8(const QString& text) {
    return iconvert(text.toUtf8(), "KOI8-R", "UTF-8");
}

// A contract file: the identifier line, then the given lines, each ended by CR LF.
inline QByteArray contract(const QStringList& lines) {
    QString text = CONTRACTS_GUID + QStringLiteral("\r\n");
    for (const QString& l : lines)
        text += l + QStringLiteral("\r\n");
    return koi8(text);
}

inline bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// An organisation element (directory 2) with `fields` fields in all (at least 5).
inline QString org(int id, const QString& name, int fields = 20) {
    QStringList f = {QStringLiteral("2"), QString::number(id), QStringLiteral("ОКПО%1").arg(id),
                     QStringLiteral("1"), name};
    const QStringList requisites = {
        QStringLiteral("ООО \"%1\"").arg(name),
        QStringLiteral("77%1").arg(id, 8, 10, QChar('0')),
        QStringLiteral("1010%1").arg(id),
        QStringLiteral("г. Москва, ул. Лесная, д. %1").arg(id),
        QStringLiteral("+7 495 000-00-%1").arg(id % 100, 2, 10, QChar('0')),
        QStringLiteral("40702810%1").arg(id, 12, 10, QChar('0')),
        QStringLiteral("Банк \"Север\""),
        QStringLiteral("Отделение %1").arg(id),
        QStringLiteral("0445250%1").arg(id % 100),
        QStringLiteral("30101810%1").arg(id, 12, 10, QChar('0')),
        QStringLiteral("5%1").arg(id),
        QStringLiteral("Станция %1").arg(id),
        QStringLiteral("19%1").arg(id),
        QStringLiteral("Северная ж.д."),
        QStringLiteral("К%1").arg(id)};
    for (int i = 5; i < fields; ++i)
        f << (i - 5 < requisites.size() ? requisites[i - 5] : QStringLiteral("лишнее"));
    return f.join(QLatin1Char('#')) + QLatin1Char('#');
}

// An element of another directory (goods 3, units 4).
inline QString element(int refBook, int id, const QString& code, const QString& name) {
    return QStringLiteral("%1#%2#%3#0#%4#").arg(refBook).arg(id).arg(code, name);
}

} // namespace fixture
