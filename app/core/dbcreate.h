// Creation of a new, empty Tarvik database from the schema script.
#pragma once

#include <QString>
#include <QStringList>

namespace DbCreate {

// The statements of the schema script, in order, without comments.
QStringList schemaStatements();

// Creates the database file (or "host:/path" on a server) with every table, the settings
// rows and the function declarations. Refuses an existing file. Raises DbError.
void createDatabase(const QString& name);

} // namespace DbCreate
