#include "core/labels.h"

#include "core/apperror.h"
#include "core/catalogue.h"
#include "core/rounding.h"

#include <cmath>

namespace Labels {

TContDataList loadItems(FbQuery& qTarvik, int title, int recip) {
    TContDataList items = Catalogue::labelItems(qTarvik, title, recip);
    for (TContData& d : items) {
        d.price = roundTo(d.price, 2);
        d.factQuant = 0;
        d.factSumma = 0;
    }
    return items;
}

std::optional<double> parseNumber(const QString& text, const Regional& regional) {
    return regional.parseNumber(text);
}

bool setPerPackage(TContData& record, const QString& text, const Regional& regional) {
    const std::optional<double> v = parseNumber(text, regional);
    if (!v)
        return false;
    double q = std::fabs(*v);
    if (q > record.quant)
        q = record.quant;
    record.factQuant = q;
    record.factSumma = roundTo(q * record.price, 2);
    return true;
}

namespace {

struct Digits {
    QString integer;  // without leading zeros; "0" for a value below 1
    QString fraction; // every decimal the general number form shows
};

// The digits of x > 0 as the general number form shows them (15 significant digits), written
// out without an exponent.
Digits shownDigits(double x) {
    QString s = QString::number(x, 'g', 15);
    int exponent = 0;
    const qsizetype e = s.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        exponent = s.mid(e + 1).toInt();
        s = s.left(e);
    }
    const qsizetype dot = s.indexOf(QLatin1Char('.'));
    const QString intPart = dot < 0 ? s : s.left(dot);
    QString digits = intPart + (dot < 0 ? QString() : s.mid(dot + 1));
    qsizetype point = intPart.size() + exponent;
    if (point < 0) {
        digits.prepend(QString(-point, QLatin1Char('0')));
        point = 0;
    }
    if (point > digits.size())
        digits.append(QString(point - digits.size(), QLatin1Char('0')));
    Digits d;
    d.integer = digits.left(point);
    while (d.integer.startsWith(QLatin1Char('0')))
        d.integer.remove(0, 1);
    if (d.integer.isEmpty())
        d.integer = QStringLiteral("0");
    d.fraction = digits.mid(point);
    return d;
}

// The field, or nullopt when it cannot hold x: a negative or non-finite value, more than ten
// integer digits, or a positive value whose first five decimals are all zero.
std::optional<QString> barField(double x) {
    if (x == 0)
        return QString(15, QLatin1Char('0'));
    if (!std::isfinite(x) || x < 0)
        return std::nullopt;
    const Digits d = shownDigits(x);
    if (d.integer.size() > 10)
        return std::nullopt;
    const QString fraction = (d.fraction + QStringLiteral("00000")).left(5);
    if (d.integer == QLatin1String("0") && fraction == QLatin1String("00000"))
        return std::nullopt;
    return d.integer.rightJustified(10, QLatin1Char('0')) + fraction;
}

QString rangeText() {
    const QChar sep = Regional::current().decimalSeparator;
    return QStringLiteral("допустимы 0 и числа от 0%100001 до 9999999999%199999").arg(sep);
}

} // namespace

bool fitsBarNumber(double x) {
    return barField(x).has_value();
}

QString FormatBarNumber(double x) {
    if (const std::optional<QString> f = barField(x))
        return *f;
    throw AppError(QStringLiteral("Число %1 не помещается в поле штрихкода: %2")
                       .arg(Regional::current().formatNumber(x), rangeText()));
}

BarcodeTexts barcodeTexts(const QString& rem, const TContData& record) {
    const auto field = [](double value, const QString& what, const QString& barcode) {
        if (!fitsBarNumber(value))
            throw AppError(
                QStringLiteral("Этикетка не напечатана: %1 %2 не помещается в "
                               "штрихкод %3; %4")
                    .arg(what, Regional::current().formatNumber(value), barcode, rangeText()));
        return FormatBarNumber(value);
    };
    BarcodeTexts t;
    t.contract = rem;
    t.elem = QStringLiteral("09") + record.elemC;
    t.quant = QStringLiteral("2") + field(record.factQuant, QStringLiteral("количество в упаковке"),
                                          QStringLiteral("barQuant"));
    t.summa = QStringLiteral("3") +
              field(record.factSumma, QStringLiteral("сумма"), QStringLiteral("barSumma"));
    return t;
}

} // namespace Labels
