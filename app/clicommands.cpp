// The database commands of the executable: create-db and list.
#include "cli.h"
#include "core/dbcreate.h"
#include "core/fbdatabase.h"
#include "core/regional.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <cstdio>

namespace {

void printError(const QString& message) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// Parses the arguments of a command; returns false (and prints why) on bad usage.
bool parse(QCommandLineParser& parser, const QStringList& args, const char* name) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    if (!parser.parse(QStringList{QString::fromLatin1(name)} + args)) {
        printError(parser.errorText());
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        std::exit(0);
    }
    return true;
}

} // namespace

QString defaultDatabasePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Tarvik.gdb"));
}

int cmdCreateDb(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Создаёт новую базу данных Тарвик."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("файл базы данных"));
    if (!parse(parser, args, "create-db"))
        return 1;
    if (parser.positionalArguments().size() != 1) {
        printError(QStringLiteral("Укажите один файл базы данных: tarvik create-db FILE"));
        return 1;
    }
    try {
        DbCreate::createDatabase(parser.positionalArguments().first());
    } catch (const AppError& e) {
        printError(e.message());
        return 1;
    }
    return 0;
}

int cmdList(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Выводит реестр контрактов."));
    parser.addOption(
        {QStringLiteral("db"), QStringLiteral("файл базы данных"), QStringLiteral("FILE")});
    if (!parse(parser, args, "list"))
        return 1;
    if (!parser.positionalArguments().isEmpty()) {
        printError(QStringLiteral("Лишние аргументы: %1")
                       .arg(parser.positionalArguments().join(QLatin1Char(' '))));
        return 1;
    }
    const QString name = parser.isSet(QStringLiteral("db")) ? parser.value(QStringLiteral("db"))
                                                            : defaultDatabasePath();
    try {
        FbDatabase db;
        db.setDatabaseName(name);
        db.open();
        FbTransaction tr(db, FbTransaction::DefaultAction::Commit);
        FbQuery q(db, tr);
        q.sqlAdd(QStringLiteral("SELECT number, docno, protno, data, dataend, target, filename, "
                                "agents, rem FROM contract"));
        q.sqlAdd(QStringLiteral("ORDER BY number"));
        q.open();
        QTextStream out(stdout);
        out.setEncoding(QStringConverter::Utf8);
        const Regional& r = Regional::current();
        for (; !q.eof(); q.next()) {
            QStringList cells;
            cells << q.fieldByName(QStringLiteral("docno")).asString()
                  << q.fieldByName(QStringLiteral("target")).asString()
                  << r.formatDate(q.fieldByName(QStringLiteral("data")).asDate())
                  << r.formatDate(q.fieldByName(QStringLiteral("dataend")).asDate())
                  << q.fieldByName(QStringLiteral("agents")).asString()
                  << q.fieldByName(QStringLiteral("filename")).asString();
            for (QString& c : cells)
                c.replace(QLatin1Char('\t'), QLatin1Char(' '))
                    .replace(QLatin1Char('\n'), QLatin1Char(' '));
            out << cells.join(QLatin1Char('\t')) << '\n';
        }
        out.flush();
        q.close();
        tr.commit();
        db.close();
    } catch (const AppError& e) {
        printError(e.message());
        return 1;
    }
    return 0;
}
