#include "sound/SamplePipe.h"

#include "sound/PipeProtocol.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <algorithm>

namespace velmar::sound {

namespace {

constexpr int kListenerProbeMs = 200;

bool ServerListensOn(const QString& path)
{
    QLocalSocket probe;
    probe.connectToServer(path);
    const bool listening = probe.waitForConnected(kListenerProbeMs);
    probe.abort();
    return listening;
}

} // namespace

SamplePipeServer::SamplePipeServer() = default;

SamplePipeServer::~SamplePipeServer()
{
    close();
}

bool SamplePipeServer::create(const QString& windowsPipeName, qint64 outBufferBytes)
{
    close();
    const QString path = PipeSocketPath(windowsPipeName);
    // Only a socket nobody listens on is left over from an earlier run;
    // a live one belongs to another program's pipe, which must go on.
    if (ServerListensOn(path)) {
        m_error = QStringLiteral("The pipe %1 is already served by another program (%2)").arg(windowsPipeName, path);
        return false;
    }
    QLocalServer::removeServer(path);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->setMaxPendingConnections(PelvanePipeInstances);
    if (!m_server->listen(path)) {
        m_error = m_server->errorString();
        m_server.reset();
        return false;
    }
    m_outBufferBytes = std::max<qint64>(outBufferBytes, 0);
    m_error.clear();
    return true;
}

bool SamplePipeServer::isCreated() const
{
    return m_server != nullptr;
}

QString SamplePipeServer::errorString() const
{
    return m_error;
}

QString SamplePipeServer::socketPath() const
{
    return m_server ? m_server->fullServerName() : QString();
}

bool SamplePipeServer::hasReader()
{
    if (!m_server)
        return false;
    if (m_reader && m_reader->state() != QLocalSocket::ConnectedState) {
        m_reader->deleteLater();
        m_reader = nullptr;
    }
    if (!m_reader) {
        m_server->waitForNewConnection(0);
        m_reader = m_server->nextPendingConnection();
    }
    return m_reader != nullptr;
}

qint64 SamplePipeServer::room()
{
    if (!hasReader())
        return -1;
    // Let the socket pass on what it holds, and notice a reader that has gone.
    m_reader->flush();
    if (m_reader->state() != QLocalSocket::ConnectedState)
        return -1;
    return std::max<qint64>(m_outBufferBytes - m_reader->bytesToWrite(), 0);
}

qint64 SamplePipeServer::write(const char* data, qint64 bytes)
{
    const qint64 free = room();
    if (free < 0)
        return -1;
    const qint64 taken = std::min(bytes, free);
    if (taken > 0 && m_reader->write(data, taken) != taken)
        return -1;
    m_reader->flush();
    return m_reader->state() == QLocalSocket::ConnectedState ? taken : -1;
}

qint64 SamplePipeServer::pendingBytes() const
{
    return m_reader ? m_reader->bytesToWrite() : 0;
}

void SamplePipeServer::close()
{
    if (m_reader) {
        m_reader->abort();
        m_reader = nullptr;
    }
    if (m_server) {
        const QString path = m_server->fullServerName();
        m_server->close();
        m_server.reset();
        QLocalServer::removeServer(path);
    }
}

SamplePipeReader::SamplePipeReader() = default;

SamplePipeReader::~SamplePipeReader()
{
    close();
}

bool SamplePipeReader::open(const QString& windowsPipeName, int timeoutMs)
{
    close();
    m_socket = std::make_unique<QLocalSocket>();
    m_socket->connectToServer(PipeSocketPath(windowsPipeName), QIODevice::ReadOnly);
    if (!m_socket->waitForConnected(timeoutMs)) {
        m_socket.reset();
        return false;
    }
    return true;
}

bool SamplePipeReader::isOpen() const
{
    return m_socket && m_socket->state() == QLocalSocket::ConnectedState;
}

qint64 SamplePipeReader::bytesAvailable()
{
    if (!m_socket)
        return 0;
    m_socket->waitForReadyRead(0);
    return m_socket->bytesAvailable();
}

QByteArray SamplePipeReader::read(qint64 maxBytes)
{
    if (!m_socket)
        return {};
    if (m_socket->bytesAvailable() == 0)
        m_socket->waitForReadyRead(0);
    return m_socket->read(maxBytes);
}

void SamplePipeReader::close()
{
    if (m_socket) {
        m_socket->abort();
        m_socket.reset();
    }
}

} // namespace velmar::sound
