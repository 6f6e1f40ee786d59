// What the waybill and label windows share: the recipient list of the selected contract,
// filled by the main window, and the loading of the chosen recipient's item lines.
#pragma once

#include <QDialog>

class QComboBox;

class TRecipientWindow : public QDialog {
    Q_OBJECT
public:
    TRecipientWindow(const QString& name, const QString& caption, QWidget* parent);

    QComboBox* ComboBox1 = nullptr; // the recipients of the selected contract

    // Loads the item lines of the recipient selected in ComboBox1.
    void LoadItems();
};

// The error of reading entry `index` of a list that has no such entry.
[[noreturn]] void raiseListIndexError(int index);
