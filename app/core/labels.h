// The rules of the label window: its item lines, the per-package quantity entered in the grid,
// and the number fields the label barcodes carry.
#pragma once

#include "core/contractreader.h"
#include "core/fbdatabase.h"
#include "core/regional.h"

#include <QString>
#include <optional>

namespace Labels {

// The recipient's item lines for labels, in the order the database returns them: the price
// rounded to 2 decimals (halves to the even neighbour), the per-package quantity and the label
// sum 0.
TContDataList loadItems(FbQuery& qTarvik, int title, int recip);

// A number typed with the regional decimal separator: optional blanks around it, an optional
// sign, digits with at most one separator (a trailing one is allowed while typing) and an
// optional exponent. nullopt for anything else, an empty text included.
std::optional<double> parseNumber(const QString& text,
                                  const Regional& regional = Regional::current());

// The per-package quantity typed into the grid: its absolute value, at most the record's
// quant; the label sum follows (quantity x price, rounded to 2 decimals). Text that is not a
// number changes nothing and returns false.
bool setPerPackage(TContData& record, const QString& text,
                   const Regional& regional = Regional::current());

// The smallest positive value and the bound of the barcode number field.
constexpr double kBarNumberMin = 0.00001;
constexpr double kBarNumberLimit = 1e10;

// True when FormatBarNumber can write x: 0, or 0.00001 <= x < 10^10 as the number is shown
// (up to 15 significant digits).
bool fitsBarNumber(double x);

// The 15-digit barcode field of a number: ten integer digits and the first five decimals (cut,
// not rounded), of the number as the general number form shows it, whatever the decimal
// separator. A value the field cannot hold raises AppError rather than print other digits.
QString FormatBarNumber(double x);

// The texts of the four barcodes of a label.
struct BarcodeTexts {
    QString contract; // barContract: the contract's remark as stored
    QString elem;     // barElem: "09" and the item's code
    QString quant;    // barQuant: "2" and the per-package quantity's field
    QString summa;    // barSumma: "3" and the label sum's field
};
// AppError naming the barcode when the quantity or the sum does not fit its field.
BarcodeTexts barcodeTexts(const QString& rem, const TContData& record);

} // namespace Labels
