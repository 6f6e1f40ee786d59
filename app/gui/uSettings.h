// The settings dialog: the VAT rate and the people who sign the documents.
#pragma once

#include "core/catalogue.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QKeyEvent;
class TdmMain;

// What the key filters let through, by the character's Windows-1251 code.
namespace KeyFilters {
// '0'..'9'
bool digitAllowed(QChar ch);
// space, '.', 'Ё', 'ё' and 'А'..'я'
bool nameAllowed(QChar ch);
} // namespace KeyFilters

class TfrmSettings : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSettings(TdmMain& dm, QWidget* parent = nullptr);

    QLineEdit* leOgrDl = nullptr;
    QLineEdit* leOgrFio = nullptr;
    QLineEdit* leOgpDl = nullptr;
    QLineEdit* leOgpFio = nullptr;
    QLineEdit* leNds = nullptr;
    QLineEdit* leGlBuh = nullptr;
    QPushButton* Button1 = nullptr; // ОК
    QPushButton* Button2 = nullptr; // Отмена

    void FormShow();
    void Button1Click();
    void Button2Click();

    // A filter returns the character to pass on, or the null character to discard it.
    QChar leNdsKeyPress(QChar key);
    QChar leOgrFioKeyPress(QChar key);
    QChar leOgpFioKeyPress(QChar key);
    QChar leGlBuhKeyPress(QChar key);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The fields of each settings key: value1 and, for a key of two values, value2.
    struct Fields {
        Catalogue::Setting key;
        QLineEdit* value1;
        QLineEdit* value2;
    };

    TdmMain& m_dm;
};
