#pragma once
// The deck's speaker output: a stream of interleaved 16-bit frames played in
// real time. The engine queues whole blocks and learns from framesPlayed()
// which of them have been heard.
//
// The engine thread owns the object and calls every method; an
// implementation's device callback may run on a thread of its own and then
// only takes frames from a ring the engine fills.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace velmar::deck {

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Opens device `device` (the deck's PlaybackDevice number) for `channels`
    // channels at `rate` Hz with room for `capacityFrames` queued frames, and
    // starts it. Empty on success, else the system's error text.
    virtual QString open(int device, int channels, int rate, std::size_t capacityFrames) = 0;
    // Queues frames; false when they do not fit (nothing is queued then).
    virtual bool write(const int16_t* samples, std::size_t frames) = 0;
    // Frames played since open; frames dropped by reset() count as played.
    virtual uint64_t framesPlayed() const = 0;
    // Drops everything queued and not yet played.
    virtual void reset() = 0;
    virtual void close() = 0;
};

// PortAudio output; device numbers count the system's output devices in
// PortAudio's order.
std::unique_ptr<AudioOutput> MakePortAudioOutput();
// The names of those output devices, in the same order (PlaybackDevice
// numbers index this list).
QStringList PortAudioOutputNames();

} // namespace velmar::deck
