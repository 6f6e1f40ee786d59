// Reading a printed waybill or label back: the framed symbol texts put together again, the
// payload split into its fields, and a label's four codes turned back into their values.
// Plain text in, plain values out; finding the symbols in images is symbolscan.h's.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Reading {

// One symbol text "<N" + count + index + piece + length + ">".
struct Piece {
    int count = 0;
    int index = 0; // from 1
    QString text;
};

// The frame of one symbol text; nullopt with the reason in `why` when it is not a frame
// (no "<N" or ">", fields that are not numbers, an index outside the count, a length field
// that does not match the piece).
std::optional<Piece> parseFrame(const QString& symbol, QString* why = nullptr);

struct Reassembled {
    QString payload;    // the pieces in index order (those that were found)
    int count = 0;      // the number of symbols the frames announce
    QList<int> missing; // indices not found
    QStringList errors; // what is wrong, in Russian, for the user
    bool complete() const { return errors.isEmpty() && count > 0; }
};

// Puts the symbols of one document together. The same symbol read twice counts once. Missing
// pieces ("нет символов 3 и 7 из 12"), frames that do not parse and pieces of two different
// documents (two counts, or one index with two texts) are errors.
Reassembled reassemble(const QStringList& symbols);

struct WaybillItem {
    QString elemC;
    QString kat;
    QString quantity; // as printed: the general number form
    QString sum;
    QStringList serials;
};

struct WaybillData {
    QString rem;    // the contract's remark
    QString number; // the document number
    QString date;   // the document date, as printed
    QString recipC; // the recipient's code
    QList<WaybillItem> items;
};

// The fields of a waybill's payload; nullopt with the reason in `why` when the fields do not
// make up a waybill (too few, or a last group that is not whole).
std::optional<WaybillData> splitPayload(const QString& payload, QString* why = nullptr);

// A label's codes as decoded: the contract's code, the item's code, the per-package quantity
// and the sum.
struct LabelCodes {
    QString contract;
    QString elemC;
    double quantity = 0;
    double sum = 0;
};

// The value of a 15-digit barcode number field: ten integer digits and five decimals.
std::optional<double> barNumberValue(const QString& field);

// The four decoded digit strings of a label, in any order: "2" + the quantity field and "3" +
// the sum field (16 digits each), "09" + the item code (with the leading "0" that an odd length
// gets in front), and the contract's code, the one left. nullopt with the reason when the codes
// are not those four.
std::optional<LabelCodes> readLabelCodes(const QStringList& codes, QString* why = nullptr);

} // namespace Reading
