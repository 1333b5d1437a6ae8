#include "nmeaserver/UdpOutput.h"

#include <QHostAddress>
#include <QLoggingCategory>
#include <QUdpSocket>

#include <algorithm>
#include <cstring>

namespace velmar::nmeaserver {

namespace {
// A sentence of the longest the readers hand on, its line end and the NUL.
constexpr qsizetype MaxDatagram = 260;
} // namespace

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

bool UdpOutput::send(QByteArrayView rawSentence)
{
    if (!m_open)
        return false;
    // Made on the stack: one datagram per sentence allocates nothing.
    char datagram[MaxDatagram];
    const qsizetype length = std::min<qsizetype>(rawSentence.size(), MaxDatagram - 1);
    std::memcpy(datagram, rawSentence.data(), size_t(length));
    datagram[length] = '\0';
    if (m_socket->writeDatagram(datagram, length + 1, m_to, m_port) != length + 1) {
        // Nobody listening is not a failure for UDP; this is a real error.
        qCInfo(lcUdp) << "UDP output closed:" << m_socket->errorString();
        m_open = false;
        return false;
    }
    return true;
}

} // namespace velmar::nmeaserver
