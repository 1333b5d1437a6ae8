#include "sound/input/JackInput.h"

#include "sound/SampleConversion.h"

#include <jack/jack.h>

#include <QLoggingCategory>
#include <QStringList>

#include <algorithm>
#include <utility>
#include <atomic>
#include <vector>

Q_LOGGING_CATEGORY(lcJackInput, "velmar.sound.input.jack")

namespace velmar::sound {

struct JackInput::State {
    jack_client_t* client = nullptr;
    QStringList sources;
    std::vector<jack_port_t*> ports;
    std::vector<const float*> buffers;
    std::vector<int16_t> scratch;
    SampleRing* ring = nullptr;
    std::atomic<qint64> frames{0};
    std::atomic<qint64> lost{0};
    std::atomic<int> xruns{0};
    std::atomic<jack_nframes_t> period{0};
    int channels = 0;
    std::atomic<bool> serverGone{false};
    bool goneSaid = false;
    // The frame time the next cycle starts at, when the client runs in step
    // (JACK's thread only).
    jack_nframes_t nextFrameTime = 0;
    bool running = false;
};

std::size_t PushFloatPeriod(const float* const* buffers, int channels, std::size_t frames, int16_t* scratch,
                            SampleRing& ring)
{
    const std::size_t k = std::size_t(std::max(1, channels));
    std::size_t taken = 0;
    for (std::size_t done = 0; done < frames;) {
        const std::size_t n = std::min(JackScratchFrames, frames - done);
        for (std::size_t c = 0; c < k; ++c)
            ConvertSamples(AsioFloat32LSB, buffers[c] + done, n, scratch + c, k);
        taken += ring.push(scratch, n * k) / k;
        done += n;
    }
    return taken;
}

namespace {

int Process(jack_nframes_t frames, void* arg)
{
    auto* s = static_cast<JackInput::State*>(arg);
    if (!s->ring)
        return 0;
    // A cycle that did not reach this client shows as a jump of the frame time.
    const jack_nframes_t now = jack_last_frame_time(s->client);
    if (s->running && now != s->nextFrameTime) {
        const auto missed = static_cast<int32_t>(now - s->nextFrameTime);
        if (missed > 0)
            s->lost.fetch_add(missed, std::memory_order_relaxed);
    }
    s->running = true;
    s->nextFrameTime = now + frames;
    for (std::size_t i = 0; i < s->ports.size(); ++i)
        s->buffers[i] = static_cast<const float*>(jack_port_get_buffer(s->ports[i], frames));
    PushFloatPeriod(s->buffers.data(), int(s->ports.size()), frames, s->scratch.data(), *s->ring);
    s->frames.fetch_add(frames, std::memory_order_relaxed);
    return 0;
}

// A cycle of the graph that did not finish in time: the server drops it for
// every reader, so the input has a gap that its owner must hear of.
int Xrun(void* arg)
{
    auto* s = static_cast<JackInput::State*>(arg);
    s->xruns.fetch_add(1, std::memory_order_relaxed);
    if (s->ring)
        s->ring->ringBell();
    return 0;
}

int BufferSize(jack_nframes_t frames, void* arg)
{
    static_cast<JackInput::State*>(arg)->period.store(frames);
    return 0;
}

void Shutdown(void* arg)
{
    auto* s = static_cast<JackInput::State*>(arg);
    s->serverGone.store(true);
    if (s->ring)
        s->ring->ringBell();
}

} // namespace

JackInput::JackInput(QString clientName, QString sourcePorts, QString caption)
    : m_clientName(std::move(clientName)), m_sourcePorts(std::move(sourcePorts)), m_caption(std::move(caption))
{
}

JackInput::~JackInput()
{
    stop();
}

QString JackInput::driverName()
{
    return QStringLiteral("JACK");
}

bool JackInput::prepare(InputSettings& settings)
{
    stop();
    m_stopProblem.clear();
    m_lastFrames = m_lastLost = 0;
    m_lastXruns = 0;
    m_state = std::make_unique<State>();
    jack_status_t status{};
    m_state->client = jack_client_open(m_clientName.toUtf8().constData(), JackNoStartServer, &status);
    if (!m_state->client) {
        m_state.reset();
        return fail(QStringLiteral("No JACK server is running: start jackd (or your sound server's JACK) first."),
                    m_caption);
    }
    const QByteArray pattern = m_sourcePorts.toUtf8();
    const char** found = jack_get_ports(m_state->client, pattern.isEmpty() ? nullptr : pattern.constData(),
                                        JACK_DEFAULT_AUDIO_TYPE,
                                        JackPortIsOutput | (pattern.isEmpty() ? JackPortIsPhysical : 0));
    for (int i = 0; found && found[i]; ++i)
        m_state->sources << QString::fromUtf8(found[i]);
    jack_free(found);
    const qsizetype have = m_state->sources.size();
    if (settings.sources.empty()) {
        if (have < settings.channels) {
            stop();
            return fail(QStringLiteral("The JACK server has %1 capture channels; %2 are asked for.")
                            .arg(have)
                            .arg(settings.channels),
                        m_caption);
        }
    } else {
        const int highest = *std::max_element(settings.sources.begin(), settings.sources.end());
        const int lowest = *std::min_element(settings.sources.begin(), settings.sources.end());
        if (qsizetype(settings.sources.size()) != settings.channels || lowest < 0 || highest >= have) {
            stop();
            return fail(QStringLiteral(
                            "The JACK server has %1 capture channels (0 to %2); the channel list asks for channel %3.")
                            .arg(have)
                            .arg(have - 1)
                            .arg(lowest < 0 ? lowest : highest),
                        m_caption);
        }
    }
    settings.sampleRate = jack_get_sample_rate(m_state->client);
    m_state->period = jack_get_buffer_size(m_state->client);
    m_state->channels = settings.channels;
    return true;
}

std::size_t JackInput::blockSamples() const
{
    return m_state ? std::size_t(m_state->period.load()) * std::size_t(std::max(1, m_state->channels)) : 0;
}

qint64 JackInput::position() const
{
    return m_state ? m_state->frames.load() : m_lastFrames;
}

qint64 JackInput::lostFrames() const
{
    return m_state ? m_state->lost.load() : m_lastLost;
}

int JackInput::gaps() const
{
    return m_state ? m_state->xruns.load() : m_lastXruns;
}

QString JackInput::takeProblem()
{
    if (!m_stopProblem.isEmpty())
        return std::exchange(m_stopProblem, QString());
    if (!m_state || !m_state->serverGone || m_state->goneSaid)
        return {};
    m_state->goneSaid = true;
    return QStringLiteral("The JACK server has gone: no more sound comes in.");
}

bool JackInput::start(InputSettings& settings, SampleRing& ring)
{
    if (!m_state && !prepare(settings))
        return false;
    State* s = m_state.get();
    s->scratch.assign(JackScratchFrames * std::size_t(settings.channels), 0);
    s->buffers.assign(std::size_t(settings.channels), nullptr);
    for (int c = 0; c < settings.channels; ++c) {
        jack_port_t* port = jack_port_register(s->client, QByteArray("in_" + QByteArray::number(c + 1)).constData(),
                                               JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        if (!port) {
            stop();
            return fail(QStringLiteral("JACK refused an input port."), m_caption);
        }
        s->ports.push_back(port);
    }
    s->ring = &ring;
    jack_set_process_callback(s->client, Process, s);
    jack_set_xrun_callback(s->client, Xrun, s);
    jack_set_buffer_size_callback(s->client, BufferSize, s);
    jack_on_shutdown(s->client, Shutdown, s);
    if (jack_activate(s->client) != 0) {
        stop();
        return fail(QStringLiteral("The JACK client could not be started."), m_caption);
    }
    for (int c = 0; c < settings.channels; ++c) {
        const int source = settings.sources.empty() ? c : settings.sources[std::size_t(c)];
        const QByteArray name = s->sources[source].toUtf8();
        if (jack_connect(s->client, name.constData(), jack_port_name(s->ports[std::size_t(c)])) != 0) {
            stop();
            return fail(QStringLiteral("JACK could not connect %1.").arg(QString::fromUtf8(name)), m_caption);
        }
    }
    qCInfo(lcJackInput) << m_clientName << "reads" << settings.channels << "channels at" << settings.sampleRate << "Hz";
    return true;
}

void JackInput::stop()
{
    if (!m_state)
        return;
    if (m_state->client) {
        // Deactivation returns once the last process callback has finished.
        if (!m_state->serverGone && jack_deactivate(m_state->client) != 0)
            m_stopProblem = QStringLiteral("The JACK client did not stop cleanly.");
        jack_client_close(m_state->client);
    }
    m_lastFrames = m_state->frames.load();
    m_lastLost = m_state->lost.load();
    m_lastXruns = m_state->xruns.load();
    m_state.reset();
}

} // namespace velmar::sound
