// The non-interactive commands of the tarvik executable ("tarvik COMMAND ..."). Each gets the
// words after its name and returns the exit code; errors go to stderr with exit code 1.
#pragma once

#include <QStringList>

namespace Cli {

struct Command {
    const char* name;
    const char* summary; // one line for the usage text
    int (*run)(const QStringList& args);
    bool needsGui; // draws with fonts: runs under a GUI application (offscreen when no display)
};

int cmdCreateDb(const QStringList& args);
int cmdList(const QStringList& args);
int cmdImport(const QStringList& args);
int cmdRecipients(const QStringList& args);
int cmdItems(const QStringList& args);
int cmdPdf417(const QStringList& args);
int cmdWaybill(const QStringList& args);
int cmdDecode(const QStringList& args);
int cmdLabel(const QStringList& args);

// Every command, in the order the usage text lists them.
const QList<Command>& commands();
const Command* findCommand(const QString& name);

// The usage text: the window's form, the commands and the general options.
QString usage();

} // namespace Cli
