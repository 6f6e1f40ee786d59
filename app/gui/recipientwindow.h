// What the waybill and label windows share: the recipient list of the selected contract,
// filled by the main window, and the loading of the chosen recipient's item lines.
#pragma once

#include "core/catalogue.h"

#include <QDialog>

class QComboBox;
class TdmMain;

class TRecipientWindow : public QDialog {
    Q_OBJECT
public:
    TRecipientWindow(const QString& name, const QString& caption, TdmMain& dm,
                     QWidget* parent = nullptr);

    QComboBox* ComboBox1 = nullptr; // the recipients of the selected contract

    // Replaces the entries of ComboBox1 (recipS shown, recip attached) and selects the first.
    void setRecipients(const QList<Catalogue::Recipient>& recipients);
    // Loads the item lines of the recipient selected in ComboBox1.
    virtual void LoadItems();

protected:
    // The recipient attached to the selected entry; the list's index error when none is.
    int selectedRecipient() const;

    TdmMain& m_dm;
};

// The error of reading entry `index` of a list that has no such entry.
[[noreturn]] void raiseListIndexError(int index);
