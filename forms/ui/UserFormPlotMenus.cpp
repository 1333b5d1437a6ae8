#include "forms/ui/UserFormPlotMenus.h"

#include "forms/UserFormPlotMenu.h"
#include "settings/ProgramSettings.h"

#include <QMenu>

namespace velmar::forms {

namespace {

// The ticks may change behind the menu (the look-up box, a restart of the
// plot choices): they are read again whenever it opens.
void showTicks(QMenu* sub, const TUserFormInfo* form)
{
    const std::vector<PlotMenuItem>& items = PlotMenuOf(*form);
    const QList<QAction*> actions = sub->actions();
    for (int i = 0; i < actions.size() && i < int(items.size()); ++i)
        actions[i]->setChecked(items[std::size_t(i)].checked);
}

} // namespace

int AddUserFormPlotMenus(QMenu* menu)
{
    if (!menu)
        return 0;
    int added = 0;
    for (TUserFormInfo* form : UserFormList()) {
        const std::vector<PlotMenuItem>& items = PlotMenuOf(*form);
        if (items.empty())
            continue;
        ++added;
        if (store::TheProgramSettings.LookupPopup) {
            const int id = form->FirstPlotId;
            QAction* a = menu->addAction(QStringLiteral("%1...").arg(form->FormName));
            a->setData(id);
            QObject::connect(a, &QAction::triggered, a, [id] { HandleUserFormPlotMenu(id); });
            continue;
        }
        QMenu* sub = menu->addMenu(form->FormName);
        for (const PlotMenuItem& item : items) {
            if (item.kind == PlotMenuItem::Separator) {
                sub->addSeparator();
                continue;
            }
            QAction* a = sub->addAction(item.text);
            a->setCheckable(true);
            a->setData(item.id);
            const int id = item.id;
            QObject::connect(a, &QAction::triggered, sub, [id, sub, form] {
                HandleUserFormPlotMenu(id);
                showTicks(sub, form);
            });
        }
        showTicks(sub, form);
        QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, form] { showTicks(sub, form); });
    }
    return added;
}

} // namespace velmar::forms
