#pragma once
// The two ends of a sample pipe "\\.\pipe\N": a Unix domain socket N in the
// pipe folder. The server (Pelvane, a deck) creates the pipe and writes as
// data arrives without ever waiting for its reader; the reader (the recorder's
// piped input, a detector) connects and polls.
//
// Each object and its socket belong to the thread that made it (Pelvane's
// acquisition thread, a deck's engine thread, a recorder's thread); none is
// shared. Neither end blocks: a write takes what fits and the rest is lost for
// that reader, as with a full Windows pipe.
#include <QByteArray>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;

namespace velmar::sound {

class SamplePipeServer {
public:
    SamplePipeServer();
    ~SamplePipeServer();
    SamplePipeServer(const SamplePipeServer&) = delete;
    SamplePipeServer& operator=(const SamplePipeServer&) = delete;

    // Creates the pipe (a stale socket of an earlier run, one nobody listens
    // on, is replaced). False, with errorString() saying why, when another
    // server listens on it. The out buffer is how many written bytes may wait
    // for the reader.
    bool create(const QString& windowsPipeName, qint64 outBufferBytes);
    bool isCreated() const;
    QString errorString() const;
    QString socketPath() const;

    // Takes a waiting reader when there is none yet; true while one is connected.
    bool hasReader();
    // Bytes taken (fewer than given when the pipe is full); -1 when no reader
    // is connected: none yet, or it has gone. Never waits.
    qint64 write(const char* data, qint64 bytes);
    qint64 write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    // How many bytes a write may take now without passing the out buffer;
    // -1 when no reader is connected. Passes on what the socket holds first.
    qint64 room();
    // Bytes written but not yet taken by the reader's side of the socket.
    qint64 pendingBytes() const;

    void close();

private:
    std::unique_ptr<QLocalServer> m_server;
    QLocalSocket* m_reader = nullptr; // owned by m_server
    qint64 m_outBufferBytes = 0;
    QString m_error;
};

class SamplePipeReader {
public:
    SamplePipeReader();
    ~SamplePipeReader();
    SamplePipeReader(const SamplePipeReader&) = delete;
    SamplePipeReader& operator=(const SamplePipeReader&) = delete;

    // Connects to an existing pipe; false when there is none (or no answer
    // within the time-out).
    bool open(const QString& windowsPipeName, int timeoutMs);
    bool isOpen() const;
    // Bytes that can be read now without waiting (the pipe is peeked).
    qint64 bytesAvailable();
    // Reads at most maxBytes of what is there now.
    QByteArray read(qint64 maxBytes);
    void close();

private:
    std::unique_ptr<QLocalSocket> m_socket;
};

} // namespace velmar::sound
