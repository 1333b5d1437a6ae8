#pragma once
// Which of the main window's services the start-up wiring bound, and what
// each unbound one does instead (its default): the binding table. It lists
// the typed services the main window is made with (MainWindowServices.h),
// one row a service.
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

struct MainWindowServices;

struct ServiceBinding {
    const char* group; // the subsystem: "map", "recorders", "dialogs" ...
    const char* name;  // the entry
    bool bound;
    const char* byDefault; // what the entry does while unbound
};

std::vector<ServiceBinding> ServiceBindings(const MainWindowServices& services);

// Logs the services left to their defaults and writes the table where
// VELMAR_SERVICE_TABLE says.
void ReportServiceBindings(const MainWindowServices& services);

} // namespace velmar::shell
