#pragma once
// The real Velmar program run by a test, with no operator: settings in a
// folder of the test's own, start-up sheets accepted with their defaults,
// message boxes logged instead of shown, no display.
#include <QProcessEnvironment>
#include <QString>

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

} // namespace velmar::shell::test
