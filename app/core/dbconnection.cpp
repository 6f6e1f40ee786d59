#include "core/dbconnection.h"

#include "core/dbcreate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <unistd.h>

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
