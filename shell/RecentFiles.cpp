#include "shell/RecentFiles.h"

#include "platform/Folders.h"

#include <QSettings>

namespace velmar::shell {

namespace {
const QString Section = QStringLiteral("Recent Files");
QString key(int i)
{
    return QStringLiteral("File%1").arg(i + 1);
}
} // namespace

TRecentFiles::TRecentFiles(const QString& iniName, int maxEntries) : m_iniName(iniName), m_maxEntries(maxEntries)
{
}

QString TRecentFiles::FileName() const
{
    return platform::settingsFile(m_iniName);
}

QStringList TRecentFiles::GetMenuTexts() const
{
    QSettings ini(FileName(), QSettings::IniFormat);
    ini.beginGroup(Section);
    QStringList texts;
    for (int i = 0; i < m_maxEntries; ++i) {
        const QString t = ini.value(key(i)).toString();
        if (!t.isEmpty())
            texts << t;
    }
    return texts;
}

QString TRecentFiles::GetMenuText(int menuId) const
{
    const QStringList texts = GetMenuTexts();
    const int i = menuId - FirstMenuId;
    return i >= 0 && i < texts.size() ? texts[i] : QString();
}

void TRecentFiles::SaveMenuChoice(const QString& text)
{
    if (text.isEmpty())
        return;
    QStringList texts = GetMenuTexts();
    texts.removeAll(text);
    texts.prepend(text);
    while (texts.size() > m_maxEntries)
        texts.removeLast();

    QSettings ini(FileName(), QSettings::IniFormat);
    ini.beginGroup(Section);
    ini.remove(QString());
    for (int i = 0; i < texts.size(); ++i)
        ini.setValue(key(i), texts[i]);
    ini.endGroup();
    ini.sync();
}

} // namespace velmar::shell
