#pragma once
// The pipe protocol: the "PipeMsg" family of registered messages with which
// consumers ask the pipe server Pelvane for their pipe and the decks drive the
// detector programs, the pipe names and routing bits, the pipes' creation
// parameters, and the launcher with which Velmar makes sure Pelvane runs.
//
// A pipe carries a continuous stream of 16-bit little-endian signed samples,
// interleaved by frame, with no header and no end marker; the reader learns
// rate and channels out of band ("PipeDat.dat", or "PipeMsgSampleSettings"
// from a deck). The pipes themselves are in SamplePipe.h.
//
// Pure functions and constants, callable from any thread, except
// RegisterPipeMessages and EnsurePelvaneRunning (user-interface thread).
#include "platform/SystemTime.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

namespace velmar::sound {

// The twelve message names in their order of registration.
inline constexpr std::array<const char*, 12> PipeMessageNames = {
    "PipeMsgPipeCommand",  "PipeMsgNewSettings", "PipeMsgIconNotification", "PipeMsgPoroiseStatus",
    "PipeMsgLastFillTime", "PipeMsgGetIpDevice", "PipeMsgStartSection",     "PipeMsgStopSection",
    "PipeMsgAvailBytes",   "PipeMsgStartRun",    "PipeMsgGetADCStatus",     "PipeMsgSampleSettings",
};

// The process-local identifiers of the twelve messages.
struct PipeMessageIds {
    uint PipeMsgPipeCommand = 0;
    uint PipeMsgNewSettings = 0;
    uint PipeMsgIconNotification = 0;
    uint PipeMsgPoroiseStatus = 0;
    uint PipeMsgLastFillTime = 0;
    uint PipeMsgGetIpDevice = 0;
    uint PipeMsgStartSection = 0;
    uint PipeMsgStopSection = 0;
    uint PipeMsgAvailBytes = 0;
    uint PipeMsgStartRun = 0;
    uint PipeMsgGetADCStatus = 0;
    uint PipeMsgSampleSettings = 0;
};

// Registers the twelve names in their order and keeps the identifiers; calling
// it again gives the same identifiers. Call once before sending or receiving.
const PipeMessageIds& RegisterPipeMessages();
// The identifiers kept by RegisterPipeMessages (all 0 before it ran).
const PipeMessageIds& PipeMessages();

// Parameters and replies of the family.
inline constexpr quint64 PipeCommandOpen = 3; // "PipeMsgPipeCommand" wParam
inline constexpr quint64 PipeCommandClose = 4;
inline constexpr qint64 GetIpDeviceAccepted = 9;    // "PipeMsgGetIpDevice" reply
inline constexpr qint64 SampleSettingsAccepted = 1; // "PipeMsgSampleSettings" reply
inline constexpr quint64 AvailBytesQuery = 0;       // "PipeMsgAvailBytes" wParam
inline constexpr quint64 AvailBytesEndOfData = 1;
inline constexpr qint64 AdcStatusStopped = 0; // "PipeMsgGetADCStatus" reply

// Pelvane's frame title, by which the other programs find it.
inline constexpr const char* PelvaneTitle = "Pelvane";
// Bus name owned by the running Pelvane.
QString PelvaneBusName();

struct PipeRoute {
    uint32_t bit;           // routing bit
    const char* pipeName;   // as the Windows design names it, "\\.\pipe\..."
    const char* label;      // consumer's label in Pelvane
    const char* inputClass; // consumer's input window class (empty for the recorder)
};

// Porpoise (1), whistle (2), click (4) and recorder (32), in that order.
inline constexpr std::array<PipeRoute, 4> PipeRoutes = {{
    {1, "\\\\.\\pipe\\PorpoisePipe", "Porpoise Detector", "PorpoiseADCWndClass"},
    {2, "\\\\.\\pipe\\WhistlePipe", "Whistle Detector", "WhistleADCWndClass"},
    {4, "\\\\.\\pipe\\QuintraPipe", "Quintra Click", "QuintraADCWndClass"},
    {32, "\\\\.\\pipe\\AutorecPipe", "Velmar Mavrel", ""},
}};

// The route of a routing bit; nothing for anything but exactly one of the four bits.
std::optional<PipeRoute> PipeRouteOfBit(qint64 routingBit);

// Where a pipe named "\\.\pipe\N" lives on this machine: the socket N of the
// pipe folder.
QString PipeSocketPath(const QString& windowsPipeName);
QString PipeSocketPathOfBit(uint32_t routingBit);

// A pipe command that Pelvane acts on: open or close, and exactly one of the
// four routing bits. Anything else is ignored (and answered 0).
bool IsValidPipeCommand(quint64 wParam, qint64 lParam);

// Pipe creation parameters.
inline constexpr int PelvanePipeInstances = 4;
inline constexpr int DeckPipeInstances = 1;
inline constexpr int PipeDefaultTimeoutMs = 1000;
// Pelvane: routed channels x 2 x base rate x buffer seconds.
qint64 PelvanePipeBufferBytes(int routedChannels, int baseSampleRate, int bufferSeconds);
// Deck: one second of samples.
qint64 DeckPipeBufferBytes(int channels, int sampleRate);

// The section start of "PipeMsgStartSection": the time as an OLE automation
// date (days since 30 December 1899), its eight bytes split into wParam (the
// first four) and lParam (the last four).
std::pair<quint64, qint64> SectionTimeParameters(const platform::SystemTime& time);
double SectionTimeFromParameters(quint64 wParam, qint64 lParam);

// Replies of "PipeMsgPoroiseStatus".
inline constexpr qint64 PorpoiseNoChannel = 0xFFFF;
inline constexpr qint64 PorpoiseRunningInScan = 0xFFFFF;
inline constexpr qint64 PorpoiseRunningInScanBoard = 0xFFFFFF; // Measurement Computing board
inline constexpr qint64 PorpoiseOtherState = 567;

// Acquisition states of Pelvane as the porpoise status reply sees them.
enum class PelvaneAcquisition { Idle, Running, Starting, Stopping, Other };

// The reply to "PipeMsgPoroiseStatus" with wParam channel: `spotReading` is
// the spot reading an idle NI-DAQ board gave (nothing for other devices).
qint64 PorpoiseStatusReply(int channel, int porpoiseChannels, PelvaneAcquisition state, bool channelInScan,
                           int deviceType, std::optional<qint64> spotReading);

// The program file to start for the path stored in "PipeDat.dat": Windows
// names lose their ".exe"; a bare name is looked for beside our own program.
QString PelvaneProgramFile(const QString& storedPath);

// What EnsurePelvaneRunning needs of the world; the defaults use the session
// bus, start the program stored in ThePipeSettings() and sleep between looks.
struct PelvaneLauncher {
    std::function<bool()> isRunning;
    std::function<bool(const QString& programPath)> start;
    std::function<void(int ms)> wait;
    std::function<void()> minimise;
    std::function<void(const QString& text, const QString& caption)> showMessage;

    static PelvaneLauncher system();
};

inline constexpr int PelvaneLaunchLooks = 50;
inline constexpr int PelvaneLaunchLookMs = 100;

// True when Pelvane runs (then it is left as it is) or could be started and
// appeared within about five seconds (then it is minimised). Otherwise shows
// "Can't find Pelvane Programme" or "Can't find Pelvane Window" and is false.
bool EnsurePelvaneRunning(const PelvaneLauncher& launcher = PelvaneLauncher::system());

} // namespace velmar::sound
