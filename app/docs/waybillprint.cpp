#include "docs/waybillprint.h"

#include "core/apperror.h"
#include "core/regional.h"
#include "core/rounding.h"

namespace Docs {

RowValues rowValues(const TContData& d, int index, int nds, int type) {
    RowValues v;
    v.npp = QString::number(index + 1);
    const double factor = nds / 100.0 + 1;
    // Each quotient is formed from the unrounded operands.
    v.price = type == Torg12 ? roundTo(d.factSumma / d.factQuant / factor, 3) : d.price;
    v.sumwnds = roundTo(d.factSumma / factor, 2);
    v.sumnds = roundTo(d.factSumma / factor * (nds / 100.0), 2);
    return v;
}

QRect appendedSymbolRect(int j) {
    return QRect(20 + 272 * (j % 4), 20 + 185 * ((j % kSymbolsPerPage) / 4), 216, 165);
}

WaybillPrinter::WaybillPrinter() {
    m_frUserDataset1.onFirst = [this] { frUserDataset1First(); };
    m_frUserDataset1.onNext = [this] { frUserDataset1First(); };
}

WaybillPrinter::~WaybillPrinter() = default;

Forms::Report& WaybillPrinter::frTorg12() {
    if (!m_frTorg12) {
        m_frTorg12 =
            std::make_unique<Forms::Report>(Forms::Report::load(QStringLiteral("frTorg12")));
        m_frTorg12->setDataset(QStringLiteral("frUserDataset1"), &m_frUserDataset1);
        m_frTorg12->onBeginPage = [this](int sheet) { frTorg12BeginPage(sheet); };
    }
    return *m_frTorg12;
}

Forms::Report& WaybillPrinter::fr1T() {
    if (!m_fr1T) {
        m_fr1T = std::make_unique<Forms::Report>(Forms::Report::load(QStringLiteral("fr1T")));
        m_fr1T->setDataset(QStringLiteral("frUserDataset1"), &m_frUserDataset1);
        m_fr1T->onBeginPage = [this](int sheet) { frTorg12BeginPage(sheet); };
    }
    return *m_fr1T;
}

Forms::Report& WaybillPrinter::frBarCode() {
    if (!m_frBarCode) {
        m_frBarCode =
            std::make_unique<Forms::Report>(Forms::Report::load(QStringLiteral("frBarCode")));
        m_frBarCode->onManualBuild = [this](Forms::ReportBuilder& b) { frBarCodeManualBuild(b); };
    }
    return *m_frBarCode;
}

void WaybillPrinter::setHeaderVariables(const WaybillInput& in) {
    Forms::Variables& v = Forms::Variables::global();
    const Regional& r = Regional::current();
    const Waybill::PrintValues& p = in.values;
    v.set(QStringLiteral("n"), in.number);
    v.set(QStringLiteral("k"), in.docno.isEmpty()
                                   ? QString()
                                   : QStringLiteral("Государственный контракт № ") + in.docno);
    v.set(QStringLiteral("prov"), p.prov);
    v.set(QStringLiteral("prov_okpo"), p.prov_okpo);
    v.set(QStringLiteral("payer"), p.payer);
    v.set(QStringLiteral("payer_okpo"), p.payer_okpo);
    v.set(QStringLiteral("recip"), p.recip);
    v.set(QStringLiteral("recip_okpo"), p.recip_okpo);
    v.set(QStringLiteral("datek"), in.contractDate.isValid()
                                       ? QStringLiteral("от ") + r.formatDate(in.contractDate)
                                       : QString());
    v.set(QStringLiteral("daten"), r.formatDate(in.date));
    v.set(QStringLiteral("dayn"), in.date.day());
    v.set(QStringLiteral("monthn"), in.date.month());
    v.set(QStringLiteral("yearn"), in.date.year());
    v.set(QStringLiteral("ogr_dl"), p.ogr_dl);
    v.set(QStringLiteral("ogr_fio"), p.ogr_fio);
    v.set(QStringLiteral("gl_buh"), p.gl_buh);
    v.set(QStringLiteral("ogp_dl"), p.ogp_dl);
    v.set(QStringLiteral("ogp_fio"), p.ogp_fio);
}

void WaybillPrinter::frUserDataset1First() {
    const int r = m_frUserDataset1.recNo();
    const TContData& d = m_items->at(r);
    if (!(d.factQuant > 0)) {
        // Passed over: the step raises this handler again for the next record.
        m_frUserDataset1.next();
        return;
    }
    const RowValues row = rowValues(d, r, m_nds, m_type);
    Forms::Variables& v = Forms::Variables::global();
    v.set(QStringLiteral("npp"), row.npp);
    v.set(QStringLiteral("ElemS"), d.elemS);
    v.set(QStringLiteral("kat"), d.kat);
    v.set(QStringLiteral("gost"), d.gost);
    v.set(QStringLiteral("Quant"), d.factQuant);
    v.set(QStringLiteral("price"), row.price);
    v.set(QStringLiteral("sumwnds"), row.sumwnds);
    v.set(QStringLiteral("nds"), m_nds);
    v.set(QStringLiteral("sumnds"), row.sumnds);
    v.set(QStringLiteral("summa"), d.factSumma);
    v.set(QStringLiteral("edizm"), d.unit);
    v.set(QStringLiteral("vidup"), d.vidup);
    v.set(QStringLiteral("klv1m"), d.klv1m);
    v.set(QStringLiteral("klvm"), d.klvm);
    v.set(QStringLiteral("brutto"), d.brutto);
}

QString WaybillPrinter::convertChunk(int i, const Pdf417Room& room) {
    // Widened, where it must be, for the room of the object that prints it.
    return ConvertChunk(m_barcodes.BarcodeChunks, i, m_settings, room);
}

void WaybillPrinter::frTorg12BeginPage(int sheet) {
    const bool has = sheet < m_barcodes.BarcodeChunks.size();
    Forms::Variables::global().set(QStringLiteral("code"),
                                   has ? convertChunk(sheet, m_sheetRoom) : QString());
}

void WaybillPrinter::frBarCodeManualBuild(Forms::ReportBuilder& b) {
    const int n = int(m_barcodes.BarcodeChunks.size());
    for (int i = 0; i < n; ++i) {
        m_settings.second = 7;
        Forms::Variables::global().set(QStringLiteral("code"), convertChunk(i, m_sheetRoom));
        b.showBand(QStringLiteral("MasterHeader1"));
        if (i < n - 1)
            b.newPage();
    }
}

void WaybillPrinter::prepare(Forms::Report& report) {
    report.onProgress = onProgress;
    report.prepare();
}

namespace {

// The band that holds the symbol of the table's sheets.
QString symbolBand(Forms::Report& report) {
    for (const Forms::FormPage& p : report.design().pages)
        for (const Forms::Band& b : p.bands)
            for (const Forms::FormObject& o : b.objects)
                if (o.name.compare(QLatin1String("mPdf"), Qt::CaseInsensitive) == 0)
                    return b.name;
    throw AppError(
        QStringLiteral("В шаблоне %1 нет объекта штрих-кода mPdf").arg(report.design().file));
}

} // namespace

Forms::Report* WaybillPrinter::printTable(Forms::Report& report, int keptPages, int closingSheets) {
    while (report.pageCount() > keptPages)
        report.deletePage(report.pageCount() - 1);
    m_sheetRoom = report.symbolRoom(QStringLiteral("mPdf"));
    prepare(report);
    // Only the sheets that print the symbol's band show their symbol; the others (the closing
    // sheets, or totals moved onto a sheet of their own) would lose it. Those sheets lead the
    // report, so the count of them is the index of the first symbol left over.
    const QString band = symbolBand(report);
    int q = 0;
    const auto& sheets = report.prepared().sheets;
    for (std::size_t i = 0; i + std::size_t(closingSheets) < sheets.size(); ++i)
        q += sheets[i].bands.contains(band) ? 1 : 0;
    m_onSheets = std::min<int>(q, int(m_barcodes.BarcodeChunks.size()));
    const int n = int(m_barcodes.BarcodeChunks.size());
    int page = -1;
    for (int k = q; k < n; ++k) {
        const int j = k - q;
        if (j % kSymbolsPerPage == 0) {
            report.addPage().landscape = true;
            page = report.pageCount() - 1;
        }
        Forms::FormObject& o =
            report.addTextObject(page, appendedSymbolRect(j), QStringLiteral("Code PDF417"), 8,
                                 Forms::HAlign::Center, -7, QString());
        o.setText(convertChunk(k, report.symbolRoom(o.name)));
    }
    prepare(report);
    return &report;
}

Forms::Report* WaybillPrinter::print(const WaybillInput& input, const TContDataList& items) {
    if (items.isEmpty())
        return nullptr;
    setHeaderVariables(input);
    m_barcodes = BuildBarcodeChunks({input.rem, input.number, input.date}, items);
    m_settings.first = -1;
    m_settings.second = 8;
    m_frUserDataset1.rangeCount = int(items.size());
    m_items = &items;
    m_type = input.type;
    m_nds = input.values.nds;
    m_onSheets = 0;
    m_checked = 0;
    try {
        Forms::Report* report = nullptr;
        switch (input.type) {
        case Torg12:
            report = printTable(frTorg12(), 2, 1);
            break;
        case OneT:
            report = printTable(fr1T(), 3, 2);
            break;
        case BarcodeOnly:
            m_sheetRoom = frBarCode().symbolRoom(QStringLiteral("Memo1"));
            prepare(frBarCode());
            m_onSheets = int(m_barcodes.BarcodeChunks.size());
            report = &frBarCode();
            break;
        default:
            return nullptr;
        }
        m_checked = checkWaybillSymbols(report->prepared(), m_barcodes, symbolHook);
        return report;
    } catch (...) {
        // Nothing half-built is shown: the symbol pages of a failed print go at once.
        for (const auto& [report, kept] : {std::pair{m_frTorg12.get(), 2}, {m_fr1T.get(), 3}})
            if (report)
                while (report->pageCount() > kept)
                    report->deletePage(report->pageCount() - 1);
        throw;
    }
}

} // namespace Docs
