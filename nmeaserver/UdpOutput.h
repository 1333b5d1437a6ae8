#pragma once
// Passes every raw sentence on as one UDP datagram to a port of this machine
// (127.0.0.1 only): the text as read, carriage return included, and a NUL.
//
// User-interface thread only. A failed send closes the output without a
// message; the next start of the ports opens it again.
#include <QByteArrayView>
#include <QHostAddress>

#include <cstdint>
#include <memory>

class QUdpSocket;

namespace velmar::nmeaserver {

class UdpOutput {
public:
    UdpOutput();
    ~UdpOutput();

    // False for port 0; a socket already open is replaced.
    bool OpenUdp(uint16_t port);
    void CloseUdp();
    bool isOpen() const { return m_open; }
    uint16_t port() const { return m_port; }

    // Sends one sentence while open; false when closed or the send failed.
    bool send(QByteArrayView rawSentence);

private:
    QHostAddress m_to{QHostAddress::LocalHost};
    std::unique_ptr<QUdpSocket> m_socket;
    uint16_t m_port = 0;
    bool m_open = false;
};

} // namespace velmar::nmeaserver
