#pragma once
// Binds the GPS poll through the NMEA server into the main window: the
// navigation service (commands 30058 and 30057, the start-up poll
// and the GPS timer), the poll request that every record writer and user
// form sends before it stores, the user forms that store with each GPS
// reading, the NMEA fields the user forms fill themselves with, and the GPS
// read-outs of the main window and its map.
//
// The minute purge of fixes runs with the purge of detections
// (MainWindowEvents.h), over the same fix list the poller appends to.
//
// Called once at start-up by the entry function, after the application
// object exists. User-interface thread only.
#include "nav/GpsReadout.h"

#include <QPointer>

#include <functional>
#include <vector>

class QMessageBox;
class QWidget;

namespace velmar::nav {
class GpsPoller;
}

namespace velmar::shell {

class NavigationService;

// The poll of this process and its poller, which live as long as the
// application object. Tests drive the poller; the map connects to its new
// fixes.
struct NavigationBinding {
    NavigationService& service;
    nav::GpsPoller& poller;
};
NavigationBinding BindNavigation();

// The read-outs on the controls of the windows that hold them: the status
// and datum boxes of the main window, the position, course, speed, time and
// heading boxes of its map. The windows are looked up on every call, so a
// map made after binding is served and a missing one is passed over.
class MainWindowGpsReadout final : public nav::GpsReadout {
public:
    using Holders = std::function<std::vector<QWidget*>()>;
    // Without holders: the main window and its map.
    explicit MainWindowGpsReadout(Holders holders = {});

    void ShowNmeaStatus(const nav::ReadoutText& status) override;
    void ShowGpsPanel(const nav::GpsPanelTexts& panel) override;
    void ShowMapDatum(const QString& datum) override;
    void ShowMessage(const QString& text, const QString& caption) override;

private:
    void Show(int id, const nav::ReadoutText& text);

    Holders m_holders;
    // The poll runs again every few seconds: one box at a time, never one
    // that waits for an answer (it would hold up the polls and the clock).
    QPointer<QMessageBox> m_box;
};

} // namespace velmar::shell
