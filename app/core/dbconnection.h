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

// Tarvik.gdb next to the executable: the database of a start without one named.
QString defaultDatabasePath();
