// The rules of the waybill window, without the window: loading a recipient's item lines and
// the requisites, the values kept for printing, what each grid column shows and how typed text
// changes a record, the stored form of serial numbers, and the key filters. The window, the
// command line and the printing all run this code.
#pragma once

#include "core/catalogue.h"
#include "core/contractreader.h"
#include "core/regional.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>

namespace Waybill {

// ---- requisites ------------------------------------------------------------------------

// The one-line requisites of an organisation: full_naim, then each non-empty column with its
// separator (", ст. " station, " " rlw_name, ", код " station_code, ", код получателя "
// recv_code, ", ИНН " inn, ", " ind, ", " adress, ", тел. " phone, ", р/с " cur_acc, " в "
// bank, " " br_bank, ", БИК " bik, ", корр/с " cor_acc). A payer's record has empty railway
// columns, so they leave no trace.
QString requisitesLine(const TRefItem& organisation);

// ---- the values kept for printing -------------------------------------------------------

// Loaded when the window is shown (supplier, payer, settings) and with the items (recipient).
// Each keeps its last value until it is loaded again.
struct PrintValues {
    QString prov;            // the supplier's requisites line
    QString prov_okpo;       // the supplier's OKPO
    QString payer;           // the payer's requisites line, without railway data
    QString payer_okpo;      // the payer's OKPO
    QString recip;           // the selected recipient's requisites line
    QString recip_okpo;      // the recipient's OKPO
    int nds = 0;             // VAT rate in whole percent
    QString ogr_dl, ogr_fio; // who authorised the release: position, name
    QString ogp_dl, ogp_fio; // who released the goods: position, name
    QString gl_buh;          // the chief accountant
};

// The VAT setting as an integer. AppError when the text is not a whole number.
int parseNds(const QString& value1);

// What the window loads when it is shown, for the contract `number`: the supplier's and the
// payer's requisites (empty when the contract names none that exists) and the four settings
// (a missing row gives 0 or empty text). The values are written one statement after another:
// on an error the ones not yet reached keep what they held.
void loadShowValues(FbQuery& qTarvik, int number, PrintValues& values);

// The recipient's item lines of contract `title`, grouped as the waybill groups them, prices
// rounded to 2 decimals and nothing entered yet; then the recipient's requisites into
// values.recip and values.recip_okpo. `items` is replaced only when the lines were read.
void loadItems(FbQuery& qTarvik, int title, int recip, TContDataList& items, PrintValues& values);

// ---- the item grid -----------------------------------------------------------------------

enum Column {
    ColElemS = 0,
    ColUnit = 1,
    ColKat = 2,
    ColQuant = 3,
    ColPrice = 4,
    ColFactQuant = 5, // editable
    ColSerials = 6,   // an image; opens the serial numbers
    ColFactSumma = 7,
    ColVidup = 8, // editable
    ColKlv1m = 9, // editable
    ColKlvm = 10,
    ColBrutto = 11, // editable
    ColData = 12,
    ColGost = 13,
    ColComment = 14,
    ColumnCount = 15
};

// The text a data cell shows: numbers in the general form, the date in the short form, texts
// as they are; column 6 shows none.
QString cellText(const TContData& d, int column, const Regional& r = Regional::current());

// The editor's text for a cell; nullopt for a column that cannot be edited.
std::optional<QString> editText(const TContData& d, int column,
                                const Regional& r = Regional::current());
bool isEditable(int column);

// Typed text into an editable column. A number column takes the text as a number with the
// regional decimal separator; a text that is not a number leaves the record as it was (the
// functions then return false).
//
// Shipped quantity: absolute value, at most quant; factSumma = factQuant * price rounded to 2
// decimals; klvm = factQuant / klv1m while klv1m is not 0.
bool setFactQuant(TContData& d, const QString& text, const Regional& r = Regional::current());
// Kind of packaging: as typed.
void setVidup(TContData& d, const QString& text);
// Quantity in one package: absolute value; klvm = factQuant / klv1m, kept when klv1m is 0.
bool setKlv1m(TContData& d, const QString& text, const Regional& r = Regional::current());
// Gross mass: absolute value.
bool setBrutto(TContData& d, const QString& text, const Regional& r = Regional::current());
// The rule of `column`; other columns change nothing.
bool setEditText(TContData& d, int column, const QString& text,
                 const Regional& r = Regional::current());

// The number of serial numbers a record asks for: the integer part of the shipped quantity.
int serialCount(const TContData& d);

// ---- key filters -------------------------------------------------------------------------

// The document number: refuses Ё, ё and А..я (Windows-1251 codes 168, 184, 192..255); every
// other character passes, control characters included.
bool documentNumberAllowed(QChar ch);
// A serial number: refuses ";" and the same Cyrillic letters, and every character while
// `serialTooLong` is set.
bool serialAllowed(QChar ch, bool serialTooLong);

} // namespace Waybill

// The serial numbers of a record: stored as the numbers of the non-empty rows, in row order,
// each followed by ";".
namespace Serials {

constexpr int kMaxLength = 20;

// The dialog's rows for `count` pieces from the stored form: the stored numbers fill the
// first rows, the others are empty; numbers beyond `count` are not shown. A stored text
// without a ";" left in it fills no further row.
QStringList rowsFromStored(const QString& serials, int count);

struct Collected {
    QString serials;   // the stored form of the non-empty rows
    QString emptyRows; // "(2, 5) " for empty rows 2 and 5; empty when every row is filled
};
// The rows (row 1 first) in the stored form, and the list of the empty ones.
Collected collect(const QStringList& rows);

// A cell's text cut to kMaxLength characters; `cut` tells whether it was longer. Characters
// the key filter refuses (";" and Cyrillic letters, say from a paste) are dropped first, so
// one cell always stays one number.
QString cutCell(const QString& text, bool* cut);

} // namespace Serials
