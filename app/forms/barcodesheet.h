// The barcode sheet (report frBarCode): one 72 × 50 mm sheet per PDF417 symbol.
#pragma once

#include "forms/report.h"

#include <functional>

namespace Forms {

// Makes `report` (the frBarCode template) build its sheets by hand: for each symbol i from 0 to
// count − 1, `code` := codeFor(i), the band MasterHeader1 is shown, and a new sheet begins unless
// i is the last. codeFor may throw AppError; the preparation then fails with it.
void setBarcodeSheetBuild(Report& report, int count, std::function<QString(int)> codeFor);

} // namespace Forms
