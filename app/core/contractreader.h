// Contract files (*.dat): KOI8-R text with a directory, a header, goods positions and their
// distribution among recipients. The reader turns one file into the directory elements
// (RefItemList), the header (ContTitle) and the item lines (ContDataList).
//
// File layout: line 1 is the format identifier; the other lines are section tags
// ([REFERENCEBOOKS], [CONTRACT], [CONTRACT2], [CONTRACT3] and their [/...] closing tags), data
// lines inside a section, or lines outside any section, which are ignored. A data line is a
// sequence of fields, each followed by '#'.
#pragma once

#include "core/regional.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// The identifier on line 1 of every contract file.
inline const QString CONTRACTS_GUID = QStringLiteral("{EAF475FC-EED1-4B3F-B659-A91D40B1A3BC}");

// The first line of the error every failed read reports. Its second line names the file and
// the cause: "не существует", "слишком большой", "не в кодировке KOI8-R", "раздел [CONTRACT2]
// не закрыт", "строка 12, поле 3: ...", "файл в кодировке UTF-8, ожидается KOI8-R"; it ends
// with a full stop, so that the window and the command line show the same text.
inline const QString kContractReadError =
    QStringLiteral("Файл содержит не корректные данные или поврежден!");

// Day 0 of the date count: the date of positions a file gives no delivery date.
inline constexpr QDate kZeroDate = QDate::fromJulianDay(2415019); // 30.12.1899

// Files larger than this are refused before they are read.
constexpr qint64 kMaxContractFileSize = 32 * 1024 * 1024;

// One element of the file's directory. Directory 2 holds organisations; only they carry the
// requisites (full_naim .. recv_code).
struct TRefItem {
    int refBook = 0;
    int id = 0;
    QString clf_code;
    int dt_type = 0;
    QString spr_naim;
    QString full_naim;
    QString inn;
    QString ind;
    QString adress;
    QString phone;
    QString cur_acc;
    QString bank;
    QString br_bank;
    QString bik;
    QString cor_acc;
    QString okpo;
    QString station;
    QString station_code;
    QString rlw_name;
    QString recv_code;
};

// The contract header.
struct TContTitle {
    QString docno;
    QDate data = kZeroDate;
    QDate dataend = kZeroDate;
    QString target;
    int agent = 0;
    QString agents;
    QString rem;
    int payer = 0;
};

// One item line: a goods position for one recipient. The reader fills the first group of
// fields; the waybill and label windows reuse the record for their own lists.
struct TContData {
    int posNo = 0;
    int recip = 0; // 0: the position is distributed to nobody
    QString recipC;
    QString recipS;
    int elem = 0;
    QString elemC;
    QString elemS;
    QString kat;
    QString gost;
    QDate data = kZeroDate;
    double quant = 0;
    double summa = 0;
    double price = 0;
    double factQuant = 0;
    double factSumma = 0;
    QString unit;
    QString serials;
    QString comment;
    QString vidup;
    double klv1m = 0;
    double klvm = 0;
    double brutto = 0;
};

using TRefItemList = QList<TRefItem>;
using TContDataList = QList<TContData>;

// The reader's results, shared with the import and the waybill and label windows.
extern TRefItemList RefItemList;
extern TContTitle ContTitle;
extern TContDataList ContDataList;

// Everything one contract file holds.
struct ContractContent {
    TRefItemList refItems;
    TContTitle title;
    TContDataList items;
};

// Reads the file into RefItemList, ContTitle and ContDataList. Any failure raises AppError
// with kContractReadError and its cause and leaves the three results as they were. Refused
// besides what the format forbids: a file that ends inside a section (cut short), and one in
// UTF-8 with Russian letters (saved again by an editor).
void ReadContractFile(const QString& fileName, const Regional& regional = Regional::current());

// Reads a contract file without touching the shared results. Raises AppError with
// kContractReadError and its cause on any failure.
ContractContent ReadContract(const QString& fileName,
                             const Regional& regional = Regional::current());

// Parses the raw bytes of a contract file. Raises AppError with kContractReadError and its
// cause (without a file name) on any failure.
ContractContent ParseContract(const QByteArray& bytes,
                              const Regional& regional = Regional::current());

// Loads and converts the file into lines and returns the first 38 characters of line 1.
// Raises AppError with the specific reason ("Файл не существует !", "Файл не соответствует
// формату", ...).
QString LoadContractText(const QString& fileName, QStringList& lines);

// KOI8-R to Windows-1251, byte for byte (the result has the same length). No byte becomes
// '#', CR or LF.
QByteArray ConvertKoi8(const QByteArray& koi8);
// The Windows-1251 byte of one KOI8-R byte (0 stays 0).
unsigned char ConvertKoi8Byte(unsigned char koi8);

// The fields of one data line: the texts before each '#'. Text after the last '#' is dropped.
QStringList SplitFields(const QString& line);

// The position of the first element with the given directory number and identifier.
// Raises AppError when id is 0 or no element matches.
int FindRefItem(const TRefItemList& list, int refBook, int id);

// Empties a list of records.
template <class Record> void ClearRecordList(QList<Record>& list) {
    list.clear();
}
