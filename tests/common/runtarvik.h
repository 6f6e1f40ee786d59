// Runs the tarvik executable of the build as a process.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

struct TarvikRun {
    int code = -1; // -1: did not finish in time, -2: crashed
    QString out;
    QString err;
};

inline TarvikRun runTarvik(const QStringList& args, int timeoutMs = 120000) {
    QProcess p;
    p.start(qEnvironmentVariable("TARVIK_BIN") + QStringLiteral("/tarvik"), args);
    TarvikRun r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
