// The import of a read contract into the database: organisations, the header and the item
// lines, written in one transaction.
#pragma once

#include "core/contractreader.h"
#include "core/dbconnection.h"

#include <functional>

// Called while the item lines are written: done of total steps. May process events; an
// exception it raises stops the import before anything is committed.
using ImportProgress = std::function<void(qsizetype done, qsizetype total)>;

// Writes the contract into the database and returns its new number:
//   1. rolls back whatever trTarvik holds and starts it afresh;
//   2. inserts or updates every organisation (directory 2) of refItems, in order;
//   3. inserts the header, then takes the new number as max(number) in the same transaction;
//   4. inserts every item line with one prepared statement;
//   5. commits.
// qTarvik and qOrgs must run in trTarvik. On any error nothing is committed: trTarvik stays
// active with the unfinished work until the next write rolls it back (or the connection
// closes), and the error travels on. fileName is stored as its absolute path.
int ImportContract(FbTransaction& trTarvik, FbQuery& qTarvik, FbQuery& qOrgs,
                   const TRefItemList& refItems, const TContTitle& title,
                   const TContDataList& items, const QString& fileName,
                   const ImportProgress& progress = {});

// The same over the reader's shared results (RefItemList, ContTitle, ContDataList), on the
// connection's trTarvik, qTarvik and qOrgs.
int ImportContract(DbConnection& c, const QString& fileName, const ImportProgress& progress = {});
