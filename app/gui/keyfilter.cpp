#include "gui/keyfilter.h"

#include <QLineEdit>

#include <algorithm>

KeyFilterValidator::KeyFilterValidator(QLineEdit* edit, std::function<QChar(QChar)> filter,
                                       int maxLength)
    : QValidator(edit), m_filter(std::move(filter)), m_maxLength(maxLength) {
    // The text before the next change: the one last accepted or set by the program.
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& t) { m_before = t; });
}

QValidator::State KeyFilterValidator::validate(QString& input, int& pos) const {
    // The change replaced the middle of the earlier text: what the two texts share at the
    // start and at the end stays, the rest of the new text is what entered.
    const qsizetype shorter = std::min(input.size(), m_before.size());
    qsizetype head = 0;
    while (head < shorter && input.at(head) == m_before.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head &&
           input.at(input.size() - 1 - tail) == m_before.at(m_before.size() - 1 - tail))
        ++tail;
    const qsizetype room = std::max<qsizetype>(0, m_maxLength - head - tail);
    QString entered;
    for (qsizetype i = head; i < input.size() - tail && entered.size() < room; ++i) {
        const QChar passed = m_filter(input.at(i));
        if (!passed.isNull())
            entered += passed;
    }
    const qsizetype enteredEnd = input.size() - tail;
    if (pos >= enteredEnd)
        pos -= int(enteredEnd - head - entered.size());
    else if (pos > head)
        pos = int(head + std::min<qsizetype>(entered.size(), pos - head));
    input = input.left(head) + entered + input.right(tail);
    return Acceptable;
}

void setStoredText(QLineEdit* edit, const QString& text) {
    const QValidator* filter = edit->validator();
    edit->setValidator(nullptr);
    edit->setText(text);
    edit->setValidator(filter);
}
