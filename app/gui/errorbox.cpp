#include "gui/errorbox.h"

#include "core/apperror.h"

#include <QApplication>
#include <QPushButton>
#include <QWidget>

namespace ErrorBox {

QString applicationTitle() {
    return QStringLiteral("Тарвик");
}

QString messageText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void show(const QString& message, QWidget* parent) {
    if (!parent)
        parent = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Critical, applicationTitle(), messageText(message),
                    QMessageBox::Ok, parent);
    box.exec();
}

void showException(std::exception_ptr error, QWidget* parent) {
    try {
        std::rethrow_exception(error);
    } catch (const AppError& e) {
        show(e.message(), parent);
    } catch (const std::bad_alloc&) {
        show(QStringLiteral("Недостаточно памяти"), parent);
    } catch (const std::exception& e) {
        show(QString::fromLocal8Bit(e.what()), parent);
    } catch (...) {
        show(QStringLiteral("Внутренняя ошибка программы"), parent);
    }
}

void guard(const std::function<void()>& handler, QWidget* parent) {
    try {
        handler();
    } catch (...) {
        showException(std::current_exception(), parent);
    }
}

} // namespace ErrorBox
