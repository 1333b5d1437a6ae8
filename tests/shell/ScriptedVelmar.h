#pragma once
// The real Velmar program run by a test, with no operator: settings in a
// folder of the test's own, start-up sheets accepted with their defaults,
// message boxes logged instead of shown, no display.
#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTest>

namespace velmar::shell::test {

inline QString VelmarProgramPath()
{
    return qEnvironmentVariable("VELMAR_BIN_DIR") + QStringLiteral("/Velmar");
}

// quitAfterMs: the program closes itself that long after its main window is
// up (as the operator would close it); below 0 it runs until ended.
inline QProcessEnvironment ScriptedVelmarEnvironment(const QString& home, int quitAfterMs = -1)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELMAR_HOME"), home);
    env.insert(QStringLiteral("VELMAR_ACCEPT_SHEETS"), QStringLiteral("1"));
    env.insert(QStringLiteral("VELMAR_NO_MODAL"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (quitAfterMs >= 0)
        env.insert(QStringLiteral("VELMAR_QUIT_AFTER_MS"), QString::number(quitAfterMs));
    return env;
}

// Adds what the program says to `seen` until it has said `text`, it has
// ended or `ms` have gone by; whether it said it. A line the program logged
// before some other effect (a row, a file) can still be in the pipe when
// that effect is seen: read until the line is there.
inline bool ReadOutputUntil(QProcess& program, const QByteArray& text, QByteArray& seen, int ms)
{
    (void)QTest::qWaitFor(
        [&] {
            seen += program.readAll();
            return seen.contains(text) || program.state() == QProcess::NotRunning;
        },
        ms);
    seen += program.readAll();
    return seen.contains(text);
}

} // namespace velmar::shell::test
