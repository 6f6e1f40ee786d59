// The contract and recipient a command names, looked up the way the windows find them.
#pragma once

#include "core/dbconnection.h"

namespace Cli {

// Opens the register and makes contract `number` its current row, as a selection in the
// register grid does. AppError when there is no such contract.
void selectContract(DbConnection& c, int number);

// AppError when `recip` is not a recipient of the selected contract.
void checkRecipient(DbConnection& c, int recip);

} // namespace Cli
