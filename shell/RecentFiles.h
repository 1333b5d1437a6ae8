#pragma once
// TRecentFiles: the most recently chosen survey databases, kept in an INI
// file of the settings folder so that every start lists the same choices.
// User-interface thread only; every call reads or writes the file, so two
// copies of the program see each other's choices.
#include "store/ui/DatabaseDialog.h"

#include <QString>
#include <QStringList>

namespace velmar::shell {

// The database page takes it as its list of recent database files.
class TRecentFiles : public store::RecentDatabaseList {
public:
    // Menu id of the first (most recent) entry; the others follow.
    static constexpr int FirstMenuId = 31990;

    TRecentFiles(const QString& iniName, int maxEntries);

    // Puts a text at the top of the list; an equal entry further down is
    // removed, and the list is cut to its maximum length. Empty texts are
    // ignored.
    void SaveMenuChoice(const QString& text);

    // The entries, most recent first.
    QStringList GetMenuTexts() const;

    // The entry with a menu id (FirstMenuId upward); empty when none.
    QString GetMenuText(int menuId) const;

    QStringList entries() const override { return GetMenuTexts(); }
    void saveMenuChoice(const QString& path) override { SaveMenuChoice(path); }

    QString FileName() const;
    int MaxEntries() const { return m_maxEntries; }

private:
    QString m_iniName;
    int m_maxEntries;
};

} // namespace velmar::shell
