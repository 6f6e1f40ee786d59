// The database commands: create-db and list.
#include "cli/clitool.h"
#include "cli/commands.h"
#include "core/apperror.h"
#include "core/catalogue.h"
#include "core/dbcreate.h"
#include "core/regional.h"

namespace Cli {

int cmdCreateDb(const QStringList& args) {
    Args a("create-db", QStringLiteral("Создаёт новую базу данных Тарвик."));
    a.addPositional(QStringLiteral("FILE"), QStringLiteral("файл базы данных"));
    if (auto rc = a.parse(args))
        return *rc;
    return run([&] {
        if (a.positional().size() != 1)
            throw AppError(QStringLiteral("Укажите один файл базы данных: tarvik create-db FILE"));
        DbCreate::createDatabase(a.positional().first());
        return 0;
    });
}

int cmdList(const QStringList& args) {
    Args a("list", QStringLiteral("Выводит реестр контрактов."));
    a.addDatabaseOption();
    if (auto rc = a.parse(args))
        return *rc;
    return run([&] {
        if (!a.positional().isEmpty())
            throw AppError(
                QStringLiteral("Лишние аргументы: %1").arg(a.positional().join(QLatin1Char(' '))));
        DbConnection c(a.database());
        c.dbTarvik.open();
        Catalogue::openRegister(c);
        const Regional& r = Regional::current();
        FbQuery& q = c.qMain;
        for (; !q.eof(); q.next()) {
            const QStringList cells = {
                QString::number(q.fieldByName(QStringLiteral("number")).asInteger()),
                cell(q.fieldByName(QStringLiteral("docno")).asString()),
                cell(q.fieldByName(QStringLiteral("target")).asString()),
                r.formatDate(q.fieldByName(QStringLiteral("data")).asDate()),
                r.formatDate(q.fieldByName(QStringLiteral("dataend")).asDate()),
                cell(q.fieldByName(QStringLiteral("agents")).asString()),
                cell(q.fieldByName(QStringLiteral("filename")).asString())};
            out() << cells.join(QLatin1Char('\t')) << '\n';
        }
        q.close();
        c.dbTarvik.close();
        return 0;
    });
}

} // namespace Cli
