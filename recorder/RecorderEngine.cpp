#include "recorder/RecorderEngine.h"

#include "recorder/EndingInput.h"
#include "platform/DateTimeText.h"
#include "recorder/RecorderLogic.h"
#include "sound/RecordingJournal.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

Q_LOGGING_CATEGORY(lcRecorder, "velmar.sound.recorder")

namespace velmar::recorder {
namespace {

const QString CantOpenFileCaption = QStringLiteral("Can't open file");
const QString CantWriteCaption = QStringLiteral("Can't write to file");
const QString MemoryCaption = QStringLiteral("Memory Warning");
const QString SoundLostCaption = QStringLiteral("Sound lost");

qint64 BytesPerSecond(uint32_t rate, int channels)
{
    return qint64(rate) * qint64(std::max(1, channels)) * 2;
}

} // namespace

qint64 BlockBytes(uint32_t sampleRate, int channels)
{
    return std::max<qint64>(1, sampleRate / 10) * std::max(1, channels) * 2;
}

std::size_t RingSamples(uint32_t sampleRate, int channels, std::size_t deviceBlockSamples)
{
    const std::size_t seconds = std::size_t(BytesPerSecond(sampleRate, channels) / 2) * SampleRingSeconds;
    const std::size_t blocks = std::max(std::size_t(BlockBytes(sampleRate, channels) / 2), deviceBlockSamples);
    return sound::InputRingSamples(seconds, blocks);
}

qint64 PreTriggerBytes(qint64 blockBytes, uint32_t sampleRate, int channels, int bufferSeconds)
{
    const qint64 wanted = BytesPerSecond(sampleRate, channels) * std::max(0, bufferSeconds);
    if (blockBytes <= 0)
        return wanted;
    qint64 n = std::max<qint64>(4, wanted / blockBytes);
    if (n * blockBytes < wanted)
        ++n;
    return n * blockBytes;
}

RecorderEngine::RecorderEngine(InputFactory factory, sound::RecordingServices services, QObject* parent)
    : QObject(parent), m_factory(std::move(factory)), m_services(std::move(services))
{
}

RecorderEngine::~RecorderEngine()
{
    stop();
}

platform::SystemTime RecorderEngine::now() const
{
    if (m_services.programTime)
        return m_services.programTime();
    return platform::SystemTime::nowUtc();
}

void RecorderEngine::setStatus(int status)
{
    if (m_status.exchange(status) != status)
        emit statusChanged(status);
}

void RecorderEngine::start(const sound::RECORDINGINFO& recording, int startType)
{
    m_recording = recording;
    m_recording.StartType = startType;
    m_writeFailed = false;
    if (startType < sound::RECORDINGINFO::StartRecord || startType > sound::RECORDINGINFO::StartRecordWithBuffer)
        return;
    if (status() == StatusRunning) {
        // The device keeps running; only the sink changes (a device without
        // samples has none).
        if (m_input && !m_input->samples())
            return;
        closeFile();
        if (startType == sound::RECORDINGINFO::StartBufferOnly)
            allocateBuffer();
        else
            openFile(startType == sound::RECORDINGINFO::StartRecordWithBuffer);
        return;
    }
    if (!startDevice() || !m_input->samples())
        return;
    if (startType == sound::RECORDINGINFO::StartBufferOnly)
        allocateBuffer();
    else
        openFile(false);
}

bool RecorderEngine::startDevice()
{
    stopDevice();
    setStatus(StatusStarting);
    m_settings = {};
    m_settings.kind = m_recording.DeviceType & 0xFF;
    m_settings.device = m_recording.DeviceNumber;
    m_settings.channels = m_recording.nChannels;
    m_settings.sampleRate = m_recording.SampleRate;
    m_settings.deviceName = m_recording.DeviceName;
    auto failed = [this](const QString& text, const QString& caption) {
        m_input.reset();
        m_ring.reset();
        setStatus(StatusStopped);
        // An empty text: the operator has just said no to the device.
        if (!text.isEmpty())
            emit message(text, caption);
        return false;
    };
    if (m_settings.channels < 1 || m_settings.sampleRate < 1)
        return failed(QStringLiteral("Sampling %1 channels at %2 Hz is not possible")
                          .arg(m_settings.channels)
                          .arg(m_settings.sampleRate),
                      QStringLiteral("Error"));
    m_input = m_factory ? m_factory(m_settings.kind) : nullptr;
    if (!m_input)
        return failed(QStringLiteral("Input device kind %1 cannot be used on this system").arg(m_settings.kind),
                      QStringLiteral("Error"));
    m_input->setAsk(m_services.askYesNo);
    if (!m_input->prepare(m_settings))
        return failed(m_input->errorText(), m_input->errorCaption());
    if (m_settings.sampleRate < 1)
        return failed(QStringLiteral("The device gave no sample rate"), QStringLiteral("Error"));
    if (m_settings.sampleRate != m_recording.SampleRate) {
        // Before any header is written: the files and their rows carry the
        // rate the sound really has.
        qCInfo(lcRecorder) << "the device samples at" << m_settings.sampleRate << "Hz, not" << m_recording.SampleRate;
        m_recording.SampleRate = m_settings.sampleRate;
        emit sampleRateGranted(m_settings.sampleRate);
    }
    m_blockBytes = BlockBytes(m_settings.sampleRate, m_settings.channels);
    try {
        m_ring = std::make_unique<SampleRing>(
            RingSamples(m_settings.sampleRate, m_settings.channels, m_input->blockSamples()), m_settings.channels);
        m_block.assign(std::size_t(m_blockBytes / 2), 0);
    } catch (const std::bad_alloc&) {
        return failed(QStringLiteral("Not enough memory to sample %1 channels at %2 Hz")
                          .arg(m_settings.channels)
                          .arg(m_settings.sampleRate),
                      MemoryCaption);
    }
    if (!m_input->start(m_settings, *m_ring))
        return failed(m_input->errorText(), m_input->errorCaption());
    m_droppedFrames = m_deviceLostFrames = m_untoldDropped = m_untoldDeviceLost = 0;
    m_gaps = m_untoldGaps = 0;
    emit soundLost(0, 0);
    setStatus(StatusRunning);
    return true;
}

void RecorderEngine::stop()
{
    freeBuffer();
    if (m_input) {
        setStatus(StatusStopping);
        countLosses();
        m_input->stop();
        // What the device delivered before it stopped still belongs to the file.
        tick();
        std::size_t n = m_ring ? m_ring->pop(m_block.data(), m_block.size()) : 0;
        if (n > 0)
            consumeBlock(m_block.data(), qint64(n) * 2);
        countLosses();
        if (const QString problem = m_input->takeProblem(); !problem.isEmpty())
            emit message(problem, QStringLiteral("Input device"));
        m_input.reset();
    }
    closeFile();
    // Losses while only the pre-trigger buffer filled.
    tellLosses(QStringLiteral("the pre-trigger buffer"));
    m_ring.reset();
    setStatus(StatusStopped);
}

void RecorderEngine::stopDevice()
{
    if (m_input) {
        m_input->stop();
        m_input.reset();
    }
    m_ring.reset();
}

void RecorderEngine::split()
{
    if (!m_file.isOpen() || m_writeFailed)
        return;
    const QString reason = m_recording.Comment;
    closeFile();
    if (!sound::MakeRecordingFileName(m_recording, now(), reason, false, m_services))
        return;
    openFile(false);
}

void RecorderEngine::tick()
{
    if (!m_input || !m_ring)
        return;
    m_input->poll(*m_ring);
    if (const QString problem = m_input->takeProblem(); !problem.isEmpty())
        emit message(problem, QStringLiteral("Input device"));
    countLosses();
    const std::size_t blockSamples = m_block.size();
    while (m_ring->available() >= blockSamples) {
        m_ring->pop(m_block.data(), blockSamples);
        consumeBlock(m_block.data(), m_blockBytes);
    }
    // No more sound comes, or none can be kept: the recording ends here, as
    // when it is stopped (the window sees the device stop unasked).
    const auto* ending = dynamic_cast<const EndingInput*>(m_input.get());
    if (status() == StatusRunning && (m_writeFailed || (ending && ending->ended())))
        stop();
}

void RecorderEngine::countLosses()
{
    if (!m_input || !m_ring)
        return;
    // The counters only grow; an input that forgets them at its stop takes
    // nothing back.
    const qint64 dropped = std::max(m_droppedFrames, qint64(m_ring->dropped()) / std::max(1, m_ring->channels()));
    const qint64 deviceLost = std::max(m_deviceLostFrames, m_input->lostFrames());
    const int gaps = std::max(m_gaps, m_input->gaps());
    if (dropped == m_droppedFrames && deviceLost == m_deviceLostFrames && gaps == m_gaps)
        return;
    m_untoldDropped += dropped - m_droppedFrames;
    m_untoldDeviceLost += deviceLost - m_deviceLostFrames;
    m_untoldGaps += gaps - m_gaps;
    m_droppedFrames = dropped;
    m_deviceLostFrames = deviceLost;
    m_gaps = gaps;
    emit soundLost(double(dropped + deviceLost) / std::max<uint32_t>(1, m_settings.sampleRate), gaps);
}

void RecorderEngine::tellLosses(const QString& where)
{
    if (m_untoldDropped == 0 && m_untoldDeviceLost == 0 && m_untoldGaps == 0)
        return;
    const double rate = std::max<uint32_t>(1, m_settings.sampleRate);
    QStringList lines{QStringLiteral("%1 of sound are missing from %2.")
                          .arg(LostTimeText(double(m_untoldDropped + m_untoldDeviceLost) / rate), where)};
    if (m_untoldDropped > 0)
        lines << QStringLiteral("%1 (%2 frames) came from the device faster than the recorder could store them.")
                     .arg(LostTimeText(double(m_untoldDropped) / rate))
                     .arg(m_untoldDropped);
    if (m_untoldDeviceLost > 0)
        lines << QStringLiteral("%1 (%2 frames) the input device lost before the recorder got them.")
                     .arg(LostTimeText(double(m_untoldDeviceLost) / rate))
                     .arg(m_untoldDeviceLost);
    if (m_untoldGaps > 0)
        lines << QStringLiteral("The input device reported a loss %1 times.").arg(m_untoldGaps);
    m_untoldDropped = m_untoldDeviceLost = 0;
    m_untoldGaps = 0;
    const QString text = lines.join(QLatin1Char('\n'));
    qCWarning(lcRecorder).noquote() << text;
    emit message(text, SoundLostCaption);
}

void RecorderEngine::consumeBlock(const int16_t* samples, qint64 bytes)
{
    if (m_recording.StartType == sound::RECORDINGINFO::StartBufferOnly && !m_buffer.empty()) {
        const qint64 size = qint64(m_buffer.size());
        const char* from = reinterpret_cast<const char*>(samples);
        qint64 left = std::min(bytes, size);
        from += bytes - left;
        while (left > 0) {
            const qint64 n = std::min(left, size - m_bufWrite);
            std::memcpy(m_buffer.data() + m_bufWrite, from, std::size_t(n));
            m_bufWrite = (m_bufWrite + n) % size;
            from += n;
            left -= n;
        }
        m_bufFill = std::min(size, m_bufFill + bytes);
        const int seconds = int(m_bufFill / BytesPerSecond(m_recording.SampleRate, m_recording.nChannels));
        if (seconds != m_lastBufferSeconds) {
            m_lastBufferSeconds = seconds;
            emit bufferedSeconds(seconds);
        }
    } else if (m_file.isOpen() && !m_writeFailed) {
        // Split before the file could pass its limit: the WAV header's sizes
        // are 32 bits, and every file ends on a whole block.
        const qint64 limit = m_recording.LimitSingle ? m_recording.SingleFileLimitBytes()
                                                     : sound::WAVHEADER::MaxDataBytes;
        if (m_file.soundBytes() > 0 && m_file.soundBytes() + bytes > std::min(limit, sound::WAVHEADER::MaxDataBytes))
            split();
        if (m_file.isOpen() && !m_writeFailed) {
            if (m_file.append(reinterpret_cast<const char*>(samples), bytes))
                m_sinceRefresh += bytes;
            else
                writeFailed();
            if (m_sinceRefresh >= BytesPerSecond(m_recording.SampleRate, m_recording.nChannels) * HeaderRefreshSeconds)
                refreshHeader();
        }
    }
    if (status() == StatusRunning)
        measureLevels(samples, bytes);
}

void RecorderEngine::measureLevels(const int16_t* samples, qint64 bytes)
{
    const int channels = std::max(1, m_recording.nChannels);
    const int shown = std::min(channels, LevelChannels);
    QList<int> levels(shown, 0);
    const qint64 frames = bytes / 2 / channels;
    for (qint64 f = 0; f < frames; ++f)
        for (int c = 0; c < shown; ++c)
            levels[c] = std::max(levels[c], std::min(32767, std::abs(int(samples[f * channels + c]))));
    emit levelsMeasured(levels, channels);
}

void RecorderEngine::allocateBuffer()
{
    freeBuffer();
    const qint64 bytes = PreTriggerBytes(BlockBytes(m_recording.SampleRate, m_recording.nChannels),
                                         m_recording.SampleRate, m_recording.nChannels, m_recording.BufferLength);
    try {
        m_buffer.assign(std::size_t(bytes), 0);
    } catch (const std::bad_alloc&) {
        m_buffer.clear();
        emit message(QStringLiteral("Not enough memory for a buffer of %1 seconds").arg(m_recording.BufferLength),
                     MemoryCaption);
    }
    m_bufWrite = 0;
    m_bufFill = 0;
}

void RecorderEngine::freeBuffer()
{
    const bool had = !m_buffer.empty();
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_bufWrite = 0;
    m_bufFill = 0;
    if (had || m_lastBufferSeconds > 0)
        emit bufferedSeconds(0);
    m_lastBufferSeconds = 0;
}

bool RecorderEngine::openFile(bool withBuffer)
{
    const qint64 perSecond = BytesPerSecond(m_recording.SampleRate, m_recording.nChannels);
    sound::WAVHEADER header;
    header.Channels = uint16_t(m_recording.nChannels);
    header.SampleRate = m_recording.SampleRate;
    header.BytesPerSecond = uint32_t(perSecond);
    header.BlockAlign = uint16_t(m_recording.nChannels * 2);
    header.BitsPerSample = 16;
    header.DataSize = 0;
    const bool useBuffer = withBuffer && !m_buffer.empty();
    // The buffer's losses go with it into the file; without it, they are
    // the buffer's alone.
    if (!useBuffer)
        tellLosses(QStringLiteral("the pre-trigger buffer"));
    m_fileStart = now();
    if (useBuffer)
        m_fileStart = platform::AddSecondsToTime(m_fileStart, -double(m_bufFill / perSecond));
    header.setCreationDate(sound::RecordingCreationDate(m_fileStart));
    header.setCopyright(m_recording.Copyright);

    const QString path = sound::RecordingFilePath(m_recording);
    // An existing file is never overwritten.
    if (!m_file.create(path, header)) {
        emit message(QStringLiteral("%1\n%2").arg(path, m_file.errorText()), CantOpenFileCaption);
        freeBuffer();
        return false;
    }
    if (QString error; !sound::WriteRecordingJournal(m_recording, m_fileStart, &error))
        emit message(QStringLiteral("%1\nThe journal beside it cannot be written: %2. Should the program end before "
                                    "the file is closed, the file will not be booked.")
                         .arg(path, error),
                     CantWriteCaption);
    m_sinceRefresh = 0;
    if (useBuffer) {
        const qint64 size = qint64(m_buffer.size());
        const bool written = m_bufWrite == 0 || m_bufFill < size
                               ? m_file.append(m_buffer.data(), m_bufFill)
                               : m_file.append(m_buffer.data() + m_bufWrite, size - m_bufWrite)
                                     && m_file.append(m_buffer.data(), m_bufWrite);
        if (!written)
            writeFailed();
    }
    m_recording.StartType = sound::RECORDINGINFO::StartRecord;
    freeBuffer();
    refreshHeader();
    emit fileStarted(path);
    return true;
}

void RecorderEngine::refreshHeader()
{
    if (!m_file.isOpen() || m_writeFailed)
        return;
    if (!m_file.sync())
        writeFailed();
    m_sinceRefresh = 0;
}

// A full or failing disk: said once, with the system's reason and the folder;
// nothing more goes into the file, which keeps the whole frames written so
// far, and the recording stops at the end of this tick.
void RecorderEngine::writeFailed()
{
    if (m_writeFailed)
        return;
    m_writeFailed = true;
    const QFileInfo file(m_file.path());
    const QString text = QStringLiteral("Writing into %1 failed: %2.\n%3 keeps the %4 s recorded before; the "
                                        "recording stops.")
                             .arg(QDir::toNativeSeparators(file.absolutePath()), m_file.errorText(), file.fileName())
                             .arg(m_file.seconds(), 0, 'f', 2);
    qCWarning(lcRecorder).noquote() << text;
    emit message(text, CantWriteCaption);
}

void RecorderEngine::closeFile()
{
    if (!m_file.isOpen())
        return;
    if (!m_file.close())
        writeFailed();
    const sound::FileClosedResult result = sound::OnFileClosed(m_recording, m_fileStart, m_services, m_file.seconds());
    tellLosses(result.finalPath.isEmpty() ? m_file.path() : result.finalPath);
    emit fileClosed(m_recording, result.finalPath);
}

} // namespace velmar::recorder
