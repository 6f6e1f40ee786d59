// Build tool: writes the application icon as PNG files in the layout of the hicolor theme,
// DIR/NxN/apps/tarvik.png for each size N given.
#include "gui/uDmMain.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fputs("usage: tarvik_icons DIR SIZE...\n", stderr);
        return 1;
    }
    for (const QString& arg : args.mid(2)) {
        const int size = arg.toInt();
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(args.at(1)).arg(size);
        if (size <= 0 || !QDir().mkpath(dir) ||
            !drawApplicationIcon(size).save(dir + QStringLiteral("/tarvik.png"), "PNG")) {
            std::fprintf(stderr, "tarvik_icons: cannot write the %s px icon\n",
                         arg.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
