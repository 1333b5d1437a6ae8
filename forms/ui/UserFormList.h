#pragma once
// The user forms as a set, seen from the main window: at start every
// definition table becomes a form with its tab (LoadUserForms), tab forms get
// their window at once, sub-tab forms share a strip of sub-tabs per group
// name under one main tab, pop-up forms open on demand. Also the lookups by
// name and tab, showing the selected tab's form, the layout inside the tab
// area, the hot keys (offered to the button panels first), the store after
// each GPS reading and the lists the button editor offers.
//
// The form windows themselves are made by a factory the form-window code
// installs (setUserFormWindowFactory); the list reaches them through
// UserFormWindow.
//
// User-interface thread only. The list owns the form descriptions; windows
// and strips belong to their Qt parents.
#include "forms/UserFormWindows.h"

#include <QRect>
#include <QString>

#include <functional>

class QTabBar;
class QWidget;

namespace velmar::forms {

class HotKeyService;

// Id of the sub-tab strips (the main window's tab control id).
inline constexpr int kSubTabControlId = 31000;
inline constexpr int kMaxFormNameListBytes = 4096;

// Makes a form window: a tab or sub-tab window ("UserForm") as a child of
// parent, or a pop-up ("PopUpUserForm") owned by it.
using UserFormWindowFactory = std::function<UserFormWindow*(QWidget* parent, TUserFormInfo& form, bool popup)>;
void setUserFormWindowFactory(UserFormWindowFactory factory);

// Makes the forms of the database's definition tables that the run mode
// shows and their tabs from nextTab on; returns the next free tab index.
// Nothing happens without a database.
int LoadUserForms(QWidget* mainWindow, QTabBar* tabs, int nextTab);
// A definition table made while the program runs: its form, with a tab at
// the end of the row when it is a tab or sub-tab form, placed by the next
// UserFormsLayout. Returns the tabs added (0 for a pop-up form, a form of a
// sub-tab group already there, one the run mode does not show, or a refused
// definition).
int AddUserForm(QWidget* mainWindow, QTabBar* tabs, const QString& definitionTable);
// Closes every form window and frees every form (program end, tests).
void UnloadUserForms();

TUserFormInfo* FindUserForm(const QString& name);
TUserFormInfo* FindUserFormByTab(int tab);
// The window that takes a new record: the tab window, a new sub-tab window or
// a new pop-up; null without a form.
UserFormWindow* OpenUserFormWindow(QWidget* parent, TUserFormInfo* form);

// Shows the selected main tab's form and hides the others; true when a form
// owns the tab.
bool UserFormsSelectTab(int tab);
// Places every form window and sub-tab strip in the tab area.
void UserFormsLayout(const QRect& area);
// Stacks the save-reminder bars of the tab forms from (left, top) down, each
// right - left wide and as high as its text.
void UserFormsPlaceWarnings(int left, int top, int right);
// The sub-tab strip on a main tab, or null.
QTabBar* FindUserFormSubTabs(int tab);
// Every form tab index at or after `from` moves by delta.
void MoveUserFormTabs(int from, int delta);

// A Ctrl hot key: true when a form took it.
bool UserFormsOnHotKey(QWidget* mainWindow, int id);
// After every GPS reading: each READWITHGPS form's first window stores.
void UserFormsStoreOnGps();
// Open windows of pop-up and sub-tab forms (the program may not close while
// any is open).
int CountUserFormWindows();

// Every form name followed by "\r", in list order, within 4096 bytes with
// the terminator (names that do not fit are left out).
QString UserFormNameList();
// The Title of each value row of the form followed by "\r"; empty for no
// such form.
QString UserFormFieldList(const QString& formName);

// The hot-key service on the main window (made on first call): each key is
// offered to the button panels first, then to the forms, and the main frame
// comes to the top when one takes it.
HotKeyService* InstallHotKeyService(QWidget* mainWindow);

// What is offered each hot key before the forms (the button panels): the
// forms get the key when it declines or when none is set.
void SetHotKeyFirstTaker(std::function<bool(int key)> taker);
// Makes that tab of the main tab row current, when there is one.
void SelectMainTab(int tab);
// The form windows are made by MakeUserFormWindow unless a factory is set.
void UseDefaultUserFormWindowFactory();

} // namespace velmar::forms
