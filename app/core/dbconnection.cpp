#include "core/dbconnection.h"

#include "core/dbcreate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <unistd.h>

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

namespace {

const QString kDatabaseFile = QStringLiteral("Tarvik.gdb");

// Writable by this user. Root may write anywhere; for it, a folder is writable only when its
// permissions let someone write.
bool writableFolder(const QFileInfo& dir) {
    if (!dir.isDir() || !dir.isWritable())
        return false;
    if (::geteuid() != 0)
        return true;
    return dir.permissions() &
           (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther);
}

// The system's program folders belong to the package manager, whoever runs the program.
bool systemFolder(const QFileInfo& dir) {
    const QString path = dir.canonicalFilePath();
    return path == QLatin1String("/usr") || path.startsWith(QLatin1String("/usr/"));
}

} // namespace

QString defaultDatabasePath(const QString& programDir, const QString& homeDir) {
    const QFileInfo dir(programDir);
    const QString nextToProgram = QDir(programDir).filePath(kDatabaseFile);
    if (QFileInfo::exists(nextToProgram) || (writableFolder(dir) && !systemFolder(dir)))
        return nextToProgram;
    return QDir(homeDir).filePath(kDatabaseFile);
}

QString homeDatabaseDir() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/tarvik");
}

QString defaultDatabasePath() {
    return defaultDatabasePath(QCoreApplication::applicationDirPath(), homeDatabaseDir());
}

QString defaultDatabase() {
    const QString path = defaultDatabasePath();
    const QString home = homeDatabaseDir();
    if (QFileInfo(path).absolutePath() == QDir(home).absolutePath() && !QFileInfo::exists(path)) {
        if (!QDir().mkpath(home))
            throw DbError(QStringLiteral("Не удалось создать папку %1").arg(home));
        DbCreate::createDatabase(path);
    }
    return path;
}
