#pragma once
// The detector programs, the hydrophone monitor, the weather station and the
// track statistics in the main window: the detector status panel (down the
// left side or on its tab) and the "Whistles" counts form, the event service
// "Velmar2000" with the purge of old detections and the click and porpoise
// events of the shown data, the one-second status cycle with its effort rows
// and automatic start and stop, the status reports and commands of the
// detectors, the power and cable boxes, the event counts and the traffic
// light, the weather values of the user forms with the weather thread and its
// page, and the "Effort Statistics" command.
//
// Called once at start-up by the entry function, before the navigation is
// bound (whose user-form sources pass weather questions on to these).
// User-interface thread.
class QString;
class QWidget;

namespace velmar::nav {
class DetectorLinks;
class DigitalInput;
class HydrophoneMonitor;
} // namespace velmar::nav

namespace velmar::shell {

class DetectorLinkService;
class WeatherService;
namespace ui {
class SettingsPage;
}

// The main window's detector link service: the panel, the whistle form, the
// event service and the links.
DetectorLinkService& BindDetectorLinks();
// The weather station's service, whose settings page and fill sources
// BindDetectorLinks sets up.
WeatherService& WeatherStationService();
// The "Effort Statistics" dialog, and the weather station's settings page
// ("DavisPortDlg"; null for any other name), for the settings dialogs.
void ShowStatistics(QWidget* parent);
ui::SettingsPage* MakeWeatherPage(const QString& name);

// The links and the monitor of this process (tests look at them).
nav::DetectorLinks& TheDetectorLinks();
nav::HydrophoneMonitor& TheHydrophoneMonitor();
// The board lines the monitor reads; null (the default) until the board
// bindings install theirs.
void SetHydrophoneInput(nav::DigitalInput* input);

} // namespace velmar::shell
