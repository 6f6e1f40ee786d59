#include "core/firebirdenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace FirebirdEnv {

QString findRoot(const QString& appDir) {
    // Build tree: bin/../firebird; installed tree: bin/../lib/tarvik/firebird.
    const QStringList candidates = {appDir + QStringLiteral("/../firebird"),
                                    appDir + QStringLiteral("/" TARVIK_INSTALLED_FBROOT)};
    for (const QString& c : candidates) {
        if (QFileInfo::exists(c + QStringLiteral("/firebird.conf")))
            return QDir(c).canonicalPath();
    }
    return QString();
}

void setup(const QString& appDir) {
    static bool done = false;
    if (done)
        return;
    done = true;
    if (qEnvironmentVariableIsEmpty("FIREBIRD")) {
        QString dir = appDir;
        if (dir.isEmpty() && QCoreApplication::instance())
            dir = QCoreApplication::applicationDirPath();
        const QString root = findRoot(dir);
        if (!root.isEmpty())
            qputenv("FIREBIRD", QFile::encodeName(root));
    }
    if (qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) {
        const QString lock = QDir::tempPath() + QStringLiteral("/tarvik-firebird");
        QDir().mkpath(lock);
        QFile::setPermissions(
            lock, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                      QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                      QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
        qputenv("FIREBIRD_LOCK", QFile::encodeName(lock));
    }
}

} // namespace FirebirdEnv
