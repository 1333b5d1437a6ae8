#include "sound/boards/TapeMachine.h"

namespace velmar::sound {

TapeMachine::TapeMachine(BitWriter writeBit, Wait wait) : m_writeBit(std::move(writeBit)), m_wait(std::move(wait))
{
}

bool TapeMachine::Start(const std::function<void()>& running)
{
    const bool ok = m_writeBit(TapeEnableBit, 1);
    m_wait(TapeEnableWaitMs);
    m_writeBit(TapeStartBit, 1);
    if (running)
        running();
    m_wait(TapePulseMs);
    m_writeBit(TapeStartBit, 0);
    m_writeBit(TapeEnableBit, 0);
    return ok;
}

bool TapeMachine::Stop(const std::function<void()>& stopped)
{
    const bool ok = m_writeBit(TapeStopBit, 1);
    if (stopped)
        stopped();
    m_wait(TapePulseMs);
    m_writeBit(TapeStopBit, 0);
    return ok;
}

} // namespace velmar::sound
