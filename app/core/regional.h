// Regional settings used for dates and numbers shown to the user.
// The defaults are the Russian settings, whatever the system locale says.
#pragma once

#include <QChar>
#include <QString>

class Regional {
public:
    QString shortDateFormat = QStringLiteral("dd.MM.yyyy");
    QChar dateSeparator = QLatin1Char('.');
    QChar decimalSeparator = QLatin1Char(',');
    QChar thousandsSeparator = QChar(0x00A0);
    QString longTimeFormat = QStringLiteral("H:mm:ss");

    static const Regional& current() {
        static const Regional settings;
        return settings;
    }
};
