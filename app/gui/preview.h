// The preview window of prepared reports: zoom, load, save, print, find, help and exit.
#pragma once

#include "forms/prepared.h"
#include "forms/report.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QScrollArea;

namespace Forms {

class SheetView;

class PreviewDialog : public QDialog {
    Q_OBJECT

public:
    enum class ZoomMode { FitWidth, FitPage, Percent };
    struct Hit {
        int sheet;
        QRectF rect; // form units
    };

    explicit PreviewDialog(PreparedReport report, QWidget* parent = nullptr);
    ~PreviewDialog() override;

    const PreparedReport& report() const { return m_report; }
    void setReport(PreparedReport report);

    // Called before printing with the printer's non-printable margins; returns the report
    // prepared for them. Without it the prepared sheets are printed as they are.
    std::function<PreparedReport(const Margins&)> reprepare;

    void setZoom(ZoomMode mode, double percent = 100);
    ZoomMode zoomMode() const { return m_mode; }
    double scale() const; // screen pixels per form unit
    // Zooms in (steps > 0) or out, as the mouse wheel with Ctrl does.
    void zoomBy(int steps);

    // Every place the text occurs, in sheet order; find() shows the next one.
    QList<Hit> findAll(const QString& text) const;
    bool find(const QString& text);
    const Hit* currentHit() const { return m_hitIndex >= 0 ? &m_hits[m_hitIndex] : nullptr; }

    // Saves as PDF (".pdf") or as our prepared-report file (anything else); loads the latter.
    // Both throw AppError.
    void saveTo(const QString& file) const;
    void loadFrom(const QString& file);
    void printOn(QPrinter& printer);

private slots:
    void onZoomChosen(int index);
    void onLoad();
    void onSave();
    void onPrint();
    void onFind();
    void onHelp();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateScale();
    void showHit();

    PreparedReport m_report;
    ZoomMode m_mode = ZoomMode::FitWidth;
    double m_percent = 100;
    QComboBox* m_zoomBox = nullptr;
    QLineEdit* m_findEdit = nullptr;
    QLabel* m_status = nullptr;
    QScrollArea* m_scroll = nullptr;
    SheetView* m_view = nullptr;
    QString m_findText;
    QList<Hit> m_hits;
    int m_hitIndex = -1;
};

// Prepares the report, with a progress window where its template asks for one, and shows it in
// the modal preview. A failed preparation is shown in an error box; returns false then.
bool showReport(Report& report, QWidget* parent = nullptr);

} // namespace Forms
