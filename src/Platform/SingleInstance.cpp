#include "Platform/SingleInstance.h"

#include "Platform/Logging.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace {

const QByteArray reopenMessage = QByteArrayLiteral("reopen\n");
constexpr int connectTimeoutMs = 1000;

} // namespace

QString SingleInstance::defaultSocketPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!folder.isEmpty())
        return folder + QStringLiteral("/vemra-instance");
    // The shared temporary folder holds every user's copy, so the name carries the user.
    return QDir::tempPath() + QStringLiteral("/vemra-instance-") + QString::number(::getuid());
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

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        auto readRequests = [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() == reopenMessage)
                    Q_EMIT reopenRequested();
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
