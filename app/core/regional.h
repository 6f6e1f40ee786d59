// The regional settings the program formats and reads numbers and dates with.
// The default is the Russian settings, whatever the system locale.
#pragma once

#include <QDate>
#include <QString>
#include <optional>

class Regional {
public:
    QString shortDateFormat = QStringLiteral("dd.MM.yyyy");
    QChar dateSeparator = QLatin1Char('.');
    QChar decimalSeparator = QLatin1Char(',');
    QChar thousandSeparator = QChar(0x00A0);
    QString longTimeFormat = QStringLiteral("H:mm:ss");

    static const Regional& current();
    // Replaces the settings in force (start-up or tests; never while something is formatting).
    static void setCurrent(const Regional& settings);

    // A date in the short date format; an invalid date gives an empty text.
    QString formatDate(const QDate& date) const;
    // A date in the short date format, or in dd.MM.yyyy; invalid when it is neither.
    QDate parseDate(const QString& text) const;
    // The general number form: shortest, up to 15 significant digits, the decimal separator,
    // no thousands separator; exponent form ("1E20", "1,5E-7") for very large or small values.
    QString formatNumber(double value) const;
    // A number typed by the user: blanks around it, an optional sign, digits with at most one
    // decimal separator (the regional one; no thousands separator) and an optional exponent
    // ("1,5E3"). nullopt for anything else: an empty text, a lone sign, letters, a value out
    // of the double's range.
    std::optional<double> parseNumber(const QString& text) const;
    // Thousands grouped with the thousands separator, exactly two decimals, a decimal comma.
    QString formatGrouped2(double value) const;
};
