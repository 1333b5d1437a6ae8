#pragma once
// What the deck does with one block of frames read from a sound file: the
// pure arithmetic of the playing path, apart from any device, pipe or thread.
//
// The detector pipes take the file's samples unfiltered; the speakers take a
// mix of selected channels after the optional filter and gain. Every sum and
// product is limited to the int16 range: a loud passage clips, it never wraps
// round into noise.
//
// Plain functions over caller-owned buffers; any thread.
#include <QByteArray>

#include <array>
#include <cstdint>
#include <optional>

namespace velmar::deck {

class DigitalFilter;

// Peak meters of one block: the highest sample (signed, so a silent or
// all-negative channel shows 0) of file channels 0..7 and of the speaker
// channels.
struct BlockLevels {
    static constexpr int FileMeters = 8;
    static constexpr int SpeakerMeters = 2;
    std::array<int16_t, FileMeters> FilePeaks{};
    std::array<int16_t, SpeakerMeters> SpeakerPeaks{};
    bool operator==(const BlockLevels&) const = default;
};

// Which file channels go where; bit i of a mask is file channel i, and only
// bits below the file's channel count count.
struct DeckRouting {
    int fileChannels = 1;
    uint32_t leftMask = 0;
    uint32_t rightMask = 0;
    uint32_t clickMask = 0;
    uint32_t whistleMask = 0;

    uint32_t usable(uint32_t mask) const;
    // Speaker channels: (leftMask != 0) + (rightMask != 0); output channel k
    // is fed by mask k, leftMask first.
    int speakerCount() const;
    uint32_t speakerMask(int k) const;
    int clickChannels() const;
    int whistleChannels() const;
};

// The samples of the masked channels of every frame, in channel order, as the
// little-endian bytes of a pipe.
QByteArray ExtractChannels(const int16_t* samples, std::size_t frames, int fileChannels, uint32_t mask);

// Swaps the bytes of every sample (AIFF files hold big-endian samples).
void SwapSampleBytes(int16_t* samples, std::size_t count);

// 10^(gainDb/20); nothing for 0 dB, which means no gain stage.
std::optional<float> GainFactor(float gainDb);

// The speaker path of one block: file peaks of the samples as read, then the
// filter (in place, all file channels), the gain (in place) and the mix into
// `speakerOut` (frames x speakerCount samples), with the speaker peaks.
void PlayBlock(int16_t* samples, std::size_t frames, const DeckRouting& routing, DigitalFilter* filter,
               std::optional<float> gain, int16_t* speakerOut, BlockLevels& levels);

} // namespace velmar::deck
