#include "host/tests/testsupport.h"

#include <QApplication>
#include <QFile>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "frame/localtext.h"

void EnsureApplication()
{
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "hosttest";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

void WriteKeelsysIni(const QString &text)
{
    QFile file(QDir::current().filePath(QStringLiteral("Keelsys.ini")));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const std::string local = toLocal(text);
        file.write(local.data(), qint64(local.size()));
    }
}

QString ReadKeelsysIni()
{
    QFile file(QDir::current().filePath(QStringLiteral("Keelsys.ini")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fromLocal(file.readAll().toStdString());
}

QString TestModulePath(const QString &name)
{
    return QStringLiteral(TEST_MODULE_DIR "/lib") + name + QStringLiteral(".so");
}

bool TestHostApp::Login(QString &user, QString &password, QString &language)
{
    if (!offline)
        return CHostApp::Login(user, password, language);
    user = QStringLiteral("tester");
    password = QStringLiteral("secret");
    language = offlineLanguage;
    return true;
}

WorkingDirectory::WorkingDirectory() : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

WorkingDirectory::~WorkingDirectory()
{
    QDir::setCurrent(m_previous);
}

namespace {

// A port that nothing listens on now: bound to 127.0.0.1:0, then released.
int FreeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool Accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
    ::close(fd);
    return connected;
}

} // namespace

TestServer::TestServer() = default;

TestServer::~TestServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
}

bool TestServer::Start()
{
    const QString bin = qEnvironmentVariable("KEEL_BIN_DIR");
    const QString program = QDir(bin).filePath(QStringLiteral("keelmon-server"));
    if (bin.isEmpty() || !QFile::exists(program)) {
        m_error = QStringLiteral("keelmon-server not found in KEEL_BIN_DIR (%1): build it first").arg(bin);
        return false;
    }
    m_port = FreeLoopbackPort();
    for (int attempt = 0; attempt < 10 && (m_dataPort == 0 || m_dataPort == m_port); ++attempt)
        m_dataPort = FreeLoopbackPort();
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.start(program, {QStringLiteral("--port"), QString::number(m_port), QStringLiteral("--no-discovery"),
                              QStringLiteral("--data-port"), QString::number(m_dataPort),
                              QStringLiteral("--listen"), QStringLiteral("127.0.0.1"), QStringLiteral("--db"),
                              m_dir.filePath(QStringLiteral("keelmon.db")), QStringLiteral("--demo"),
                              QStringLiteral("--admin-password"), QString::fromLatin1(AdminPassword)});
    if (!m_process.waitForStarted(5000)) {
        m_error = QStringLiteral("keelmon-server did not start: ") + m_process.errorString();
        return false;
    }
    // Bounded wait for the port: 200 tries, 50 ms apart.
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (Accepts(m_port))
            return true;
        if (m_process.state() == QProcess::NotRunning)
            break;
        QThread::msleep(50);
    }
    m_error = QStringLiteral("keelmon-server did not answer on 127.0.0.1:%1").arg(m_port);
    return false;
}
