#include "recorder/BoardInputs.h"

#include <QThread>

#include <algorithm>

namespace velmar::recorder {
namespace {

constexpr std::size_t CbBlock = 2048;
constexpr std::size_t CbBoardBuffer = 20480;
constexpr int CbBackgroundContinuous = 3;
constexpr int CbDontPrint = 3; // cbErrHandling: errors returned, not shown
constexpr int CbStopAll = 2;
const QString CbCaption = QStringLiteral("Measurement Computing board");
const QString NiCaption = QStringLiteral("Startup");
constexpr int NiTimeoutTicks = 180;
constexpr int NiHalvesPerSecond = 8;

} // namespace

QString CbUnavailableText()
{
    return QStringLiteral("Measurement Computing boards are not available: the Universal Library (%1) is not "
                          "installed.")
        .arg(sound::CbLibraryFile());
}

QString NiDaqUnavailableText()
{
    return QStringLiteral("NI-DAQ is not available: the traditional NI-DAQ library has no version for this system; "
                          "sample the board as an NI-DAQmx device through Pelvane.");
}

QString NiDaqMxRecorderText()
{
    return QStringLiteral("NI-DAQmx devices are recorded through Pelvane: choose \"External Piped Data\" as the "
                          "recorder's input and the NI-DAQmx device in Pelvane's settings.");
}

std::size_t CbBlockSamples(int channels)
{
    const std::size_t k = std::size_t(std::max(1, channels));
    return std::max(k, CbBlock - CbBlock % k);
}

std::size_t CbBoardBufferSamples(int channels)
{
    const std::size_t block = CbBlockSamples(channels);
    return std::max<std::size_t>(2, CbBoardBuffer / block) * block;
}

// ---- Measurement Computing board ----

MeasurementBoardInput::MeasurementBoardInput(const sound::CbLibrary& library) : m_lib(library)
{
}

MeasurementBoardInput::~MeasurementBoardInput()
{
    stop();
}

bool MeasurementBoardInput::scan(int board, int channels, int32_t* rate)
{
    const sound::CbEntryPoints& cb = m_lib.Entry();
    m_buffer = cb.cbWinBufAlloc(int32_t(m_bufferSamples));
    if (!m_buffer)
        return fail(QStringLiteral("Not enough memory for the board's buffer"), QStringLiteral("Memory Warning"));
    cb.cbErrHandling(CbDontPrint, CbStopAll);
    const int error = cb.cbAInScan(board, 0, channels - 1, int32_t(m_bufferSamples), rate, 0, m_buffer,
                                   CbBackgroundContinuous);
    cb.cbErrHandling(0, 0);
    if (error != sound::CbNoErrors) {
        freeBuffer();
        return fail(m_lib.CbErrorText(error), CbCaption);
    }
    m_running = true;
    return true;
}

bool MeasurementBoardInput::prepare(AcquisitionSettings& settings)
{
    stop();
    const sound::CbEntryPoints& cb = m_lib.Entry();
    if (!m_lib.CbIsLoaded())
        return fail(CbUnavailableText(), CbCaption);
    if (!cb.cbAInScan || !cb.cbWinBufAlloc || !cb.cbWinBufFree || !cb.cbGetStatus || !cb.cbStopBackground
        || !cb.cbWinBufToArray || !cb.cbErrHandling)
        return fail(QStringLiteral("The Universal Library lacks the calls of a background scan"), CbCaption);
    m_board = settings.device;
    m_channels = std::max(1, settings.channels);
    m_block = CbBlockSamples(m_channels);
    m_bufferSamples = CbBoardBufferSamples(m_channels);
    const int32_t asked = int32_t(settings.sampleRate);
    int32_t rate = asked;
    if (!scan(m_board, m_channels, &rate))
        return false;
    if (rate != asked) {
        stop();
        if (!ask(QStringLiteral("True sample rate will be %1 Hz (you asked for %2) \n Continue ?").arg(rate).arg(asked),
                 QStringLiteral("PCM card limitations ...")))
            return fail({}, {});
        settings.sampleRate = uint32_t(rate);
        if (!scan(m_board, m_channels, &rate))
            return false;
    }
    m_boardIndex = 0;
    m_lastIndex = 0;
    m_consumed = 0;
    m_total = 0;
    m_frames = 0;
    m_scratch.assign(m_block, 0);
    return true;
}

bool MeasurementBoardInput::start(AcquisitionSettings& settings, SampleRing&)
{
    return m_running || prepare(settings);
}

void MeasurementBoardInput::poll(SampleRing& ring)
{
    if (!m_running)
        return;
    const sound::CbEntryPoints& cb = m_lib.Entry();
    int16_t status = 0;
    int32_t count = 0, index = 0;
    cb.cbGetStatus(m_board, &status, &count, &index);
    if (index == -1)
        return;
    qint64 advance = qint64(index) - m_lastIndex;
    if (advance < 0)
        advance += qint64(m_bufferSamples);
    m_total += advance;
    m_lastIndex = index;
    while (m_consumed + qint64(m_block) < m_total) {
        cb.cbWinBufToArray(m_buffer, m_scratch.data(), int32_t(m_boardIndex), int32_t(m_block));
        ring.push(reinterpret_cast<const int16_t*>(m_scratch.data()), m_block);
        m_consumed += qint64(m_block);
        m_frames += qint64(m_block) / m_channels;
        m_boardIndex += m_block;
        if (m_boardIndex >= m_bufferSamples)
            m_boardIndex -= m_bufferSamples;
    }
}

void MeasurementBoardInput::freeBuffer()
{
    if (m_buffer && m_lib.Entry().cbWinBufFree)
        m_lib.Entry().cbWinBufFree(m_buffer);
    m_buffer = nullptr;
}

void MeasurementBoardInput::stop()
{
    if (m_running && m_lib.Entry().cbStopBackground)
        m_lib.Entry().cbStopBackground(m_board);
    m_running = false;
    freeBuffer();
}

// ---- NI-DAQ board ----

NiDaqInput::NiDaqInput(sound::NiDaqLibrary& library) : m_lib(library)
{
}

NiDaqInput::~NiDaqInput()
{
    stop();
}

bool NiDaqInput::prepare(AcquisitionSettings& settings)
{
    stop();
    if (!m_lib.NiDaqIsLoaded())
        return fail(NiDaqUnavailableText(), QStringLiteral("NI-DAQ"));
    if (settings.channels > sound::NiDaqScanChannels)
        return fail(QStringLiteral("An NI-DAQ board scans at most %1 channels; the recorder asks for %2.")
                        .arg(sound::NiDaqScanChannels)
                        .arg(settings.channels),
                    QStringLiteral("ADC Error"));
    if (m_lib.NiBoardResolution(settings.device) == 0)
        return fail(QStringLiteral("No bits - Can't collect data"), QStringLiteral("ADC Error"));
    const sound::NiDaqEntryPoints& ni = m_lib.Entry();
    if (!ni.Init_DA_Brds || !ni.AI_Configure || !ni.Timeout_Config || !ni.DAQ_Rate || !ni.DAQ_DB_Config
        || !ni.SCAN_Setup || !ni.SCAN_Start || !ni.DAQ_DB_HalfReady || !ni.DAQ_DB_Transfer || !ni.DAQ_Clear)
        return fail(QStringLiteral("The NI-DAQ library lacks the calls of a double-buffered scan"), NiCaption);
    // At least one frame per half, whatever the rate.
    m_framesPerHalf = std::max<std::size_t>(1, settings.sampleRate / NiHalvesPerSecond);
    m_samplesPerHalf = m_framesPerHalf * std::size_t(settings.channels);
    m_doubleBuffer.assign(2 * m_samplesPerHalf, 0);
    m_half.assign(m_samplesPerHalf, 0);
    m_device = int16_t(settings.device);
    m_frames = 0;
    return true;
}

bool NiDaqInput::start(AcquisitionSettings& settings, SampleRing&)
{
    const sound::NiDaqEntryPoints& ni = m_lib.Entry();
    // Every channel of the scan lists is defined, channel c at unit gain.
    int16_t channels[sound::NiDaqScanChannels];
    int16_t gains[sound::NiDaqScanChannels];
    for (int c = 0; c < sound::NiDaqScanChannels; ++c) {
        channels[c] = int16_t(c);
        gains[c] = 1;
    }
    int16_t boardCode = 0, timebase = 0;
    uint16_t interval = 0;
    ni.Init_DA_Brds(m_device, &boardCode);
    ni.AI_Configure(m_device, -1, 0, 10, 0, 0);
    m_running = true;
    // A failing call stops the start: a scan half set up records nothing.
    const auto failed = [this](const char* call) {
        stop();
        return fail(QStringLiteral("Error in %1").arg(QLatin1String(call)), NiCaption);
    };
    if (ni.Timeout_Config(m_device, NiTimeoutTicks) != 0)
        return failed("Timeout_Config");
    if (ni.DAQ_Rate(double(settings.sampleRate) * settings.channels, 0, &timebase, &interval) != 0)
        return failed("DAQ_Rate");
    if (ni.DAQ_DB_Config(m_device, 1) != 0)
        return failed("DAQ_DB_Config");
    if (ni.SCAN_Setup(m_device, int16_t(settings.channels), channels, gains) != 0)
        return failed("SCAN_Setup");
    if (ni.SCAN_Start(m_device, m_doubleBuffer.data(), uint32_t(m_doubleBuffer.size()), timebase, interval, -3, 0) != 0)
        return failed("SCAN_Start");
    return true;
}

void NiDaqInput::poll(SampleRing& ring)
{
    if (!m_running)
        return;
    const sound::NiDaqEntryPoints& ni = m_lib.Entry();
    int16_t ready = 0, status = 0;
    ni.DAQ_DB_HalfReady(m_device, &ready, &status);
    if (!ready)
        return;
    uint32_t points = uint32_t(m_samplesPerHalf);
    ni.DAQ_DB_Transfer(m_device, m_half.data(), &points, &status);
    points = std::min<uint32_t>(points, uint32_t(m_samplesPerHalf));
    ring.push(m_half.data(), points);
    m_frames += qint64(m_framesPerHalf);
}

void NiDaqInput::stop()
{
    if (!m_running)
        return;
    m_running = false;
    const sound::NiDaqEntryPoints& ni = m_lib.Entry();
    int16_t boardCode = 0;
    ni.DAQ_Clear(m_device);
    ni.DAQ_DB_Config(m_device, 0);
    ni.Timeout_Config(m_device, 0);
    ni.Init_DA_Brds(m_device, &boardCode);
}

// ---- Tape machine ----

TapeMachineInput::TapeMachineInput(const sound::CbLibrary& library, sound::TapeMachine::Wait wait)
    : m_lib(library),
      m_wait(wait ? std::move(wait) : sound::TapeMachine::Wait([](int ms) { QThread::msleep(ulong(ms)); }))
{
}

bool TapeMachineInput::start(AcquisitionSettings& settings, SampleRing&)
{
    if (!m_lib.CbIsLoaded())
        return fail(QStringLiteral("The tape machine is switched through a Measurement Computing board. %1")
                        .arg(CbUnavailableText()),
                    QStringLiteral("Tape machine"));
    m_board = settings.device;
    const sound::CbLibrary& lib = m_lib;
    const int board = m_board;
    sound::TapeMachine machine([&lib, board](int bit, int value) { return lib.CbWriteDigitalBit(board, bit, value); },
                               m_wait);
    if (!machine.Start())
        return fail(QStringLiteral("The board refused the tape machine's start bit"), QStringLiteral("Tape machine"));
    m_running = true;
    return true;
}

void TapeMachineInput::stop()
{
    if (!m_running)
        return;
    m_running = false;
    const sound::CbLibrary& lib = m_lib;
    const int board = m_board;
    sound::TapeMachine([&lib, board](int bit, int value) { return lib.CbWriteDigitalBit(board, bit, value); }, m_wait)
        .Stop();
}

} // namespace velmar::recorder
