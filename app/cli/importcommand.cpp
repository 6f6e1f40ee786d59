// tarvik import [--db FILE] CONTRACT.dat: imports a contract file like the "Загрузить" button
// and prints the new contract's number.
#include "cli/clitool.h"
#include "cli/commands.h"
#include "core/apperror.h"
#include "core/contractimport.h"
#include "core/contractreader.h"

#include <QFileInfo>

namespace Cli {

int cmdImport(const QStringList& args) {
    Args a("import",
           QStringLiteral("Загружает файл контракта в базу данных и выводит номер контракта."));
    a.addDatabaseOption();
    a.addPositional(QStringLiteral("CONTRACT"), QStringLiteral("файл контракта"));
    if (auto rc = a.parse(args))
        return *rc;
    return run([&] {
        if (a.positional().size() != 1)
            throw AppError(QStringLiteral("Укажите один файл контракта: tarvik import [--db FILE] "
                                          "CONTRACT.dat"));
        const QString contract = QFileInfo(a.positional().first()).absoluteFilePath();
        ReadContractFile(contract);
        // Leaving the scope on an error closes the connection, which rolls back the work.
        DbConnection c(a.database());
        c.dbTarvik.open();
        const int number = ImportContract(c, contract);
        c.dbTarvik.close();
        out() << number << '\n';
        return 0;
    });
}

} // namespace Cli
