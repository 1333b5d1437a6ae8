#include "shell/ui/HtmlHelp.h"

#include "widgets/MessageBoxSeam.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QUrl>

namespace velmar::shell::ui {

namespace {

UrlOpener& opener()
{
    static UrlOpener o;
    return o;
}

QSet<QString>& reported()
{
    static QSet<QString> pages;
    return pages;
}

} // namespace

QString HelpPagePath(const QString& helpPath, int command, quint64 data)
{
    if (command == HelpCommandContents || data == 0)
        return helpPath;
    return QFileInfo(helpPath).dir().filePath(QStringLiteral("%1.html").arg(data));
}

bool ShowHelp(QWidget* owner, const QString& helpPath, int command, quint64 data)
{
    const QString page = HelpPagePath(helpPath, command, data);
    if (page.isEmpty() || !QFileInfo(page).isFile()) {
        if (!reported().contains(page)) {
            reported().insert(page);
            ShowMessageBox(owner, QObject::tr("The help page %1 is not installed on this machine").arg(page),
                           QObject::tr("Error"), QMessageBox::Critical);
        }
        return false;
    }
    return OpenUrlOrSay(owner, QUrl::fromLocalFile(QFileInfo(page).absoluteFilePath()));
}

void CloseHelp()
{
    reported().clear();
}

void setUrlOpener(UrlOpener o)
{
    opener() = std::move(o);
}

bool OpenUrl(const QUrl& url)
{
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

bool OpenUrlOrSay(QWidget* owner, const QUrl& url)
{
    if (OpenUrl(url))
        return true;
    const QString where = url.isLocalFile() ? url.toLocalFile() : url.toString();
    ShowMessageBox(
        owner, QObject::tr("No program could be started to open %1: this desktop has no launcher for it").arg(where),
        QObject::tr("Error"), QMessageBox::Warning);
    return false;
}

} // namespace velmar::shell::ui
