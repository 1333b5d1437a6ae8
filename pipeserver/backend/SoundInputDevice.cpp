#include "pipeserver/backend/SoundInputDevice.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

#include <algorithm>
#include <new>

Q_LOGGING_CATEGORY(lcInput, "velmar.pipeserver.input")

namespace velmar::pipeserver {

namespace {
constexpr int SoundCardBuffers = 30;
} // namespace

int SoundCardBufferBytes(const PipeSettings& settings)
{
    const qint64 total = qint64(settings.BufferSeconds) * settings.SampleRate * settings.ScanLength;
    const qint64 bytes = total / SoundCardBuffers * 2;
    return bytes < qint64(settings.ScanLength) * 2 ? 0 : int(bytes);
}

SoundInputDevice::SoundInputDevice(std::unique_ptr<sound::SoundInput> input, QString gapsName, bool soundCard)
    : m_input(std::move(input)), m_gapsName(std::move(gapsName)), m_soundCard(soundCard)
{
}

SoundInputDevice::~SoundInputDevice()
{
    close();
}

QString SoundInputDevice::close()
{
    if (m_running) {
        drain(true);
        m_input->stop();
        m_running = false;
        // What came before the stop still goes out.
        drain(false);
    }
    m_bell.reset();
    m_ring.reset();
    return m_input->takeProblem();
}

void SoundInputDevice::start(const PipeSettings& settings, DeviceEvents& events)
{
    close();
    m_events = &events;
    m_reportedGaps = 0;
    m_reportedLost = 0;
    const QString caption = m_soundCard ? QStringLiteral("Sound Card") : QStringLiteral("JACK");
    sound::InputSettings in;
    in.device = settings.DeviceNumber;
    in.channels = settings.ScanLength;
    in.sampleRate = uint32_t(settings.SampleRate);
    in.sources.assign(settings.ScanList.begin(), settings.ScanList.begin() + settings.ScanLength);
    if (m_soundCard) {
        const int bufferBytes = SoundCardBufferBytes(settings);
        if (bufferBytes == 0) {
            events.deviceStartFailed(
                QStringLiteral("A sample rate of %1 Hz gives empty sound card buffers.").arg(settings.SampleRate),
                caption);
            return;
        }
        in.framesPerCallback = unsigned(bufferBytes / 2 / settings.ScanLength);
    }
    if (!m_input->prepare(in)) {
        events.deviceStartFailed(m_input->errorText(), m_input->errorCaption());
        return;
    }
    // The ring holds BufferSeconds of the scans at the rate the device
    // really runs at, and never less than a few of its blocks.
    const std::size_t wanted = std::size_t(std::max(1, settings.BufferSeconds)) * in.sampleRate
                             * std::size_t(settings.ScanLength);
    try {
        m_ring = std::make_unique<sound::SampleRing>(sound::InputRingSamples(wanted, m_input->blockSamples()),
                                                     settings.ScanLength, true);
        m_out.assign(m_ring->capacity(), 0);
    } catch (const std::bad_alloc&) {
        m_ring.reset();
        m_input->stop();
        events.deviceStartFailed(QStringLiteral("Not enough memory for %1 s of sound").arg(settings.BufferSeconds),
                                 caption);
        return;
    }
    if (m_ring->bell() < 0) {
        m_ring.reset();
        m_input->stop();
        events.deviceStartFailed(QStringLiteral("The sound input's wake-up could not be made."), caption);
        return;
    }
    m_bell = std::make_unique<QSocketNotifier>(m_ring->bell(), QSocketNotifier::Read);
    QObject::connect(m_bell.get(), &QSocketNotifier::activated, m_bell.get(), [this] { drain(true); });
    if (!m_input->start(in, *m_ring)) {
        m_bell.reset();
        m_ring.reset();
        events.deviceStartFailed(m_input->errorText(), m_input->errorCaption());
        return;
    }
    m_running = true;
    events.deviceStarted(int(in.sampleRate));
}

void SoundInputDevice::drain(bool report)
{
    if (!m_ring)
        return;
    m_ring->takeBell();
    if (const std::size_t n = m_ring->pop(m_out.data(), m_out.size()); n > 0 && m_events)
        m_events->deviceBlock(m_out.data(), qsizetype(n));
    if (report)
        reportLosses();
}

void SoundInputDevice::reportLosses()
{
    if (!m_events)
        return;
    if (const QString problem = m_input->takeProblem(); !problem.isEmpty()) {
        qCWarning(lcInput).noquote() << problem;
        m_events->deviceStatus(problem);
    }
    const int gaps = m_input->gaps();
    if (gaps != m_reportedGaps) {
        m_reportedGaps = gaps;
        qCWarning(lcInput).noquote() << m_gapsName + QLatin1Char(':') << gaps;
        m_events->deviceStatus(QStringLiteral("%1: %2 (samples lost)").arg(m_gapsName).arg(gaps));
    }
    const qint64 lost = qint64(m_ring->dropped()) + m_input->lostFrames() * m_ring->channels();
    if (lost != m_reportedLost) {
        m_reportedLost = lost;
        const QString text = m_ring->dropped() > 0
                               ? QStringLiteral("%1 samples lost: the acquisition thread fell behind").arg(lost)
                               : QStringLiteral("%1 samples lost by the device").arg(lost);
        qCWarning(lcInput).noquote() << text;
        m_events->deviceStatus(text);
    }
}

void SoundInputDevice::stop()
{
    const QString error = close();
    if (m_events)
        m_events->deviceStopped(error);
}

} // namespace velmar::pipeserver
