#include "nav/ProgramLinks.h"

#include "platform/Folders.h"
#include "platform/ProgramFolder.h"
#include "settings/ProgramSettings.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>

namespace velmar::nav {

namespace {

Q_LOGGING_CATEGORY(linksLog, "velmar.nav.links")

bool startDetached(const QString& program)
{
    // Scripted runs of the main program (the test suite) must not leave
    // servers behind that outlive their session bus.
    if (qEnvironmentVariable("VELMAR_PROGRAM_START") == QLatin1String("off")) {
        qCInfo(linksLog) << "not starting" << program << "(VELMAR_PROGRAM_START=off)";
        return false;
    }
    return !program.isEmpty() && QProcess::startDetached(program, {});
}

ProgramLauncher& launcher()
{
    static ProgramLauncher l = startDetached;
    return l;
}

// The file name a configured path names, without the ".exe" that paths from
// the Windows program carry (the suite's programs have no extension here).
QString programFileName(const QString& path)
{
    QString name = QFileInfo(platform::toLocalPath(path)).fileName();
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

QString mainProgramFolder()
{
    const QString folder = platform::GetProgramFolder();
    return folder.isEmpty() ? platform::executableFolder() : folder;
}

} // namespace

void SetProgramLauncher(ProgramLauncher l)
{
    launcher() = l ? std::move(l) : ProgramLauncher(startDetached);
}

bool StartProgram(int programType)
{
    const int slot = store::ProgramTypeIndex(programType);
    if (slot < 0)
        return false;
    store::ProgramSettings::Path& path = store::TheProgramSettings.ProgramPaths[std::size_t(slot)];
    const QString configured = path.text();
    if (launcher()(platform::toLocalPath(configured)))
        return true;

    const QString name = programFileName(configured);
    if (name.isEmpty()) {
        qCWarning(linksLog) << "cannot start program" << configured;
        return false;
    }
    const QString beside = mainProgramFolder() + QLatin1Char('/') + name;
    // The operator's path stays unless the one beside this program works.
    if (launcher()(beside)) {
        path.setText(beside);
        return true;
    }
    qCWarning(linksLog) << "cannot start program" << configured << "nor" << beside;
    return false;
}

} // namespace velmar::nav
