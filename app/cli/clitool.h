// What every command of the executable shares: parsing with one --help, the database option
// with its one default, UTF-8 output, and one place where errors end.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <optional>

namespace Cli {

// The arguments of one command ("tarvik NAME ...").
class Args {
public:
    Args(const char* command, const QString& description);

    QCommandLineParser& parser() { return m_parser; }
    // --db FILE; without it the database next to the program.
    void addDatabaseOption();
    void addOption(const QString& name, const QString& description, const QString& valueName);
    void addPositional(const QString& name, const QString& description);

    // Parses `args` (the words after the command's name). Returns the exit code when the
    // command ends here: 0 after --help (printed to stdout), 1 after a usage error (printed to
    // stderr); nullopt when the command goes on.
    std::optional<int> parse(const QStringList& args);

    bool isSet(const QString& name) const { return m_parser.isSet(name); }
    QString value(const QString& name) const { return m_parser.value(name); }
    QStringList values(const QString& name) const { return m_parser.values(name); }
    QStringList positional() const { return m_parser.positionalArguments(); }
    // The --db value, or the default database (created empty when it is the user's own and
    // missing). Raises DbError.
    QString database() const;

    // The value of an integer option; AppError naming the option when it is missing or not a
    // whole number from low to high.
    int intValue(const QString& name, int low, int high) const;
    int intValue(const QString& name, int low, int high, int def) const;

private:
    QString m_command;
    QCommandLineParser m_parser;
    bool m_hasDatabase = false;
};

void printError(const QString& message);
// Standard output, UTF-8.
QTextStream& out();

// Runs a command's body: an AppError or any other exception is printed to stderr and gives
// exit code 1.
int run(const std::function<int()>& body);

// A table cell for tab-separated output: tabs and line breaks become blanks.
QString cell(QString text);

} // namespace Cli
