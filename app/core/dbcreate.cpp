#include "core/dbcreate.h"

#include "core/fbdatabase.h"

#include <QFile>
#include <QFileInfo>

// The schema script is a resource of this static library; it must be registered by hand.
static void initSchemaResource() {
    Q_INIT_RESOURCE(db);
}

namespace DbCreate {

QStringList schemaStatements() {
    initSchemaResource();
    QFile f(QStringLiteral(":/db/schema.sql"));
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Не найден сценарий создания базы данных"));
    const QString text = QString::fromUtf8(f.readAll());
    QStringList statements;
    QString current;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1String("--")))
            continue;
        if (!current.isEmpty())
            current += QLatin1Char('\n');
        if (line.endsWith(QLatin1Char(';'))) {
            current += raw.left(raw.lastIndexOf(QLatin1Char(';')));
            statements << current;
            current.clear();
        } else {
            current += raw;
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current;
    return statements;
}

void createDatabase(const QString& name) {
    if (QFileInfo::exists(name))
        throw DbError(QStringLiteral("Файл %1 уже существует, база данных не создана").arg(name));
    const QStringList statements = schemaStatements();
    FbDatabase db;
    db.setDatabaseName(name);
    db.createDatabase();
    FbTransaction tr(db);
    FbQuery q(db, tr);
    try {
        // Each statement is committed on its own: later ones use what earlier ones defined.
        for (const QString& sql : statements) {
            q.close();
            q.setSql(QStringList{sql});
            tr.startTransaction();
            q.execSql();
            tr.commit();
        }
        db.close();
    } catch (...) {
        try {
            db.close();
        } catch (...) {
        }
        QFile::remove(name);
        throw;
    }
}

} // namespace DbCreate
