#pragma once
// PipeSettings: the one settings record of the pipe server Pelvane, stored as
// a raw 1208-byte little-endian image in "PipeDat.dat" of the settings folder.
// Pelvane reads and writes it; Velmar only reads it to learn the format of the
// recorder's pipe, the name of Pelvane's device and where Pelvane lives.
//
// The record is a plain value type. ThePipeSettings() is the process-wide
// copy; it belongs to the user-interface thread (other threads get copies).
#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace velmar::pipeserver {

// Routing bits: one per consumer, naming its pipe.
enum RoutingBit : uint32_t {
    RoutePorpoise = 1,
    RouteWhistle = 2,
    RouteQuintra = 4,
    RouteAutorec = 32,
};

// Input device kinds stored in DeviceType.
enum DeviceKind : int32_t {
    DeviceSoundCard = 1,
    DeviceComputerBoards = 3,
    DeviceNiDaq = 5,
    DevicePiped = 6,        // Velmar's recorders only, never in the file
    DeviceExternalTape = 8, // Velmar's recorders only, never in the file
    DeviceNiDaqMx = 10,
    DeviceAsio = 11,
};

struct PipeChannelSettings {
    static constexpr std::size_t ByteSize = 36;

    uint32_t Routing = 0;
    int32_t Reserved0 = 0;
    int16_t Gain = 1;      // NI gain code: -1 (0.5), 1, 2, 5, 10, 20, 50, 100
    int16_t Reserved1 = 0; // never set by Pelvane; kept as read
    std::array<uint8_t, 24> Reserved2{};

    // The channel's gain code for NI devices (kinds 5 and 10), else 1.
    int GainFor(int deviceType) const;

    bool operator==(const PipeChannelSettings&) const = default;
};

struct PipeSettings {
    static constexpr std::size_t ByteSize = 1208;
    static constexpr int MaxChannels = 16; // hardware channels 0-15 and scan slots
    static constexpr int16_t UnusedSlot = 999;
    static constexpr int PipeCount = 4; // porpoise, whistle, click, recorder
    static constexpr int ProgramPathSize = 300;
    static constexpr int MinBufferSeconds = 3;
    static constexpr int MaxBufferSeconds = 30;

    int32_t SampleRate = 0;
    int32_t DeviceType = 0;
    int32_t DeviceNumber = 0;
    int16_t Bits = 0;
    int32_t BufferSeconds = 0;
    std::array<int16_t, MaxChannels> ScanList{};
    std::array<int16_t, MaxChannels> Occurrences{};
    int32_t ScanLength = 0;
    int16_t NiInputConfig = 0; // 0 differential, 1 referenced, 2 non-referenced single-ended
    std::array<uint8_t, 100> Reserved1{};
    std::array<PipeChannelSettings, MaxChannels> ChannelSettings{};
    std::array<int32_t, PipeCount> RateMultipliers{};
    std::array<char, ProgramPathSize> ProgramPath{}; // NUL-terminated; bytes after the NUL kept as read
    std::array<uint8_t, 128> Reserved2{};

    // The defaults of a fresh system.
    PipeSettings();
    // Device, rate, resolution, buffer and the scan list 0,1 back to defaults;
    // routing, gains, multipliers and the program path stay.
    void SetSamplingDefaults();

    QString programPath() const;
    // Cut to the field's width (299 bytes and the NUL); the rest zero-filled.
    void setProgramPath(const QString& path);

    // The file image, exactly ByteSize bytes.
    QByteArray toBytes() const;
    // Reads an image of exactly ByteSize bytes; nothing for any other size.
    // The record is taken as it stands: see problems() for whether it is sound.
    static std::optional<PipeSettings> fromBytes(const QByteArray& bytes);

    // Why this record cannot be used, or empty when it can: scan list of at
    // most 16 hardware channels 0-15 followed by unused slots, counts that agree
    // with it, and rates, buffer, multipliers, gains and path in range.
    QString problems() const;

    bool operator==(const PipeSettings&) const = default;
};

// The routing bits in the pipes' order (porpoise, whistle, click, recorder),
// which is also the order of RateMultipliers.
inline constexpr std::array<uint32_t, PipeSettings::PipeCount> PipeRoutingBits = {RoutePorpoise, RouteWhistle,
                                                                                  RouteQuintra, RouteAutorec};

// The pipe's index in RateMultipliers for a routing bit, or -1.
int PipeIndexOfBit(uint32_t routingBit);

// The used scan-list entries joined by "," without blanks ("0,1").
QString FormatChannelList(const PipeSettings& settings);

// Reads a channel list typed by the operator ("0,1,0,1"; "0, 1" reads as 0
// and 1; an empty text is the single channel 0; anything that is not a number
// reads as 0). Lists of more than 16 entries, or with a channel outside 0-15,
// are refused: the record is left unchanged and the reason returned. Empty
// result: the list was taken.
QString ParseChannelList(PipeSettings& settings, const QString& text);

// How many of the sixteen channels are routed to a pipe (channels outside the
// scan list count too).
int CountRoutedChannels(const PipeSettings& settings, uint32_t routingBit);
int CountPorpoiseChannels(const PipeSettings& settings);
int CountWhistleChannels(const PipeSettings& settings);
int CountQuintraChannels(const PipeSettings& settings);
int CountAutorecChannels(const PipeSettings& settings);

// Samples per second per channel of the recorder's pipe.
int AutorecPipeSampleRate(const PipeSettings& settings);

// Recomputes RateMultipliers and checks each pipe: 0 consistent, 1 channels of
// one pipe sampled at different rates, 2 different NI gains on one pipe. Stops
// at the first inconsistency (multipliers not yet reached stay as they are).
int CheckPipeConsistency(PipeSettings& settings);

// The process-wide record, built with the defaults at first use.
PipeSettings& ThePipeSettings();

// "PipeDat.dat" in the settings folder.
QString PipeSettingsFilePath();

struct PipeFileResult {
    bool ok = false;
    // A message for the operator when the file could not be opened at all
    // (text and caption of the system's message); empty otherwise.
    QString messageText;
    QString messageCaption;
    // Why a read was refused (missing, short, damaged), for the log.
    QString reason;
};

// Reads the file into a temporary record and adopts it into `settings` only
// when it is whole (exactly 1208 bytes) and sound; otherwise `settings` is
// left as it was and the result is false.
PipeFileResult ReadPipeSettings(PipeSettings& settings);
// Writes the record atomically (a power cut leaves the old file or the new).
PipeFileResult WritePipeSettings(const PipeSettings& settings);

} // namespace velmar::pipeserver
