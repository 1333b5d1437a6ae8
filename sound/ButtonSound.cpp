#include "sound/ButtonSound.h"

#include <QFile>
#include <QLoggingCategory>

#include <portaudio.h>
#include <sndfile.h>

#include <algorithm>
#include <cstring>

namespace velmar::sound {

namespace {

Q_LOGGING_CATEGORY(buttonSoundLog, "velmar.sound.button")

constexpr sf_count_t kReadFrames = 4096;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

bool LoadSoundFile(const QString& file, SoundSamples& out, QString* error)
{
    out = SoundSamples{};
    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(file).constData(), SFM_READ, &info);
    if (!f) {
        setError(error, QStringLiteral("The sound file %1 cannot be read: %2")
                            .arg(file, QString::fromLocal8Bit(sf_strerror(nullptr))));
        return false;
    }
    if (info.channels <= 0 || info.samplerate <= 0 || info.frames <= 0) {
        sf_close(f);
        setError(error, QStringLiteral("The sound file %1 holds no sound.").arg(file));
        return false;
    }
    const auto channels = std::size_t(info.channels);
    if (std::size_t(info.frames) > kMaxButtonSoundSamples / channels) {
        sf_close(f);
        setError(error, QStringLiteral("The sound file %1 is too long for a button sound.").arg(file));
        return false;
    }
    // Read in blocks up to what the header promised: a damaged file ends
    // early, and whatever was read is played.
    out.samples.resize(std::size_t(info.frames) * channels);
    std::size_t frames = 0;
    while (frames < std::size_t(info.frames)) {
        const sf_count_t want = std::min<sf_count_t>(kReadFrames, info.frames - sf_count_t(frames));
        const sf_count_t got = sf_readf_float(f, out.samples.data() + frames * channels, want);
        if (got <= 0)
            break;
        frames += std::size_t(got);
    }
    sf_close(f);
    out.samples.resize(frames * channels);
    if (frames == 0) {
        setError(error, QStringLiteral("The sound file %1 holds no sound.").arg(file));
        return false;
    }
    out.channels = info.channels;
    out.sampleRate = info.samplerate;
    return true;
}

QStringList SoundOutputDeviceNames()
{
    QStringList names;
    if (Pa_Initialize() != paNoError)
        return names;
    for (PaDeviceIndex i = 0; i < Pa_GetDeviceCount(); ++i)
        if (const PaDeviceInfo* info = Pa_GetDeviceInfo(i); info && info->maxOutputChannels > 0)
            names << QString::fromLocal8Bit(info->name);
    Pa_Terminate();
    return names;
}

struct ButtonSoundPlayer::Stream {
    SoundSamples sound;
    std::size_t position = 0; // frames played; the callback's alone while the stream runs
    PaStream* stream = nullptr;
};

namespace {

int playCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                 PaStreamCallbackFlags, void* user)
{
    auto* s = static_cast<ButtonSoundPlayer::Stream*>(user);
    const std::size_t channels = std::size_t(s->sound.channels);
    const std::size_t total = s->sound.samples.size() / channels;
    const std::size_t n = std::min<std::size_t>(frames, total - std::min(total, s->position));
    auto* out = static_cast<float*>(output);
    std::memcpy(out, s->sound.samples.data() + s->position * channels, n * channels * sizeof(float));
    std::memset(out + n * channels, 0, (frames - n) * channels * sizeof(float));
    s->position += n;
    return s->position >= total ? paComplete : paContinue;
}

} // namespace

ButtonSoundPlayer::ButtonSoundPlayer(QObject* parent) : QObject(parent)
{
}

ButtonSoundPlayer::~ButtonSoundPlayer()
{
    Stop();
    if (m_initialised)
        Pa_Terminate();
}

bool ButtonSoundPlayer::OutputAvailable(QString* error)
{
    if (!m_initialised && !m_noOutput) {
        const PaError e = Pa_Initialize();
        if (e != paNoError) {
            qCWarning(buttonSoundLog) << "PortAudio cannot start:" << Pa_GetErrorText(e);
            m_noOutput = true;
        } else {
            m_initialised = true;
        }
    }
    if (m_initialised && !m_noOutput && Pa_GetDefaultOutputDevice() == paNoDevice) {
        qCWarning(buttonSoundLog) << "PortAudio finds no output device";
        m_noOutput = true;
    }
    if (m_noOutput)
        setError(error, QString::fromLatin1(kNoSoundOutputText));
    return !m_noOutput;
}

bool ButtonSoundPlayer::Play(const QString& file, QString* error)
{
    Stop();
    auto stream = std::make_unique<Stream>();
    if (!LoadSoundFile(file, stream->sound, error))
        return false;
    if (!OutputAvailable(error))
        return false;
    PaError e = Pa_OpenDefaultStream(&stream->stream, 0, stream->sound.channels, paFloat32, stream->sound.sampleRate,
                                     paFramesPerBufferUnspecified, playCallback, stream.get());
    if (e == paNoError)
        e = Pa_StartStream(stream->stream);
    if (e != paNoError) {
        if (stream->stream)
            Pa_CloseStream(stream->stream);
        setError(error, QStringLiteral("The sound file %1 cannot be played: %2")
                            .arg(file, QString::fromLocal8Bit(Pa_GetErrorText(e))));
        return false;
    }
    m_stream = std::move(stream);
    return true;
}

void ButtonSoundPlayer::Stop()
{
    if (!m_stream)
        return;
    Pa_AbortStream(m_stream->stream);
    Pa_CloseStream(m_stream->stream);
    m_stream.reset();
}

bool ButtonSoundPlayer::IsPlaying() const
{
    return m_stream && Pa_IsStreamActive(m_stream->stream) == 1;
}

} // namespace velmar::sound
