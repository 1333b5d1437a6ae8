#pragma once
// The consumer's side of a Pelvane pipe: ask Pelvane for the pipe by message
// ("PipeMsgPipeCommand" open with the pipe's routing bit; Pelvane has made the
// pipe and started sampling when the answer comes), connect to it at once,
// poll it, and at the end tell Pelvane to close it before letting go.
//
// One object per consumer, used on one thread. The default messenger is the
// session bus, which belongs to the user-interface thread; a consumer on
// another thread gives a messenger that forwards there.
#include "sound/PipeProtocol.h"
#include "sound/SamplePipe.h"

#include <QString>

#include <functional>
#include <optional>

namespace velmar::sound {

// How long a pipe command may take: Pelvane opens its device while answering.
inline constexpr int PipeCommandTimeoutMs = 10000;

class PelvanePipeClient {
public:
    // Sends a message to Pelvane; the answer, or nothing when it did not come.
    using Messenger = std::function<std::optional<qint64>(const QString& message, quint64 wParam, qint64 lParam)>;

    explicit PelvanePipeClient(uint32_t routingBit, Messenger messenger = busMessenger());
    ~PelvanePipeClient();
    PelvanePipeClient(const PelvanePipeClient&) = delete;
    PelvanePipeClient& operator=(const PelvanePipeClient&) = delete;

    // Asks for the pipe and connects to it. False when Pelvane did not answer
    // or no pipe could be reached (the close command is then sent again, so
    // that Pelvane does not keep sampling for nobody).
    bool open(int connectTimeoutMs = PipeDefaultTimeoutMs);
    bool isOpen() const { return m_open; }
    // False once Pelvane has closed its end of the pipe (what it sent before
    // may still wait to be read).
    bool connected() const { return m_open && m_reader.isOpen(); }
    qint64 bytesAvailable() { return m_reader.bytesAvailable(); }
    QByteArray read(qint64 maxBytes) { return m_reader.read(maxBytes); }
    // Tells Pelvane to close the pipe, then lets go of it.
    void close();

    // Sends to the owner of Pelvane's bus name with PipeCommandTimeoutMs.
    static Messenger busMessenger();

private:
    uint32_t m_bit;
    Messenger m_messenger;
    SamplePipeReader m_reader;
    bool m_open = false;
};

} // namespace velmar::sound
