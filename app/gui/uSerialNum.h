// The serial numbers of one item line: the entry dialog and the question asked when rows are
// left empty.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class QStandardItemModel;
class TEntryGrid;

// "Подтвердите завершение ввода": lists the empty rows and asks whether to fill them in.
class TdlgInpFin : public QDialog {
    Q_OBJECT
public:
    // The answers, as the modal results of the two buttons; the close box gives neither.
    enum Answer { mrYes = 6, mrNo = 7 };

    explicit TdlgInpFin(QWidget* parent = nullptr);

    QPlainTextEdit* Memo1 = nullptr;  // the empty rows
    QPushButton* OKBtn = nullptr;     // Да
    QPushButton* CancelBtn = nullptr; // Нет, also Esc

    void FormCreate();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// "Ввод серийных номеров": one row per shipped piece of record SerialRowIndex of ContDataList.
class TfrmSerialNum : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSerialNum(QWidget* parent = nullptr);

    // The question asked when rows are left empty (created after this dialog).
    void setConfirmDialog(TdlgInpFin* dialog) { m_confirm = dialog; }

    // Set before the dialog is shown.
    int SerialCount = 0;    // the number of serial numbers to enter
    int SerialRowIndex = 0; // the record whose numbers they are
    // An edited cell was just cut to its maximum length: typing is refused until a change
    // leaves it shorter or the dialog is shown again.
    bool SerialTooLong = false;

    TEntryGrid* StringGrid1 = nullptr;
    QPushButton* Button1 = nullptr; // ОК
    QPushButton* Button2 = nullptr; // Отмена

    // A cell of a data row (row 0 is the first number; the header is the grid's own).
    QString cell(int ACol, int ARow) const;

    void FormShow();
    void Button1Click();
    void Button2Click();
    // Returns the character to pass on, or the null character to discard it.
    QChar StringGrid1KeyPress(QChar key);
    void StringGrid1SetEditText(int ACol, int ARow, const QString& value);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void store(const QString& serials);

    QStandardItemModel* m_cells = nullptr;
    TdlgInpFin* m_confirm = nullptr;
};
