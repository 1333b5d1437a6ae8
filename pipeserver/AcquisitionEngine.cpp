#include "pipeserver/AcquisitionEngine.h"

#include "sound/PipeProtocol.h"

#include <QMetaMethod>
#include <QMetaObject>

Q_LOGGING_CATEGORY(velmar::pipeserver::lcEngine, "velmar.pipeserver.engine")

namespace velmar::pipeserver {

AcquisitionEngine::AcquisitionEngine(DeviceFactory factory, Clock clock, QObject* parent)
    : QObject(parent), m_factory(std::move(factory)), m_clock(std::move(clock))
{
}

AcquisitionEngine::~AcquisitionEngine()
{
    shutDown();
}

void AcquisitionEngine::setSettings(const PipeSettings& settings)
{
    m_settings = settings;
}

PipeCounters AcquisitionEngine::counters(uint32_t bit) const
{
    const int index = PipeIndexOfBit(bit);
    if (index < 0)
        return {};
    if (!m_outlets[index])
        return m_closedCounters[index];
    const PipeOutlet& outlet = *m_outlets[index];
    return {true, outlet.writtenBytes(), outlet.droppedFrames(), outlet.droppedBytes(), outlet.pendingBytes()};
}

void AcquisitionEngine::setAdcState(int state)
{
    m_state = state;
    emit adcStateChanged(state);
}

void AcquisitionEngine::later(std::function<void()> fn)
{
    const quint64 generation = m_deviceGeneration;
    QMetaObject::invokeMethod(
        this,
        [this, generation, fn = std::move(fn)] {
            if (generation == m_deviceGeneration)
                fn();
        },
        Qt::QueuedConnection);
}

void AcquisitionEngine::openOutputPipe(uint32_t bit)
{
    const int index = PipeIndexOfBit(bit);
    const auto route = sound::PipeRouteOfBit(bit);
    if (index < 0 || !route || (m_openPipes & bit))
        return;
    // The out buffer holds BufferSeconds of the pipe's stream.
    const StreamLayoutResult made = MakeStreamLayout(m_settings);
    const PipeStreamLayout* pipe = made.layout ? made.layout->pipe(bit) : nullptr;
    const int channels = pipe ? pipe->channels : CountRoutedChannels(m_settings, bit);
    const int multiplier = pipe ? std::max(pipe->multiplier, 1) : 1;
    auto outlet = std::make_unique<PipeOutlet>(bit);
    if (!outlet->create(
            sound::PelvanePipeBufferBytes(channels, m_settings.SampleRate * multiplier, m_settings.BufferSeconds),
            m_clock())) {
        // Nobody could read such a pipe: it is not counted as open, so it
        // does not start the device for nothing.
        qCWarning(lcEngine) << "pipe" << route->pipeName << "not made:" << outlet->errorString();
        emit message(QString::fromLatin1(route->pipeName), QStringLiteral("Invalid Pipe Handle"));
        reportPipe(index, PipeError);
        reportPipe(index, PipeIdle);
        return;
    }
    m_outlets[index] = std::move(outlet);
    m_carries[index] = PipeCarry{};
    const bool first = m_openPipes == 0;
    m_openPipes |= bit;
    if (first)
        startAcquisition();
    reportPipe(index, PipeStarting);
}

void AcquisitionEngine::closeOutputPipe(uint32_t bit)
{
    if (!(m_openPipes & bit))
        return;
    m_openPipes &= ~bit;
    if (m_openPipes == 0)
        stopAcquisition();
    endPipe(PipeIndexOfBit(bit));
    reportPipe(PipeIndexOfBit(bit), PipeIdle);
}

void AcquisitionEngine::reportPipe(int index, int state)
{
    if (m_reportedState[index] == state)
        return;
    m_reportedState[index] = state;
    emit pipeStateChanged(PipeRoutingBits[index], state);
}

void AcquisitionEngine::endPipe(int index)
{
    if (!m_outlets[index])
        return;
    m_closedCounters[index] = counters(PipeRoutingBits[index]);
    m_closedCounters[index].open = false;
    m_outlets[index].reset();
    m_carries[index] = PipeCarry{};
}

void AcquisitionEngine::startAcquisition()
{
    if (m_state != AdcIdle)
        return;
    StreamLayoutResult made = MakeStreamLayout(m_settings);
    if (!made.layout) {
        emit statusText(made.problem);
        emit message(made.problem, QStringLiteral("Pelvane"));
        return;
    }
    m_layout = made.layout;
    m_device = m_factory ? m_factory(m_settings) : nullptr;
    if (!m_device) {
        const QString text = QStringLiteral("Unknown input device");
        emit statusText(text);
        emit message(text, QStringLiteral("Error"));
        return;
    }
    ++m_deviceGeneration;
    m_nextSlot = 0;
    m_holdForRate = false;
    setAdcState(AdcStarting);
    m_device->start(m_settings, *this);
}

void AcquisitionEngine::stopAcquisition()
{
    if (m_state == AdcIdle || m_state == AdcStopping)
        return;
    setAdcState(AdcStopping);
    m_device->stop();
}

void AcquisitionEngine::deviceStarted(int sampleRate)
{
    // Blocks may follow before the turn below: none goes out at a rate the
    // consumers cannot know yet.
    if (m_state == AdcStarting && sampleRate != m_settings.SampleRate)
        m_holdForRate = true;
    later([this, sampleRate] {
        if (m_state != AdcStarting)
            return;
        setAdcState(AdcRunning);
        if (sampleRate != m_settings.SampleRate) {
            qCWarning(lcEngine) << "device runs at" << sampleRate << "Hz, settings say" << m_settings.SampleRate;
            m_settings.SampleRate = sampleRate;
            if (isSignalConnected(QMetaMethod::fromSignal(&AcquisitionEngine::sampleRateFound)))
                emit sampleRateFound(sampleRate);
            else
                m_holdForRate = false;
        }
        if (m_openPipes == 0)
            stopAcquisition();
    });
}

void AcquisitionEngine::deviceStartFailed(const QString& text, const QString& caption)
{
    later([this, text, caption] {
        m_device.reset();
        m_layout.reset();
        setAdcState(AdcIdle);
        qCWarning(lcEngine).noquote() << caption << ":" << text;
        emit statusText(text);
        emit message(text, caption);
    });
}

void AcquisitionEngine::deviceStopped(const QString& error)
{
    later([this, error] {
        m_device.reset();
        m_layout.reset();
        setAdcState(AdcIdle);
        if (!error.isEmpty()) {
            qCWarning(lcEngine).noquote() << "stop:" << error;
            emit statusText(error);
            emit message(error, QStringLiteral("Stop"));
        }
        // A consumer that asked for its pipe while the device stopped gets
        // the device started again.
        if (m_openPipes != 0)
            startAcquisition();
    });
}

void AcquisitionEngine::ratePublished()
{
    m_holdForRate = false;
}

void AcquisitionEngine::deviceBlock(const int16_t* samples, qsizetype count)
{
    if ((m_state == AdcRunning || m_state == AdcStarting) && !m_holdForRate)
        distributeBlock(samples, count);
}

void AcquisitionEngine::deviceStatus(const QString& text)
{
    emit statusText(text);
}

void AcquisitionEngine::distributeBlock(const int16_t* samples, qsizetype count)
{
    if (!m_layout || count <= 0)
        return;
    const qint64 now = m_clock();
    for (int index = 0; index < PipeSettings::PipeCount; ++index) {
        const PipeStreamLayout& pipe = m_layout->pipes[index];
        if (!(m_openPipes & pipe.bit) || !m_outlets[index])
            continue;
        const QByteArray frames = SplitBlock(samples, count, m_nextSlot, *m_layout, pipe, m_carries[index]);
        switch (m_outlets[index]->write(frames, pipe.frameBytes(), now)) {
        case PipeOutlet::Result::Written: reportPipe(index, PipeFilling); break;
        case PipeOutlet::Result::Waiting: break;
        case PipeOutlet::Result::Gone:
            reportPipe(index, PipeError);
            closeOutputPipe(pipe.bit);
            break;
        }
    }
    m_nextSlot = int((m_nextSlot + count) % m_layout->scanLength);
}

void AcquisitionEngine::shutDown()
{
    for (int index = 0; index < PipeSettings::PipeCount; ++index)
        endPipe(index);
    m_openPipes = 0;
    ++m_deviceGeneration;
    m_device.reset();
    m_layout.reset();
    m_state = AdcIdle;
}

} // namespace velmar::pipeserver
