#include "forms/ButtonSerialPort.h"

#include "platform/SerialPortList.h"

#include <QLoggingCategory>
#include <QSerialPort>

namespace velmar::forms {

namespace {

Q_LOGGING_CATEGORY(buttonSerialLog, "velmar.forms.buttons.serial")

constexpr char kCarriageReturn = '\r';
// What the original port buffered for reading.
constexpr qint64 kReadBufferBytes = 255;

QSerialPort::Parity parityOf(int32_t code)
{
    switch (code) {
    case 1: return QSerialPort::OddParity;
    case 2: return QSerialPort::EvenParity;
    case 3: return QSerialPort::MarkParity;
    case 4: return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits stopBitsOf(int32_t code)
{
    switch (code) {
    case 1: return QSerialPort::OneAndHalfStop;
    case 2: return QSerialPort::TwoStop;
    default: return QSerialPort::OneStop;
    }
}

QSerialPort::DataBits dataBitsOf(int32_t bits)
{
    switch (bits) {
    case 5: return QSerialPort::Data5;
    case 6: return QSerialPort::Data6;
    case 7: return QSerialPort::Data7;
    default: return QSerialPort::Data8;
    }
}

} // namespace

QByteArray SerialCommandBytes(const QString& command, bool carriageReturn)
{
    QByteArray bytes = command.toLatin1();
    if (carriageReturn)
        bytes += kCarriageReturn;
    return bytes;
}

ButtonSerialPort::ButtonSerialPort(const QString& portName, QObject* parent) : QObject(parent), m_portName(portName)
{
}

ButtonSerialPort::~ButtonSerialPort()
{
    Close();
}

store::SerialLineSettings ButtonSerialPort::LineSettingsFor(const QString& portName)
{
    store::SerialLineSettings defaults;
    defaults.BaudRate = kButtonPortBaudRate;
    defaults.Parity = 0;
    defaults.ByteSize = 8;
    defaults.StopBits = 0;
    return store::ReadSerialSettings(portName, defaults);
}

bool ButtonSerialPort::Open(bool readToo, const store::SerialLineSettings& line, QString* error)
{
    Close();
    // A Windows name from an old survey is kept as stored, never guessed.
    if (platform::isWindowsPortName(m_portName)) {
        if (error)
            *error = platform::windowsPortNameMessage(m_portName, platform::serialPortNames());
        return false;
    }
    auto* port = new QSerialPort(m_portName, this);
    if (!port->open(readToo ? QIODevice::ReadWrite : QIODevice::WriteOnly)) {
        if (error)
            *error = port->errorString();
        delete port;
        return false;
    }
    const bool set = port->setBaudRate(line.BaudRate) && port->setDataBits(dataBitsOf(line.ByteSize))
                  && port->setParity(parityOf(line.Parity)) && port->setStopBits(stopBitsOf(line.StopBits))
                  && port->setFlowControl(QSerialPort::NoFlowControl);
    if (!set) {
        qCWarning(buttonSerialLog) << "port" << m_portName << "does not take its line settings:" << port->errorString();
        if (error)
            error->clear();
        port->close();
        delete port;
        return false;
    }
    // Devices without modem lines (a pseudo-terminal) refuse these; harmless.
    port->setDataTerminalReady(false);
    port->setRequestToSend(false);
    if (readToo) {
        port->setReadBufferSize(kReadBufferBytes);
        connect(port, &QSerialPort::readyRead, this, [this, port] {
            const QByteArray bytes = port->readAll();
            if (!bytes.isEmpty())
                emit textReceived(QString::fromLatin1(bytes));
        });
    }
    m_port = port;
    return true;
}

void ButtonSerialPort::Close()
{
    if (!m_port)
        return;
    m_port->close();
    delete m_port;
    m_port = nullptr;
}

bool ButtonSerialPort::IsOpen() const
{
    return m_port && m_port->isOpen();
}

bool ButtonSerialPort::SendCommand(const QString& command, bool carriageReturn)
{
    if (!IsOpen())
        return false;
    const QByteArray bytes = SerialCommandBytes(command, carriageReturn);
    if (m_port->write(bytes) != bytes.size()) {
        qCWarning(buttonSerialLog) << "port" << m_portName << "refused the command:" << m_port->errorString();
        return false;
    }
    return true;
}

} // namespace velmar::forms
