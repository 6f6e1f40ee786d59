// tarvik import [--db FILE] CONTRACT.dat: imports a contract file like the "Загрузить" button
// and prints the new contract's number.
#include "cli.h"
#include "core/contractimport.h"
#include "core/contractreader.h"
#include "core/fbdatabase.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

QString defaultDatabasePath();

int cmdImport(const QStringList& args) {
    auto printError = [](const QString& message) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    };
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Загружает файл контракта в базу данных и выводит номер контракта."));
    parser.addHelpOption();
    parser.addOption(
        {QStringLiteral("db"), QStringLiteral("файл базы данных"), QStringLiteral("FILE")});
    parser.addPositionalArgument(QStringLiteral("CONTRACT"), QStringLiteral("файл контракта"));
    if (!parser.parse(QStringList{QStringLiteral("import")} + args)) {
        printError(parser.errorText());
        return 1;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (parser.positionalArguments().size() != 1) {
        printError(QStringLiteral("Укажите один файл контракта: tarvik import [--db FILE] "
                                  "CONTRACT.dat"));
        return 1;
    }
    const QString contract = QFileInfo(parser.positionalArguments().first()).absoluteFilePath();
    const QString name = parser.isSet(QStringLiteral("db")) ? parser.value(QStringLiteral("db"))
                                                            : defaultDatabasePath();
    try {
        ReadContractFile(contract);
        FbDatabase db;
        db.setDatabaseName(name);
        db.open();
        FbTransaction trTarvik(db, FbTransaction::DefaultAction::Rollback);
        FbQuery qTarvik(db, trTarvik);
        FbQuery qOrgs(db, trTarvik);
        const int number = ImportContract(trTarvik, qTarvik, qOrgs, contract);
        db.close();
        std::printf("%d\n", number);
    } catch (const AppError& e) {
        // Leaving the scope closes the connection, which rolls back unfinished work.
        printError(e.message());
        return 1;
    }
    return 0;
}
