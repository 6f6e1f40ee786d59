// A Firebird 3 server of the test's own, on a free loopback port: its root (configuration,
// character sets, security database with SYSDBA's password) in a temporary directory, started
// as a child process and stopped when the object goes. No system service, nothing under /etc.
//
// The root doubles as the client's configuration: with FIREBIRD pointing at it, "localhost:"
// reaches this server, and the embedded engine runs in SuperClassic with the same Kelmor
// directory. Server and embedded processes coordinate through lockDir().
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

class TestServer {
public:
    TestServer() = default;
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;
    ~TestServer() { stop(); }

    // A port on 127.0.0.1 that nothing listens on now.
    static quint16 freePort() {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        socklen_t len = sizeof a;
        quint16 port = 0;
        if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            port = ntohs(a.sin_port);
        if (fd >= 0)
            ::close(fd);
        return port;
    }

    // Whether something accepts connections on 127.0.0.1:port.
    static bool listening(quint16 port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(port);
        const bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        if (fd >= 0)
            ::close(fd);
        return ok;
    }

    // Sets up the root and starts the server; on failure returns false with the reason.
    bool start(QString* error) {
        auto failed = [&](const QString& why) {
            *error = why;
            return false;
        };
        if (!m_dir.isValid())
            return failed(QStringLiteral("no temporary directory"));
        const QString server = QStandardPaths::findExecutable(
            QStringLiteral("firebird"),
            {QStringLiteral("/usr/sbin"), QStringLiteral("/opt/firebird/bin")});
        const QString isql = QStandardPaths::findExecutable(QStringLiteral("isql-fb"));
        const QString securitySql = QStringLiteral("/usr/share/firebird/3.0/security.sql");
        if (server.isEmpty() || !QFile::exists(securitySql))
            return failed(QStringLiteral("the Firebird server is not installed "
                                         "(Debian package firebird3.0-server)"));
        if (isql.isEmpty())
            return failed(QStringLiteral("isql-fb is not installed (firebird3.0-utils)"));
        m_port = freePort();
        if (m_port == 0)
            return failed(QStringLiteral("no free port on 127.0.0.1"));

        QDir root(m_dir.path());
        root.mkpath(QStringLiteral("intl"));
        root.mkpath(QStringLiteral("lock"));
        for (const char* f : {"libfbintl.so", "fbintl.conf"}) {
            if (!QFile::copy(QStringLiteral(TARVIK_BINARY_DIR "/firebird/intl/") + f,
                             root.filePath(QStringLiteral("intl/")) + f))
                return failed(QStringLiteral("cannot copy the character sets"));
        }
        // The installation's own settings (providers, SuperClassic, Kelmor's directory), then
        // the server's.
        QFile base(QStringLiteral(TARVIK_BINARY_DIR "/firebird/firebird.conf"));
        QFile conf(root.filePath(QStringLiteral("firebird.conf")));
        if (!base.open(QIODevice::ReadOnly) || !conf.open(QIODevice::WriteOnly))
            return failed(QStringLiteral("cannot write firebird.conf"));
        conf.write(base.readAll());
        conf.write(QStringLiteral("\nRemoteServicePort = %1\nRemoteBindAddress = 127.0.0.1\n"
                                  "SecurityDatabase = %2\n")
                       .arg(m_port)
                       .arg(securityDatabase())
                       .toUtf8());
        conf.close();

        // The security database, made by the embedded engine under this root: the users'
        // tables, then SYSDBA with the program's password.
        const QString created =
            runIsql(isql, {QStringLiteral("-q")},
                    QStringLiteral("create database '%1';\n").arg(securityDatabase()));
        if (!QFile::exists(securityDatabase()))
            return failed(QStringLiteral("security database not created: ") + created);
        runIsql(isql,
                {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA"),
                 QStringLiteral("-i"), securitySql, securityDatabase()},
                QString());
        const QString user = runIsql(
            isql,
            {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA"),
             securityDatabase()},
            QStringLiteral("create or alter user SYSDBA password 'vintorbel' using plugin Srp;\n"
                           "commit;\n"));
        if (!user.trimmed().isEmpty())
            return failed(QStringLiteral("SYSDBA not set up: ") + user);

        m_process.setProcessEnvironment(environment());
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(server, {});
        if (!m_process.waitForStarted(10000))
            return failed(QStringLiteral("server did not start: ") + m_process.errorString());
        for (int i = 0; i < 200 && !listening(m_port); ++i) {
            if (m_process.state() != QProcess::Running)
                return failed(QStringLiteral("server ended: ") +
                              QString::fromLocal8Bit(m_process.readAll()));
            QThread::msleep(50);
        }
        if (!listening(m_port))
            return failed(QStringLiteral("server does not listen on port %1").arg(m_port));
        return true;
    }

    // Stops the server; true when its process has ended.
    bool stop() {
        if (m_process.state() == QProcess::NotRunning)
            return true;
        m_process.terminate();
        if (!m_process.waitForFinished(15000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
        return m_process.state() == QProcess::NotRunning;
    }

    bool running() const { return m_process.state() == QProcess::Running; }
    quint16 port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }
    QString root() const { return m_dir.path(); }
    QString lockDir() const { return m_dir.filePath(QStringLiteral("lock")); }
    QString securityDatabase() const { return m_dir.filePath(QStringLiteral("security3.fdb")); }
    // A database name that reaches this server with its port spelled out.
    QString url(const QString& path) const {
        return QStringLiteral("localhost/%1:%2").arg(m_port).arg(path);
    }
    // The environment of a process that uses this root: the server itself, or a client.
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("FIREBIRD"), root());
        env.insert(QStringLiteral("FIREBIRD_LOCK"), lockDir());
        return env;
    }

private:
    QString runIsql(const QString& isql, const QStringList& args, const QString& input) {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(isql, args);
        p.waitForStarted();
        p.write(input.toUtf8());
        p.closeWriteChannel();
        p.waitForFinished(60000);
        return QString::fromLocal8Bit(p.readAll());
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};
