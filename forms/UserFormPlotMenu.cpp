#include "forms/UserFormPlotMenu.h"

#include "forms/ControlIds.h"
#include "forms/ControlKeywords.h"
#include "forms/UserFormData.h"
#include "settings/ProgramSettings.h"

#include <map>

namespace velmar::forms {

namespace {

constexpr int kMaxMenuCheckChars = 255;
constexpr QChar kTicked = QLatin1Char('c');
constexpr QChar kUnticked = QLatin1Char('u');

std::map<const TUserFormInfo*, std::vector<PlotMenuItem>>& menus()
{
    static std::map<const TUserFormInfo*, std::vector<PlotMenuItem>> m;
    return m;
}

struct Handlers {
    std::function<void(TUserFormInfo&)> lookupCheckBoxes;
    std::function<void()> plotChanged;
};
Handlers& handlers()
{
    static Handlers h;
    return h;
}

void add(std::vector<PlotMenuItem>& menu, PlotMenuItem item)
{
    item.id = NextControlIds(1);
    menu.push_back(std::move(item));
}

} // namespace

void setLookupCheckBoxesHandler(std::function<void(TUserFormInfo&)> handler)
{
    handlers().lookupCheckBoxes = std::move(handler);
}

void setPlotChangedHandler(std::function<void()> handler)
{
    handlers().plotChanged = std::move(handler);
}

const std::vector<PlotMenuItem>& PlotMenuOf(const TUserFormInfo& form)
{
    static const std::vector<PlotMenuItem> none;
    const auto it = menus().find(&form);
    return it == menus().end() ? none : it->second;
}

void BuildPlotMenu(TUserFormInfo& form)
{
    std::vector<PlotMenuItem> menu;
    for (const auto& owned : form.Rows()) {
        CONTROLTYPEINFO& row = *owned;
        if (row.typeCode == CT_LOOKUP && row.lookup.empty())
            form.LoadLookupList(row);
        if (!row.Plot)
            continue;
        const std::size_t first = menu.size();
        if (row.typeCode == CT_PLOT) {
            add(menu, {PlotMenuItem::PlotAll, 0, QStringLiteral("Plot All")});
            form.PlotAllId = menu.back().id;
        } else if (row.typeCode == CT_LOOKUP) {
            for (std::size_t i = 0; i < row.lookup.size(); ++i) {
                const QString text = i == 0 ? QStringLiteral("All %1").arg(row.Title) : row.lookup[i].text;
                add(menu, {PlotMenuItem::LookupItem, 0, text, false, &row, int(i)});
                row.lookup[i].menuId = menu.back().id;
                if (i == 0)
                    add(menu, {PlotMenuItem::Separator, 0, QString()});
            }
        } else {
            add(menu, {PlotMenuItem::Row, 0, row.Title, false, &row});
        }
        if (menu.size() > first) {
            row.firstPlotId = menu[first].id;
            row.lastPlotId = menu.back().id;
        }
    }
    if (!menu.empty()) {
        form.FirstPlotId = menu.front().id;
        form.LastPlotId = menu.back().id;
    }
    menus()[&form] = std::move(menu);
}

void RestorePlotMenu(TUserFormInfo& form)
{
    auto it = menus().find(&form);
    if (it == menus().end())
        return;
    QString text;
    if (!DbReadMenuCheck(form.FormName, &text))
        return;
    auto& menu = it->second;
    for (std::size_t i = 0; i < menu.size() && i < std::size_t(text.size()); ++i)
        menu[i].checked = menu[i].kind != PlotMenuItem::Separator && text[qsizetype(i)] == kTicked;
    ReadPlotMenu(form);
}

QString PlotMenuCheckText(const TUserFormInfo& form)
{
    QString text;
    for (const PlotMenuItem& item : PlotMenuOf(form)) {
        if (text.size() >= kMaxMenuCheckChars)
            break;
        text += item.checked ? kTicked : kUnticked;
    }
    return text;
}

void SavePlotMenu(const TUserFormInfo& form)
{
    DbWriteMenuCheck(form.FormName, PlotMenuCheckText(form));
}

void SaveUserFormPlotMenus()
{
    DbClearMenuChecks();
    for (const TUserFormInfo* form : UserFormList())
        SavePlotMenu(*form);
}

bool SetPlotMenuCheck(const TUserFormInfo& form, int id, bool checked)
{
    auto it = menus().find(&form);
    if (it == menus().end())
        return false;
    for (PlotMenuItem& item : it->second) {
        if (item.id != id || item.kind == PlotMenuItem::Separator)
            continue;
        const bool changed = item.checked != checked;
        item.checked = checked;
        return changed;
    }
    return false;
}

bool ReadPlotMenu(TUserFormInfo& form)
{
    for (const PlotMenuItem& item : PlotMenuOf(form)) {
        switch (item.kind) {
        case PlotMenuItem::PlotAll: form.PlotSelected = item.checked; break;
        case PlotMenuItem::LookupItem:
            item.row->lookup[std::size_t(item.lookupIndex)].plotSelected = item.checked;
            break;
        case PlotMenuItem::Row: item.row->plotSelected = item.checked; break;
        case PlotMenuItem::Separator: break;
        }
    }
    return true;
}

bool TogglePlotItem(TUserFormInfo& form, int id)
{
    if (store::TheProgramSettings.LookupPopup) {
        if (handlers().lookupCheckBoxes)
            handlers().lookupCheckBoxes(form);
        return true;
    }
    auto it = menus().find(&form);
    if (it == menus().end() || !form.HasPlotAll)
        return true;
    for (PlotMenuItem& item : it->second)
        if (item.id == id && item.kind != PlotMenuItem::Separator)
            item.checked = !item.checked;
    ReadPlotMenu(form);
    if (handlers().plotChanged)
        handlers().plotChanged();
    return true;
}

int CountPlotSelections(const TUserFormInfo& form)
{
    int count = form.PlotSelected ? 1 : 0;
    for (const auto& row : form.Rows()) {
        if (row->typeCode == CT_LOOKUP) {
            for (const LookupItem& item : row->lookup)
                count += item.plotSelected ? 1 : 0;
        } else if (row->typeCode != CT_PLOT && row->Plot && row->plotSelected) {
            ++count;
        }
    }
    return count;
}

bool HandleUserFormPlotMenu(int id)
{
    for (TUserFormInfo* form : UserFormList()) {
        if (id == form->PlotAllId || (form->FirstPlotId != 0 && id >= form->FirstPlotId && id <= form->LastPlotId))
            return TogglePlotItem(*form, id);
    }
    return false;
}

void DropPlotMenu(const TUserFormInfo& form)
{
    menus().erase(&form);
}

} // namespace velmar::forms
