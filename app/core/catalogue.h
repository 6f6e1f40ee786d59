// Every SQL statement of the application, each text once, next to the function that runs it.
// Windows, commands, tests and benchmarks call these functions; none writes a statement of
// the application's own.
//
// Each function runs its statement in the usual steps: the query's text is replaced (which
// closes it), the statement is prepared when it has parameters, the parameters are bound by
// name and the statement is opened or executed. Reads on qTarvik run in whatever state
// trTarvik is in (a read starts it when it is not active). Errors travel on as DbError.
#pragma once

#include "core/contractreader.h"
#include "core/dbconnection.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace Catalogue {

// ---- the register -----------------------------------------------------------------------

extern const QStringList kRegister;
// Ends trMain's earlier snapshot, starts it again and opens the register on qMain (all
// contracts in the order of their numbers).
void openRegister(DbConnection& c);

// The columns of the register's current row that the waybills and labels print.
struct ContractRow {
    int number = 0;
    QString docno;
    QDate data; // invalid when the contract has none
    QString agents;
    QString rem;
};
ContractRow currentContract(const FbQuery& qMain);

extern const QStringList kDeleteContract;
// Deletes one contract in a write transaction of its own (roll back, start, delete, commit),
// run again when another workstation's transaction gets in the way (runWrite).
void deleteContract(DbConnection& c, int number);

// ---- recipients of a contract -----------------------------------------------------------

struct Recipient {
    int recip = 0;
    QString recipS;
};
extern const QStringList kRecipients;
// The contract's recipients in ascending order of their names.
QList<Recipient> recipients(FbQuery& qTarvik, int title);

// ---- the import -------------------------------------------------------------------------

extern const QStringList kOrganisationExists;
// True when ORGANISATIONS holds a row with this ID, as qOrgs' transaction sees it.
bool organisationExists(FbQuery& qOrgs, int id);

extern const QStringList kInsertOrganisation;
extern const QStringList kUpdateOrganisation;
// Prepares the insert or the update of one organisation and binds its values; executing it
// is the caller's.
void setOrganisationWrite(FbQuery& qTarvik, const TRefItem& organisation, bool exists);

extern const QStringList kInsertContract;
// Inserts a contract header; fileName is stored as given.
void insertContract(FbQuery& qTarvik, const TContTitle& title, const QString& fileName);

extern const QStringList kLastContractNumber;
// The highest contract number, as the transaction sees it; nullopt for an empty table.
std::optional<int> lastContractNumber(FbQuery& qTarvik);

extern const QStringList kInsertContractLine;
// The item-line insert, prepared once for a contract and run per line.
class ContractLineInsert {
public:
    ContractLineInsert(FbQuery& qTarvik, int title);
    void insert(const TContData& line);

private:
    FbQuery& m_q;
    FbParam *m_elem, *m_kat, *m_gost, *m_recip, *m_data, *m_quant, *m_summa, *m_elemS, *m_recipS,
        *m_elemC, *m_recipC, *m_unit, *m_comment;
};

// ---- item lines for waybills and labels -------------------------------------------------

extern const QStringList kWaybillItems;
// The recipient's item lines grouped for a waybill, in the order the database returns them:
// elem, kat, gost, data, elemS, elemC, price (f_div(summa, quant), as the database gives it),
// quant, summa, unit, recipC and comment; every other field is empty or zero.
TContDataList waybillItems(FbQuery& qTarvik, int title, int recip);

extern const QStringList kLabelItems;
// The same grouping for labels, without recipC and comment.
TContDataList labelItems(FbQuery& qTarvik, int title, int recip);

// ---- requisites of organisations --------------------------------------------------------

// The columns read land in the record's fields of the same names (full_naim .. okpo); a
// payer's record has no railway columns.
extern const QStringList kRecipientRequisites;
std::optional<TRefItem> recipientRequisites(FbQuery& qTarvik, int recip);
extern const QStringList kSupplierRequisites;
std::optional<TRefItem> supplierRequisites(FbQuery& qTarvik, int number);
extern const QStringList kPayerRequisites;
std::optional<TRefItem> payerRequisites(FbQuery& qTarvik, int number);

// ---- settings ---------------------------------------------------------------------------

// The keys of NSI. "otp_gr_raz" and "otp_gr_pr" hold two values, the others one.
enum class Setting { Nds, OtpGrRaz, OtpGrPr, GlBuh };
QString settingKey(Setting s);
bool hasSecondValue(Setting s);

struct SettingValues {
    QString value1;
    QString value2; // empty for a key of one value
};
extern const QStringList kReadNds, kReadOtpGrRaz, kReadOtpGrPr, kReadGlBuh;
// The values of one key; nullopt when its row is missing.
std::optional<SettingValues> readSetting(FbQuery& qTarvik, Setting s);

extern const QStringList kWriteNds, kWriteOtpGrRaz, kWriteOtpGrPr, kWriteGlBuh;
// Updates one key (value2 only for a key of two values). A missing row changes nothing.
void writeSetting(FbQuery& qTarvik, Setting s, const SettingValues& values);

} // namespace Catalogue
