#include "cli/commands.h"
#include "gui/tarvikapp.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

namespace {

QtMessageHandler previousHandler = nullptr;

// Qt notes on stderr that XDG_RUNTIME_DIR is unset (it is under cron, su, CI and services)
// and goes on with a directory of its own; the note says nothing about the program's work, so
// that one message is dropped. Everything else goes where it went.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg &&
        message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (previousHandler) {
        previousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n",
                     qFormatLogMessage(type, context, message).toLocal8Bit().constData());
    }
}

} // namespace

// The first argument names a command; otherwise the window starts on the database it names.
int main(int argc, char** argv) {
    previousHandler = qInstallMessageHandler(quietHandler);
    if (argc > 1) {
        const QString first = QString::fromLocal8Bit(argv[1]);
        if (const Cli::Command* c = Cli::findCommand(first)) {
            std::unique_ptr<QCoreApplication> app;
            if (c->needsGui) {
                // Drawing needs fonts, not a display.
                if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                    qputenv("QT_QPA_PLATFORM", "offscreen");
                app = std::make_unique<QGuiApplication>(argc, argv);
            } else {
                app = std::make_unique<QCoreApplication>(argc, argv);
            }
            return c->run(QCoreApplication::arguments().mid(2));
        }
        if (first == QLatin1String("--help") || first == QLatin1String("-h") ||
            first == QLatin1String("help")) {
            std::fputs(Cli::usage().toLocal8Bit().constData(), stdout);
            return 0;
        }
        if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
            std::printf("tarvik %s\n", TARVIK_VERSION);
            return 0;
        }
        if (first.startsWith(QLatin1Char('-')) && first.size() > 1) {
            std::fprintf(stderr, "Неизвестный параметр: %s\n%s", argv[1],
                         Cli::usage().toLocal8Bit().constData());
            return 1;
        }
        // A database name stands alone; a first word followed by more words is a command
        // mistyped, not a database.
        if (argc > 2) {
            std::fprintf(stderr, "Неизвестная команда: %s\n%s", argv[1],
                         Cli::usage().toLocal8Bit().constData());
            return 1;
        }
    }
    return runTarvik(argc, argv);
}
