#pragma once
// The "Output Database" page of the database sheet and of the first-run
// set-up: the operator picks a recent survey database or browses for (or
// names) a new one; leaving the page opens it.
//
// User-interface thread only. The page does not own the recent-files list.
#include <QWidget>

class QComboBox;

namespace velmar::store {

// The program's list of recently chosen database files.
class RecentDatabaseList {
public:
    virtual ~RecentDatabaseList() = default;
    // Most recent first.
    virtual QStringList entries() const = 0;
    // Puts path at the top of the list.
    virtual void saveMenuChoice(const QString& path) = 0;
};

class DatabaseDialog : public QWidget {
    Q_OBJECT
public:
    explicit DatabaseDialog(RecentDatabaseList& recent, QWidget* parent = nullptr);

    // Refills the combo box from the recent-files list and selects the first.
    void FillRecentList();
    // The page's check, run when it is left or the sheet accepted: opens the
    // chosen database when it is not the one in the settings block. False
    // keeps the page open.
    bool OpenChosenDatabase();
    // The sheet's Apply: the check, then the settings block is written.
    bool Apply();
    // "Browse / Create New".
    void Browse();
    // What Browse does with the file the operator chose.
    void UseBrowsedFile(const QString& fileName);

    QComboBox* comboBox() const { return m_combo; }

private:
    RecentDatabaseList& m_recent;
    QComboBox* m_combo;
};

} // namespace velmar::store
