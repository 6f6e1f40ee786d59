// The one kind of error the application raises: a Russian message for the user.
#pragma once

#include <QString>
#include <exception>

class AppError : public std::exception {
public:
    explicit AppError(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// An error reported by the database client; the message is the client's own.
class DbError : public AppError {
public:
    using AppError::AppError;
};
