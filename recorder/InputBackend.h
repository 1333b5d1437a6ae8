#pragma once
// One input device of a recorder, as the recorder thread drives it: start
// fills the sample ring (from a device callback, or from poll() on the
// recorder thread), stop returns only when no more samples will arrive.
//
// Created, used and destroyed on the recorder thread. A start that fails
// leaves nothing open and says why through errorText()/errorCaption().
#include "recorder/SampleRing.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace velmar::recorder {

// Input kinds of the recording settings.
inline constexpr int KindSoundCard = 1;
inline constexpr int KindMeasurementBoard = 3;
inline constexpr int KindNiDaq = 5;
inline constexpr int KindPiped = 6;
inline constexpr int KindTapeMachine = 8;
inline constexpr int KindNiDaqMx = 10;
inline constexpr int KindAsio = 11;

struct AcquisitionSettings {
    int kind = KindSoundCard;
    int device = 0;
    int channels = 2;
    uint32_t sampleRate = 48000;
    QString deviceName; // the name the device was chosen by
};

// A yes/no question to the operator, asked from the recorder thread and
// answered on the user-interface thread; true for yes.
using AskYesNo = std::function<bool(const QString& text, const QString& caption)>;

class InputBackend {
public:
    virtual ~InputBackend() = default;
    // Before the sample ring is made: the device may settle the rate it
    // will really sample at (settings.sampleRate) or refuse. The recording
    // takes that rate before its file's header is written.
    virtual bool prepare(AcquisitionSettings&) { return true; }
    // The most samples the device hands over at once; the ring holds at
    // least three such blocks.
    virtual std::size_t blockSamples() const { return 0; }
    // Whether the device delivers samples at all (the tape machine does not).
    virtual bool samples() const { return true; }
    // Opens and starts the device. The settings may be adjusted (a piped
    // piped input checks the rate and channels the window took from Pelvane).
    virtual bool start(AcquisitionSettings& settings, SampleRing& ring) = 0;
    virtual void stop() = 0;
    // Called by the recorder thread every tick: sources without a callback
    // move their data into the ring here.
    virtual void poll(SampleRing&) {}
    // Frames taken since the start.
    virtual qint64 position() const { return 0; }
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

// Makes the backend of a kind; null for a kind that has none here.
using InputFactory = std::function<std::unique_ptr<InputBackend>(int kind)>;

// The real devices: PortAudio for sound cards, Pelvane's recorder pipe for
// piped data, a JACK server for the ASIO kind, the measurement boards and the
// tape machine through their libraries.
std::unique_ptr<InputBackend> MakeSystemInput(int kind);

// The sound cards PortAudio offers for input, in the order the settings
// page lists them (the device number is the position in this list).
struct SoundCardInfo {
    QString name;
    int maxChannels = 0;
};
std::vector<SoundCardInfo> ListSoundCards();

// The inputs besides sound cards and Pelvane's pipe: the JACK server (the
// ASIO kind), the measurement boards and the tape machine. A kind whose
// library is missing is listed once, with the reason it cannot be used.
struct OtherInputInfo {
    QString name;
    int kind = 0;
    int device = 0;
    int maxChannels = 0;
    QString unavailable; // empty when the input can be used
};
std::vector<OtherInputInfo> ListOtherInputs();

} // namespace velmar::recorder
