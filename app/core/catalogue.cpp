#include "core/catalogue.h"

namespace Catalogue {

namespace {

// QString() would bind NULL; text columns get empty strings instead.
QString text(const QString& s) {
    return s.isNull() ? QStringLiteral("") : s;
}

FbParam& param(FbQuery& q, const char* name) {
    return q.paramByName(QLatin1String(name));
}

QString str(const FbQuery& q, const char* name) {
    return q.fieldByName(QLatin1String(name)).asString();
}

} // namespace

// ---- the register -----------------------------------------------------------------------

const QStringList kRegister = {
    QStringLiteral("SELECT number, docno, protno, data, dataend, target, filename, agents, rem "
                   "FROM contract"),
    QStringLiteral("ORDER BY number")};

void openRegister(DbConnection& c) {
    if (c.trMain.inTransaction())
        c.trMain.commit();
    c.trMain.startTransaction();
    c.qMain.setSql(kRegister);
    c.qMain.open();
}

ContractRow currentContract(const FbQuery& q) {
    ContractRow r;
    r.number = q.fieldByName(QStringLiteral("number")).asInteger();
    r.docno = str(q, "docno");
    r.data = q.fieldByName(QStringLiteral("data")).asDate();
    r.agents = str(q, "agents");
    r.rem = str(q, "rem");
    return r;
}

const QStringList kDeleteContract = {QStringLiteral("DELETE FROM contract WHERE number=:number")};

void deleteContract(DbConnection& c, int number) {
    c.write([&] {
        FbQuery& q = c.qTarvik;
        q.setSql(kDeleteContract);
        q.prepare();
        param(q, "number").setInteger(number);
        q.execSql();
    });
}

// ---- recipients of a contract -----------------------------------------------------------

const QStringList kRecipients = {
    QStringLiteral("SELECT DISTINCT recip, recipS FROM contract2 WHERE title=:title ORDER BY "
                   "recipS")};

QList<Recipient> recipients(FbQuery& q, int title) {
    q.setSql(kRecipients);
    q.prepare();
    param(q, "title").setInteger(title);
    q.open();
    QList<Recipient> out;
    for (; !q.eof(); q.next())
        out.append({q.fieldByName(QStringLiteral("recip")).asInteger(), str(q, "recipS")});
    q.close();
    return out;
}

// ---- the import -------------------------------------------------------------------------

const QStringList kOrganisationExists = {
    QStringLiteral("SELECT * FROM ORGANISATIONS where ID=:ID")};

bool organisationExists(FbQuery& qOrgs, int id) {
    qOrgs.setSql(kOrganisationExists);
    qOrgs.prepare();
    param(qOrgs, "ID").setInteger(id);
    qOrgs.open();
    const bool exists = !qOrgs.isEmpty();
    qOrgs.close();
    return exists;
}

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

void setOrganisationWrite(FbQuery& q, const TRefItem& r, bool exists) {
    q.setSql(exists ? kUpdateOrganisation : kInsertOrganisation);
    q.prepare();
    param(q, "ID").setInteger(r.id);
    param(q, "CLF_CODE").setString(text(r.clf_code));
    param(q, "DT_TYPE").setInteger(r.dt_type);
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
        param(q, name).setString(text(*value));
}

const QStringList kInsertContract = {
    QStringLiteral("INSERT INTO CONTRACT(PROTNO, REGNO, DATA, AGENT, TARGET, STATUS, REM, "
                   "FILENAME, DOCNO, agents, DATAEND,PAYER)"),
    QStringLiteral("VALUES (:PROTNO, :REGNO, :DATA, :AGENT, :TARGET, :STATUS, :REM, :FILENAME, "
                   ":DOCNO, :agents, :DATAEND,:PAYER)")};

void insertContract(FbQuery& q, const TContTitle& title, const QString& fileName) {
    q.setSql(kInsertContract);
    q.prepare();
    // PROTNO and STATUS stay unbound: NULL.
    param(q, "REGNO").setInteger(0);
    param(q, "DATA").setDate(title.data);
    param(q, "AGENT").setInteger(title.agent);
    param(q, "TARGET").setString(text(title.target));
    param(q, "REM").setString(text(title.rem));
    param(q, "FILENAME").setString(text(fileName));
    param(q, "DOCNO").setString(text(title.docno));
    param(q, "agents").setString(text(title.agents));
    param(q, "DATAEND").setDate(title.dataend);
    param(q, "PAYER").setInteger(title.payer);
    q.execSql();
}

const QStringList kLastContractNumber = {QStringLiteral("SELECT max(number) numb FROM contract")};

std::optional<int> lastContractNumber(FbQuery& q) {
    q.setSql(kLastContractNumber);
    q.open();
    std::optional<int> number;
    if (!q.isEmpty() && !q.fieldByName(QStringLiteral("numb")).isNull())
        number = q.fieldByName(QStringLiteral("numb")).asInteger();
    q.close();
    return number;
}

const QStringList kInsertContractLine = {
    QStringLiteral("INSERT INTO CONTRACT2(TITLE, ELEM, KAT, GOST, RECIP, DATA, QUANT, SUMMA, "
                   "elemS, recipS, elemC, recipC,unit,comment)"),
    QStringLiteral("VALUES (:TITLE, :ELEM, :KAT, :GOST, :RECIP, :DATA, :QUANT, :SUMMA, :elemS, "
                   ":recipS, :elemC, :recipC,:unit,:comment)")};

ContractLineInsert::ContractLineInsert(FbQuery& q, int title) : m_q(q) {
    q.setSql(kInsertContractLine);
    q.prepare();
    param(q, "TITLE").setInteger(title);
    m_elem = &param(q, "ELEM");
    m_kat = &param(q, "KAT");
    m_gost = &param(q, "GOST");
    m_recip = &param(q, "RECIP");
    m_data = &param(q, "DATA");
    m_quant = &param(q, "QUANT");
    m_summa = &param(q, "SUMMA");
    m_elemS = &param(q, "elemS");
    m_recipS = &param(q, "recipS");
    m_elemC = &param(q, "elemC");
    m_recipC = &param(q, "recipC");
    m_unit = &param(q, "unit");
    m_comment = &param(q, "comment");
}

void ContractLineInsert::insert(const TContData& d) {
    m_elem->setInteger(d.elem);
    m_kat->setString(text(d.kat));
    m_gost->setString(text(d.gost));
    m_recip->setInteger(d.recip);
    m_data->setDate(d.data);
    m_quant->setDouble(d.quant);
    m_summa->setDouble(d.summa);
    m_elemS->setString(text(d.elemS));
    m_recipS->setString(text(d.recipS));
    m_elemC->setString(text(d.elemC));
    m_recipC->setString(text(d.recipC));
    m_unit->setString(text(d.unit));
    m_comment->setString(text(d.comment));
    m_q.execSql();
}

// ---- item lines for waybills and labels -------------------------------------------------

const QStringList kWaybillItems = {
    QStringLiteral("SELECT elem, kat, gost, data, elems, elemc, f_div(summa, quant) price, "),
    QStringLiteral(" SUM(quant) quant, SUM(summa) summa ,unit,recipC,comment"),
    QStringLiteral("FROM CONTRACT2 "), QStringLiteral("WHERE title=:title and recip=:recip "),
    QStringLiteral("GROUP BY elem, unit,recipC,kat, gost, data, elems, elemc, 7,comment ")};

const QStringList kLabelItems = {
    QStringLiteral("SELECT elem, kat, gost, data, elems, elemc, f_div(summa, quant) price, "),
    QStringLiteral(" SUM(quant) quant, SUM(summa) summa ,unit"), QStringLiteral("FROM CONTRACT2 "),
    QStringLiteral("WHERE title=:title and recip=:recip "),
    QStringLiteral("GROUP BY elem,unit, kat, gost, data, elems, elemc, 7 ")};

namespace {

TContDataList readItems(FbQuery& q, const QStringList& statement, int title, int recip,
                        bool waybill) {
    q.setSql(statement);
    q.prepare();
    param(q, "title").setInteger(title);
    param(q, "recip").setInteger(recip);
    q.open();
    TContDataList out;
    for (; !q.eof(); q.next()) {
        TContData d;
        d.elem = q.fieldByName(QStringLiteral("elem")).asInteger();
        d.kat = str(q, "kat");
        d.gost = str(q, "gost");
        d.data = q.fieldByName(QStringLiteral("data")).asDate();
        d.elemS = str(q, "elems");
        d.elemC = str(q, "elemc");
        d.price = q.fieldByName(QStringLiteral("price")).asDouble();
        d.quant = q.fieldByName(QStringLiteral("quant")).asDouble();
        d.summa = q.fieldByName(QStringLiteral("summa")).asDouble();
        d.unit = str(q, "unit");
        if (waybill) {
            d.recipC = str(q, "recipC");
            d.comment = str(q, "comment");
        }
        out.append(std::move(d));
    }
    q.close();
    return out;
}

} // namespace

TContDataList waybillItems(FbQuery& q, int title, int recip) {
    return readItems(q, kWaybillItems, title, recip, true);
}

TContDataList labelItems(FbQuery& q, int title, int recip) {
    return readItems(q, kLabelItems, title, recip, false);
}

// ---- requisites of organisations --------------------------------------------------------

const QStringList kRecipientRequisites = {
    QStringLiteral("SELECT full_naim, station, rlw_name, station_code, recv_code, inn, ind, "
                   "adress, phone, cur_acc, bank, br_bank, bik, cor_acc, okpo "),
    QStringLiteral("FROM ORGANISATIONS "), QStringLiteral("WHERE id=:recip ")};

const QStringList kSupplierRequisites = {
    QStringLiteral("SELECT full_naim, station, rlw_name, station_code, recv_code, inn, ind, "
                   "adress, phone, cur_acc, bank, br_bank, bik, cor_acc, okpo "),
    QStringLiteral("FROM ORGANISATIONS, CONTRACT "),
    QStringLiteral("WHERE id=agent and number=:NUMB ")};

const QStringList kPayerRequisites = {
    QStringLiteral("SELECT full_naim, inn, ind, adress, phone, cur_acc, bank, br_bank, bik, "
                   "cor_acc, okpo "),
    QStringLiteral("FROM ORGANISATIONS, CONTRACT "),
    QStringLiteral("WHERE id=payer and number=:NUMB ")};

namespace {

std::optional<TRefItem> readRequisites(FbQuery& q, const QStringList& statement,
                                       const char* paramName, int value, bool railway) {
    q.setSql(statement);
    q.prepare();
    param(q, paramName).setInteger(value);
    q.open();
    std::optional<TRefItem> out;
    if (!q.isEmpty()) {
        TRefItem r;
        r.full_naim = str(q, "full_naim");
        if (railway) {
            r.station = str(q, "station");
            r.rlw_name = str(q, "rlw_name");
            r.station_code = str(q, "station_code");
            r.recv_code = str(q, "recv_code");
        }
        r.inn = str(q, "inn");
        r.ind = str(q, "ind");
        r.adress = str(q, "adress");
        r.phone = str(q, "phone");
        r.cur_acc = str(q, "cur_acc");
        r.bank = str(q, "bank");
        r.br_bank = str(q, "br_bank");
        r.bik = str(q, "bik");
        r.cor_acc = str(q, "cor_acc");
        r.okpo = str(q, "okpo");
        out = std::move(r);
    }
    q.close();
    return out;
}

} // namespace

std::optional<TRefItem> recipientRequisites(FbQuery& q, int recip) {
    return readRequisites(q, kRecipientRequisites, "recip", recip, true);
}

std::optional<TRefItem> supplierRequisites(FbQuery& q, int number) {
    return readRequisites(q, kSupplierRequisites, "NUMB", number, true);
}

std::optional<TRefItem> payerRequisites(FbQuery& q, int number) {
    return readRequisites(q, kPayerRequisites, "NUMB", number, false);
}

// ---- settings ---------------------------------------------------------------------------

QString settingKey(Setting s) {
    switch (s) {
    case Setting::Nds:
        return QStringLiteral("nds");
    case Setting::OtpGrRaz:
        return QStringLiteral("otp_gr_raz");
    case Setting::OtpGrPr:
        return QStringLiteral("otp_gr_pr");
    case Setting::GlBuh:
        break;
    }
    return QStringLiteral("gl_buh");
}

bool hasSecondValue(Setting s) {
    return s == Setting::OtpGrRaz || s == Setting::OtpGrPr;
}

const QStringList kReadNds = {QStringLiteral("SELECT value1 "), QStringLiteral("FROM NSI "),
                              QStringLiteral("WHERE dt_key='nds' ")};
const QStringList kReadOtpGrRaz = {QStringLiteral("SELECT value1,value2 "),
                                   QStringLiteral("FROM NSI "),
                                   QStringLiteral("WHERE dt_key='otp_gr_raz' ")};
const QStringList kReadOtpGrPr = {QStringLiteral("SELECT value1,value2 "),
                                  QStringLiteral("FROM NSI "),
                                  QStringLiteral("WHERE dt_key='otp_gr_pr' ")};
const QStringList kReadGlBuh = {QStringLiteral("SELECT value1 "), QStringLiteral("FROM NSI "),
                                QStringLiteral("WHERE dt_key='gl_buh' ")};

std::optional<SettingValues> readSetting(FbQuery& q, Setting s) {
    const QStringList* texts[] = {&kReadNds, &kReadOtpGrRaz, &kReadOtpGrPr, &kReadGlBuh};
    q.setSql(*texts[int(s)]);
    q.open();
    std::optional<SettingValues> out;
    if (!q.eof()) {
        SettingValues v;
        v.value1 = str(q, "value1");
        if (hasSecondValue(s))
            v.value2 = str(q, "value2");
        out = v;
    }
    q.close();
    return out;
}

const QStringList kWriteNds = {QStringLiteral("UPDATE NSI set value1=:val1"),
                               QStringLiteral("WHERE DT_KEY='nds' ")};
const QStringList kWriteOtpGrRaz = {QStringLiteral("UPDATE NSI set value1=:val1, value2=:val2"),
                                    QStringLiteral("WHERE DT_KEY='otp_gr_raz' ")};
const QStringList kWriteOtpGrPr = {QStringLiteral("UPDATE NSI set value1=:val1, value2=:val2"),
                                   QStringLiteral("WHERE DT_KEY='otp_gr_pr' ")};
const QStringList kWriteGlBuh = {QStringLiteral("UPDATE NSI set value1=:val1"),
                                 QStringLiteral("WHERE DT_KEY='gl_buh' ")};

void writeSetting(FbQuery& q, Setting s, const SettingValues& values) {
    const QStringList* texts[] = {&kWriteNds, &kWriteOtpGrRaz, &kWriteOtpGrPr, &kWriteGlBuh};
    q.setSql(*texts[int(s)]);
    q.prepare();
    param(q, "val1").setString(values.value1);
    if (hasSecondValue(s))
        param(q, "val2").setString(values.value2);
    q.execSql();
}

} // namespace Catalogue
