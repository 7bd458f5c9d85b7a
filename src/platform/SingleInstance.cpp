#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

namespace tuvano::platform {

namespace {

constexpr char kShow[] = "show\n";
constexpr char kShown[] = "shown\n";
constexpr char kBusy[] = "busy\n";

// One name per program folder, so copies in other folders never meet.
QString serverNameFor(const QString& folder)
{
    const QByteArray key = QDir(folder).canonicalPath().toUtf8();
    return QStringLiteral("tuvano-") +
           QString::fromLatin1(
               QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}

} // namespace

SingleInstance::SingleInstance(const QString& programFolder)
    : m_serverName(serverNameFor(programFolder)),
      m_lock(QDir(programFolder).filePath(lockFileName()))
{
    // Only a lock whose owner is gone is stale, however old it is.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire(std::function<bool()> comeForward)
{
    if (!m_lock.tryLock(0))
        return false;
    m_comeForward = std::move(comeForward);
    // The lock is ours, so a server of that name is a leftover of a killed copy.
    QLocalServer::removeServer(m_serverName);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::answer);
    m_server.listen(m_serverName);
    return true;
}

void SingleInstance::answer()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const bool asked = socket->readLine() == kShow;
            const bool shown = asked && m_comeForward && m_comeForward();
            socket->write(shown ? kShown : kBusy);
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

void SingleInstance::release()
{
    m_server.close();
    m_lock.unlock();
}

SingleInstance::Reply SingleInstance::askRunningCopy(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs))
        return Reply::Silent;
    socket.write(kShow);
    socket.flush();
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return Reply::Silent;
    }
    return socket.readLine() == kShown ? Reply::Shown : Reply::Busy;
}

} // namespace tuvano::platform
