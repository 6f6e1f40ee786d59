// The waybill window: the document header, the selected recipient's item lines with what is
// shipped, and the values kept for printing.
#pragma once

#include "core/waybill.h"
#include "docs/waybillprint.h"
#include "gui/recipientwindow.h"

#include <QPalette>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPainter;
class QPushButton;
class TEntryGrid;
class TDocItems;
class TfrmSerialNum;

class TDoc : public TRecipientWindow {
    Q_OBJECT
public:
    explicit TDoc(TdmMain& dm, QWidget* parent = nullptr);

    // The serial-number dialog that column 6 opens (created after this window).
    void setSerialDialog(TfrmSerialNum* dialog) { m_serialDialog = dialog; }

    // The columns of the item grid.
    struct Column {
        QString title;
        int width;
        Qt::Alignment alignment;
    };
    static const QList<Column>& columns();

    QLineEdit* Edit1 = nullptr;           // the document number
    QDateEdit* DateTimePicker1 = nullptr; // the document date
    QComboBox* cbNaklChoose = nullptr;    // the waybill type
    TEntryGrid* DrawGrid1 = nullptr;      // the item grid
    QPushButton* Button2 = nullptr;       // Печать
    QPushButton* Button1 = nullptr;       // Закрыть

    // The requisites, the VAT rate and the signatories, as last loaded.
    const Waybill::PrintValues& values() const { return m_values; }
    // The reports and the row source of the waybills, kept between prints.
    Docs::WaybillPrinter& printer() { return m_printer; }

    void FormShow();
    void LoadItems() override;
    void ComboBox1Change();
    // Grid rows here are data rows: row 0 shows record 0 (the header is the grid's own).
    void DrawGrid1DrawCell(QPainter& canvas, int ACol, int ARow, const QRect& rect,
                           const QPalette& palette, bool selected);
    // The editor's text of a cell; false when the cell cannot be edited.
    bool DrawGrid1GetEditText(int ACol, int ARow, QString* value) const;
    void DrawGrid1SetEditText(int ACol, int ARow, const QString& value);
    void DrawGrid1DblClick();
    // Returns the character to pass on, or the null character to discard it.
    QChar Edit1KeyPress(QChar key);
    void Button2Click();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TDocItems* m_items = nullptr;
    Waybill::PrintValues m_values;
    TfrmSerialNum* m_serialDialog = nullptr;
    Docs::WaybillPrinter m_printer;
};
