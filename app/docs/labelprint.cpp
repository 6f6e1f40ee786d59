#include "docs/labelprint.h"

#include "core/apperror.h"
#include "core/labels.h"
#include "core/regional.h"
#include "core/rounding.h"
#include "forms/code128.h"

namespace Docs {

QString labelTemplate(LabelKind kind) {
    return kind == LabelKind::Transport ? QStringLiteral("frReport1") : QStringLiteral("frReport2");
}

const QStringList& labelBarcodes() {
    static const QStringList names = {QStringLiteral("barContract"), QStringLiteral("barElem"),
                                      QStringLiteral("barQuant"), QStringLiteral("barSumma")};
    return names;
}

namespace {

// The printable width of the page that holds the object, in form units.
double printableWidth(Forms::Report& report, const Forms::FormObject* object) {
    for (const Forms::FormPage& page : report.design().pages) {
        bool holds = false;
        for (const Forms::FormObject& o : page.objects)
            holds = holds || &o == object;
        for (const Forms::Band& b : page.bands)
            for (const Forms::FormObject& o : b.objects)
                holds = holds || &o == object;
        if (!holds)
            continue;
        double width = page.sizeUnits().width();
        if (page.margins == Forms::MarginsMode::Printer)
            width -= report.printerMargins().left + report.printerMargins().right;
        return width;
    }
    return 0;
}

QString mm(double units) {
    return Regional::current().formatNumber(roundTo(units * Forms::kMmPerUnit, 1));
}

Forms::FormObject& barcodeObject(Forms::Report& report, const QString& name) {
    Forms::FormObject* o = report.findObject(name);
    if (!o || o->kind != Forms::FormObject::Kind::Barcode128)
        throw AppError(
            QStringLiteral("В шаблоне %1 нет штрихкода %2").arg(report.design().name, name));
    return *o;
}

// Sets the object's text; tells of a placeholder, narrows a symbol too wide for the sheet or
// refuses it.
void setBarcode(Forms::Report& report, const QString& name, const QString& text,
                QStringList& warnings) {
    Forms::FormObject& o = barcodeObject(report, name);
    o.setText(text);
    if (!Code128::isEncodable(text))
        warnings << QStringLiteral("Штрихкод %1: значение %2 не является числом; вместо него "
                                   "напечатан код %3.")
                        .arg(name,
                             text.isEmpty() ? QStringLiteral("пустое")
                                            : QStringLiteral("«%1»").arg(text),
                             Code128::kPlaceholder);
    const Code128::Symbol symbol = Code128::encodeSetC(text);
    const int modules = Code128::modules(symbol);
    const double limit = printableWidth(report, &o);
    if (modules * o.moduleWidth <= limit)
        return;
    if (modules <= limit) {
        warnings << QStringLiteral("Штрихкод %1 (код %2) шире печатной области этикетки: %3 мм "
                                   "при ширине %4 мм; он напечатан узкими штрихами, шириной "
                                   "модуля 1 вместо %5.")
                        .arg(name, symbol.digits, mm(modules * o.moduleWidth), mm(limit))
                        .arg(o.moduleWidth);
        o.moduleWidth = 1;
        return;
    }
    throw AppError(QStringLiteral("Этикетка не напечатана: штрихкод %1 (код %2) шире печатной "
                                  "области этикетки даже узкими штрихами: %3 мм при ширине %4 мм")
                       .arg(name, symbol.digits, mm(modules), mm(limit)));
}

} // namespace

PreparedLabel prepareLabel(const Forms::Report& design, LabelKind kind, const LabelData& data) {
    PreparedLabel label{design, {}};
    Forms::Report& report = label.report;
    Forms::Variables& v = report.variables();
    const TContData& r = data.record;
    v.set(QStringLiteral("k"), data.docno);
    v.set(QStringLiteral("prov"), data.agents);
    v.set(QStringLiteral("recip"), data.recipient);
    v.set(QStringLiteral("ElemS"), r.elemS);
    v.set(QStringLiteral("Quant"), r.factQuant);
    v.set(QStringLiteral("price"), r.price);
    v.set(QStringLiteral("summa"), r.factSumma);
    if (kind == LabelKind::Transport)
        v.set(QStringLiteral("edizm"), r.unit);

    const Labels::BarcodeTexts texts = Labels::barcodeTexts(data.rem, r);
    const QStringList values = {texts.contract, texts.elem, texts.quant, texts.summa};
    for (int i = 0; i < values.size(); ++i)
        setBarcode(report, labelBarcodes()[i], values[i], label.warnings);

    report.prepare();
    return label;
}

} // namespace Docs
