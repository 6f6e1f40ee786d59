// Non-interactive commands of the tarvik executable (tarvik COMMAND ...).
#pragma once

#include <QStringList>

// Each command gets the arguments after its name (argv[2..]) and returns the exit code.
// It prints its errors to stderr and returns 1 on failure.
struct CliCommand {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& args);
};
