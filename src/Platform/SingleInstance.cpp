#include "Platform/SingleInstance.h"

#include "Platform/DataPaths.h"
#include "Platform/Logging.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray reopenMessage = QByteArrayLiteral("reopen\n");
const QByteArray quitMessage = QByteArrayLiteral("quit\n");
constexpr int connectTimeoutMs = 1000;
const QString socketName = QStringLiteral("/vemra-instance");

// A folder that only this user can reach: a real folder (not a link), the user's own, closed
// to everyone else.
bool isPrivateFolder(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode)
        && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// Whether something at `path` belongs to another user (or is no socket at all), so that talking
// to it would let them keep this launch from running.
bool isForeign(const QString &path)
{
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return info.st_uid != ::geteuid() || !S_ISSOCK(info.st_mode);
}

} // namespace

QString SingleInstance::defaultSocketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return runtime + socketName;
    // Without a runtime folder, a private folder of the user's own in the shared temporary
    // folder; anyone can take that name first, so it is used only when it proves to be ours.
    const QString shared = QDir::tempPath() + QStringLiteral("/vemra-") + QString::number(::geteuid());
    ::mkdir(QFile::encodeName(shared).constData(), 0700);
    if (isPrivateFolder(shared))
        return shared + socketName;
    qCWarning(lcPlatform) << shared << "is not a private folder of this user; the instance socket goes elsewhere";
    const QString data = DataPaths::appFolder();
    if (DataPaths::ensureFolder(data) && isPrivateFolder(data))
        return data + socketName;
    return {};
}

SingleInstance::SingleInstance(QString socketPath, QObject *parent)
    : QObject(parent)
    , m_socketPath(std::move(socketPath))
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

SingleInstance::Role SingleInstance::start(Request request)
{
    if (m_socketPath.isEmpty()) {
        qCWarning(lcPlatform) << "no private folder for the instance socket; a second launch will run beside this one";
        return Role::Primary;
    }
    if (reachRunningInstance(request))
        return Role::AlreadyRunning;

    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        // Nobody answered, so the socket file is left over from a copy that ended abruptly.
        QLocalServer::removeServer(m_socketPath);
        if (!m_server->listen(m_socketPath))
            qCWarning(lcPlatform) << "cannot listen on" << m_socketPath << m_server->errorString();
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return Role::Primary;
}

bool SingleInstance::reachRunningInstance(Request request)
{
    if (isForeign(m_socketPath)) {
        qCWarning(lcPlatform) << m_socketPath << "belongs to another user or is no socket; it is not asked";
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    if (request == Request::Reopen) {
        socket.write(reopenMessage);
        if (!socket.waitForBytesWritten(connectTimeoutMs))
            return false;
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(connectTimeoutMs);
    return true;
}

bool SingleInstance::quitRunningInstance(std::chrono::milliseconds timeout)
{
    if (m_socketPath.isEmpty() || isForeign(m_socketPath))
        return true;
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(connectTimeoutMs))
        return true;
    socket.write(quitMessage);
    if (!socket.waitForBytesWritten(connectTimeoutMs))
        return false;
    // The running copy keeps the connection until its process ends.
    const bool ended = socket.waitForDisconnected(static_cast<int>(timeout.count()));
    if (!ended)
        qCWarning(lcPlatform) << "the running copy did not quit within" << timeout.count() << "ms";
    return ended;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        auto readRequests = [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine();
                if (line == reopenMessage)
                    Q_EMIT reopenRequested();
                else if (line == quitMessage)
                    Q_EMIT quitRequested();
            }
            // Anything else is not ours; drop a client that sends a lot of it.
            if (socket->bytesAvailable() > 256)
                socket->abort();
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequests);
        // A short-lived client may be gone before its line was read.
        connect(socket, &QLocalSocket::disconnected, socket, [socket, readRequests] {
            readRequests();
            socket->deleteLater();
        });
        readRequests();
    }
}
