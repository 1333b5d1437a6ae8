#include "recorder/JackInput.h"

#include "sound/SampleConversion.h"

#include <jack/jack.h>

#include <QLoggingCategory>
#include <QStringList>

#include <vector>

Q_LOGGING_CATEGORY(lcRecorderJack, "velmar.sound.recorder.jack")

namespace velmar::recorder {

namespace {
const QString JackCaption = QStringLiteral("ASIO (JACK)");
// The longest period the callback converts; a longer one is dropped whole.
constexpr jack_nframes_t MaxPeriodFrames = 16384;
} // namespace

struct JackInput::State {
    jack_client_t* client = nullptr;
    QStringList sources;
    std::vector<jack_port_t*> ports;
    std::vector<int16_t> scratch;
    SampleRing* ring = nullptr;
    std::atomic<qint64> frames{0};
    std::atomic<bool> serverGone{false};
    bool goneSaid = false;
    jack_nframes_t period = 0;
};

namespace {
int Process(jack_nframes_t frames, void* arg)
{
    auto* s = static_cast<JackInput::State*>(arg);
    const std::size_t k = s->ports.size();
    if (frames > MaxPeriodFrames || !s->ring)
        return 0;
    for (std::size_t i = 0; i < k; ++i)
        sound::ConvertSamples(sound::AsioFloat32LSB, jack_port_get_buffer(s->ports[i], frames), frames,
                              s->scratch.data() + i, k);
    s->ring->push(s->scratch.data(), std::size_t(frames) * k);
    s->frames.fetch_add(frames, std::memory_order_relaxed);
    return 0;
}

void Shutdown(void* arg)
{
    static_cast<JackInput::State*>(arg)->serverGone.store(true);
}
} // namespace

JackInput::JackInput() = default;

JackInput::~JackInput()
{
    stop();
}

QString JackInput::driverName()
{
    return QStringLiteral("JACK");
}

bool JackInput::prepare(AcquisitionSettings& settings)
{
    stop();
    m_state = std::make_unique<State>();
    jack_status_t status{};
    m_state->client = jack_client_open("Velmar", JackNoStartServer, &status);
    if (!m_state->client) {
        m_state.reset();
        return fail(QStringLiteral("No JACK server is running: start jackd (or your sound server's JACK) first."),
                    JackCaption);
    }
    const char** found = jack_get_ports(m_state->client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                        JackPortIsOutput | JackPortIsPhysical);
    for (int i = 0; found && found[i]; ++i)
        m_state->sources << QString::fromUtf8(found[i]);
    jack_free(found);
    if (m_state->sources.size() < settings.channels) {
        const qsizetype have = m_state->sources.size();
        stop();
        return fail(QStringLiteral("The JACK server has %1 capture channels; the recorder asks for %2.")
                        .arg(have)
                        .arg(settings.channels),
                    JackCaption);
    }
    settings.sampleRate = jack_get_sample_rate(m_state->client);
    m_state->period = jack_get_buffer_size(m_state->client);
    return true;
}

std::size_t JackInput::blockSamples() const
{
    return m_state ? std::size_t(m_state->period) * std::size_t(std::max<qsizetype>(1, m_state->ports.size())) : 0;
}

qint64 JackInput::position() const
{
    return m_state ? m_state->frames.load() : 0;
}

QString JackInput::takeProblem()
{
    if (!m_state || !m_state->serverGone || m_state->goneSaid)
        return {};
    m_state->goneSaid = true;
    return QStringLiteral("The JACK server has gone: the recording gets no more sound.");
}

bool JackInput::start(AcquisitionSettings& settings, SampleRing& ring)
{
    if (!m_state && !prepare(settings))
        return false;
    State* s = m_state.get();
    s->scratch.assign(std::size_t(MaxPeriodFrames) * std::size_t(settings.channels), 0);
    for (int c = 0; c < settings.channels; ++c) {
        jack_port_t* port = jack_port_register(s->client, QByteArray("in_" + QByteArray::number(c + 1)).constData(),
                                               JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        if (!port) {
            stop();
            return fail(QStringLiteral("JACK refused an input port."), JackCaption);
        }
        s->ports.push_back(port);
    }
    s->ring = &ring;
    jack_set_process_callback(s->client, Process, s);
    jack_on_shutdown(s->client, Shutdown, s);
    if (jack_activate(s->client) != 0) {
        stop();
        return fail(QStringLiteral("The JACK client could not be started."), JackCaption);
    }
    for (int c = 0; c < settings.channels; ++c) {
        const QByteArray source = s->sources[c].toUtf8();
        if (jack_connect(s->client, source.constData(), jack_port_name(s->ports[std::size_t(c)])) != 0) {
            stop();
            return fail(QStringLiteral("JACK could not connect %1.").arg(QString::fromUtf8(source)), JackCaption);
        }
    }
    qCInfo(lcRecorderJack) << "recording" << settings.channels << "channels at" << settings.sampleRate << "Hz";
    return true;
}

void JackInput::stop()
{
    if (!m_state)
        return;
    if (m_state->client) {
        // Deactivation returns once the last process callback has finished.
        if (!m_state->serverGone)
            jack_deactivate(m_state->client);
        jack_client_close(m_state->client);
    }
    m_state.reset();
}

} // namespace velmar::recorder
