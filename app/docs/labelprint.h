// Printing of the transport and consumer labels: what the label window's print buttons and
// "tarvik label" both run.
#pragma once

#include "core/contractreader.h"
#include "forms/report.h"

#include <QString>
#include <QStringList>

namespace Docs {

enum class LabelKind { Transport, Consumer };

// The template of a label kind: frReport1 (transport) or frReport2 (consumer).
QString labelTemplate(LabelKind kind);

// What one label prints.
struct LabelData {
    QString docno;     // the contract's number (qMain's docno)
    QString agents;    // the supplier's short name (qMain's agents)
    QString rem;       // the contract's remark (qMain's rem), the contract barcode's text
    QString recipient; // the recipient's short name as ComboBox1 shows it
    TContData record;  // the item: the grid's current row
};

struct PreparedLabel {
    Forms::Report report; // the label's report, set up and prepared
    QStringList warnings; // what the user must be told before the label is printed
};

// The barcode objects, as the program looks them up.
const QStringList& labelBarcodes();

// Sets the report variables (k, prov, recip, ElemS, Quant, price, summa and, on the transport
// label, edizm, in this order), sets the texts of the four barcode objects and prepares a copy
// of `design`; `design` itself is left as it is.
//
// A barcode text that is not a number prints the placeholder "12345678", and a warning names
// the barcode, the value and the placeholder. A symbol wider than the printable width is drawn
// with module width 1 when it fits so, with a warning; otherwise the label is refused with an
// AppError, as it is when the quantity or the sum does not fit its barcode field.
PreparedLabel prepareLabel(const Forms::Report& design, LabelKind kind, const LabelData& data);

} // namespace Docs
