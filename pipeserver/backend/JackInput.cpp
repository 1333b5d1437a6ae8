#include "pipeserver/backend/JackInput.h"

#include "pipeserver/backend/RingInput.h"
#include "sound/SampleConversion.h"

#include <jack/jack.h>

#include <QLoggingCategory>

#include <algorithm>
#include <vector>

Q_LOGGING_CATEGORY(lcJack, "velmar.pipeserver.jack")

namespace velmar::pipeserver {

namespace {
const QString Caption = QStringLiteral("JACK");
constexpr jack_nframes_t MaxPeriodFrames = 16384;
} // namespace

struct JackInput::State {
    jack_client_t* client = nullptr;
    std::vector<jack_port_t*> ports;
    std::vector<int16_t> scratch;
    std::unique_ptr<RingInput> ring;
    std::atomic<bool> serverGone{false};
    std::atomic<int> xruns{0};
    int reportedXruns = 0;
};

namespace {
int process(jack_nframes_t frames, void* arg)
{
    auto* s = static_cast<JackInput::State*>(arg);
    const std::size_t k = s->ports.size();
    if (frames > MaxPeriodFrames)
        return 0;
    for (std::size_t i = 0; i < k; ++i)
        sound::ConvertSamples(sound::AsioFloat32LSB, jack_port_get_buffer(s->ports[i], frames), frames,
                              s->scratch.data() + i, k);
    s->ring->push(s->scratch.data(), frames * k);
    return 0;
}

// A cycle of the graph that did not finish in time: the server drops it for
// every reader, so the streams have a gap that the operator must hear of.
int xrun(void* arg)
{
    auto* s = static_cast<JackInput::State*>(arg);
    s->xruns.fetch_add(1);
    s->ring->raiseFlag();
    return 0;
}

void shutdown(void* arg)
{
    auto* s = static_cast<JackInput::State*>(arg);
    s->serverGone.store(true);
    s->ring->raiseFlag();
}
} // namespace

JackInput::JackInput(QString sourcePorts) : m_sourcePorts(std::move(sourcePorts))
{
}

JackInput::~JackInput()
{
    close();
}

QString JackInput::driverName()
{
    return QStringLiteral("JACK");
}

QString JackInput::close()
{
    if (!m_state)
        return {};
    QString error;
    if (m_state->client) {
        if (!m_state->serverGone && jack_deactivate(m_state->client) != 0)
            error = QStringLiteral("The JACK client did not stop cleanly.");
        jack_client_close(m_state->client);
    }
    m_state.reset();
    return error;
}

void JackInput::start(const PipeSettings& settings, DeviceEvents& events)
{
    close();
    m_events = &events;
    m_state = std::make_unique<State>();
    jack_status_t status{};
    m_state->client = jack_client_open("Pelvane", JackNoStartServer, &status);
    if (!m_state->client) {
        m_state.reset();
        events.deviceStartFailed(
            QStringLiteral("No JACK server is running: start jackd (or your sound server's JACK) first."), Caption);
        return;
    }
    const QByteArray pattern = m_sourcePorts.toUtf8();
    const char** found = jack_get_ports(m_state->client, pattern.isEmpty() ? nullptr : pattern.constData(),
                                        JACK_DEFAULT_AUDIO_TYPE,
                                        JackPortIsOutput | (pattern.isEmpty() ? JackPortIsPhysical : 0));
    QStringList sources;
    for (int i = 0; found && found[i]; ++i)
        sources << QString::fromUtf8(found[i]);
    jack_free(found);

    const int scanLength = settings.ScanLength;
    const int highest = *std::max_element(settings.ScanList.begin(), settings.ScanList.begin() + scanLength);
    if (scanLength > sources.size() || highest >= sources.size()) {
        close();
        events.deviceStatus(QStringLiteral("max channels = %1").arg(sources.size()));
        events.deviceStartFailed(
            QStringLiteral("The JACK server has %1 capture channels (0 to %2); the channel list asks for channel %3.")
                .arg(sources.size())
                .arg(sources.size() - 1)
                .arg(highest),
            Caption);
        return;
    }
    const jack_nframes_t rate = jack_get_sample_rate(m_state->client);
    m_state->scratch.resize(std::size_t(MaxPeriodFrames) * std::size_t(scanLength));
    m_state->ring = std::make_unique<RingInput>(
        std::size_t(settings.BufferSeconds) * rate * std::size_t(scanLength),
        [&events](const int16_t* samples, qsizetype count) { events.deviceBlock(samples, count); });
    State* state = m_state.get();
    m_state->ring->setOnFlag([state, &events] {
        if (state->serverGone)
            events.deviceStatus(QStringLiteral("The JACK server has gone: no more samples"));
        const int xruns = state->xruns.load();
        if (xruns != state->reportedXruns) {
            state->reportedXruns = xruns;
            qCWarning(lcJack) << "JACK xruns:" << xruns;
            events.deviceStatus(QStringLiteral("JACK xruns: %1 (samples lost)").arg(xruns));
        }
        if (const qint64 lost = state->ring->lostSamples())
            events.deviceStatus(QStringLiteral("%1 samples lost: the acquisition thread fell behind").arg(lost));
    });
    for (int slot = 0; slot < scanLength; ++slot) {
        jack_port_t* port = jack_port_register(m_state->client,
                                               QByteArray("in_" + QByteArray::number(slot + 1)).constData(),
                                               JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        if (!port) {
            close();
            events.deviceStartFailed(QStringLiteral("JACK refused an input port."), Caption);
            return;
        }
        m_state->ports.push_back(port);
    }
    jack_set_process_callback(m_state->client, process, state);
    jack_on_shutdown(m_state->client, shutdown, state);
    jack_set_xrun_callback(m_state->client, xrun, state);
    if (!m_state->ring->isOK() || jack_activate(m_state->client) != 0) {
        close();
        events.deviceStartFailed(QStringLiteral("The JACK client could not be started."), Caption);
        return;
    }
    for (int slot = 0; slot < scanLength; ++slot) {
        const QByteArray source = sources[settings.ScanList[slot]].toUtf8();
        if (jack_connect(m_state->client, source.constData(), jack_port_name(m_state->ports[std::size_t(slot)])) != 0) {
            close();
            events.deviceStartFailed(QStringLiteral("JACK could not connect %1.").arg(QString::fromUtf8(source)),
                                     Caption);
            return;
        }
    }
    qCInfo(lcJack) << "sampling" << scanLength << "channels at" << rate << "Hz";
    events.deviceStarted(int(rate));
}

void JackInput::stop()
{
    const QString error = close();
    if (m_events)
        m_events->deviceStopped(error);
}

} // namespace velmar::pipeserver
