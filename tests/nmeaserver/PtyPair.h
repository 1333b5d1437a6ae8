#pragma once
// A pair of linked pseudo-terminals made by socat, standing in for a serial
// port and the instrument on its far end.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class PtyPair {
public:
    PtyPair()
    {
        m_port = m_dir.path() + "/port";
        m_instrument = m_dir.path() + "/instrument";
        m_socat.setProcessChannelMode(QProcess::MergedChannels);
        m_socat.start("socat", {"-d", "-d", "pty,raw,echo=0,link=" + m_port, "pty,raw,echo=0,link=" + m_instrument});
        m_ready = m_socat.waitForStarted(5000)
               && QTest::qWaitFor(
                      [&] {
                          return m_socat.readAll().contains("starting data transfer loop")
                              || (QFileInfo::exists(m_port) && QFileInfo::exists(m_instrument));
                      },
                      10000);
    }
    ~PtyPair()
    {
        m_writer.close();
        m_socat.terminate();
        m_socat.waitForFinished(5000);
    }
    bool ready() const { return m_ready; }
    QString port() const { return m_port; }
    QString folder() const { return m_dir.path(); }

    // Writes bytes as the instrument sends them.
    bool write(const QByteArray& bytes)
    {
        if (!m_writer.isOpen()) {
            m_writer.setFileName(m_instrument);
            if (!m_writer.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                return false;
        }
        return m_writer.write(bytes) == bytes.size();
    }

private:
    QTemporaryDir m_dir;
    QString m_port;
    QString m_instrument;
    QProcess m_socat;
    QFile m_writer;
    bool m_ready = false;
};
