#include "sound/PelvanePipeClient.h"

#include "platform/MessageBus.h"

namespace velmar::sound {

namespace {
const QString PipeCommand = QString::fromLatin1(PipeMessageNames[0]);
}

PelvanePipeClient::PelvanePipeClient(uint32_t routingBit, Messenger messenger)
    : m_bit(routingBit), m_messenger(std::move(messenger))
{
}

PelvanePipeClient::~PelvanePipeClient()
{
    close();
}

PelvanePipeClient::Messenger PelvanePipeClient::busMessenger()
{
    return [](const QString& message, quint64 wParam, qint64 lParam) {
        return platform::MessageBus::instance().send(PelvaneBusName(), message, wParam, lParam, PipeCommandTimeoutMs);
    };
}

bool PelvanePipeClient::open(int connectTimeoutMs)
{
    close();
    const auto route = PipeRouteOfBit(m_bit);
    if (!route || !m_messenger(PipeCommand, PipeCommandOpen, m_bit))
        return false;
    if (!m_reader.open(QString::fromLatin1(route->pipeName), connectTimeoutMs)) {
        m_messenger(PipeCommand, PipeCommandClose, m_bit);
        return false;
    }
    m_open = true;
    return true;
}

void PelvanePipeClient::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_messenger(PipeCommand, PipeCommandClose, m_bit);
    m_reader.close();
}

} // namespace velmar::sound
