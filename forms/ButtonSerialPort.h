#pragma once
// The serial port of a panel's SERIALPORT row: the buttons laid out after the
// row send their command on it, and, when the row asks, what the port
// receives is shown on the panel.
//
// The port is opened for writing, or for reading and writing when received
// text is shown, at 19200 baud, 8 data bits, no parity, one stop bit with DTR
// and RTS low; the survey's stored line settings for the port name replace
// the four line values. Reading is driven by the event loop (no thread of its
// own): a panel port carries a few short commands and replies.
//
// User-interface thread only. The panel owns its ports.
#include "store/ProgramSettingsDb.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QSerialPort;

namespace velmar::forms {

inline constexpr const char* kCantOpenCommPortCaption = "Can't open COMM port";
// The line values a port starts from before the stored ones replace them.
inline constexpr int32_t kButtonPortBaudRate = 19200;

// The bytes a press writes: the command, then a carriage return when asked.
QByteArray SerialCommandBytes(const QString& command, bool carriageReturn);

class ButtonSerialPort : public QObject {
    Q_OBJECT
public:
    explicit ButtonSerialPort(const QString& portName, QObject* parent = nullptr);
    ~ButtonSerialPort() override;

    const QString& PortName() const { return m_portName; }
    // The stored line settings of this port name over the panel defaults.
    static store::SerialLineSettings LineSettingsFor(const QString& portName);

    // Opens (again) with these line settings. False when the device cannot
    // be opened (error holds the system's reason) or does not take the line
    // settings (error empty: such a port is dropped without a word).
    bool Open(bool readToo, const store::SerialLineSettings& line, QString* error);
    void Close();
    bool IsOpen() const;
    // Queues the bytes of the command; false when the port is not open or
    // refuses them.
    bool SendCommand(const QString& command, bool carriageReturn);

signals:
    // Text read from the port, as it came.
    void textReceived(const QString& text);

private:
    QString m_portName;
    QSerialPort* m_port = nullptr;
};

} // namespace velmar::forms
