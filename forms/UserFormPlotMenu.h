#pragma once
// The plot pop-up menus of the user forms: which of a form's records the map
// draws. A form gets a menu when any definition row has Plot: a PLOT row adds
// "Plot All" (the form-wide item), a LOOKUP row "All <Title>", a separator
// and one item per look-up item, any other plotted row its Title. Each item
// carries a command id from the shared control-id counter, so no id of a
// menu is ever taken for another command.
//
// The ticks are kept in the MenuCheck table, one "c" (ticked) or "u" per menu
// position, separators included, and restored at the next start.
//
// The menu here is a model: the map builds its widget menu from it and hands
// the chosen id back to HandleUserFormPlotMenu.
//
// User-interface thread only.
#include "forms/UserFormInfo.h"

#include <QString>

#include <functional>
#include <vector>

namespace velmar::forms {

struct PlotMenuItem {
    enum Kind { PlotAll, LookupItem, Row, Separator };
    Kind kind = Row;
    int id = 0;
    QString text;
    bool checked = false;
    CONTROLTYPEINFO* row = nullptr; // LookupItem and Row
    int lookupIndex = -1;           // LookupItem
};

// The form's menu, in menu order; empty when no row is plotted.
const std::vector<PlotMenuItem>& PlotMenuOf(const TUserFormInfo& form);

// Loads every LOOKUP row's list and builds the menu (at form construction).
void BuildPlotMenu(TUserFormInfo& form);
// The ticks stored under the form name; a text longer than the menu is cut
// to the menu.
void RestorePlotMenu(TUserFormInfo& form);
// The text MenuCheck keeps for the form: "c" or "u" per position, at most 255.
QString PlotMenuCheckText(const TUserFormInfo& form);
void SavePlotMenu(const TUserFormInfo& form);
// Empties MenuCheck, then writes one row per form (at program exit).
void SaveUserFormPlotMenus();
// Sets the tick of the item with that id (separators keep theirs); true
// when the tick changed.
bool SetPlotMenuCheck(const TUserFormInfo& form, int id, bool checked);
// Copies every tick into the flag it stands for.
bool ReadPlotMenu(TUserFormInfo& form);
// Inverts the tick of the item (when the form has a form-wide item) and
// copies the ticks into the flags; with look-up selections in a pop-up box,
// that box is shown instead. True when the id is the form's.
bool TogglePlotItem(TUserFormInfo& form, int id);
// The form-wide flag, the ticked look-up items and the ticked other rows.
int CountPlotSelections(const TUserFormInfo& form);
// A choice from the map's menu: the first form whose id range holds it
// handles it; false when none does.
bool HandleUserFormPlotMenu(int id);
// Forgets the form's menu (the form is going).
void DropPlotMenu(const TUserFormInfo& form);

// The look-up check-box dialog for a form, and the map's redraw after a
// change; installed by the windows that own them.
void setLookupCheckBoxesHandler(std::function<void(TUserFormInfo& form)> handler);
void setPlotChangedHandler(std::function<void()> handler);

} // namespace velmar::forms
