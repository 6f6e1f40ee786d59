// The application's one connection bundle: the database, its two transactions and the three
// query objects every statement runs through. The data module holds one; so does each command
// of the command line. Also the rule every write operation follows on a shared database.
#pragma once

#include "core/apperror.h"
#include "core/fbdatabase.h"

#include <QString>

#include <functional>
#include <optional>

// How long a write waits for a row that another workstation has changed and not yet
// committed, and how often a write operation that another one got in the way of runs.
inline constexpr int kWriteLockTimeoutSeconds = 10;
inline constexpr int kWriteAttempts = 3;

// Write transactions: snapshot isolation and a bounded wait for locked rows.
TransactionParams writeTransactionParams();

// True when the error means that another transaction got in the way of this one and the same
// work may succeed when run again: an update conflict, a deadlock, a lock conflict or lock
// timeout, or a primary key violation on ORGANISATIONS (an organisation that another import
// inserted after this transaction began). Recognised by the client's error codes.
bool isWriteConflict(const DbError& e);

struct WriteOptions {
    int attempts = kWriteAttempts;
    // The parameters of the transaction; without them, the transaction's own.
    std::optional<TransactionParams> params;
};

// Runs one write operation on tr:
//   1. rolls back whatever tr holds (a failed earlier write, or the snapshot of earlier reads);
//   2. starts tr;
//   3. runs `statements`;
//   4. commits.
// When another transaction gets in the way (isWriteConflict), the work is rolled back and the
// operation runs again from step 1, up to options.attempts times in all; after the last one,
// the work is rolled back and DbError "База данных занята другим пользователем…" is raised,
// with the last conflict as its detail. Any other error travels on as it is and leaves tr
// active with the unfinished work, uncommitted, until the next write rolls it back.
// `statements` must begin from nothing each time: it may run more than once.
void runWrite(FbTransaction& tr, const std::function<void()>& statements,
              const WriteOptions& options = {});

class DbConnection {
public:
    DbConnection() { trTarvik.setParams(writeTransactionParams()); }
    explicit DbConnection(const QString& databaseName) : DbConnection() {
        dbTarvik.setDatabaseName(databaseName);
    }
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    FbDatabase dbTarvik;
    // Writes and every read outside the register; rolled back when the connection closes.
    FbTransaction trTarvik{dbTarvik, FbTransaction::DefaultAction::Rollback};
    FbQuery qTarvik{dbTarvik, trTarvik};
    FbQuery qOrgs{dbTarvik, trTarvik}; // the organisation test of the import
    // The register's reads; committed when the connection closes.
    FbTransaction trMain{dbTarvik, FbTransaction::DefaultAction::Commit};
    FbQuery qMain{dbTarvik, trMain};

    // The first two steps of every write: roll back whatever trTarvik holds (a failed earlier
    // write, or the snapshot of earlier reads), then start it afresh.
    void beginWrite();
    // One write operation on trTarvik, by the rule of runWrite.
    void write(const std::function<void()>& statements) { runWrite(trTarvik, statements); }
};

// The database of a start without one named. Tarvik.gdb in programDir where that file exists,
// or where the folder is writable and is not one of the system's own (under /usr); otherwise
// Tarvik.gdb in homeDir.
QString defaultDatabasePath(const QString& programDir, const QString& homeDir);
// The rule for this program: its own folder, and tarvik in the user's data folder
// ($XDG_DATA_HOME, normally ~/.local/share).
QString defaultDatabasePath();
// The user's folder of the rule above.
QString homeDatabaseDir();
// defaultDatabasePath(), created empty first when it is the one in the user's data folder and
// does not exist yet (the first start of an installed program). Raises DbError.
QString defaultDatabase();
