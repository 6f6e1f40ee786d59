// Every print checks its own symbols before it is shown: each PDF417 symbol of the prepared
// report is drawn alone at 300 dpi and read back by the independent decoder, and the texts put
// together must give the payload; a label's four codes must give back what they were made of.
#pragma once

#include "core/payload.h"
#include "forms/prepared.h"

#include <functional>

namespace Docs {

// The resolution the symbols are checked at.
constexpr double kCheckDpi = 300;

// Called with each symbol's image before it is read: a test can spoil one on purpose.
using SymbolImageHook = std::function<void(QImage& image, int symbol)>;

// Checks the waybill's symbols; returns how many were read back. AppError naming what did not
// read back, or what the texts do not agree on, otherwise.
int checkWaybillSymbols(const Forms::PreparedReport& report, const BarcodeText& expected,
                        const SymbolImageHook& hook = {});

// The text of the preview's status line after a check of `count` symbols.
QString checkedNote(int count);

} // namespace Docs
