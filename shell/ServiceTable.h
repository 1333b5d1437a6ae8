#pragma once
// Which of the main window's services the start-up wiring bound, and what
// each unbound one does instead (its default): the binding table.
//
// At start-up the running program logs every service left to its default
// (category "velmar.shell.services"), so a subsystem that is not there yet
// says what it did not do. With VELMAR_SERVICE_TABLE naming a file, the table
// is written there too, one line per service: "group<TAB>name<TAB>bound" or
// "group<TAB>name<TAB>default: what it does".
//
// User-interface thread only.
#include <QString>

#include <vector>

namespace velmar::shell {

struct MainWindowHooks;
struct MainCommandHooks;
struct ShellHooks;

struct ServiceBinding {
    const char* group;  // the subsystem: "map", "recorders", "dialogs" ...
    const char* name;   // the entry
    bool bound;
    const char* byDefault; // what the entry does while unbound
};

std::vector<ServiceBinding> ServiceBindings(const MainWindowHooks& windowHooks, const MainCommandHooks& commandHooks,
                                            const ShellHooks& shellHooks);

// Logs the services left to their defaults and writes the table where
// VELMAR_SERVICE_TABLE says.
void ReportServiceBindings(const MainWindowHooks& windowHooks, const MainCommandHooks& commandHooks,
                           const ShellHooks& shellHooks);

} // namespace velmar::shell
