// Printing of a waybill: the header and row variables, the symbol texts, the row source, the
// sheet handler and the symbol pages appended after the table. The waybill window's "Печать"
// and "tarvik waybill" both run it; the caller shows or writes the prepared report.
#pragma once

#include "core/contractreader.h"
#include "core/payload.h"
#include "core/waybill.h"
#include "docs/symbolcheck.h"
#include "forms/pdf417converter.h"
#include "forms/report.h"

#include <QDate>
#include <QString>
#include <functional>
#include <memory>

namespace Docs {

// The waybill types in the order of the type box.
enum WaybillType { Torg12 = 0, OneT = 1, BarcodeOnly = 2 };

// What one print reads: the selected contract, the window's header and values, the items.
struct WaybillInput {
    QString docno;      // the contract's number
    QDate contractDate; // the contract's date; invalid when it has none
    QString rem;        // the contract's remark
    QString number;     // the document number
    QDate date;         // the document date
    int type = Torg12;  // the type box's index; any other value prints nothing
    Waybill::PrintValues values;
};

// The row variables of one printed goods row.
struct RowValues {
    QString npp;
    double price = 0; // TORG-12: the unit price without VAT, rounded to 3 decimals
    double sumwnds = 0;
    double sumnds = 0;
};
// `index` is the record's place in the item list (npp = index + 1).
RowValues rowValues(const TContData& record, int index, int nds, int type);

// Symbol page geometry: where symbol j (from 0) of the appended pages goes, 16 to a page.
QRect appendedSymbolRect(int j);
constexpr int kSymbolsPerPage = 16;

// One waybill window's reports and row source. They live as long as the window: symbol pages
// appended by one print stay in the design until the next print of the same report removes
// them.
class WaybillPrinter {
public:
    WaybillPrinter();
    ~WaybillPrinter();
    WaybillPrinter(const WaybillPrinter&) = delete;
    WaybillPrinter& operator=(const WaybillPrinter&) = delete;

    // Called after each prepared sheet with the count so far; returning false cancels.
    std::function<bool(int)> onProgress;
    // Handed each symbol's image before it is read back (tests spoil one on purpose).
    SymbolImageHook symbolHook;

    // Runs the print sequence up to the last preparation, reads every symbol of the prepared
    // report back, and returns the report to show, or nullptr when nothing prints (no items, or
    // a type typed instead of chosen). The items must outlive the report's next preparation.
    // Errors (a symbol that cannot be made or does not read back, a cancelled preparation)
    // travel on with nothing half-built left to show.
    Forms::Report* print(const WaybillInput& input, const TContDataList& items);

    // The symbols of the last print.
    const BarcodeText& barcodes() const { return m_barcodes; }
    // How many symbols the last table report showed on its own sheets.
    int symbolsOnSheets() const { return m_onSheets; }
    // How many symbols the last print read back.
    int symbolsChecked() const { return m_checked; }

    // The reports, loaded from their templates at first use.
    Forms::Report& frTorg12();
    Forms::Report& fr1T();
    Forms::Report& frBarCode();

private:
    void setHeaderVariables(const WaybillInput& input);
    void frUserDataset1First();
    // Also fr1TBeginPage: both reports start their sheets the same way.
    void frTorg12BeginPage(int sheet);
    void frBarCodeManualBuild(Forms::ReportBuilder& builder);
    Forms::Report* printTable(Forms::Report& report, int keptPages, int closingSheets);
    QString convertChunk(int i, const Pdf417Room& room);
    void prepare(Forms::Report& report);

    std::unique_ptr<Forms::Report> m_frTorg12;
    std::unique_ptr<Forms::Report> m_fr1T;
    std::unique_ptr<Forms::Report> m_frBarCode;
    Forms::UserDataset m_frUserDataset1;
    Pdf417Settings m_settings;
    Pdf417Room m_sheetRoom; // the room of the symbol object on the report's own sheets
    BarcodeText m_barcodes;
    const TContDataList* m_items = nullptr;
    int m_type = Torg12;
    int m_nds = 0;
    int m_onSheets = 0;
    int m_checked = 0;
};

} // namespace Docs
