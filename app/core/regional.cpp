#include "core/regional.h"

#include <cmath>

namespace {
Regional& settings() {
    static Regional r;
    return r;
}
} // namespace

const Regional& Regional::current() {
    return settings();
}

void Regional::setCurrent(const Regional& s) {
    settings() = s;
}

QString Regional::formatDate(const QDate& date) const {
    if (!date.isValid())
        return QString();
    QString fmt = shortDateFormat;
    fmt.replace(QLatin1Char('/'), dateSeparator);
    return date.toString(fmt);
}

QDate Regional::parseDate(const QString& text) const {
    const QString t = text.trimmed();
    QString fmt = shortDateFormat;
    fmt.replace(QLatin1Char('/'), dateSeparator);
    QDate d = QDate::fromString(t, fmt);
    if (!d.isValid())
        d = QDate::fromString(t, QStringLiteral("dd.MM.yyyy"));
    return d;
}

QString Regional::formatNumber(double value) const {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0)
        return QStringLiteral("0");
    QString s = QString::number(value, 'g', 15);
    const qsizetype e = s.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        // "1.5e-07" -> "1.5E-7", "1e+20" -> "1E20"
        const QString mantissa = s.left(e);
        const int exponent = s.mid(e + 1).toInt();
        s = mantissa + QLatin1Char('E') + QString::number(exponent);
    }
    s.replace(QLatin1Char('.'), decimalSeparator);
    return s;
}

std::optional<double> Regional::parseNumber(const QString& text) const {
    const QString t = text.trimmed();
    QString plain; // the same number in the C form
    qsizetype i = 0;
    const auto isDigit = [&](qsizetype at) {
        return at < t.size() && t[at] >= QLatin1Char('0') && t[at] <= QLatin1Char('9');
    };
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        plain += t[i++];
    int digits = 0;
    for (; isDigit(i); ++i, ++digits)
        plain += t[i];
    if (i < t.size() && t[i] == decimalSeparator) {
        plain += QLatin1Char('.');
        for (++i; isDigit(i); ++i, ++digits)
            plain += t[i];
    }
    if (digits == 0)
        return std::nullopt;
    if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        plain += QLatin1Char('e');
        ++i;
        if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            plain += t[i++];
        if (!isDigit(i))
            return std::nullopt;
        for (; isDigit(i); ++i)
            plain += t[i];
    }
    if (i != t.size())
        return std::nullopt;
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString Regional::formatGrouped2(double value) const {
    const double rounded = std::round(value * 100.0) / 100.0;
    QString s = QString::number(std::fabs(rounded), 'f', 2);
    const qsizetype dot = s.indexOf(QLatin1Char('.'));
    QString integer = s.left(dot);
    const QString fraction = s.mid(dot + 1);
    for (qsizetype i = integer.size() - 3; i > 0; i -= 3)
        integer.insert(i, thousandSeparator);
    QString out = integer + QLatin1Char(',') + fraction;
    if (rounded < 0)
        out.prepend(QLatin1Char('-'));
    return out;
}
