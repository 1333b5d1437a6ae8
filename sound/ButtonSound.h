#pragma once
// The button panels' sound: a WAV file (any format libsndfile reads) played
// once on the default sound output through PortAudio. A new sound stops the
// one still playing, as a second press of a button would.
//
// A machine without a sound output (a ship's laptop with its card switched
// off, a build server) plays nothing: Play says so with kNoSoundOutputText,
// the same text every time, so the caller can report it once for the run.
//
// User-interface thread only. The PortAudio callback copies from the loaded
// samples and touches nothing else.
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace velmar::sound {

// A whole sound file as interleaved float samples.
struct SoundSamples {
    std::vector<float> samples;
    int channels = 0;
    int sampleRate = 0;
};

// The most samples (all channels) a button sound may hold: several minutes
// of CD-quality stereo. A file that claims more is refused rather than
// allocated, since its header may simply be damaged.
inline constexpr std::size_t kMaxButtonSoundSamples = std::size_t(1) << 25;

inline constexpr const char* kNoSoundOutputText = "No sound output is available: button sounds are not played.";

// Reads a sound file; false with a reason when it cannot be read, holds no
// sound or is larger than kMaxButtonSoundSamples.
bool LoadSoundFile(const QString& file, SoundSamples& out, QString* error);

// The names of the system's sound output devices, in device order (the
// button editor's list of sound cards); empty without sound output.
QStringList SoundOutputDeviceNames();

class ButtonSoundPlayer : public QObject {
    Q_OBJECT
public:
    explicit ButtonSoundPlayer(QObject* parent = nullptr);
    ~ButtonSoundPlayer() override;

    // Starts playing the file; false with a reason when the file cannot be
    // read or played. Without any sound output the reason is
    // kNoSoundOutputText.
    bool Play(const QString& file, QString* error);
    void Stop();
    bool IsPlaying() const;

    struct Stream;

private:
    bool OutputAvailable(QString* error);

    std::unique_ptr<Stream> m_stream;
    bool m_initialised = false;
    bool m_noOutput = false; // known for the run once PortAudio found none
};

} // namespace velmar::sound
