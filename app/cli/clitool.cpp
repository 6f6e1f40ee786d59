#include "cli/clitool.h"

#include "core/apperror.h"
#include "core/dbconnection.h"

#include <cstdio>

namespace Cli {

Args::Args(const char* command, const QString& description)
    : m_command(QString::fromLatin1(command)) {
    m_parser.setApplicationDescription(description);
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addHelpOption();
}

void Args::addDatabaseOption() {
    addOption(QStringLiteral("db"), QStringLiteral("файл базы данных"), QStringLiteral("FILE"));
    m_hasDatabase = true;
}

void Args::addOption(const QString& name, const QString& description, const QString& valueName) {
    m_parser.addOption({name, description, valueName});
}

void Args::addPositional(const QString& name, const QString& description) {
    m_parser.addPositionalArgument(name, description);
}

std::optional<int> Args::parse(const QStringList& args) {
    if (!m_parser.parse(QStringList{QStringLiteral("tarvik ") + m_command} + args)) {
        printError(m_parser.errorText());
        return 1;
    }
    if (m_parser.isSet(QStringLiteral("help"))) {
        out() << m_parser.helpText();
        out().flush();
        return 0;
    }
    return std::nullopt;
}

QString Args::database() const {
    if (m_hasDatabase && m_parser.isSet(QStringLiteral("db")))
        return m_parser.value(QStringLiteral("db"));
    return defaultDatabase();
}

int Args::intValue(const QString& name, int low, int high) const {
    if (!m_parser.isSet(name))
        throw AppError(QStringLiteral("Не указан параметр --%1").arg(name));
    bool ok = false;
    const int v = m_parser.value(name).toInt(&ok);
    if (!ok || v < low || v > high)
        throw AppError(QStringLiteral("Неверное значение --%1: %2 (допустимо от %3 до %4)")
                           .arg(name, m_parser.value(name))
                           .arg(low)
                           .arg(high));
    return v;
}

int Args::intValue(const QString& name, int low, int high, int def) const {
    return m_parser.isSet(name) ? intValue(name, low, high) : def;
}

void printError(const QString& message) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

QTextStream& out() {
    static QTextStream stream(stdout);
    static const bool utf8 = [] {
        stream.setEncoding(QStringConverter::Utf8);
        return true;
    }();
    (void)utf8;
    return stream;
}

int run(const std::function<int()>& body) {
    try {
        const int rc = body();
        out().flush();
        return rc;
    } catch (const AppError& e) {
        out().flush();
        printError(e.message());
    } catch (const std::exception& e) {
        out().flush();
        printError(QString::fromLocal8Bit(e.what()));
    }
    return 1;
}

QString cell(QString text) {
    return text.replace(QLatin1Char('\t'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '))
        .replace(QLatin1Char('\r'), QLatin1Char(' '));
}

} // namespace Cli
