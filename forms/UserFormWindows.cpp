#include "forms/UserFormWindows.h"

#include <algorithm>
#include <map>

namespace velmar::forms {

namespace {

std::map<const TUserFormInfo*, std::vector<UserFormWindow*>>& formLists()
{
    static std::map<const TUserFormInfo*, std::vector<UserFormWindow*>> lists;
    return lists;
}

std::vector<UserFormWindow*>& tabWindows()
{
    static std::vector<UserFormWindow*> windows;
    return windows;
}

} // namespace

void AddFormWindow(TUserFormInfo& form, UserFormWindow* window)
{
    if (!window)
        return;
    formLists()[&form].push_back(window);
    // The window object is gone by the time destroyed() arrives: only its
    // address is used to find it.
    QObject::connect(window->Object(), &QObject::destroyed, [window] { RemoveFormWindow(window); });
}

void RemoveFormWindow(UserFormWindow* window)
{
    auto& lists = formLists();
    for (auto it = lists.begin(); it != lists.end();) {
        auto& windows = it->second;
        windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
        it = windows.empty() ? lists.erase(it) : std::next(it);
    }
    auto& tabs = tabWindows();
    tabs.erase(std::remove(tabs.begin(), tabs.end(), window), tabs.end());
}

UserFormWindow* GetFormWindow(const TUserFormInfo& form, int n)
{
    const auto it = formLists().find(&form);
    if (it == formLists().end() || n < 0 || n >= int(it->second.size()))
        return nullptr;
    return it->second[std::size_t(n)];
}

int FormWindowCount(const TUserFormInfo& form)
{
    const auto it = formLists().find(&form);
    return it == formLists().end() ? 0 : int(it->second.size());
}

const std::vector<UserFormWindow*>& TabFormWindows()
{
    return tabWindows();
}

void AddTabFormWindow(UserFormWindow* window)
{
    if (window)
        tabWindows().push_back(window);
}

} // namespace velmar::forms
