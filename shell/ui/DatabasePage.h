#pragma once
// The database page (store's DatabaseDialog) as a page of a settings sheet:
// leaving the page opens the chosen database, Apply also writes the block.
// User-interface thread only.
#include "widgets/SettingsSheet.h"
#include "store/ui/DatabaseDialog.h"

namespace velmar::shell::ui {

class DatabasePage : public SettingsPage {
    Q_OBJECT
public:
    explicit DatabasePage(store::RecentDatabaseList& recent, QWidget* parent = nullptr);

    bool KillActive() override { return m_dialog->OpenChosenDatabase(); }
    bool Apply() override { return m_dialog->Apply(); }
    store::DatabaseDialog* Dialog() const { return m_dialog; }

private:
    store::DatabaseDialog* m_dialog;
};

} // namespace velmar::shell::ui
