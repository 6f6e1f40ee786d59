#include "cli.h"
#include "gui/tarvikapp.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstring>

int cmdCreateDb(const QStringList& args);
int cmdList(const QStringList& args);
int cmdImport(const QStringList& args);
namespace Forms {
int cmdPdf417(const QStringList& args);
}

// Commands of the executable; the first argument selects one, anything else starts the window.
static const CliCommand kCommands[] = {
    {"create-db", "create-db FILE: создать новую базу данных", cmdCreateDb},
    {"list", "list [--db FILE]: вывести реестр контрактов", cmdList},
    {"import", "import [--db FILE] CONTRACT.dat: загрузить файл контракта", cmdImport},
    {"pdf417",
     "pdf417 [--ecc L] [--columns N] [--rows R] --out FILE.pdf|FILE.png TEXT...: "
     "напечатать символы PDF417 на листах штрих-кода",
     Forms::cmdPdf417},
};

static void printUsage() {
    std::fputs("Использование: tarvik [БАЗА_ДАННЫХ]\n"
               "               tarvik КОМАНДА [ПАРАМЕТРЫ]\n\nКоманды:\n",
               stdout);
    for (const CliCommand& c : kCommands)
        std::printf("  %s\n", c.summary);
    std::fputs("\n  --help     эта справка\n  --version  версия программы\n", stdout);
}

int main(int argc, char** argv) {
    if (argc > 1) {
        for (const CliCommand& c : kCommands) {
            if (std::strcmp(argv[1], c.name) == 0) {
                QCoreApplication app(argc, argv);
                QStringList args = QCoreApplication::arguments().mid(2);
                return c.run(args);
            }
        }
        if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
            printUsage();
            return 0;
        }
        if (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-v") == 0) {
            std::printf("tarvik %s\n", TARVIK_VERSION);
            return 0;
        }
        if (argv[1][0] == '-' && argv[1][1] != '\0') {
            std::fprintf(stderr, "Неизвестный параметр: %s\n", argv[1]);
            printUsage();
            return 1;
        }
    }
    return runTarvik(argc, argv);
}
