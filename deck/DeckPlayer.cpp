#include "deck/DeckPlayer.h"

#include "deck/AudioOutput.h"
#include "deck/DigitalFilter.h"
#include "deck/LogWriter.h"
#include "platform/DateTimeText.h"
#include "sound/PipeProtocol.h"
#include "sound/SamplePipe.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QLoggingCategory>

#include <algorithm>

namespace velmar::deck {

using sound::PipeMessageNames;

Q_LOGGING_CATEGORY(lcDeck, "velmar.deck.engine")

namespace {

// Names of the pipe messages the deck sends, by their place in the family.
QString pipeMessage(int number)
{
    return QString::fromLatin1(PipeMessageNames[std::size_t(number - 1)]);
}
const QString& GetIpDevice()
{
    static const QString s = pipeMessage(6);
    return s;
}
const QString& StartSection()
{
    static const QString s = pipeMessage(7);
    return s;
}
const QString& AvailBytes()
{
    static const QString s = pipeMessage(9);
    return s;
}
const QString& StartRun()
{
    static const QString s = pipeMessage(10);
    return s;
}
const QString& GetAdcStatus()
{
    static const QString s = pipeMessage(11);
    return s;
}
const QString& SampleSettings()
{
    static const QString s = pipeMessage(12);
    return s;
}

bool sameFormat(const sound::WAVHEADER& a, const sound::WAVHEADER& b)
{
    return a.FileFormat == b.FileFormat && a.Channels == b.Channels && a.SampleRate == b.SampleRate
        && a.BitsPerSample == b.BitsPerSample;
}

} // namespace

struct DeckPlayer::Detector {
    QString windowClass;
    QString pipeName;
    bool click = false;
    bool known = false; // taking part in this playback
    uint32_t mask = 0;
    int channels = 0;
    qint64 pipeBytes = 0;
    std::unique_ptr<sound::SamplePipeServer> pipe;
    bool hadReader = false;    // its program has connected to the pipe
    QElapsedTimer silentSince; // valid while it answers no question

    bool pipeOpen() const { return pipe && pipe->isCreated(); }
};

DeckPlayer::DeckPlayer(DeckHost& host, DetectorLink& detectors, OutputFactory makeOutput, quint64 engineId)
    : m_host(host), m_link(detectors), m_makeOutput(std::move(makeOutput)), m_engineId(engineId)
{
    auto click = std::make_unique<Detector>();
    click->windowClass = QString::fromLatin1(ClickDetectorClass);
    click->pipeName = QString::fromLatin1(ClickPipeName);
    click->click = true;
    auto whistle = std::make_unique<Detector>();
    whistle->windowClass = QString::fromLatin1(WhistleDetectorClass);
    whistle->pipeName = QString::fromLatin1(WhistlePipeName);
    m_detectors.push_back(std::move(click));
    m_detectors.push_back(std::move(whistle));
}

DeckPlayer::~DeckPlayer()
{
    if (m_output)
        m_output->close();
    closeDetectorPipes();
}

void DeckPlayer::setState(int state)
{
    m_state.store(state);
    m_host.stateChanged(state);
}

bool DeckPlayer::start(const DeckStart& s)
{
    m_header = s.header;
    const int channels = std::max<int>(m_header.Channels, 1);
    const qint64 offset = m_header.DataOffset() + qint64(s.startFrame) * channels * 2;
    if (!s.file || !s.file->isOpen() || !s.file->seek(offset) || s.file->pos() != offset)
        return false;
    m_file = s.file;
    m_startFrame = s.startFrame;
    m_settings = s.deck;
    m_routing = DeckRouting{channels, m_settings.LeftMask, m_settings.RightMask, m_settings.ClickMask,
                            m_settings.WhistleMask};

    m_filter.reset();
    if (s.filter.FilterType != FilterNone) {
        const QString problem = FilterSpecProblem(s.filter, double(m_header.SampleRate));
        if (problem.isEmpty())
            m_filter = std::make_unique<DigitalFilter>(s.filter, channels, double(m_header.SampleRate));
        else
            m_host.message(problem + QStringLiteral(": the speakers play unfiltered."),
                           QString::fromLatin1(FilterProblemCaption));
    }
    m_gain = GainFactor(m_settings.GainDb);
    m_framesRead = 0;
    m_framesSent = 0;
    m_endOfData = false;
    m_position.store(0);
    m_blocks.clear();
    m_framesWritten = 0;
    m_windingUp = false;

    openDetectorPipes();
    if (m_routing.speakerCount() > 0)
        return startSoundOutput();
    m_pumping = true;
    setState(DeckPlaying);
    return true;
}

void DeckPlayer::openDetectorPipes()
{
    platform::SystemTime sectionTime = platform::SystemTime::nowUtc();
    if (const auto fileStart = m_host.fileStartTime(); fileStart && m_header.SampleRate > 0)
        sectionTime = platform::AddSecondsToTime(*fileStart, double(float(m_startFrame) / float(m_header.SampleRate)));
    const auto section = sound::SectionTimeParameters(sectionTime);

    Detector& click = *m_detectors[0];
    Detector& whistle = *m_detectors[1];
    click.mask = m_routing.usable(m_routing.clickMask);
    click.channels = m_routing.clickChannels();
    whistle.mask = m_routing.usable(m_routing.whistleMask);
    whistle.channels = m_routing.whistleChannels();
    for (auto& d : m_detectors) {
        d->known = false;
        d->hadReader = false;
        d->silentSince.invalidate();
        d->pipe.reset();
        if (d->channels > 0)
            d->known = openDetector(*d, section);
        if (!d->known)
            d->pipe.reset();
    }
}

bool DeckPlayer::openDetector(Detector& d, const std::pair<quint64, qint64>& section)
{
    const int rate = int(m_header.SampleRate);
    if (!m_link.present(d.windowClass))
        return false;
    if (d.click) {
        // The click detector says first whether it takes piped input at all.
        const auto accepted = m_link.send(d.windowClass, GetIpDevice(), m_engineId, rate, DetectorSendTimeoutMs);
        if (accepted.value_or(0) != sound::GetIpDeviceAccepted) {
            qCInfo(lcDeck) << "the click detector does not take piped input";
            return false;
        }
        m_link.send(d.windowClass, StartSection(), section.first, section.second, DetectorSendTimeoutMs);
        const auto format = m_link.send(d.windowClass, SampleSettings(), quint64(rate), d.channels,
                                        DetectorSendTimeoutMs);
        if (format.value_or(0) != sound::SampleSettingsAccepted)
            return false;
    } else {
        m_link.send(d.windowClass, SampleSettings(), quint64(rate), d.channels, DetectorSendTimeoutMs);
        m_link.send(d.windowClass, StartSection(), section.first, section.second, DetectorSendTimeoutMs);
    }
    d.pipeBytes = sound::DeckPipeBufferBytes(d.channels, rate);
    d.pipe = std::make_unique<sound::SamplePipeServer>();
    if (!d.pipe->create(d.pipeName, d.pipeBytes)) {
        // Most often another deck (a second Mavrel, or Velmar's) is playing
        // into the same pipe: the operator must know this detector gets
        // nothing from this playback.
        qCWarning(lcDeck) << "cannot create the pipe" << d.pipeName << ":" << d.pipe->errorString();
        m_host.message(QStringLiteral("The pipe %1 to the detector cannot be made (%2); another deck may be "
                                      "playing into it. This playback does not reach that detector.")
                           .arg(d.pipeName, d.pipe->errorString()),
                       QString::fromLatin1(PipeProblemCaption));
        return false;
    }
    m_link.send(d.windowClass, StartRun(), m_routing.speakerCount() > 0 ? 1 : 0, 0, DetectorSendTimeoutMs);
    return true;
}

void DeckPlayer::writeToPipe(Detector& d, const QByteArray& bytes)
{
    if (!d.pipeOpen() || bytes.isEmpty())
        return;
    if (!d.pipe->hasReader()) {
        // Not connected yet is fine; connected before and not now means the
        // detector has closed its end (or died).
        if (d.hadReader)
            dropDetector(d, "closed its pipe");
        return;
    }
    d.hadReader = true;
    // A full pipe drops whole frames: the reader must never lose its place
    // in the interleaving.
    const qint64 frameBytes = qint64(d.channels) * 2;
    const qint64 room = std::max<qint64>(d.pipeBytes - d.pipe->pendingBytes(), 0);
    const qint64 take = std::min<qint64>(bytes.size(), room) / frameBytes * frameBytes;
    if (take > 0 && d.pipe->write(bytes.constData(), take) < 0)
        dropDetector(d, "closed its pipe");
}

void DeckPlayer::dropDetector(Detector& d, const char* why)
{
    if (!d.known)
        return;
    qCWarning(lcDeck) << "the detector reading" << d.pipeName << why << "- its pipe is closed, the playback goes on";
    if (d.pipe) {
        d.pipe->close();
        d.pipe.reset();
    }
    // No end-of-data notice and no wait for it at the end: nobody is there.
    d.known = false;
    m_host.message(QString::fromLatin1(DetectorGoneText).arg(d.pipeName), QString::fromLatin1(PipeProblemCaption));
}

void DeckPlayer::postEndOfData()
{
    for (auto& d : m_detectors)
        if (d->known)
            m_link.post(d->windowClass, AvailBytes(), sound::AvailBytesEndOfData, 0);
}

void DeckPlayer::closeDetectorPipes()
{
    for (auto& d : m_detectors)
        if (d->pipe) {
            d->pipe->close();
            d->pipe.reset();
        }
}

bool DeckPlayer::takeNextFile()
{
    QIODevice* next = m_host.nextFile(m_framesRead);
    if (!next || next == m_file || !next->isOpen() || !next->seek(0))
        return false;
    // Only a file of the same format continues the stream; anything else
    // would reach the speakers and the detectors as noise.
    sound::WAVHEADER header;
    const bool read = sound::ReadWavHeader(header, next)
                   || (next->seek(0) && sound::ReadAiffHeader(header, next).isEmpty());
    if (!read || !sameFormat(header, m_header) || !next->seek(header.DataOffset())) {
        qCInfo(lcDeck) << "next track not joined: its format differs from the playing one (or cannot be read)";
        return false;
    }
    m_file = next;
    return true;
}

std::size_t DeckPlayer::readPlay(int16_t* buffer, std::size_t frames)
{
    const qint64 frameBytes = qint64(m_routing.fileChannels) * 2;
    std::size_t got = 0;
    while (got < frames && m_file) {
        const qint64 wanted = qint64(frames - got) * frameBytes;
        char* into = reinterpret_cast<char*>(buffer + got * std::size_t(m_routing.fileChannels));
        qint64 bytes = m_file->read(into, wanted);
        if (bytes > 0) {
            // A file cut inside a frame ends at its last whole frame.
            const qint64 whole = bytes / frameBytes;
            if (bytes % frameBytes != 0)
                m_file->seek(m_file->pos() - bytes % frameBytes);
            got += std::size_t(whole);
            m_framesRead += uint32_t(whole);
            if (bytes == wanted)
                continue;
        }
        if (m_endOfData || !takeNextFile()) {
            m_endOfData = true; // the chain has ended: the deck is not asked again
            break;
        }
    }
    if (m_header.FileFormat == sound::FormatAiff)
        SwapSampleBytes(buffer, got * std::size_t(m_routing.fileChannels));
    return got;
}

bool DeckPlayer::startSoundOutput()
{
    const int speakers = m_routing.speakerCount();
    m_blockFrames = std::max<std::size_t>(m_settings.PlaybackRate / DeckBlocksPerSecond, 1);
    m_readBuffer.assign(m_blockFrames * std::size_t(m_routing.fileChannels), 0);
    m_speakerBuffer.assign(m_blockFrames * std::size_t(speakers), 0);
    setState(DeckStarting);
    m_output = m_makeOutput ? m_makeOutput() : nullptr;
    const QString error = m_output ? m_output->open(m_settings.PlaybackDevice, speakers, int(m_settings.PlaybackRate),
                                                    m_blockFrames * DeckBuffersQueued)
                                   : QStringLiteral("No sound output is available.");
    if (!error.isEmpty()) {
        m_output.reset();
        m_host.message(error, QString::fromLatin1(SoundCardErrorCaption));
        postEndOfData();
        closeDetectorPipes();
        for (auto& d : m_detectors)
            d->known = false;
        setState(DeckStopped);
        return false;
    }
    std::size_t total = 0;
    for (int i = 0; i < DeckBuffersQueued; ++i)
        total += queueBlock();
    if (total > 0)
        setState(DeckPlaying);
    else
        beginWindUp();
    return true;
}

std::size_t DeckPlayer::queueBlock()
{
    const std::size_t frames = readPlay(m_readBuffer.data(), m_blockFrames);
    if (frames == 0)
        return 0;
    Block block;
    const int channels = m_routing.fileChannels;
    for (auto& d : m_detectors) {
        if (d->pipeOpen())
            (d->click ? block.click : block.whistle) = ExtractChannels(m_readBuffer.data(), frames, channels, d->mask);
    }
    PlayBlock(m_readBuffer.data(), frames, m_routing, m_filter.get(), m_gain, m_speakerBuffer.data(), block.levels);
    if (!m_output->write(m_speakerBuffer.data(), frames))
        return 0; // cannot happen: never more than the queue holds is written
    m_framesWritten += frames;
    block.endFrame = m_framesWritten;
    m_blocks.push_back(std::move(block));
    return frames * std::size_t(channels) * 2;
}

void DeckPlayer::serviceOutput()
{
    if (!m_output || m_windingUp)
        return;
    const uint64_t played = std::min(m_output->framesPlayed(), m_framesWritten);
    m_position.store(uint32_t(played));
    while (!m_blocks.empty() && m_blocks.front().endFrame <= played) {
        Block block = std::move(m_blocks.front());
        m_blocks.pop_front();
        m_host.levels(block.levels);
        if (state() == DeckPlaying) {
            writeToPipe(*m_detectors[0], block.click);
            writeToPipe(*m_detectors[1], block.whistle);
            queueBlock();
        }
    }
    if (m_blocks.empty())
        beginWindUp();
}

void DeckPlayer::pumpTick()
{
    if (!m_pumping)
        return;
    bool more = false;
    qint64 freeFrames = -1;
    for (auto& d : m_detectors) {
        if (!d->pipeOpen())
            continue;
        const auto answer = m_link.send(d->windowClass, AvailBytes(), sound::AvailBytesQuery, 0, DetectorSendTimeoutMs);
        if (answer)
            d->silentSince.invalidate();
        else if (!d->silentSince.isValid())
            d->silentSince.start();
        // One that has left the bus, closed its end of the pipe or stayed
        // silent too long is gone: the others must not wait for it.
        if (!answer
            && (!m_link.present(d->windowClass) || d->silentSince.elapsed() >= DetectorSilenceLimitMs
                || (d->hadReader && !d->pipe->hasReader()))) {
            dropDetector(*d, "stopped answering");
            continue;
        }
        // A detector that is silent for a moment is taken as one whose pipe
        // is full.
        const qint64 unread = answer.value_or(d->pipeBytes);
        const qint64 frames = std::max<qint64>(d->pipeBytes - unread, 0) / d->channels / 2;
        freeFrames = freeFrames < 0 ? frames : std::min(freeFrames, frames);
    }
    if (freeFrames >= 0) {
        const std::size_t chunk = std::max<std::size_t>(m_header.SampleRate / PipeChunksPerSecond, 1);
        more = true;
        if (freeFrames > qint64(2 * chunk)) {
            m_readBuffer.resize(chunk * std::size_t(m_routing.fileChannels));
            while (freeFrames > qint64(2 * chunk)) {
                const std::size_t frames = readPlay(m_readBuffer.data(), chunk);
                more = frames > 0;
                if (!more)
                    break;
                for (auto& d : m_detectors)
                    if (d->pipeOpen())
                        writeToPipe(*d, ExtractChannels(m_readBuffer.data(), frames, m_routing.fileChannels, d->mask));
                freeFrames -= qint64(chunk);
                m_framesSent += uint32_t(frames);
            }
            m_position.store(m_framesSent);
        }
    }
    if (!more) {
        m_pumping = false;
        stop();
    }
}

bool DeckPlayer::stop()
{
    const int s = state();
    if (s == DeckStopped)
        return false;
    if (s == DeckStopping) {
        postEndOfData();
        return true;
    }
    setState(DeckStopping);
    if (m_output) {
        postEndOfData();
        m_output->reset();
        serviceOutput();
    } else {
        m_pumping = false;
        beginWindUp();
    }
    return true;
}

void DeckPlayer::beginWindUp()
{
    if (m_windingUp)
        return;
    m_windingUp = true;
    m_pumping = false;
    postEndOfData();
    m_waitIndex = 0;
    m_waitQuestions = 0;
    windUpStep();
}

void DeckPlayer::windUpStep()
{
    if (!m_windingUp)
        return;
    while (m_waitIndex < m_detectors.size()) {
        Detector& d = *m_detectors[m_waitIndex];
        if (d.known) {
            const auto status = m_link.send(d.windowClass, GetAdcStatus(), 0, 0, AdcStatusTimeoutMs);
            if (!status || *status != sound::AdcStatusStopped) {
                if (++m_waitQuestions < DetectorWaitQuestions)
                    return; // ask again at the next step
                WriteLogLine(QString::fromLatin1(DetectorWaitFailureText), true);
            }
        }
        ++m_waitIndex;
        m_waitQuestions = 0;
    }
    finishWindUp();
}

void DeckPlayer::finishWindUp()
{
    m_windingUp = false;
    if (m_output) {
        m_output->close();
        m_output.reset();
    }
    m_blocks.clear();
    closeDetectorPipes();
    setState(DeckStopped);
}

std::optional<platform::SystemTime> DeckClockTime(const std::optional<platform::SystemTime>& fileStart,
                                                  double positionSeconds)
{
    if (!fileStart)
        return std::nullopt;
    return platform::AddSecondsToTime(*fileStart, positionSeconds);
}

} // namespace velmar::deck
