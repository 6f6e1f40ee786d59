#include "cli.h"

#include <QCoreApplication>
#include <cstring>

// Commands are added to this table as they are written.
static const CliCommand kCommands[] = {
    {nullptr, nullptr, nullptr},
};

int main(int argc, char** argv) {
    if (argc > 1) {
        for (const CliCommand& c : kCommands) {
            if (c.name && std::strcmp(argv[1], c.name) == 0) {
                QStringList args;
                for (int i = 2; i < argc; ++i)
                    args << QString::fromLocal8Bit(argv[i]);
                return c.run(args);
            }
        }
    }
    return 0;
}
