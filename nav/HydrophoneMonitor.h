#pragma once
// HydrophoneMonitor: the towed hydrophone's power and cable, read once a
// second (online logging, at the start of the detector status cycle) from
// two digital input lines of the measurement board. Every change of the pair
// is logged as a row of "Hydrophone" and shown in the main window; the states
// feed automatic start and stop of the detector programs.
//
// The board is reached through DigitalInput; without one (no board
// configured, or its library absent) both states stay 3 (undetermined), so
// the boxes read "Power Unknown" and "Cable Unknown" and automatic start and
// stop leaves the programs alone.
//
// User-interface thread only.
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace velmar::nav {

// Board types with the digital lines the monitor reads.
inline constexpr int BoardMeasurementComputing = 3;
inline constexpr int BoardNiDaq = 5;

// Bits of PowerMonitor.
inline constexpr int WatchPowerLine = 1;
inline constexpr int WatchCableLine = 2;

// States: 1 on / connected, 2 off / disconnected, 3 undetermined.
inline constexpr int HydrophoneOn = 1;
inline constexpr int HydrophoneOff = 2;
inline constexpr int HydrophoneUnknown = 3;
// The last logged pair before the first cycle: never a real state.
inline constexpr int HydrophoneNeverLogged = 999999;

// Control ids of the two boxes in the main window.
inline constexpr int PowerBoxId = 31143;
inline constexpr int CableBoxId = 31144;

// One small interface over a board's digital input lines.
class DigitalInput {
public:
    virtual ~DigitalInput() = default;
    // Whether the board of this type and number can be read; prepares the
    // given lines as inputs where the board needs it. Called again whenever
    // the board settings change.
    virtual bool Prepare(int boardType, int boardNumber, const std::vector<int>& lines) = 0;
    // One line: 0 or non-zero; nothing when the read failed.
    virtual std::optional<int> ReadLine(int boardType, int boardNumber, int line) = 0;
};

struct BoxLook {
    QString text;
    unsigned colour = 1;
};
// The texts and colour codes of the two boxes; a box whose line is not
// watched is always on colour code 1.
BoxLook PowerBoxLook(int state, bool watched);
BoxLook CableBoxLook(int state, bool watched);

class HydrophoneMonitor {
public:
    struct Ports {
        // The board's lines; null: no board library (states undetermined).
        std::function<DigitalInput*()> input;
        // Board type, board number, PowerMonitor bits and the two lines;
        // default the settings block.
        std::function<int()> boardType;
        std::function<int()> boardNumber;
        std::function<int()> watched;
        std::function<int()> powerLine;
        std::function<int()> cableLine;
        // The row (default DbWriteHydrophoneState) and the two boxes.
        std::function<void(int power, int cable)> writeRow;
        std::function<void(int boxId, const BoxLook& look)> showBox;
    };
    Ports ports;

    HydrophoneMonitor();

    // One reading; logs and shows a changed pair.
    void CheckPowerAndCable();
    void ShowPowerAndCable();

    int PowerState() const { return m_power; }
    int CableState() const { return m_cable; }

private:
    int Setting(const std::function<int()>& port, int fallback) const;

    int m_power = HydrophoneUnknown;
    int m_cable = HydrophoneUnknown;
    int m_loggedPower = HydrophoneNeverLogged;
    int m_loggedCable = HydrophoneNeverLogged;
    bool m_prepared = false;
    bool m_ready = false;
    int m_preparedType = 0;
    int m_preparedNumber = 0;
};

} // namespace velmar::nav
