#pragma once
// The bus_peer helper program run by a test: started with its arguments, its
// report lines read with bounded waits, killed when the test ends.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTest>

#include <csignal>

class BusPeerProcess {
public:
    explicit BusPeerProcess(const QStringList& args,
                            const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
    {
        m_process.setProcessEnvironment(env);
        m_process.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/bus_peer"));
        m_process.setArguments(args);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }
    ~BusPeerProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            resume();
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // The next report line (without its newline), or an empty text when none
    // came within the bound or the program ended. Our own event loop runs
    // meanwhile, so the peer may call us while we wait.
    QString nextLine(int boundMs = 10000)
    {
        // Whether it came is read from the process below.
        (void)QTest::qWaitFor([this] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; },
                              boundMs);
        return m_process.canReadLine() ? readOne() : QString();
    }

    // Skips report lines until one equals line; false when it never came.
    bool waitFor(const QString& line, int boundMs = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < boundMs) {
            const QString got = nextLine(boundMs - int(clock.elapsed()));
            if (got == line)
                return true;
            if (got.isEmpty())
                return false;
        }
        return false;
    }

    void pause() { ::kill(pid_t(m_process.processId()), SIGSTOP); }
    void resume() { ::kill(pid_t(m_process.processId()), SIGCONT); }
    void crash()
    {
        resume();
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    bool waitForExit(int boundMs = 10000) { return m_process.waitForFinished(boundMs); }
    int exitCode() const { return m_process.exitCode(); }
    QProcess& process() { return m_process; }

private:
    QString readOne() { return QString::fromUtf8(m_process.readLine()).trimmed(); }

    QProcess m_process;
};
