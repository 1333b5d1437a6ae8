#include "forms/ui/UserFormList.h"

#include "forms/FormSql.h"
#include "forms/HotKeyService.h"
#include "forms/UserFormDdeInput.h"
#include "forms/UserFormPlotMenu.h"
#include "nav/DetectorEventServer.h"
#include "forms/UserFormDb.h"
#include "forms/ui/TUserForm.h"
#include "forms/ui/TopControls.h"
#include "forms/ui/UserFormWindowPort.h"
#include "widgets/MyControls.h"
#include "widgets/TrafficLight.h"
#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/FixedSchema.h"
#include "store/SqlText.h"

#include <QLoggingCategory>
#include <QApplication>
#include <QPointer>
#include <QSignalBlocker>
#include <QTabBar>
#include <QWidget>

#include <algorithm>
#include <memory>

Q_LOGGING_CATEGORY(lcFormList, "velmar.forms.list")

namespace velmar::forms {

namespace {

constexpr int kCatalogTableNameColumn = 3;
// Below the strip's tab row the pages keep a small gap, as the tab area does.
constexpr int kPageGap = 5;
constexpr int kPageMargin = 2;

// The strip of sub-tabs of one group name and the main tab it sits on.
struct SubTabGroup {
    QString name;
    int tabIndex = -1;
    QPointer<shell::TMyTabControl> strip;
    // The open windows in sub-tab order.
    std::vector<UserFormWindow*> windows;
};

struct ListState {
    std::vector<std::unique_ptr<TUserFormInfo>> forms;
    std::vector<SubTabGroup> groups;
    QPointer<QTabBar> mainTabs;
    QPointer<QWidget> mainWindow;
    UserFormWindowFactory factory;
    QPointer<HotKeyService> hotKeys;
    std::function<bool(int key)> firstHotKeyTaker;
    QRect area;
};

ListState& state()
{
    static ListState s;
    return s;
}

SubTabGroup* groupOf(const TUserFormInfo& form)
{
    if (form.FormKind != kSubTabForm)
        return nullptr;
    for (SubTabGroup& g : state().groups)
        if (g.name.compare(form.SubTabGroup, Qt::CaseInsensitive) == 0)
            return &g;
    return nullptr;
}

void labelGroupTab(const SubTabGroup& g)
{
    if (state().mainTabs && g.strip && g.tabIndex >= 0)
        state().mainTabs->setTabText(g.tabIndex, QStringLiteral("%1 (%2)").arg(g.name).arg(g.strip->count()));
}

QStringList formTables()
{
    QStringList names;
    store::SqlStatement statement(store::GetDbConnection());
    if (!statement.isValid())
        return names;
    QByteArray type("'TABLE'");
    if (!store::sqlSucceeded(SQLTables(statement.handle(), nullptr, 0, nullptr, 0, nullptr, 0,
                                       reinterpret_cast<SQLCHAR*>(type.data()), SQL_NTS)))
        return names;
    while (store::sqlSucceeded(SQLFetch(statement.handle()))) {
        const QString name = detail::columnText(statement.handle(), kCatalogTableNameColumn);
        if (IsUserFormTable(name) && UserFormShownInMode(name))
            names << name;
    }
    return names;
}

// Tab-form windows that store into one table get letters: the first window
// of a pair without one gets "A", the later one the letter after its pair.
void letterSharedTables()
{
    const auto& windows = TabFormWindows();
    std::vector<QChar> letters(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i)
        for (std::size_t j = i + 1; j < windows.size(); ++j) {
            if (windows[i]->Form().DataTable.compare(windows[j]->Form().DataTable, Qt::CaseInsensitive) != 0)
                continue;
            if (letters[i].isNull())
                letters[i] = QLatin1Char('A');
            letters[j] = QChar(letters[i].unicode() + 1);
        }
    for (std::size_t i = 0; i < windows.size(); ++i)
        if (!letters[i].isNull())
            windows[i]->SetTableLetter(QString(letters[i]));
}

UserFormWindow* makeWindow(QWidget* parent, TUserFormInfo& form, bool popup)
{
    if (!state().factory)
        return nullptr;
    UserFormWindow* w = state().factory(parent, form, popup);
    if (w) {
        AddFormWindow(form, w);
        // A window opened after the top strip was built refreshes its
        // mirrored controls as the earlier ones do.
        w->ApplyTopStripRules();
    }
    return w;
}

// The area inside a tab strip's page: below its tab row, a margin off the
// other sides.
QRect pageBelow(const QRect& area, int tabHeight)
{
    QRect r = area;
    r.setTop(area.top() + tabHeight + 1 + kPageGap);
    return r.adjusted(kPageMargin, 0, -kPageMargin, -kPageMargin);
}

void reselect()
{
    if (state().mainTabs)
        UserFormsSelectTab(state().mainTabs->currentIndex());
}

// A sub-tab window that closes takes its tab with it; the later windows of
// the group move up one. Only the address of the closed window is used: its
// object is gone.
void subTabClosed(const QString& groupName, UserFormWindow* closed)
{
    for (SubTabGroup& g : state().groups) {
        if (g.name.compare(groupName, Qt::CaseInsensitive) != 0)
            continue;
        const auto it = std::find(g.windows.begin(), g.windows.end(), closed);
        if (it == g.windows.end())
            continue;
        const int index = int(it - g.windows.begin());
        g.windows.erase(it);
        if (g.strip && index < g.strip->count()) {
            const QSignalBlocker block(g.strip.data());
            g.strip->removeTab(index);
        }
        for (std::size_t i = 0; i < g.windows.size(); ++i)
            g.windows[i]->SubTabIndex = int(i);
        labelGroupTab(g);
    }
    reselect();
}

shell::TMyTabControl* makeStrip(QWidget* parent)
{
    auto* strip = new shell::TMyTabControl(parent, kSubTabControlId, 0, 0, 0, 0);
    QObject::connect(strip, &QTabBar::currentChanged, strip, [] { reselect(); });
    strip->hide();
    return strip;
}

} // namespace

void setUserFormWindowFactory(UserFormWindowFactory factory)
{
    state().factory = std::move(factory);
}

namespace {

// Checks the definition table and adds its form to the list; null when the
// definition is refused.
TUserFormInfo* loadForm(const QString& table)
{
    store::DbCheckUserTable(store::GetDbConnection(), table, store::kUserTableUserForm);
    auto form = std::make_unique<TUserFormInfo>(table, -1);
    if (form->Refused)
        return nullptr;
    BuildPlotMenu(*form);
    RestorePlotMenu(*form);
    state().forms.push_back(std::move(form));
    return state().forms.back().get();
}

// Gives the form its tab (a tab form its window, a sub-tab form its group's
// tab) from nextTab on; returns the next free tab index.
int placeForm(TUserFormInfo& form, QWidget* parent, QTabBar* tabs, int nextTab)
{
    ListState& s = state();
    form.TabIndex = -1;
    if (form.Hidden || form.FormKind == kPopupForm)
        return nextTab;
    if (form.FormKind == kTabForm) {
        form.TabIndex = nextTab++;
        if (tabs)
            tabs->insertTab(form.TabIndex, form.FormName);
        UserFormWindow* w = makeWindow(parent, form, false);
        AddTabFormWindow(w);
        return nextTab;
    }
    if (SubTabGroup* g = groupOf(form); g && g->strip) {
        form.TabIndex = g->tabIndex;
        return nextTab;
    }
    SubTabGroup g{form.SubTabGroup, nextTab++, makeStrip(parent), {}};
    form.TabIndex = g.tabIndex;
    if (tabs)
        tabs->insertTab(g.tabIndex, g.name);
    s.groups.push_back(g);
    labelGroupTab(s.groups.back());
    return nextTab;
}

} // namespace

int LoadUserForms(QWidget* mainWindow, QTabBar* tabs, int nextTab)
{
    if (!store::IsDbOpen())
        return nextTab;
    ListState& s = state();
    s.mainWindow = mainWindow;
    s.mainTabs = tabs;
    store::DbMessageSink* sink = store::dbMessageSink();
    if (sink)
        sink->beginTableCheck();
    for (const QString& table : formTables()) {
        if (sink)
            sink->setTableCheckText(table);
        loadForm(table);
    }
    QWidget* parent = tabs ? tabs->parentWidget() : mainWindow;
    for (TUserFormInfo* form : UserFormList())
        nextTab = placeForm(*form, parent, tabs, nextTab);
    letterSharedTables();
    if (sink)
        sink->endTableCheck();
    return nextTab;
}

int AddUserForm(QWidget* mainWindow, QTabBar* tabs, const QString& definitionTable)
{
    if (!store::IsDbOpen() || !tabs || !IsUserFormTable(definitionTable) || !UserFormShownInMode(definitionTable))
        return 0;
    for (const TUserFormInfo* f : UserFormList())
        if (f->DefinitionTable.compare(definitionTable, Qt::CaseInsensitive) == 0)
            return 0;
    ListState& s = state();
    s.mainWindow = mainWindow;
    s.mainTabs = tabs;
    TUserFormInfo* form = loadForm(definitionTable);
    if (!form)
        return 0;
    const int first = tabs->count();
    const int added = placeForm(*form, tabs->parentWidget(), tabs, first) - first;
    letterSharedTables();
    return added;
}

void UnloadUserForms()
{
    ListState& s = state();
    ClearTopControls();
    for (TUserFormInfo* form : UserFormList())
        while (UserFormWindow* w = GetFormWindow(*form, 0)) {
            RemoveFormWindow(w);
            delete w->Object();
        }
    for (SubTabGroup& g : s.groups)
        delete g.strip.data();
    s.groups.clear();
    for (const auto& form : s.forms)
        DropPlotMenu(*form);
    s.forms.clear();
}

TUserFormInfo* FindUserForm(const QString& name)
{
    for (TUserFormInfo* f : UserFormList())
        if (f->FormName.compare(name, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

TUserFormInfo* FindUserFormByTab(int tab)
{
    if (tab < 0)
        return nullptr;
    for (TUserFormInfo* f : UserFormList())
        if (f->TabIndex == tab)
            return f;
    return nullptr;
}

UserFormWindow* OpenUserFormWindow(QWidget* parent, TUserFormInfo* form)
{
    if (!form)
        return nullptr;
    if (form->FormKind == kTabForm)
        return GetFormWindow(*form, 0);
    if (form->FormKind == kPopupForm) {
        UserFormWindow* w = makeWindow(parent, *form, true);
        if (!w)
            return nullptr;
        auto* widget = qobject_cast<QWidget*>(w->Object());
        if (widget && FormWindowCount(*form) > 1 && form->OpenInBackground) {
            QWidget* focus = QApplication::focusWidget();
            for (int n = 0; UserFormWindow* other = GetFormWindow(*form, n); ++n)
                if (auto* o = qobject_cast<QWidget*>(other->Object())) {
                    o->resize(widget->size());
                    o->show();
                }
            if (focus)
                focus->setFocus();
        } else if (widget) {
            widget->show();
            widget->raise();
            widget->activateWindow();
        }
        return w;
    }
    ListState& s = state();
    SubTabGroup* g = groupOf(*form);
    QWidget* stripParent = s.mainTabs ? s.mainTabs->parentWidget() : parent;
    if (!g) {
        s.groups.push_back({form->SubTabGroup, form->TabIndex, makeStrip(stripParent), {}});
        g = &s.groups.back();
    } else if (!g->strip) {
        g->strip = makeStrip(stripParent);
    }
    const QString groupName = g->name;
    QPointer<shell::TMyTabControl> strip = g->strip;
    const int previous = strip->currentIndex();
    QWidget* focus = QApplication::focusWidget();
    UserFormWindow* w = makeWindow(stripParent, *form, false);
    if (!w)
        return nullptr;
    QString label = w->SubTabLabel();
    if (label.isEmpty())
        label = form->FormName;
    {
        const QSignalBlocker block(strip.data());
        w->SubTabIndex = strip->addTab(label);
    }
    if (SubTabGroup* again = groupOf(*form))
        again->windows.push_back(w);
    QObject::connect(w->Object(), &QObject::destroyed, strip, [groupName, w] { subTabClosed(groupName, w); });
    const bool groupSelected = s.mainTabs && s.mainTabs->currentIndex() == form->TabIndex;
    if (form->OpenInBackground) {
        if (groupSelected && previous >= 0) {
            const QSignalBlocker block(strip.data());
            strip->setCurrentIndex(previous);
        }
        strip->update();
        if (focus)
            focus->setFocus();
    } else {
        {
            const QSignalBlocker block(strip.data());
            strip->setCurrentIndex(w->SubTabIndex);
        }
        if (s.mainTabs && form->TabIndex >= 0)
            s.mainTabs->setCurrentIndex(form->TabIndex);
    }
    if (SubTabGroup* again = groupOf(*form))
        labelGroupTab(*again);
    UserFormsLayout(s.area);
    reselect();
    return w;
}

bool UserFormsSelectTab(int tab)
{
    bool owned = false;
    for (UserFormWindow* w : TabFormWindows()) {
        const bool shown = w->Form().TabIndex >= 0 && w->Form().TabIndex == tab;
        owned = owned || shown;
        if (auto* widget = qobject_cast<QWidget*>(w->Object()))
            widget->setVisible(shown);
        w->ActivateTimers(shown);
    }
    for (const SubTabGroup& g : state().groups) {
        if (!g.strip)
            continue;
        const bool shown = g.tabIndex == tab;
        owned = owned || shown;
        g.strip->setVisible(shown);
        if (shown)
            g.strip->raise();
        for (UserFormWindow* w : g.windows) {
            const bool active = shown && w->SubTabIndex == g.strip->currentIndex();
            if (auto* widget = qobject_cast<QWidget*>(w->Object()))
                widget->setVisible(active);
            w->ActivateTimers(active);
        }
    }
    return owned;
}

void UserFormsLayout(const QRect& area)
{
    state().area = area;
    for (UserFormWindow* w : TabFormWindows())
        if (auto* widget = qobject_cast<QWidget*>(w->Object()))
            widget->setGeometry(area);
    for (const SubTabGroup& g : state().groups) {
        if (!g.strip)
            continue;
        const int tabHeight = g.strip->count() > 0 ? g.strip->tabRect(0).height() : g.strip->sizeHint().height();
        g.strip->setGeometry(area.x(), area.y(), area.width(), tabHeight);
        const QRect page = pageBelow(area, tabHeight);
        for (UserFormWindow* w : g.windows)
            if (auto* widget = qobject_cast<QWidget*>(w->Object()))
                widget->setGeometry(page);
    }
}

void UserFormsPlaceWarnings(int left, int top, int right)
{
    int y = top;
    for (UserFormWindow* w : TabFormWindows()) {
        QWidget* bar = w->ReminderBar();
        if (!bar)
            continue;
        const auto* flash = qobject_cast<shell::TFlashWarning*>(bar);
        const int height = flash ? flash->GetTextHeight() : bar->fontMetrics().height();
        bar->setGeometry(left, y, right - left, height);
        y += height;
    }
}

QTabBar* FindUserFormSubTabs(int tab)
{
    for (const SubTabGroup& g : state().groups)
        if (g.tabIndex == tab && g.strip)
            return g.strip;
    return nullptr;
}

void MoveUserFormTabs(int from, int delta)
{
    for (TUserFormInfo* f : UserFormList())
        if (f->TabIndex >= from)
            f->TabIndex += delta;
    for (SubTabGroup& g : state().groups)
        if (g.tabIndex >= from)
            g.tabIndex += delta;
}

bool UserFormsOnHotKey(QWidget* mainWindow, int id)
{
    for (TUserFormInfo* form : UserFormList()) {
        if (form->HotKeyId != id)
            continue;
        if (form->FormKind == kPopupForm || form->FormKind == kSubTabForm) {
            UserFormWindow* w = OpenUserFormWindow(mainWindow, form);
            if (w)
                w->ActivateFromHotKey(true);
            return true;
        }
        for (int n = 0; UserFormWindow* w = GetFormWindow(*form, n); ++n) {
            if (w->HasEdits()) {
                w->ActivateFromHotKey(false);
                continue;
            }
            w->ActivateFromHotKey(true);
            return true;
        }
    }
    return false;
}

void UserFormsStoreOnGps()
{
    for (TUserFormInfo* form : UserFormList())
        if (form->StoreWithGps)
            if (UserFormWindow* w = GetFormWindow(*form, 0))
                w->FillAndStore(false);
}

int CountUserFormWindows()
{
    int count = 0;
    for (TUserFormInfo* form : UserFormList())
        if (form->FormKind == kPopupForm || form->FormKind == kSubTabForm)
            count += FormWindowCount(*form);
    return count;
}

QString UserFormNameList()
{
    QString list;
    int bytes = 1; // the terminator
    for (const TUserFormInfo* form : UserFormList()) {
        const QString entry = form->FormName + QLatin1Char('\r');
        const int size = int(entry.toLocal8Bit().size());
        if (bytes + size > kMaxFormNameListBytes)
            continue;
        list += entry;
        bytes += size;
    }
    return list;
}

QString UserFormFieldList(const QString& formName)
{
    QString list;
    if (const TUserFormInfo* form = FindUserForm(formName))
        for (const CONTROLTYPEINFO* row : form->ValueRows())
            list += row->Title + QLatin1Char('\r');
    return list;
}

HotKeyService* InstallHotKeyService(QWidget* mainWindow)
{
    ListState& s = state();
    if (s.hotKeys)
        return s.hotKeys;
    auto* service = new HotKeyService(mainWindow);
    s.hotKeys = service;
    setHotKeyRegistrar(service);
    QObject::connect(service, &HotKeyService::hotKeyPressed, mainWindow, [mainWindow](int id) {
        const auto& first = state().firstHotKeyTaker;
        const bool taken = (first && first(id)) || UserFormsOnHotKey(mainWindow, id);
        if (taken) {
            QWidget* frame = mainWindow->window();
            frame->show();
            frame->raise();
            frame->activateWindow();
        }
    });
    return service;
}

void SetHotKeyFirstTaker(std::function<bool(int key)> taker)
{
    state().firstHotKeyTaker = std::move(taker);
}

void SelectMainTab(int tab)
{
    if (state().mainTabs && tab >= 0 && tab < state().mainTabs->count())
        state().mainTabs->setCurrentIndex(tab);
}

void UseDefaultUserFormWindowFactory()
{
    if (!state().factory)
        setUserFormWindowFactory(MakeUserFormWindow);
}

} // namespace velmar::forms
