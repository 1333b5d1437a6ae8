#include "nmeaserver/SerialPortWorker.h"

#include "nmeaserver/ReaderStatus.h"

#include <QLoggingCategory>
#include <QSerialPort>
#include <QSet>

#include <algorithm>
#include <mutex>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velmar::nmeaserver {

Q_DECLARE_LOGGING_CATEGORY(lcReader)

namespace {
constexpr int ReadsBeforeTimeOut = 2;
constexpr qint64 InputQueueBytes = 4096;
// Less than this in one look is a line no faster than a serial port's
// 115200 baud over the read pause.
constexpr qint64 TrickleBytes = 1024;
constexpr char ParityBit = char(0x80);

// Ports whose last open failed. A missing port is tried every second: its
// failure is logged once, and once more when it opens again.
std::mutex failingMutex;
QSet<QString>& failingPorts()
{
    static QSet<QString> ports;
    return ports;
}

bool noteOpenFailed(const QString& port)
{
    std::lock_guard lock(failingMutex);
    if (failingPorts().contains(port))
        return false;
    failingPorts().insert(port);
    return true;
}

bool noteOpened(const QString& port)
{
    std::lock_guard lock(failingMutex);
    return failingPorts().remove(port);
}
} // namespace

SerialPortWorker::SerialPortWorker(const QString& portName, int baudRate, int readTimeoutMs)
    : m_portName(portName), m_baudRate(baudRate), m_readTimeoutMs(readTimeoutMs),
      m_wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

SerialPortWorker::~SerialPortWorker()
{
    ClosePort();
    if (m_wakeFd >= 0)
        close(m_wakeFd);
}

bool SerialPortWorker::OpenPort()
{
    ClosePort();
    m_port = new QSerialPort;
    m_port->setPortName(m_portName);
    if (m_wakeFd < 0 || !m_port->open(QIODevice::ReadOnly)) {
        if (noteOpenFailed(m_portName))
            qCInfo(lcReader) << "cannot open" << m_portName
                             << (m_wakeFd < 0 ? QStringLiteral("(no event descriptor)") : m_port->errorString())
                             << "(tried again every second, logged again when it opens)";
        ClosePort();
        return false;
    }
    // A rate of 0 (never set) or one the driver refuses is a port error of
    // its own: the port is closed again rather than read at a wrong speed.
    const bool settingsTaken = m_baudRate > 0 && m_port->setBaudRate(m_baudRate)
                            && m_port->setDataBits(QSerialPort::Data8) && m_port->setParity(QSerialPort::NoParity)
                            && m_port->setStopBits(QSerialPort::OneStop)
                            && m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!settingsTaken) {
        if (noteOpenFailed(m_portName))
            qCInfo(lcReader) << "line settings refused on" << m_portName << m_baudRate << m_port->errorString();
        ClosePort();
        return false;
    }
    if (noteOpened(m_portName))
        qCInfo(lcReader) << m_portName << "opens again";
    // Pseudo-terminals and some adapters have no modem lines; that is no reason
    // not to read them.
    m_port->setDataTerminalReady(false);
    m_port->setRequestToSend(false);
    m_port->clearError();
    return true;
}

void SerialPortWorker::ClosePort()
{
    if (m_port) {
        m_port->close();
        delete m_port;
        m_port = nullptr;
    }
}

void SerialPortWorker::start()
{
    if (!OpenPort()) {
        m_ended = true;
        reportStatus(StatusPortError);
        emit finished();
        return;
    }
    m_framer.reset();
    reportStatus(StatusStarting);
    readLoop();
}

void SerialPortWorker::readLoop()
{
    // The port opened in non-blocking mode: a read returns what is there.
    const int fd = m_port->handle();
    const auto silence = std::chrono::milliseconds(qint64(m_readTimeoutMs) * ReadsBeforeTimeOut);
    Clock::time_point lastData = Clock::now();
    Clock::time_point lookAgainAt = lastData;
    std::optional<Clock::time_point> wakeAt;
    while (!m_ended) {
        if (m_stopRequested) {
            end(StatusIdle);
            return;
        }
        if (m_resumeRequested.exchange(false))
            m_paused = false;
        const Clock::time_point now = Clock::now();
        if (wakeAt && now >= *wakeAt) {
            wakeAt.reset();
            wakeIfDue();
        }
        // A port not read because its sentences still wait is not silent.
        if (m_paused)
            lastData = now;
        if (now - lastData >= silence) {
            end(StatusTimeOut);
            return;
        }
        const bool lookAtPort = !m_paused && now >= lookAgainAt;
        Clock::time_point until = lastData + silence;
        if (wakeAt)
            until = std::min(until, *wakeAt);
        if (!m_paused && !lookAtPort)
            until = std::min(until, lookAgainAt);
        const int timeoutMs = int(std::chrono::ceil<std::chrono::milliseconds>(until - now).count());
        pollfd fds[] = {{m_wakeFd, POLLIN, 0}, {fd, POLLIN, 0}};
        const int ready = poll(fds, lookAtPort ? 2 : 1, std::max(0, timeoutMs));
        if (ready < 0 && errno != EINTR) {
            qCInfo(lcReader) << "cannot wait for" << m_portName << strerror(errno);
            end(StatusIdle);
            return;
        }
        if (fds[0].revents & POLLIN) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = read(m_wakeFd, &count, sizeof count);
        }
        if (!lookAtPort || fds[1].revents == 0)
            continue;
        const ReadResult result = readPort(wakeAt);
        if (result == ReadResult::Ended)
            return;
        lastData = Clock::now();
        if (result == ReadResult::Pause)
            lookAgainAt = lastData + ReadPause;
    }
}

SerialPortWorker::ReadResult SerialPortWorker::readPort(std::optional<Clock::time_point>& wakeAt)
{
    char chunk[InputQueueBytes];
    qint64 total = 0;
    bool full = false;
    bool gone = false;
    bool whole = true;
    while (whole) {
        if (queueFull()) {
            m_paused = true;
            full = true;
            break;
        }
        const ssize_t n = read(m_port->handle(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n <= 0) {
            // A device that goes away (an unplugged adapter, the far end of a
            // pseudo-terminal closing) ends the reader.
            qCInfo(lcReader) << "read error on" << m_portName << (n < 0 ? strerror(errno) : "end of data");
            gone = true;
            break;
        }
        total += n;
        const Clock::time_point readAt = Clock::now();
        for (ssize_t i = 0; i < n; ++i)
            chunk[i] = char(chunk[i] & ~ParityBit);
        whole = m_framer.feed(chunk, size_t(n), [this, readAt](std::string_view s) { m_batch.append(s, readAt); });
        if (n < qint64(sizeof chunk))
            break;
    }
    // What came before an overflow or the end is handed on first.
    if (const auto wakeIn = deliver(m_batch); wakeIn && !wakeAt)
        wakeAt = Clock::now() + *wakeIn;
    if (!whole || gone) {
        end(whole ? StatusIdle : StatusOverflow);
        return ReadResult::Ended;
    }
    // A line that brought a few sentences: what comes next gathers for a
    // moment. A faster one (a pseudo-terminal fed flat out) is read on at once.
    return !full && total > 0 && total < TrickleBytes ? ReadResult::Pause : ReadResult::LookAgain;
}

void SerialPortWorker::wakeLoop()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(m_wakeFd, &one, sizeof one);
}

void SerialPortWorker::requestStop()
{
    m_stopRequested = true;
    wakeLoop();
}

void SerialPortWorker::requestResume()
{
    m_resumeRequested = true;
    wakeLoop();
}

void SerialPortWorker::resume()
{
    m_paused = false;
}

void SerialPortWorker::stop()
{
    end(StatusIdle);
}

void SerialPortWorker::end(int code)
{
    if (m_ended)
        return;
    m_ended = true;
    ClosePort();
    reportStatus(code);
    emit finished();
}

} // namespace velmar::nmeaserver
