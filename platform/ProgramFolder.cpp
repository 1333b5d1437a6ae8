#include "platform/ProgramFolder.h"

namespace velmar::platform {

namespace {
QString programFolder;
QString helpFilePath;
} // namespace

QString ProgramFolderOf(const QString& programPath)
{
    const qsizetype cut = std::max(programPath.lastIndexOf(QLatin1Char('/')),
                                   programPath.lastIndexOf(QLatin1Char('\\')));
    return cut < 0 ? QString() : programPath.left(cut);
}

QString HelpFilePathFor(const QString& programFolder)
{
    return QStringLiteral("%1/%2/%3").arg(programFolder, QLatin1String(HelpFolderName), QLatin1String(HelpFileName));
}

void SetProgramPath(const QString& programPath)
{
    programFolder = ProgramFolderOf(programPath);
    helpFilePath = HelpFilePathFor(programFolder);
}

const QString& GetProgramFolder()
{
    return programFolder;
}

const QString& GetHelpFilePath()
{
    return helpFilePath;
}

} // namespace velmar::platform
