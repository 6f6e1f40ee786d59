// The text a waybill carries in its PDF417 symbols, and its division into symbol texts.
//
// The payload is a run of fields, each followed by "#", but for the document number, which is
// joined to the first date by "-":
//
//   rem#number-date#date#recipC#elemC#kat#quantity#sum#serials#elemC#kat#...
//
// with one group of five fields per shipped item (factQuant > 0), in list order; recipC is the
// first record's, shipped or not. Numbers are in the general number form, dates in the regional
// short form. Nothing is escaped.
//
// The payload is cut into n = ceil(L / 400) pieces of L div n characters, the last taking the
// rest, and each piece is framed as "<N" + count + index + piece + length + ">": count and index
// with a leading "0" below 10, the length with a leading "0" below 100. A reader sorts the
// pieces by index and joins them.
#pragma once

#include "core/contractreader.h"
#include "core/regional.h"

#include <QDate>
#include <QString>
#include <QStringList>

// What one print puts into its symbols.
struct BarcodeText {
    QString BarcodePayload;
    QStringList BarcodeChunks; // at least one
};

// The waybill's header as the payload takes it.
struct WaybillHeader {
    QString rem;    // the contract's remark
    QString number; // the document number
    QDate date;     // the document date
};

QString buildBarcodePayload(const WaybillHeader& header, const TContDataList& items,
                            const Regional& regional = Regional::current());
QStringList splitBarcodePayload(const QString& payload);

BarcodeText BuildBarcodeChunks(const WaybillHeader& header, const TContDataList& items,
                               const Regional& regional = Regional::current());

// The most payload characters one symbol carries on average.
constexpr int kPayloadPerSymbol = 400;
