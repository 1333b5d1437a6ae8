#pragma once
// The external tape machine (input kind 8): switched by timed pulses on bits
// 4, 5 (start) and 6 (stop) of the auxiliary digital port of a Measurement
// Computing board. The bit writer and the waits are given, so that the
// timing can be checked without a board or a clock.
//
// Runs on the recorder thread (the waits block it, as the machine needs).
#include <functional>

namespace velmar::sound {

inline constexpr int TapeEnableBit = 4;
inline constexpr int TapeStartBit = 5;
inline constexpr int TapeStopBit = 6;
inline constexpr int TapeEnableWaitMs = 100;
inline constexpr int TapePulseMs = 500;

class TapeMachine {
public:
    // writeBit(bit, value): false when the board refused; wait(ms) blocks.
    using BitWriter = std::function<bool(int bit, int value)>;
    using Wait = std::function<void(int ms)>;

    TapeMachine(BitWriter writeBit, Wait wait);

    // Bit 4 on, 100 ms, bit 5 on, `running` (the machine now runs), 500 ms,
    // bit 5 off, bit 4 off. False when the board refused the first bit.
    bool Start(const std::function<void()>& running = {});
    // Bit 6 on, `stopped`, 500 ms, bit 6 off.
    bool Stop(const std::function<void()>& stopped = {});

private:
    BitWriter m_writeBit;
    Wait m_wait;
};

} // namespace velmar::sound
