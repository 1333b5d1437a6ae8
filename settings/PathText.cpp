#include "settings/PathText.h"

namespace velmar::pipeserver {

void AppendCrLf(QString& text)
{
    text += QStringLiteral("\r\n");
}

bool SplitFilePath(const QString& path, QString& folder, int folderSize, QString& name, int nameSize,
                   QString& extension, int extensionSize)
{
    if (path.count(QLatin1Char('.')) != 1)
        return false;
    const qsizetype dot = path.indexOf(QLatin1Char('.'));
    const qsizetype separator = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    if (dot < separator)
        return false; // the one dot is in a folder's name
    const QString ext = path.mid(dot + 1);
    if (ext.size() + 1 > extensionSize)
        return false;
    extension = ext;
    const QString base = path.mid(separator + 1, dot - separator - 1);
    if (base.size() >= nameSize)
        return false;
    name = base;
    const QString dir = separator < 0 ? QString() : path.left(separator);
    if (dir.size() >= folderSize)
        return false;
    folder = dir;
    return true;
}

} // namespace velmar::pipeserver
