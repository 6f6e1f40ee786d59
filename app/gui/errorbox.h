// The application's message boxes: errors and the delete question.
#pragma once

#include <QMessageBox>
#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace ErrorBox {

// The title of every message box.
QString applicationTitle();

// The text an error box shows: a full stop is appended when the message's last character
// sorts after "." (so messages ending in "!" or "." stay as they are).
QString messageText(const QString& message);

// Shows the error box: stop icon, OK button, caption "Тарвик".
void show(const QString& message, QWidget* parent = nullptr);

// Shows the error of an exception caught at the top of an event.
void showException(std::exception_ptr error, QWidget* parent = nullptr);

// Runs an event handler; an error it raises ends in the error box.
void guard(const std::function<void()>& handler, QWidget* parent = nullptr);

} // namespace ErrorBox
