#include "recorder/PipedInput.h"


namespace velmar::recorder {
namespace {
constexpr uint32_t AutorecPipeBit = 0x20;
const QString PipeCaption = QStringLiteral("Error");
} // namespace

PipedInput::PipedInput(sound::PelvanePipeClient::Messenger messenger)
    : m_messenger(std::move(messenger))
{
}

PipedInput::~PipedInput()
{
    stop();
}

bool PipedInput::start(AcquisitionSettings& settings, SampleRing& ring)
{
    stop();


    if (settings.channels < 1)
        return fail(QStringLiteral("No input channel of Pelvane is routed to the recorder pipe"), PipeCaption);
    if (settings.sampleRate < 10)
        return fail(QStringLiteral("Pelvane's recorder pipe samples at %1 Hz, too slowly to record")
                        .arg(settings.sampleRate),
                    PipeCaption);
    m_channels = settings.channels;
    m_frames = 0;
    m_partial.clear();
    m_client = std::make_unique<sound::PelvanePipeClient>(AutorecPipeBit, m_messenger);
    if (!m_client->open()) {
        m_client.reset();
        return fail(QStringLiteral("Can't find Pelvaner"), PipeCaption);
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
    const qint64 whole = m_partial.size() - m_partial.size() % frameBytes;
    if (whole == 0)
        return;
    ring.push(reinterpret_cast<const int16_t*>(m_partial.constData()), std::size_t(whole / 2));
    m_frames += whole / frameBytes;
    m_partial.remove(0, whole);
}

void PipedInput::stop()
{
    if (m_client) {
        m_client->close();
        m_client.reset();
    }
}

} // namespace velmar::recorder
