// The report engine: variables, row sources, events, and preparation of a template into sheets.
#pragma once

#include "forms/formmodel.h"
#include "forms/pdf417converter.h"
#include "forms/prepared.h"

#include <QHash>
#include <QVariant>
#include <functional>

namespace Forms {

// Named values that templates print as "[name]". Names match without regard to case.
// Values are text (QString), integers (int / qlonglong) or numbers (double).
class Variables {
public:
    void set(const QString& name, const QVariant& value);
    QVariant value(const QString& name) const; // invalid QVariant when not set
    bool contains(const QString& name) const;
    void clear() { m_values.clear(); }

    // The engine's one global set; values persist between preparations and reports.
    static Variables& global();

private:
    QHash<QString, QVariant> m_values; // key: lower-case name
};

// A row source filled by the program: a record counter from 0, a range of `rangeCount` records
// and handlers for the first and the next record. A handler may itself call next() to pass over
// the current record: the step raises the next-row event again while records remain, and the
// engine then prints the record the counter has reached. Such steps are run one after another,
// not nested, so a long run of passed-over records cannot exhaust the stack.
class UserDataset {
public:
    int rangeCount = 0;
    std::function<void()> onFirst;
    std::function<void()> onNext;

    int recNo() const { return m_recNo; }
    bool eof() const { return m_recNo >= rangeCount; }
    void first();
    void next();

private:
    void raise(bool first);

    int m_recNo = 0;
    bool m_inHandler = false;
    bool m_stepped = false;
};

// Printable margins in form units.
struct Margins {
    double left = 18, top = 18, right = 18, bottom = 18;
};

class Report;

// Handed to the manual-build handler while a form page is prepared.
class ReportBuilder {
public:
    virtual ~ReportBuilder() = default;
    // Places the band of that name (case-insensitive) at the current position.
    virtual void showBand(const QString& name) = 0;
    // Closes the current sheet and starts a new one.
    virtual void newPage() = 0;
    virtual int pageIndex() const = 0; // the form page being built
};

class Report {
public:
    explicit Report(Template design, Variables* variables = &Variables::global());
    static Report load(const QString& templateName) { return Report(Template::load(templateName)); }

    Template& design() { return m_design; }
    const QString& title() const { return m_design.title; }
    Variables& variables() { return *m_variables; }

    // Row sources by the name that master data bands give as their dataset.
    void setDataset(const QString& name, UserDataset* dataset);

    // Called at the start of every sheet with its index from 0 within this preparation.
    std::function<void(int)> onBeginPage;
    // When set, builds every form page instead of the automatic band flow.
    std::function<void(ReportBuilder&)> onManualBuild;
    // Called after each sheet is finished; returning false cancels the preparation.
    std::function<bool(int)> onProgress;

    // Design pages.
    int pageCount() const { return int(m_design.pages.size()); }
    FormPage& page(int index);
    void deletePage(int index);
    FormPage& addPage(); // the engine's default paper (A4 portrait), printer margins
    FormObject& addTextObject(int pageIndex, const QRect& rect, const QString& fontName,
                              double fontSize, HAlign align, int lineSpacing, const QString& text);
    FormObject* findObject(const QString& name) { return m_design.findObject(name); }

    // The room of the PDF417 object of that name (case-insensitive), by the layout rule of
    // pdf417converter.h: what the preparation fits that object's symbol into, and what the
    // converter widens a symbol for. Throws AppError when the design has no such object.
    Pdf417Room symbolRoom(const QString& objectName);

    // Margins used for pages whose margins are the printer's: 18 units each side unless a
    // printer's own non-printable margins are given.
    void setPrinterMargins(const Margins& margins) { m_printerMargins = margins; }
    const Margins& printerMargins() const { return m_printerMargins; }

    // Prepares the report into sheets. On failure the prepared report is emptied and the
    // AppError travels on.
    const PreparedReport& prepare();
    const PreparedReport& prepared() const { return m_prepared; }
    int preparedSheetCount() const { return int(m_prepared.sheets.size()); }

private:
    Template m_design;
    Variables* m_variables;
    QHash<QString, UserDataset*> m_datasets;
    Margins m_printerMargins;
    PreparedReport m_prepared;
    friend class Preparation;
};

// Number forms of the printed forms.
QString formatGeneral(double value);  // up to 15 significant digits, regional decimal separator
QString formatGrouped2(double value); // "1 234,50": regional thousands separator, decimal comma

} // namespace Forms
