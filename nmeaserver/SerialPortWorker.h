#pragma once
// Reads one serial port and cuts it into sentences (see SentenceFramer).
//
// Line settings: the instruments talk NMEA 0183 at 7 data bits with even
// parity that nobody checks. Linux cannot take 7-bit characters with parity
// unchecked on every driver, so the port is read as 8 data bits without
// parity and bit 7 (the parity bit) is cleared from every byte. No flow
// control; DTR and RTS are left low where the device has them.
//
// Lives on its reader thread (SerialThread); the port is opened there. While
// the user-interface thread has not taken what waits, the port is not read.
#include "nmeaserver/SentenceFramer.h"
#include "nmeaserver/SerialThread.h"

#include <QElapsedTimer>

class QSerialPort;
class QTimer;

namespace velmar::nmeaserver {

class SerialPortWorker : public ReaderWorker {
    Q_OBJECT
public:
    // readTimeoutMs: one read time-out; a port silent for two of them times out.
    SerialPortWorker(const QString& portName, int baudRate, int readTimeoutMs);
    ~SerialPortWorker() override;

    void start() override;
    void stop() override;
    void resume() override;

private:
    bool OpenPort();
    void ClosePort();
    void onReadyRead();
    void onSilence();
    void onError(int error);
    void end(int code);

    QString m_portName;
    int m_baudRate;
    int m_readTimeoutMs;
    QSerialPort* m_port = nullptr;
    QTimer* m_silence = nullptr;
    QElapsedTimer m_lastData; // since the port last gave bytes
    SentenceFramer m_framer;
    SentenceBatch m_batch;
    bool m_paused = false; // the queue was full: the port is not read until resumed
    bool m_ended = false;
};

} // namespace velmar::nmeaserver
