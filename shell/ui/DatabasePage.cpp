#include "shell/ui/DatabasePage.h"

#include <QVBoxLayout>

namespace velmar::shell::ui {

DatabasePage::DatabasePage(store::RecentDatabaseList& recent, QWidget* parent)
    : SettingsPage(tr("Output Database"), parent), m_dialog(new store::DatabaseDialog(recent, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_dialog);
}

} // namespace velmar::shell::ui
