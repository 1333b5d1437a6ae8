#include "Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace velmar::platform {

namespace {
QString ensured(const QString& path)
{
    QDir().mkpath(path);
    return path;
}
} // namespace

QString settingsFolder()
{
    const QByteArray home = qgetenv("VELMAR_HOME");
    if (!home.isEmpty())
        return ensured(QString::fromLocal8Bit(home));
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    if (!xdg.isEmpty())
        return ensured(QString::fromLocal8Bit(xdg) + QStringLiteral("/velmar"));
    return ensured(QDir::homePath() + QStringLiteral("/.config/velmar"));
}

QString settingsFile(const QString& name)
{
    return settingsFolder() + QLatin1Char('/') + name;
}

QString executableFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

QString dataFile(const QString& name)
{
    const QString exe = executableFolder();
    const QStringList candidates{
        exe + QLatin1Char('/') + name,
        exe + QStringLiteral("/../share/velmar/") + name,
#ifdef VELMAR_SOURCE_DATA_DIR
        QStringLiteral(VELMAR_SOURCE_DATA_DIR "/") + name,
#endif
    };
    for (const QString& c : candidates)
        if (QFileInfo::exists(c))
            return QFileInfo(c).absoluteFilePath();
    return candidates.front();
}

QString pipeFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return ensured(QString::fromLocal8Bit(runtime) + QStringLiteral("/velmar"));
    return settingsFolder();
}

QString toLocalPath(const QString& storedPath)
{
    QString p = storedPath;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}

} // namespace velmar::platform
