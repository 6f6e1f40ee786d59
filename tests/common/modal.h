// Answers modal dialogs in tests: production code shows them as usual, and a timer in the test
// finds the active modal widget and acts on it (reads its text, presses a button).
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

struct ModalSeen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    int count = 0;
};

// Every modal widget that appears while the returned object lives is handed to `action`
// (which must close it); message boxes are recorded into `seen`.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QWidget*)> action) : m_action(std::move(action)) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }
    // Answers message boxes by pressing the button whose standard role is `button`.
    static ModalAnswerer pressing(QMessageBox::StandardButton button,
                                  std::shared_ptr<ModalSeen> seen) {
        return ModalAnswerer([button, seen](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                seen->title = box->windowTitle();
                seen->text = box->text();
                seen->icon = box->icon();
                seen->buttons.clear();
                for (QAbstractButton* b : box->buttons())
                    seen->buttons << b->text();
                ++seen->count;
                QAbstractButton* b = box->button(button);
                if (b)
                    b->click();
                else
                    box->reject();
            } else if (auto* d = qobject_cast<QDialog*>(w)) {
                d->reject();
            }
        });
    }
    ModalAnswerer(const ModalAnswerer&) = delete;
    ModalAnswerer& operator=(const ModalAnswerer&) = delete;

private:
    void poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) {
            m_last = nullptr;
            return;
        }
        // A dialog whose action is still running (a box it opened is being answered) is left
        // to that action.
        if (w == m_last || !w->isVisible() || m_busy.contains(w))
            return;
        m_last = w;
        m_busy.append(w);
        // Acted on outside the timer's handler: a timer does not fire again while its handler
        // runs, and the action may open further boxes that need answering.
        QPointer<QWidget> target(w);
        QTimer::singleShot(0, &m_timer, [this, target, w] {
            if (target)
                m_action(target);
            m_busy.removeAll(w);
            // The same dialog may be shown again later: act on it again then.
            if (m_last && !m_last->isVisible())
                m_last = nullptr;
        });
    }
    std::function<void(QWidget*)> m_action;
    QTimer m_timer;
    QPointer<QWidget> m_last;
    QList<QWidget*> m_busy;
};
