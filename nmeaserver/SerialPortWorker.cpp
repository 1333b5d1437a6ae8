#include "nmeaserver/SerialPortWorker.h"

#include "nmeaserver/ReaderStatus.h"

#include <QLoggingCategory>
#include <QSerialPort>
#include <QSet>
#include <QTimer>

#include <mutex>

namespace velmar::nmeaserver {

Q_DECLARE_LOGGING_CATEGORY(lcReader)

namespace {
constexpr int ReadsBeforeTimeOut = 2;
constexpr qint64 InputQueueBytes = 4096;
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
    : m_portName(portName), m_baudRate(baudRate), m_readTimeoutMs(readTimeoutMs)
{
}

SerialPortWorker::~SerialPortWorker()
{
    ClosePort();
}

bool SerialPortWorker::OpenPort()
{
    ClosePort();
    m_port = new QSerialPort;
    m_port->setPortName(m_portName);
    if (!m_port->open(QIODevice::ReadOnly)) {
        if (noteOpenFailed(m_portName))
            qCInfo(lcReader) << "cannot open" << m_portName << m_port->errorString()
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
    m_port->setReadBufferSize(InputQueueBytes);
    m_port->clearError();
    return true;
}

void SerialPortWorker::ClosePort()
{
    // Deferred deletes: this may run inside a signal of the port itself. They
    // are carried out on this thread before it ends.
    if (m_silence) {
        m_silence->stop();
        m_silence->deleteLater();
        m_silence = nullptr;
    }
    if (m_port) {
        m_port->disconnect(this);
        m_port->close();
        m_port->deleteLater();
        m_port = nullptr;
    }
}

void SerialPortWorker::start()
{
    if (!OpenPort()) {
        m_ended = true;
        emit status(StatusPortError);
        emit finished();
        return;
    }
    m_framer.reset();
    m_silence = new QTimer;
    m_silence->setSingleShot(true);
    m_silence->setInterval(m_readTimeoutMs * ReadsBeforeTimeOut);
    connect(m_silence, &QTimer::timeout, this, &SerialPortWorker::onSilence);
    m_lastData.start();
    connect(m_port, &QSerialPort::readyRead, this, &SerialPortWorker::onReadyRead);
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) { onError(int(e)); });
    emit status(StatusStarting);
    m_silence->start();
    if (m_port->bytesAvailable() > 0)
        onReadyRead();
}

void SerialPortWorker::onReadyRead()
{
    if (m_ended || !m_port)
        return;
    char chunk[InputQueueBytes];
    while (m_port && !m_ended) {
        if (queueFull()) {
            m_paused = true;
            return;
        }
        m_paused = false;
        const qint64 n = m_port->read(chunk, sizeof chunk);
        if (n <= 0)
            return;
        // Not a timer restart per read: the timer looks at this when it fires.
        m_lastData.start();
        for (qint64 i = 0; i < n; ++i)
            chunk[i] = char(chunk[i] & ~ParityBit);
        const bool whole = m_framer.feed(chunk, size_t(n), [this](std::string_view s) { m_batch.append(s); });
        // What came before an overflow is handed on first.
        deliver(m_batch);
        if (!whole) {
            end(StatusOverflow);
            return;
        }
    }
}

void SerialPortWorker::resume()
{
    if (m_paused)
        onReadyRead();
}

void SerialPortWorker::onSilence()
{
    // A port not read because its sentences still wait is not silent.
    if (m_paused)
        m_lastData.start();
    const qint64 silentMs = qint64(m_readTimeoutMs) * ReadsBeforeTimeOut;
    const qint64 quiet = m_lastData.elapsed();
    if (quiet < silentMs) {
        m_silence->start(int(silentMs - quiet));
        return;
    }
    end(StatusTimeOut);
}

void SerialPortWorker::onError(int error)
{
    // A device that goes away (an unplugged adapter, the far end of a
    // pseudo-terminal closing) ends the reader as a failed read did.
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    qCInfo(lcReader) << "read error on" << m_portName << (m_port ? m_port->errorString() : QString());
    end(StatusIdle);
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
    emit status(code);
    emit finished();
}

} // namespace velmar::nmeaserver
