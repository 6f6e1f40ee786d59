// A fresh Tarvik database in a temporary directory, made the way "tarvik create-db" makes it.
#pragma once

#include "core/dbcreate.h"
#include "core/firebirdenv.h"

#include <QTemporaryDir>
#include <QtTest/QtTest>

class TestDb {
public:
    explicit TestDb(const QString& name = QStringLiteral("test.gdb")) {
        FirebirdEnv::setup(QStringLiteral(TARVIK_BINARY_DIR "/bin"));
        m_path = m_dir.filePath(name);
        DbCreate::createDatabase(m_path);
    }
    const QString& path() const { return m_path; }
    QString dir() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_path;
};
