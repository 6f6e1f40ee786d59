// Where this installation keeps its Firebird root, and the environment the client needs.
#pragma once

#include <QString>

namespace FirebirdEnv {

// Sets FIREBIRD to the installation's own Firebird root and FIREBIRD_LOCK to the lock
// directory shared by every process of the installation, unless the environment already
// sets them. Must run before the first Firebird call; calling it again does nothing.
// appDir is the directory of the executable (empty: QCoreApplication::applicationDirPath()).
void setup(const QString& appDir = QString());

// The Firebird root chosen for an executable in appDir (empty when none is found).
QString findRoot(const QString& appDir);

} // namespace FirebirdEnv
