#pragma once
// One sound input of a program (a recorder of Velmar, Pelvane's device), as
// the thread that owns it drives it: prepare settles the rate, start makes
// the device fill a sample ring (from a callback on the driver's thread, or
// from poll() on the owner's thread), stop returns only when no more samples
// will arrive. Every sample reaches the ring as the device delivered it
// (16 bits, interleaved whole frames, no dither, no scaling); what is lost on
// the way is counted, never dropped in silence: the ring counts what did not
// fit, the input what the device or its server lost before it (lostFrames)
// and how often that happened (gaps).
//
// Made, prepared, started, polled, stopped and destroyed on one thread, the
// owner's. Callbacks of the driver's thread only write to the ring and to the
// input's atomic counters; position(), lostFrames() and gaps() may be read on
// any thread. A prepare or start that fails leaves nothing open and says why
// through errorText()/errorCaption().
#include "sound/input/SampleRing.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace velmar::sound {

struct InputSettings {
    int kind = 1;   // the owner's device kind (the recorder's input kinds)
    int device = 0; // the device's number among its kind (sound cards: the n-th PortAudio input)
    int channels = 2;
    uint32_t sampleRate = 48000;
    QString deviceName; // the name the device was chosen by
    // Where channels come from on a JACK server: the source port of each
    // channel, by position in the server's list (empty: channel c reads the
    // (c+1)-th port).
    std::vector<int> sources;
    // Sound cards: frames of one callback (0: a small default).
    unsigned long framesPerCallback = 0;
};

// A yes/no question to the operator, asked from the owner's thread and
// answered on the user-interface thread; true for yes.
using AskYesNo = std::function<bool(const QString& text, const QString& caption)>;

class SoundInput {
public:
    virtual ~SoundInput() = default;
    // Before the sample ring is made: the device may settle the rate it
    // will really sample at (settings.sampleRate) or refuse.
    virtual bool prepare(InputSettings&) { return true; }
    // The most samples the device hands over at once (after prepare); the
    // ring must hold at least MinRingBlocks such blocks.
    virtual std::size_t blockSamples() const { return 0; }
    // Whether the device delivers samples at all (a tape machine does not).
    virtual bool samples() const { return true; }
    // Opens and starts the device. The settings may be adjusted (a piped
    // input checks the rate and channels its source sends). The ring
    // outlives the stop.
    virtual bool start(InputSettings& settings, SampleRing& ring) = 0;
    // Returns once no callback runs any more. A stop that did not go cleanly
    // says so through takeProblem().
    virtual void stop() = 0;
    // Called by the owner regularly: sources without a callback move their
    // data into the ring here.
    virtual void poll(SampleRing&) {}
    // Frames delivered since the start.
    virtual qint64 position() const { return 0; }
    // Frames the device or its server lost before they reached the ring
    // (an overrun of the card, a JACK cycle this client missed).
    virtual qint64 lostFrames() const { return 0; }
    // Times the device reported a loss (JACK xruns, sound-card overflows),
    // whether or not it could say how much was lost.
    virtual int gaps() const { return 0; }
    // A problem that came up while running, said once (empty: none).
    virtual QString takeProblem() { return {}; }
    QString errorText() const { return m_error; }
    QString errorCaption() const { return m_caption; }
    void setAsk(AskYesNo ask) { m_ask = std::move(ask); }

protected:
    bool fail(const QString& text, const QString& caption)
    {
        m_error = text;
        m_caption = caption;
        return false;
    }
    // Without an operator to ask (tests), the answer is yes.
    bool ask(const QString& text, const QString& caption) const { return !m_ask || m_ask(text, caption); }

private:
    AskYesNo m_ask;
    QString m_error;
    QString m_caption;
};

} // namespace velmar::sound
