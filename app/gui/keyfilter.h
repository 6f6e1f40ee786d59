// Key filters of line editors that hold for every way text enters a field.
#pragma once

#include <QString>
#include <QValidator>

#include <functional>

class QLineEdit;

// Puts a field's key filter on every way text enters it: typing, an input method, pasting
// (keys or the context menu) and dropping. The field checks each change with `validate`,
// which passes the text that entered through the filter, character by character, and cuts it
// to the length limit; the text that was there before is left as it is.
class KeyFilterValidator : public QValidator {
public:
    // `filter` returns the character to pass on, or the null character to discard it.
    KeyFilterValidator(QLineEdit* edit, std::function<QChar(QChar)> filter, int maxLength);

    State validate(QString& input, int& pos) const override;

private:
    std::function<QChar(QChar)> m_filter;
    int m_maxLength;
    QString m_before;
};

// Shows a stored value as it is stored: the text is set past the field's filter.
void setStoredText(QLineEdit* edit, const QString& text);
