// The waybill window.
#pragma once

#include <QDialog>

class QComboBox;

class TDoc : public QDialog {
    Q_OBJECT
public:
    explicit TDoc(QWidget* parent = nullptr);

    QComboBox* ComboBox1 = nullptr; // the recipients of the selected contract

    // Loads the item lines of the recipient selected in ComboBox1.
    void LoadItems();
};

// The error of reading entry `index` of a list that has no such entry.
[[noreturn]] void raiseListIndexError(int index);
