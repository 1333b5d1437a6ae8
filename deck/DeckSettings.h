#pragma once
// The sound-file deck's settings file "TapeSet.dat" in the settings folder:
// three fixed-size little-endian records written back to back, DeckSettings
// (1315 bytes), FilterSpec (44) and FilterDisplaySettings (31), 1390 bytes in
// all. Velmar and Mavrel read and write the same file, so both programs share
// one set of deck settings.
//
// Plain value types and free functions. TheDeckSettingsFile() is the
// process-wide copy; it belongs to the user-interface thread, which hands the
// engine copies at each start.
#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace velmar::deck {

struct DeckSettings {
    static constexpr std::size_t ByteSize = 1315;
    static constexpr std::size_t FolderSize = 260;
    static constexpr std::size_t ReservedSize = 1016;

    uint32_t LeftMask = 1;
    uint32_t RightMask = 2;
    uint32_t ClickMask = 3;
    uint32_t WhistleMask = 3;
    uint32_t PlaybackRate = 44100;
    uint8_t PlayAtFileRate = 1;
    int32_t PlaybackDevice = 0;
    std::array<char, FolderSize> Folder{}; // zero-terminated
    uint8_t JoinTracks = 0;
    float InterTrackDelay = 0.0f;
    std::array<uint8_t, ReservedSize> Reserved{};
    uint32_t LastFileRate = 0;
    float GainDb = 0.0f;
    uint8_t ListByPeriod = 0;

    QString folder() const;
    // Cut to 259 bytes (UTF-8, on a character boundary) and the terminator.
    void setFolder(const QString& path);

    QByteArray toBytes() const;
    // Exactly ByteSize bytes, a terminated Folder and finite floats; nothing
    // otherwise.
    static std::optional<DeckSettings> fromBytes(const QByteArray& bytes);

    bool operator==(const DeckSettings&) const = default;
};

enum FilterKind : int16_t { FilterNone = 0, FilterButterworth = 1, FilterChebyshev = 2 };
enum FilterBand : int16_t { BandHighPass = 1, BandLowPass = 2, BandPass = 3 };

struct FilterSpec {
    static constexpr std::size_t ByteSize = 44;
    // The filter dialog's order field holds three digits.
    static constexpr int32_t MaxOrder = 999;

    int16_t FilterType = FilterNone;
    int16_t Band = BandHighPass;
    int32_t HighPassHz = 2000;
    int32_t LowPassHz = 10000;
    float RippleDb = 2.0f;
    int32_t Order = 5;
    std::array<uint8_t, 24> Reserved{};

    QByteArray toBytes() const;
    // Exactly ByteSize bytes, Order 1..MaxOrder and a finite ripple; nothing
    // otherwise.
    static std::optional<FilterSpec> fromBytes(const QByteArray& bytes);

    bool operator==(const FilterSpec&) const = default;
};

struct FilterDisplaySettings {
    static constexpr std::size_t ByteSize = 31;

    uint8_t LogFrequency = 0;
    int32_t GainRangeDb = 50;
    uint8_t ShowGrid = 1;
    uint8_t ShowPhase = 1;
    int32_t StartFrequencyHz = 100;
    std::array<uint8_t, 20> Reserved{};

    QByteArray toBytes() const;
    static std::optional<FilterDisplaySettings> fromBytes(const QByteArray& bytes);

    bool operator==(const FilterDisplaySettings&) const = default;
};

// The three records of the file.
struct DeckSettingsFile {
    static constexpr std::size_t ByteSize = DeckSettings::ByteSize + FilterSpec::ByteSize
                                          + FilterDisplaySettings::ByteSize;

    DeckSettings deck;
    FilterSpec filter;
    FilterDisplaySettings display;

    QByteArray toBytes() const;
    // Takes each whole, sound record of the image into this copy; a missing,
    // cut or damaged record gets its defaults. The filter and display records
    // travel together: unless both are there whole, both get their defaults.
    void adoptBytes(const QByteArray& bytes);

    bool operator==(const DeckSettingsFile&) const = default;
};

// The process-wide records, built with their defaults at first use.
DeckSettingsFile& TheDeckSettingsFile();

// "TapeSet.dat" in the settings folder.
QString DeckSettingsFilePath();

struct DeckFileResult {
    bool ok = false;
    // The message for the operator when the file cannot be opened (text and
    // caption); empty otherwise.
    QString messageText;
    QString messageCaption;
};

// Reads the file into `settings` (records it does not hold whole and sound
// get their defaults). A missing file leaves the defaults and is no error.
DeckFileResult ReadDeckSettings(DeckSettingsFile& settings, const QString& path = DeckSettingsFilePath());
// Writes the three records atomically; bytes of a longer file past the three
// records are kept.
DeckFileResult WriteDeckSettings(const DeckSettingsFile& settings, const QString& path = DeckSettingsFilePath());

} // namespace velmar::deck
