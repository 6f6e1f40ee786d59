// The one kind of error the application raises: a Russian message for the user.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

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

// An error of the database layer. For an error the client reported, the message is a Russian
// sentence for the user followed by the client's own text, and codes() holds the client's
// error codes (the gds codes of the status vector, in order) with names() the texts they
// name (constraints, tables, files), osError() the operating system's error number it reports
// (0: none). Errors of the layer itself carry no codes.
class DbError : public AppError {
public:
    explicit DbError(QString message, QList<long> codes = {}, QStringList names = {},
                     int osError = 0)
        : AppError(std::move(message)), m_codes(std::move(codes)), m_names(std::move(names)),
          m_osError(osError) {}
    // The same error under another message (a context added in front, say).
    DbError withMessage(QString message) const {
        return DbError(std::move(message), m_codes, m_names, m_osError);
    }

    const QList<long>& codes() const noexcept { return m_codes; }
    const QStringList& names() const noexcept { return m_names; }
    bool hasCode(long code) const noexcept { return m_codes.contains(code); }
    int osError() const noexcept { return m_osError; }

private:
    QList<long> m_codes;
    QStringList m_names;
    int m_osError = 0;
};
