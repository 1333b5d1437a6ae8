#include "recorder/PipedInput.h"

#include "settings/PipeSettings.h"

#include <QElapsedTimer>
#include <QThread>

namespace velmar::recorder {
namespace {
constexpr uint32_t AutorecPipeBit = 0x20;
const QString PipeCaption = QStringLiteral("Error");
} // namespace

PipedInput::PipedInput(sound::PelvanePipeClient::Messenger messenger, int firstSamplesMs)
    : m_messenger(std::move(messenger)), m_firstSamplesMs(firstSamplesMs)
{
}

PipedInput::~PipedInput()
{
    stop();
}

bool PipedInput::prepare(AcquisitionSettings& settings)
{
    stop();
    m_partial.clear();
    m_client = std::make_unique<sound::PelvanePipeClient>(AutorecPipeBit, m_messenger);
    if (!m_client->open()) {
        m_client.reset();
        return fail(QStringLiteral("Can't find Pelvaner"), PipeCaption);
    }
    // Pelvane's device runs once samples come. Pelvane writes a rate its
    // device finds different from the one asked for (a JACK server's) to
    // "PipeDat.dat" before it sends any sample: the recording carries that
    // rate, not the asked one.
    QElapsedTimer waited;
    waited.start();
    while (m_client->bytesAvailable() == 0 && waited.elapsed() < m_firstSamplesMs)
        QThread::msleep(10);
    pipeserver::PipeSettings pipe;
    if (const int rate = pipeserver::ReadPipeSettings(pipe).ok ? pipeserver::AutorecPipeSampleRate(pipe) : 0; rate > 0)
        settings.sampleRate = uint32_t(rate);
    return true;
}

bool PipedInput::start(AcquisitionSettings& settings, SampleRing& ring)
{
    if (settings.channels < 1)
        return fail(QStringLiteral("No input channel of Pelvane is routed to the recorder pipe"), PipeCaption);
    if (settings.sampleRate < 10)
        return fail(
            QStringLiteral("Pelvane's recorder pipe samples at %1 Hz, too slowly to record").arg(settings.sampleRate),
            PipeCaption);
    m_channels = settings.channels;
    m_frames = 0;
    m_ended = false;
    m_endedSaid = false;
    if (!m_client) {
        m_client = std::make_unique<sound::PelvanePipeClient>(AutorecPipeBit, m_messenger);
        if (!m_client->open()) {
            m_client.reset();
            return fail(QStringLiteral("Can't find Pelvaner"), PipeCaption);
        }
    }
    return true;
}

void PipedInput::poll(SampleRing& ring)
{
    if (!m_client)
        return;
    const qint64 frameBytes = qint64(m_channels) * 2;
    const qint64 room = qint64(ring.capacity() - ring.available()) * 2;
    const qint64 want = room - room % frameBytes - m_partial.size();
    if (want <= 0)
        return;
    m_partial += m_client->read(want);
    // Pelvane has closed its end once nothing is left to read on ours; a
    // part of a frame it left is no sound.
    if (!m_client->connected() && m_client->bytesAvailable() == 0)
        m_ended = true;
    const qint64 whole = m_partial.size() - m_partial.size() % frameBytes;
    if (whole == 0)
        return;
    ring.push(reinterpret_cast<const int16_t*>(m_partial.constData()), std::size_t(whole / 2));
    m_frames += whole / frameBytes;
    m_partial.remove(0, whole);
}

QString PipedInput::takeProblem()
{
    if (!m_ended || m_endedSaid)
        return {};
    m_endedSaid = true;
    return QStringLiteral("Pelvane has closed the recorder pipe (has Pelvane ended?): no more sound comes, and the "
                          "recording stops.");
}

void PipedInput::stop()
{
    if (m_client) {
        m_client->close();
        m_client.reset();
    }
}

} // namespace velmar::recorder
