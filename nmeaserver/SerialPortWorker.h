#pragma once
// Reads one serial port and cuts it into sentences (see SentenceFramer).
//
// Line settings: the instruments talk NMEA 0183 at 7 data bits with even
// parity that nobody checks. Linux cannot take 7-bit characters with parity
// unchecked on every driver, so the port is read as 8 data bits without
// parity and bit 7 (the parity bit) is cleared from every byte. No flow
// control; DTR and RTS are left low where the device has them.
//
// Lives on its reader thread (SerialThread); the port is opened there and
// read in a loop of its own, not through the thread's event loop: it waits
// for the port (and for a stop or resume asked for by the user-interface
// thread), reads what is there, and then lets the bytes of the next few
// milliseconds gather in the port's own buffer before it looks again, so
// that a line that brings a sentence every few milliseconds wakes it a few
// dozen times a second, not once per sentence. While the user-interface
// thread has not taken what waits, the port is not read.
#include "nmeaserver/SentenceFramer.h"
#include "nmeaserver/SerialThread.h"

#include <atomic>
#include <chrono>
#include <optional>

class QSerialPort;

namespace velmar::nmeaserver {

class SerialPortWorker : public ReaderWorker {
    Q_OBJECT
public:
    // After a read that emptied the port, the next look waits this long.
    static constexpr std::chrono::milliseconds ReadPause{20};

    // readTimeoutMs: one read time-out; a port silent for two of them times out.
    SerialPortWorker(const QString& portName, int baudRate, int readTimeoutMs);
    ~SerialPortWorker() override;

    // Reader thread: opens the port and reads it until stopped or ended.
    void start() override;
    void stop() override;
    void resume() override;
    // User-interface thread.
    void requestStop() override;
    void requestResume() override;

private:
    using Clock = std::chrono::steady_clock;
    enum class ReadResult { LookAgain, Pause, Ended };

    bool OpenPort();
    void ClosePort();
    void readLoop();
    // Reads until the port is empty or the queue full: Pause when it gave a
    // little and is empty now. wakeAt: when the user-interface thread is due
    // to be woken for what waits.
    ReadResult readPort(std::optional<Clock::time_point>& wakeAt);
    void wakeLoop();
    void end(int code);

    QString m_portName;
    int m_baudRate;
    int m_readTimeoutMs;
    QSerialPort* m_port = nullptr;
    int m_wakeFd = -1; // written to make the loop look at the requests
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_resumeRequested{false};
    SentenceFramer m_framer;
    SentenceBatch m_batch;
    bool m_paused = false; // the queue was full: the port is not read until resumed
    bool m_ended = false;
};

} // namespace velmar::nmeaserver
