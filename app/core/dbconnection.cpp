#include "core/dbconnection.h"

#include <QCoreApplication>
#include <QDir>

void DbConnection::beginWrite() {
    if (trTarvik.inTransaction())
        trTarvik.rollback();
    trTarvik.startTransaction();
}

QString defaultDatabasePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Tarvik.gdb"));
}
