#include "pipeserver/FanOut.h"

#include "platform/RecordIO.h"
#include "sound/PipeProtocol.h"

#include <algorithm>

namespace velmar::pipeserver {

const PipeStreamLayout* StreamLayout::pipe(uint32_t bit) const
{
    for (const PipeStreamLayout& p : pipes)
        if (p.bit == bit)
            return &p;
    return nullptr;
}

StreamLayoutResult MakeStreamLayout(const PipeSettings& settings)
{
    StreamLayoutResult result;
    if (settings.ScanLength < 1 || settings.ScanLength > PipeSettings::MaxChannels) {
        result.problem = QStringLiteral("The channel list is empty or too long.");
        return result;
    }
    // Blocks are a tenth of a second, and the pipes hold BufferSeconds.
    if (settings.SampleRate < MinSampleRate || settings.SampleRate > MaxSampleRate) {
        result.problem = QStringLiteral("A sample rate of %1 Hz cannot be sampled: choose %2 to %3 Hz.")
                             .arg(settings.SampleRate)
                             .arg(MinSampleRate)
                             .arg(MaxSampleRate);
        return result;
    }
    if (settings.BufferSeconds < PipeSettings::MinBufferSeconds
        || settings.BufferSeconds > PipeSettings::MaxBufferSeconds) {
        result.problem = QStringLiteral("Buffer Length must be between 3 and 30 seconds");
        return result;
    }
    StreamLayout stream;
    stream.scanLength = settings.ScanLength;
    for (int slot = 0; slot < settings.ScanLength; ++slot) {
        const int c = settings.ScanList[slot];
        if (c < 0 || c >= PipeSettings::MaxChannels) {
            result.problem = QStringLiteral("Channel %1 of the channel list is not a hardware channel.").arg(c);
            return result;
        }
    }
    for (int p = 0; p < PipeSettings::PipeCount; ++p) {
        PipeStreamLayout& pipe = stream.pipes[p];
        pipe.bit = PipeRoutingBits[p];
        pipe.placeInFrame.fill(-1);
        const QString label = QString::fromLatin1(sound::PipeRouteOfBit(pipe.bit)->label);
        std::vector<int> routed; // the pipe's channels in scan order, one entry per sample
        for (int slot = 0; slot < settings.ScanLength; ++slot)
            if (settings.ChannelSettings[settings.ScanList[slot]].Routing & pipe.bit)
                routed.push_back(settings.ScanList[slot]);
        pipe.channels = CountRoutedChannels(settings, pipe.bit);
        for (int c = 0; c < PipeSettings::MaxChannels; ++c) {
            if ((settings.ChannelSettings[c].Routing & pipe.bit)
                && std::find(routed.begin(), routed.end(), c) == routed.end()) {
                result.problem =
                    QStringLiteral("Channel %1 goes to the %2 but is not in the channel list.").arg(c).arg(label);
                return result;
            }
        }
        if (pipe.channels == 0)
            continue;
        const auto occurs = [&routed](int c) { return std::count(routed.begin(), routed.end(), c); };
        for (int c : routed) {
            if (occurs(c) != occurs(routed.front())) {
                result.problem =
                    QStringLiteral("The channels going to the %1 are sampled at different rates.").arg(label);
                return result;
            }
        }
        // Every frame must carry the pipe's channels once each, in the order
        // of the first frame, or the consumer would mix its channels up.
        for (std::size_t i = 0; i < routed.size(); ++i) {
            if (routed[i] != routed[i % std::size_t(pipe.channels)]) {
                result.problem =
                    QStringLiteral(
                        "The channel list does not give the %1 its channels in the same order in every frame.")
                        .arg(label);
                return result;
            }
        }
        pipe.multiplier = int(routed.size()) / pipe.channels;
        int place = 0;
        for (int slot = 0; slot < settings.ScanLength; ++slot)
            if (settings.ChannelSettings[settings.ScanList[slot]].Routing & pipe.bit)
                pipe.placeInFrame[slot] = int8_t(place++ % pipe.channels);
    }
    result.layout = stream;
    return result;
}

QByteArray SplitBlock(const int16_t* samples, qsizetype count, int firstSlot, const StreamLayout& stream,
                      const PipeStreamLayout& pipe, PipeCarry& carry)
{
    if (pipe.channels == 0 || stream.scanLength == 0 || count <= 0)
        return {};
    // Sized from what can be appended: the carried samples and at most every
    // sample of the block.
    std::vector<int16_t> appended;
    appended.reserve(carry.partial.size() + std::size_t(count));
    appended.insert(appended.end(), carry.partial.begin(), carry.partial.end());
    int slot = firstSlot % stream.scanLength;
    for (qsizetype k = 0; k < count; ++k) {
        const int place = pipe.placeInFrame[slot];
        if (place >= 0) {
            if (!carry.synced && place == 0)
                carry.synced = true;
            if (carry.synced)
                appended.push_back(samples[k]);
        }
        if (++slot == stream.scanLength)
            slot = 0;
    }
    const std::size_t whole = appended.size() - appended.size() % std::size_t(pipe.channels);
    QByteArray bytes(qsizetype(whole * 2), Qt::Uninitialized);
    platform::storeLeArray(bytes.data(), appended.data(), whole);
    carry.partial.assign(appended.begin() + qsizetype(whole), appended.end());
    return bytes;
}

} // namespace velmar::pipeserver
