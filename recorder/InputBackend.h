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

namespace velmar::recorder {

// Input kinds of the recording settings.
inline constexpr int KindSoundCard = 1;
inline constexpr int KindPiped = 6;

struct AcquisitionSettings {
    int kind = KindSoundCard;
    int device = 0;
    int channels = 2;
    uint32_t sampleRate = 48000;
    QString deviceName;   // the name the device was chosen by
};

class InputBackend {
public:
    virtual ~InputBackend() = default;
    // Opens and starts the device. The settings may be adjusted (a piped
    // piped input checks the rate and channels the window took from Pelvane).
    virtual bool start(AcquisitionSettings& settings, SampleRing& ring) = 0;
    virtual void stop() = 0;
    // Called by the recorder thread every tick: sources without a callback
    // move their data into the ring here.
    virtual void poll(SampleRing&) {}
    // Frames taken since the start.
    virtual qint64 position() const { return 0; }
    QString errorText() const { return m_error; }
    QString errorCaption() const { return m_caption; }

protected:
    bool fail(const QString& text, const QString& caption)
    {
        m_error = text;
        m_caption = caption;
        return false;
    }

private:
    QString m_error;
    QString m_caption;
};

// Makes the backend of a kind; null for a kind that has none here.
using InputFactory = std::function<std::unique_ptr<InputBackend>(int kind)>;

// The real devices: PortAudio for sound cards, Pelvane's recorder pipe for
// piped data.
std::unique_ptr<InputBackend> MakeSystemInput(int kind);

// The sound cards PortAudio offers for input, in the order the settings
// page lists them (the device number is the position in this list).
struct SoundCardInfo {
    QString name;
    int maxChannels = 0;
};
std::vector<SoundCardInfo> ListSoundCards();

} // namespace velmar::recorder
