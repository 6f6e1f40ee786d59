// The import of a read contract into the database: organisations, the header and the item
// lines, written in one transaction.
#pragma once

#include "core/contractreader.h"
#include "core/dbconnection.h"

#include <functional>

// Called while the item lines are written: done of total steps. May process events; an
// exception it raises stops the import before anything is committed.
using ImportProgress = std::function<void(qsizetype done, qsizetype total)>;

// The import's transaction: a write transaction (bounded lock wait) in snapshot isolation,
// stated here on purpose. The new contract's number is max(number) read inside the
// transaction, right after its header is inserted; that is this contract's number only while
// the transaction reads a snapshot, in which a contract that another workstation commits
// meanwhile (with a higher number) stays invisible.
TransactionParams importTransactionParams();

// Writes the contract into the database and returns its new number:
//   1. rolls back whatever trTarvik holds and starts it afresh (importTransactionParams());
//   2. inserts or updates every organisation (directory 2) of refItems, in order;
//   3. inserts the header, then takes the new number as max(number) in the same transaction;
//   4. inserts every item line with one prepared statement;
//   5. commits.
// This is one write operation by the rule of runWrite: when another workstation's transaction
// gets in the way (an update conflict, a deadlock, a lock timeout, an organisation it inserted
// meanwhile), the work is rolled back and the import runs again from step 1, a bounded number
// of times, and then fails with "База данных занята другим пользователем…" and nothing held.
// qTarvik and qOrgs must run in trTarvik. On any other error nothing is committed: trTarvik
// stays active with the unfinished work until the next write rolls it back (or the connection
// closes), and the error travels on. fileName is stored as its absolute path.
int ImportContract(FbTransaction& trTarvik, FbQuery& qTarvik, FbQuery& qOrgs,
                   const TRefItemList& refItems, const TContTitle& title,
                   const TContDataList& items, const QString& fileName,
                   const ImportProgress& progress = {});

// The same over the reader's shared results (RefItemList, ContTitle, ContDataList), on the
// connection's trTarvik, qTarvik and qOrgs.
int ImportContract(DbConnection& c, const QString& fileName, const ImportProgress& progress = {});
