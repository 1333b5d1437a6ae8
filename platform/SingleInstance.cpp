#include "SingleInstance.h"

#include "BusNames.h"
#include "MessageBus.h"

#include <QCoreApplication>

namespace velmar::platform {

NamedMutex::NamedMutex(const QString& name) : m_busName(mutexBusName(name))
{
}

NamedMutex::~NamedMutex()
{
    // After the application object is gone the bus frees the name at exit.
    if (QCoreApplication::instance())
        release();
}

bool NamedMutex::existsElsewhere() const
{
    MessageBus& bus = MessageBus::instance();
    return !bus.ownsName(m_busName) && bus.isNameOwned(m_busName);
}

bool NamedMutex::tryCreate()
{
    if (!m_held)
        m_held = MessageBus::instance().ownName(m_busName);
    return m_held;
}

void NamedMutex::release()
{
    if (!m_held)
        return;
    MessageBus::instance().releaseName(m_busName);
    m_held = false;
}

bool NamedMutex::isHeld() const
{
    return m_held;
}

} // namespace velmar::platform
