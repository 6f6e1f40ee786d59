#include "core/dbconnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QThread>

#include <firebird/Interface.h>

TransactionParams writeTransactionParams() {
    TransactionParams p;
    p.isolation = TransactionParams::Isolation::Snapshot;
    p.lockTimeoutSeconds = kWriteLockTimeoutSeconds;
    return p;
}

bool isWriteConflict(const DbError& e) {
    for (long code : {isc_update_conflict, isc_deadlock, isc_lock_conflict, isc_lock_timeout}) {
        if (e.hasCode(code))
            return true;
    }
    // Inside one import the organisation test sees the import's own inserts, so a duplicate
    // organisation can only come from another transaction.
    return e.hasCode(isc_unique_key_violation) &&
           e.names().contains(QStringLiteral("ORGANISATIONS"), Qt::CaseInsensitive);
}

void runWrite(FbTransaction& tr, const std::function<void()>& statements,
              const WriteOptions& options) {
    const TransactionParams params = options.params.value_or(tr.params());
    const int attempts = std::max(1, options.attempts);
    for (int attempt = 1;; ++attempt) {
        if (tr.inTransaction())
            tr.rollback();
        tr.startTransaction(params);
        try {
            statements();
            tr.commit();
            return;
        } catch (const DbError& e) {
            if (!isWriteConflict(e))
                throw;
            // Whatever this attempt holds would keep the others waiting.
            if (tr.inTransaction())
                tr.rollback();
            if (attempt >= attempts) {
                throw e.withMessage(QStringLiteral("База данных занята другим пользователем: "
                                                   "изменения не сохранены, повторите "
                                                   "попытку позже.\n") +
                                    e.message());
            }
        }
        // The other transaction has usually ended by now; a short, uneven pause keeps two
        // workstations from meeting again at the same step.
        QThread::msleep(50 * attempt + QRandomGenerator::global()->bounded(100));
    }
}

void DbConnection::beginWrite() {
    if (trTarvik.inTransaction())
        trTarvik.rollback();
    trTarvik.startTransaction();
}

QString defaultDatabasePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Tarvik.gdb"));
}
