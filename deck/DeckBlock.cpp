#include "deck/DeckBlock.h"

#include "deck/DigitalFilter.h"
#include "platform/RecordIO.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cmath>

namespace velmar::deck {

namespace {

uint32_t channelBits(int channels)
{
    return channels >= 32 ? ~0u : (1u << std::max(channels, 0)) - 1u;
}

int16_t clampSum(int sum)
{
    return int16_t(std::clamp(sum, -32768, 32767));
}

} // namespace

uint32_t DeckRouting::usable(uint32_t mask) const
{
    return mask & channelBits(fileChannels);
}

int DeckRouting::speakerCount() const
{
    return (leftMask != 0 ? 1 : 0) + (rightMask != 0 ? 1 : 0);
}

uint32_t DeckRouting::speakerMask(int k) const
{
    return usable(k == 0 ? leftMask : rightMask);
}

int DeckRouting::clickChannels() const
{
    return std::popcount(usable(clickMask));
}

int DeckRouting::whistleChannels() const
{
    return std::popcount(usable(whistleMask));
}

QByteArray ExtractChannels(const int16_t* samples, std::size_t frames, int fileChannels, uint32_t mask)
{
    const uint32_t used = mask & channelBits(fileChannels);
    const int width = std::popcount(used);
    QByteArray bytes(qsizetype(frames) * width * 2, Qt::Uninitialized);
    auto* out = reinterpret_cast<uchar*>(bytes.data());
    for (std::size_t f = 0; f < frames; ++f) {
        const int16_t* frame = samples + f * std::size_t(fileChannels);
        for (int c = 0; c < std::min(fileChannels, 32); ++c) {
            if (used & (1u << c)) {
                platform::storeLe(out, frame[c]);
                out += 2;
            }
        }
    }
    return bytes;
}

void SwapSampleBytes(int16_t* samples, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = int16_t(qbswap(uint16_t(samples[i])));
}

std::optional<float> GainFactor(float gainDb)
{
    if (gainDb == 0.0f)
        return std::nullopt;
    return float(std::pow(10.0, double(gainDb) / 20.0));
}

void PlayBlock(int16_t* samples, std::size_t frames, const DeckRouting& routing, DigitalFilter* filter,
               std::optional<float> gain, int16_t* speakerOut, BlockLevels& levels)
{
    const int channels = routing.fileChannels;
    const std::size_t count = frames * std::size_t(channels);
    levels = BlockLevels{};
    const int metered = std::min(channels, BlockLevels::FileMeters);
    for (std::size_t f = 0; f < frames; ++f)
        for (int c = 0; c < metered; ++c)
            levels.FilePeaks[std::size_t(c)] = std::max(levels.FilePeaks[std::size_t(c)],
                                                        samples[f * std::size_t(channels) + std::size_t(c)]);

    if (filter)
        filter->FilterBlock16(samples, frames);
    if (gain) {
        const float g = *gain;
        for (std::size_t i = 0; i < count; ++i)
            samples[i] = SaturateToInt16(double(float(samples[i]) * g));
    }

    const int speakers = routing.speakerCount();
    const uint32_t masks[2] = {routing.speakerMask(0), routing.speakerMask(1)};
    for (std::size_t f = 0; f < frames; ++f) {
        const int16_t* frame = samples + f * std::size_t(channels);
        for (int k = 0; k < speakers; ++k) {
            int sum = 0;
            for (int c = 0; c < std::min(channels, 32); ++c)
                if (masks[k] & (1u << c))
                    sum += frame[c];
            const int16_t out = clampSum(sum);
            speakerOut[f * std::size_t(speakers) + std::size_t(k)] = out;
            levels.SpeakerPeaks[std::size_t(k)] = std::max(levels.SpeakerPeaks[std::size_t(k)], out);
        }
    }
}

} // namespace velmar::deck
