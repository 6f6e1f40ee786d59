// The regional settings the program formats and parses with: short date format, date
// separator, decimal and thousands separators, long time format. The defaults are the Russian
// settings, whatever the system locale says. Nothing here touches process-wide state.
#pragma once

#include <QChar>
#include <QString>

class Regional {
public:
    QString shortDateFormat = QStringLiteral("dd.MM.yyyy");
    QChar dateSeparator = QLatin1Char('.');
    QChar decimalSeparator = QLatin1Char(',');
    QChar thousandSeparator = QChar(0x00A0);
    QString longTimeFormat = QStringLiteral("H:mm:ss");

    // The settings in effect: the defaults above.
    static const Regional& current() {
        static const Regional settings;
        return settings;
    }
};
