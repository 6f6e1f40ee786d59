// The label window.
#pragma once

#include <QDialog>

class QComboBox;

class TOutBar : public QDialog {
    Q_OBJECT
public:
    explicit TOutBar(QWidget* parent = nullptr);

    QComboBox* ComboBox1 = nullptr; // the recipients of the selected contract

    // Loads the item lines of the recipient selected in ComboBox1.
    void LoadItems();
};
