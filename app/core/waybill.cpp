#include "core/waybill.h"

#include "core/apperror.h"
#include "core/cp1251.h"
#include "core/rounding.h"

#include <cmath>
#include <limits>

namespace Waybill {

// ---- requisites ------------------------------------------------------------------------

QString requisitesLine(const TRefItem& o) {
    const std::pair<const char*, const QString*> parts[] = {
        {", ст. ", &o.station},      {" ", &o.rlw_name},
        {", код ", &o.station_code}, {", код получателя ", &o.recv_code},
        {", ИНН ", &o.inn},          {", ", &o.ind},
        {", ", &o.adress},           {", тел. ", &o.phone},
        {", р/с ", &o.cur_acc},      {" в ", &o.bank},
        {" ", &o.br_bank},           {", БИК ", &o.bik},
        {", корр/с ", &o.cor_acc}};
    QString line = o.full_naim;
    for (const auto& [separator, value] : parts)
        if (!value->isEmpty())
            line += QString::fromUtf8(separator) + *value;
    return line;
}

// ---- the values kept for printing -------------------------------------------------------

int parseNds(const QString& value1) {
    bool ok = false;
    const int nds = value1.toInt(&ok, 10);
    if (!ok)
        throw AppError(QStringLiteral("Ставка НДС в настройках (\"%1\") не является целым "
                                      "числом. Исправьте её в окне «Настройки»")
                           .arg(value1));
    return nds;
}

void loadShowValues(FbQuery& q, int number, PrintValues& v) {
    using Catalogue::Setting;
    if (const auto prov = Catalogue::supplierRequisites(q, number)) {
        v.prov = requisitesLine(*prov);
        v.prov_okpo = prov->okpo;
    } else {
        v.prov.clear();
        v.prov_okpo.clear();
    }
    if (const auto payer = Catalogue::payerRequisites(q, number)) {
        v.payer = requisitesLine(*payer);
        v.payer_okpo = payer->okpo;
    } else {
        v.payer.clear();
        v.payer_okpo.clear();
    }
    const auto nds = Catalogue::readSetting(q, Setting::Nds);
    v.nds = nds ? parseNds(nds->value1) : 0;
    const auto ogr = Catalogue::readSetting(q, Setting::OtpGrRaz);
    v.ogr_dl = ogr ? ogr->value1 : QString();
    v.ogr_fio = ogr ? ogr->value2 : QString();
    const auto ogp = Catalogue::readSetting(q, Setting::OtpGrPr);
    v.ogp_dl = ogp ? ogp->value1 : QString();
    v.ogp_fio = ogp ? ogp->value2 : QString();
    const auto glBuh = Catalogue::readSetting(q, Setting::GlBuh);
    v.gl_buh = glBuh ? glBuh->value1 : QString();
}

void loadItems(FbQuery& q, int title, int recip, TContDataList& items, PrintValues& v) {
    TContDataList loaded = Catalogue::waybillItems(q, title, recip);
    for (TContData& d : loaded)
        d.price = roundTo(d.price, 2); // the entered fields are already zero or empty
    ClearRecordList(items);
    items = std::move(loaded);
    if (const auto r = Catalogue::recipientRequisites(q, recip)) {
        v.recip = requisitesLine(*r);
        v.recip_okpo = r->okpo;
    } else {
        v.recip.clear();
        v.recip_okpo.clear();
    }
}

// ---- the item grid -----------------------------------------------------------------------

QString cellText(const TContData& d, int column, const Regional& r) {
    switch (column) {
    case ColElemS:
        return d.elemS;
    case ColUnit:
        return d.unit;
    case ColKat:
        return d.kat;
    case ColQuant:
        return r.formatNumber(d.quant);
    case ColPrice:
        return r.formatNumber(d.price);
    case ColFactQuant:
        return r.formatNumber(d.factQuant);
    case ColFactSumma:
        return r.formatNumber(d.factSumma);
    case ColVidup:
        return d.vidup;
    case ColKlv1m:
        return r.formatNumber(d.klv1m);
    case ColKlvm:
        return r.formatNumber(d.klvm);
    case ColBrutto:
        return r.formatNumber(d.brutto);
    case ColData:
        return r.formatDate(d.data);
    case ColGost:
        return d.gost;
    case ColComment:
        return d.comment;
    default:
        return QString();
    }
}

bool isEditable(int column) {
    return column == ColFactQuant || column == ColVidup || column == ColKlv1m ||
           column == ColBrutto;
}

std::optional<QString> editText(const TContData& d, int column, const Regional& r) {
    if (!isEditable(column))
        return std::nullopt;
    return cellText(d, column, r);
}

bool setFactQuant(TContData& d, const QString& text, const Regional& r) {
    const auto value = r.parseNumber(text);
    if (!value)
        return false;
    d.factQuant = std::fabs(*value);
    if (d.factQuant > d.quant)
        d.factQuant = d.quant;
    d.factSumma = roundTo(d.factQuant * d.price, 2);
    if (d.klv1m != 0)
        d.klvm = d.factQuant / d.klv1m;
    return true;
}

void setVidup(TContData& d, const QString& text) {
    d.vidup = text;
}

bool setKlv1m(TContData& d, const QString& text, const Regional& r) {
    const auto value = r.parseNumber(text);
    if (!value)
        return false;
    d.klv1m = std::fabs(*value);
    if (d.klv1m != 0)
        d.klvm = d.factQuant / d.klv1m;
    return true;
}

bool setBrutto(TContData& d, const QString& text, const Regional& r) {
    const auto value = r.parseNumber(text);
    if (!value)
        return false;
    d.brutto = std::fabs(*value);
    return true;
}

bool setEditText(TContData& d, int column, const QString& text, const Regional& r) {
    switch (column) {
    case ColFactQuant:
        return setFactQuant(d, text, r);
    case ColVidup:
        setVidup(d, text);
        return true;
    case ColKlv1m:
        return setKlv1m(d, text, r);
    case ColBrutto:
        return setBrutto(d, text, r);
    default:
        return false;
    }
}

int serialCount(const TContData& d) {
    const double whole = std::trunc(d.factQuant);
    if (!(whole > 0))
        return 0;
    if (whole >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return int(whole);
}

// ---- key filters -------------------------------------------------------------------------

namespace {
bool cyrillic(QChar ch) {
    const int code = Cp1251::fromUnicode(ch.unicode());
    return code == 168 || code == 184 || code >= 192;
}
} // namespace

bool documentNumberAllowed(QChar ch) {
    return !cyrillic(ch);
}

bool serialAllowed(QChar ch, bool serialTooLong) {
    if (ch == QLatin1Char(';') || cyrillic(ch))
        return false;
    return !serialTooLong;
}

} // namespace Waybill

namespace Serials {

QStringList rowsFromStored(const QString& serials, int count) {
    QStringList rows;
    QString t = serials;
    for (int r = 0; r < count; ++r) {
        QString value;
        if (!t.isEmpty()) {
            const qsizetype end = t.indexOf(QLatin1Char(';'));
            if (end >= 0) {
                value = t.left(end);
                t.remove(0, end + 1);
            }
        }
        rows << value;
    }
    return rows;
}

Collected collect(const QStringList& rows) {
    Collected c;
    QString m = QStringLiteral("(");
    for (int r = 0; r < rows.size(); ++r) {
        if (!rows[r].isEmpty())
            c.serials += rows[r] + QLatin1Char(';');
        else
            m += QString::number(r + 1) + QStringLiteral(", ");
    }
    if (m.size() > 1) {
        m[m.lastIndexOf(QLatin1Char(','))] = QLatin1Char(')');
        c.emptyRows = m;
    }
    return c;
}

QString cutCell(const QString& text, bool* cut) {
    QString clean;
    clean.reserve(text.size());
    for (QChar ch : text)
        if (Waybill::serialAllowed(ch, false))
            clean += ch;
    const bool tooLong = clean.size() > kMaxLength;
    if (cut)
        *cut = tooLong;
    return tooLong ? clean.left(kMaxLength) : clean;
}

} // namespace Serials
