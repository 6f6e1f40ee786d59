#include "core/contractimport.h"

#include "core/apperror.h"

#include <QFileInfo>

namespace {

const QStringList kInsertOrganisation = {
    QStringLiteral("INSERT INTO ORGANISATIONS(ID,CLF_CODE,DT_TYPE,SPR_NAIM,FULL_NAIM,INN,IND,"
                   "ADRESS,PHONE,CUR_ACC,BANK,BR_BANK,BIK,COR_ACC,OKPO,STATION,STATION_CODE,"
                   "RLW_NAME,RECV_CODE)"),
    QStringLiteral("VALUES (:ID,:CLF_CODE,:DT_TYPE,:SPR_NAIM,:FULL_NAIM,:INN,:IND,:ADRESS,:PHONE,"
                   ":CUR_ACC,:BANK,:BR_BANK,:BIK,:COR_ACC,:OKPO,:STATION,:STATION_CODE,:RLW_NAME,"
                   ":RECV_CODE)")};

const QStringList kUpdateOrganisation = {
    QStringLiteral("UPDATE ORGANISATIONS set CLF_CODE=:CLF_CODE,DT_TYPE=:DT_TYPE,"
                   "SPR_NAIM=:SPR_NAIM,FULL_NAIM=:FULL_NAIM,INN=:INN,IND=:IND,ADRESS=:ADRESS,"
                   "PHONE=:PHONE,CUR_ACC=:CUR_ACC,"),
    QStringLiteral("BANK=:BANK,BR_BANK=:BR_BANK,BIK=:BIK,COR_ACC=:COR_ACC,OKPO=:OKPO,"
                   "STATION=:STATION,STATION_CODE=:STATION_CODE,RLW_NAME=:RLW_NAME,"
                   "RECV_CODE=:RECV_CODE WHERE ID=:ID")};

const QStringList kInsertHeader = {
    QStringLiteral("INSERT INTO CONTRACT(PROTNO, REGNO, DATA, AGENT, TARGET, STATUS, REM, "
                   "FILENAME, DOCNO, agents, DATAEND,PAYER)"),
    QStringLiteral("VALUES (:PROTNO, :REGNO, :DATA, :AGENT, :TARGET, :STATUS, :REM, :FILENAME, "
                   ":DOCNO, :agents, :DATAEND,:PAYER)")};

const QStringList kLastNumber = {QStringLiteral("SELECT max(number) numb FROM contract")};

const QStringList kInsertLine = {
    QStringLiteral("INSERT INTO CONTRACT2(TITLE, ELEM, KAT, GOST, RECIP, DATA, QUANT, SUMMA, "
                   "elemS, recipS, elemC, recipC,unit,comment)"),
    QStringLiteral("VALUES (:TITLE, :ELEM, :KAT, :GOST, :RECIP, :DATA, :QUANT, :SUMMA, :elemS, "
                   ":recipS, :elemC, :recipC,:unit,:comment)")};

// Close, set the text, prepare.
void setSql(FbQuery& q, const QStringList& lines) {
    q.close();
    q.sqlClear();
    for (const QString& l : lines)
        q.sqlAdd(l);
    q.prepare();
}

// QString() would bind NULL; the columns get empty strings instead.
QString text(const QString& s) {
    return s.isNull() ? QStringLiteral("") : s;
}

void bindOrganisation(FbQuery& q, const TRefItem& r) {
    q.paramByName(QStringLiteral("ID")).setInteger(r.id);
    q.paramByName(QStringLiteral("CLF_CODE")).setString(text(r.clf_code));
    q.paramByName(QStringLiteral("DT_TYPE")).setInteger(r.dt_type);
    const std::pair<const char*, const QString*> strings[] = {
        {"SPR_NAIM", &r.spr_naim}, {"FULL_NAIM", &r.full_naim},
        {"INN", &r.inn},           {"IND", &r.ind},
        {"ADRESS", &r.adress},     {"PHONE", &r.phone},
        {"CUR_ACC", &r.cur_acc},   {"BANK", &r.bank},
        {"BR_BANK", &r.br_bank},   {"BIK", &r.bik},
        {"COR_ACC", &r.cor_acc},   {"OKPO", &r.okpo},
        {"STATION", &r.station},   {"STATION_CODE", &r.station_code},
        {"RLW_NAME", &r.rlw_name}, {"RECV_CODE", &r.recv_code}};
    for (const auto& [name, value] : strings)
        q.paramByName(QLatin1String(name)).setString(text(*value));
}

// Runs one step and names what it was writing in the message of a database error.
template <class F> void withContext(const QString& what, F&& step) {
    try {
        step();
    } catch (const DbError& e) {
        throw DbError(what + QStringLiteral(": ") + e.message());
    }
}

} // namespace

bool OrganisationExists(FbQuery& qOrgs, int id) {
    setSql(qOrgs, {QStringLiteral("SELECT * FROM ORGANISATIONS where ID=:ID")});
    qOrgs.paramByName(QStringLiteral("id")).setInteger(id);
    qOrgs.open();
    const bool exists = !qOrgs.isEmpty();
    qOrgs.close();
    return exists;
}

int ImportContract(FbTransaction& trTarvik, FbQuery& qTarvik, FbQuery& qOrgs,
                   const TRefItemList& refItems, const TContTitle& title,
                   const TContDataList& items, const QString& fileName,
                   const ImportProgress& progress) {
    if (trTarvik.inTransaction())
        trTarvik.rollback();
    trTarvik.startTransaction();

    const qsizetype total = refItems.size() + 1 + items.size();
    qsizetype done = 0;
    auto report = [&](bool force) {
        // Every 64 steps keeps the window responsive without slowing the writes.
        if (progress && (force || (done & 63) == 0))
            progress(done, total);
    };
    report(true);

    for (const TRefItem& r : refItems) {
        ++done;
        if (r.refBook != 2)
            continue;
        withContext(QStringLiteral("Организация %1").arg(r.id), [&] {
            setSql(qTarvik,
                   OrganisationExists(qOrgs, r.id) ? kUpdateOrganisation : kInsertOrganisation);
            bindOrganisation(qTarvik, r);
            qTarvik.execSql();
        });
        report(false);
    }

    int number = 0;
    withContext(QStringLiteral("Шапка контракта"), [&] {
        setSql(qTarvik, kInsertHeader);
        qTarvik.paramByName(QStringLiteral("REGNO")).setInteger(0);
        qTarvik.paramByName(QStringLiteral("DATA")).setDate(title.data);
        qTarvik.paramByName(QStringLiteral("AGENT")).setInteger(title.agent);
        qTarvik.paramByName(QStringLiteral("TARGET")).setString(text(title.target));
        qTarvik.paramByName(QStringLiteral("REM")).setString(text(title.rem));
        qTarvik.paramByName(QStringLiteral("FILENAME"))
            .setString(QFileInfo(fileName).absoluteFilePath());
        qTarvik.paramByName(QStringLiteral("DOCNO")).setString(text(title.docno));
        qTarvik.paramByName(QStringLiteral("agents")).setString(text(title.agents));
        qTarvik.paramByName(QStringLiteral("DATAEND")).setDate(title.dataend);
        qTarvik.paramByName(QStringLiteral("PAYER")).setInteger(title.payer);
        qTarvik.execSql();

        qTarvik.close();
        qTarvik.sqlClear();
        for (const QString& l : kLastNumber)
            qTarvik.sqlAdd(l);
        qTarvik.open();
        if (qTarvik.isEmpty() || qTarvik.fieldByName(QStringLiteral("numb")).isNull())
            throw AppError(QStringLiteral("Не удалось получить номер шапки !"));
        number = qTarvik.fieldByName(QStringLiteral("numb")).asInteger();
        qTarvik.close();
    });
    ++done;
    report(true);

    setSql(qTarvik, kInsertLine);
    qTarvik.paramByName(QStringLiteral("TITLE")).setInteger(number);
    FbParam& elem = qTarvik.paramByName(QStringLiteral("ELEM"));
    FbParam& kat = qTarvik.paramByName(QStringLiteral("KAT"));
    FbParam& gost = qTarvik.paramByName(QStringLiteral("GOST"));
    FbParam& recip = qTarvik.paramByName(QStringLiteral("RECIP"));
    FbParam& data = qTarvik.paramByName(QStringLiteral("DATA"));
    FbParam& quant = qTarvik.paramByName(QStringLiteral("QUANT"));
    FbParam& summa = qTarvik.paramByName(QStringLiteral("SUMMA"));
    FbParam& elemS = qTarvik.paramByName(QStringLiteral("elemS"));
    FbParam& recipS = qTarvik.paramByName(QStringLiteral("recipS"));
    FbParam& elemC = qTarvik.paramByName(QStringLiteral("elemC"));
    FbParam& recipC = qTarvik.paramByName(QStringLiteral("recipC"));
    FbParam& unit = qTarvik.paramByName(QStringLiteral("unit"));
    FbParam& comment = qTarvik.paramByName(QStringLiteral("comment"));
    for (const TContData& d : items) {
        elem.setInteger(d.elem);
        kat.setString(text(d.kat));
        gost.setString(text(d.gost));
        recip.setInteger(d.recip);
        data.setDate(d.data);
        quant.setDouble(d.quant);
        summa.setDouble(d.summa);
        elemS.setString(text(d.elemS));
        recipS.setString(text(d.recipS));
        elemC.setString(text(d.elemC));
        recipC.setString(text(d.recipC));
        unit.setString(text(d.unit));
        comment.setString(text(d.comment));
        withContext(QStringLiteral("Позиция %1 контракта").arg(d.posNo),
                    [&] { qTarvik.execSql(); });
        ++done;
        report(false);
    }
    report(true);

    trTarvik.commit();
    return number;
}

int ImportContract(FbTransaction& trTarvik, FbQuery& qTarvik, FbQuery& qOrgs,
                   const QString& fileName, const ImportProgress& progress) {
    return ImportContract(trTarvik, qTarvik, qOrgs, RefItemList, ContTitle, ContDataList, fileName,
                          progress);
}
