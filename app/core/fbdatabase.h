// A small data-access layer over Firebird's OO API: a connection, transactions and queries.
//
// A statement is run in steps: close the query, set its SQL text line by line, prepare it
// (optional: open and execute prepare on demand), bind parameters by name (":name", names
// compared without regard to case), then open (a SELECT) or execute (anything else).
// A parameter that is not bound is NULL. Text crosses the connection in Windows-1251
// (lc_ctype=WIN1251); above this layer everything is QString.
//
// A query opened or executed while the connection is closed opens the connection first; one
// opened while its transaction is not active starts the transaction, which then stays active.
// Starting a transaction explicitly does not open a closed connection: it fails.
// Every client error is raised as DbError with the client's message.
#pragma once

#include "core/apperror.h"
#include "core/fbhandle.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <cstddef>
#include <memory>
#include <vector>

class FbTransaction;
class FbQuery;

namespace Firebird {
class IAttachment;
class ITransaction;
class IStatement;
class IMessageMetadata;
} // namespace Firebird

class FbDatabase {
public:
    FbDatabase();
    ~FbDatabase();
    FbDatabase(const FbDatabase&) = delete;
    FbDatabase& operator=(const FbDatabase&) = delete;

    // A file path (embedded) or "host:/path", "host/port:/path" (a server).
    void setDatabaseName(const QString& name) { m_name = name; }
    const QString& databaseName() const { return m_name; }
    // Connection parameters, one "name=value" per line: user_name, password, lc_ctype.
    QStringList& params() { return m_params; }

    void open();
    // Ends every active transaction by its default action, then detaches.
    void close();
    bool connected() const { return m_attachment != nullptr; }

    // Creates a new database file with dialect 3 and default character set WIN1251 and
    // leaves the connection open on it. Refuses an existing file.
    void createDatabase();

    Firebird::IAttachment* attachment() const { return m_attachment; }

private:
    friend class FbTransaction;
    friend class FbQuery;
    Firebird::IAttachment* attach(bool create);
    QString m_name;
    QStringList m_params;
    Firebird::IAttachment* m_attachment = nullptr;
    std::vector<FbTransaction*> m_transactions;
    std::vector<FbQuery*> m_queries;
};

// How a transaction starts. The default passes no parameters at all: the server's defaults
// (snapshot isolation, read-write, a wait for a locked row without a time limit).
struct TransactionParams {
    enum class Isolation {
        ServerDefault,
        // Every read sees the database as it was when the transaction started, and the
        // transaction's own changes; what others commit meanwhile stays invisible.
        Snapshot,
        // Every read sees what others have committed by then.
        ReadCommitted,
    };
    Isolation isolation = Isolation::ServerDefault;
    // How long a write waits for a row another transaction has changed and not yet ended,
    // in seconds; -1: without a limit.
    int lockTimeoutSeconds = -1;

    bool isDefault() const {
        return isolation == Isolation::ServerDefault && lockTimeoutSeconds < 0;
    }
};

class FbTransaction {
public:
    enum class DefaultAction { Rollback, Commit };

    explicit FbTransaction(FbDatabase& db, DefaultAction action = DefaultAction::Rollback);
    ~FbTransaction();
    FbTransaction(const FbTransaction&) = delete;
    FbTransaction& operator=(const FbTransaction&) = delete;

    // Starts the transaction with its parameters (params()), or with the ones given.
    void startTransaction();
    void startTransaction(const TransactionParams& params);
    void commit();
    void rollback();
    bool inTransaction() const { return m_transaction != nullptr; }
    // Ends the transaction by its default action (as when the connection closes).
    void end();

    // The parameters of every start without its own, the implicit start of a query included.
    void setParams(const TransactionParams& params) { m_params = params; }
    const TransactionParams& params() const { return m_params; }

    FbDatabase& database() const { return m_db; }
    Firebird::ITransaction* handle() const { return m_transaction; }

private:
    FbDatabase& m_db;
    DefaultAction m_action;
    TransactionParams m_params;
    Firebird::ITransaction* m_transaction = nullptr;
};

// The value of one column of the current row.
class FbField {
public:
    FbField() = default;
    explicit FbField(QVariant v) : m_value(std::move(v)) {}
    bool isNull() const { return m_value.isNull(); }
    int asInteger() const;
    qint64 asInt64() const;
    double asDouble() const;
    QString asString() const;
    QDate asDate() const;
    const QVariant& value() const { return m_value; }

private:
    QVariant m_value;
};

// A named parameter; holds a value until the query's SQL changes or it is cleared.
class FbParam {
public:
    void setInteger(qint64 v) { m_value = QVariant::fromValue(v); }
    void setString(const QString& v) { m_value = v; }
    void setDouble(double v) { m_value = v; }
    void setDate(const QDate& v) { m_value = v; }
    void setDateTime(const QDateTime& v) { m_value = v; }
    void setValue(const QVariant& v) { m_value = v; }
    void clear() { m_value = QVariant(); }
    const QVariant& value() const { return m_value; }
    const QString& name() const { return m_name; }

private:
    friend class FbQuery;
    QString m_name; // upper case
    QVariant m_value;
};

class FbQuery {
public:
    FbQuery(FbDatabase& db, FbTransaction& transaction);
    ~FbQuery();
    FbQuery(const FbQuery&) = delete;
    FbQuery& operator=(const FbQuery&) = delete;

    // The SQL text, one entry a line; the lines are joined with line breaks.
    void sqlClear();
    void sqlAdd(const QString& line);
    // Replaces the statement: closes the query, clears its text and adds the lines one by one.
    // Preparing is a step of its own.
    void setSql(const QStringList& lines);
    const QStringList& sql() const { return m_sql; }

    void close();
    // Prepares the statement (a statement with the same text stays prepared).
    void prepare();
    FbParam& paramByName(const QString& name);
    int paramCount();

    // Runs a SELECT and reads its rows; the first row becomes current.
    void open();
    // Runs any other statement.
    void execSql();
    bool isOpen() const { return m_open; }

    // Navigation over the rows of an open query.
    bool eof() const { return !m_open || m_row >= m_rows.size(); }
    bool isEmpty() const { return !m_open || m_rows.isEmpty(); }
    void first() { m_row = 0; }
    void next() { ++m_row; }
    int recordNo() const { return int(m_row); }
    void setRecordNo(int row) { m_row = row; }
    int recordCount() const { return int(m_rows.size()); }

    int fieldCount() const { return int(m_fieldNames.size()); }
    const QStringList& fieldNames() const { return m_fieldNames; }
    // The column of the current row; an unknown name raises DbError.
    FbField fieldByName(const QString& name) const;
    // Random access for models: column index of a name (-1 when absent) and a cell.
    int fieldIndex(const QString& name) const;
    QVariant value(int row, int column) const;

    // How the server runs the prepared statement (prepares it first), e.g.
    // "PLAN (CONTRACT ORDER IX_CONTRACT_NUMBER_DESC)".
    QString plan();

    // Rows changed by the last execSql.
    qint64 rowsAffected() const { return m_rowsAffected; }

    FbTransaction& transaction() const { return m_tr; }

private:
    friend class FbDatabase;
    void unprepare();
    void ensureReady();
    void parseParams();
    // Fills m_inBuffer from the bound values; returns its start.
    unsigned char* buildInput();
    void readRow(const unsigned char* buf, QVector<QVariant>& row);

    // Where one parameter or column lies in its message, read once when the statement is
    // prepared.
    struct Slot {
        unsigned type = 0; // without the nullable bit
        int subType = 0;
        int scale = 0;
        unsigned length = 0;
        unsigned offset = 0;
        unsigned nullOffset = 0;
    };
    std::vector<Slot> m_inSlots;
    std::vector<Slot> m_outSlots;
    std::vector<std::max_align_t> m_inBuffer;
    std::vector<std::max_align_t> m_outBuffer;

    FbDatabase& m_db;
    FbTransaction& m_tr;
    QStringList m_sql;
    bool m_sqlDirty = true;
    QString m_rewritten;           // the text sent to the server, ":name" replaced by "?"
    QString m_preparedText;        // the text m_statement was prepared from
    std::vector<FbParam> m_params; // one per distinct name
    std::vector<int> m_paramSlots; // for each "?" in order, the index into m_params
    FbStatement m_statement;
    FbMetadata m_inMeta;
    FbMetadata m_outMeta;
    QStringList m_fieldNames;
    QVector<QVector<QVariant>> m_rows;
    qsizetype m_row = 0;
    bool m_open = false;
    qint64 m_rowsAffected = 0;
};
