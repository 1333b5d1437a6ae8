#include "nmeaserver/UdpOutput.h"

#include <QHostAddress>
#include <QLoggingCategory>
#include <QUdpSocket>

namespace velmar::nmeaserver {

Q_LOGGING_CATEGORY(lcUdp, "velmar.nmeaserver.udp")

UdpOutput::UdpOutput() = default;
UdpOutput::~UdpOutput() = default;

bool UdpOutput::OpenUdp(uint16_t port)
{
    CloseUdp();
    if (port == 0) {
        qCWarning(lcUdp) << "UDP output not opened: port 0";
        return false;
    }
    m_socket = std::make_unique<QUdpSocket>();
    m_port = port;
    m_open = true;
    return true;
}

void UdpOutput::CloseUdp()
{
    m_open = false;
    m_socket.reset();
}

bool UdpOutput::send(const QByteArray& rawSentence)
{
    if (!m_open)
        return false;
    QByteArray datagram = rawSentence;
    datagram.append('\0');
    if (m_socket->writeDatagram(datagram, QHostAddress(QHostAddress::LocalHost), m_port) != datagram.size()) {
        // Nobody listening is not a failure for UDP; this is a real error.
        qCInfo(lcUdp) << "UDP output closed:" << m_socket->errorString();
        m_open = false;
        return false;
    }
    return true;
}

} // namespace velmar::nmeaserver
