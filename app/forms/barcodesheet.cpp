#include "forms/barcodesheet.h"

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

} // namespace Forms
