#include "forms/barcodesheet.h"

#include "core/apperror.h"
#include "forms/fonts.h"

namespace Forms {

void setBarcodeSheetBuild(Report& report, int count, std::function<QString(int)> codeFor) {
    report.onManualBuild = [&report, count, codeFor](ReportBuilder& b) {
        for (int i = 0; i < count; ++i) {
            report.variables().set(QStringLiteral("code"), codeFor(i));
            b.showBand(QStringLiteral("MasterHeader1"));
            if (i < count - 1)
                b.newPage();
        }
    };
}

int barcodeSheetMaxRows(Template& design) {
    // The symbol's rows start 1 unit below Memo1's top, one line pitch apart, and end at the
    // sheet's bottom edge (the sheet has no margins and the band starts at its top).
    const FormObject* memo = design.findObject(QStringLiteral("Memo1"));
    if (!memo || design.pages.empty())
        throw AppError(QStringLiteral("В шаблоне %1 нет объекта Memo1").arg(design.file));
    const int sheet = design.pages.front().sizeUnits().height();
    return (sheet - memo->y - 1) / linePitch(memo->font, memo->lineSpacing);
}

} // namespace Forms
