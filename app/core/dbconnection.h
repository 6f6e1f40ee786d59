// The application's one connection bundle: the database, its two transactions and the three
// query objects every statement runs through. The data module holds one; so does each command
// of the command line.
#pragma once

#include "core/fbdatabase.h"

#include <QString>

class DbConnection {
public:
    DbConnection() = default;
    explicit DbConnection(const QString& databaseName) { dbTarvik.setDatabaseName(databaseName); }
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
