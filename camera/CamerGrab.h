#pragma once
// A grabber: up to four camera units side by side with a common trigger —
// the "Grab Frame(s)" button, the grab timer, and the triggers of its host.
#include "CamSettings.h"
#include "VideoUnit.h"

#include <QMainWindow>
#include <QTimer>
#include <array>

class QMenu;
class QHBoxLayout;

namespace velmar::camera {

// Where a grabber form lives. In the main program it sits in a tab of the
// main window, without a menu bar: its "Settings" button opens a menu with
// the grabber and camera settings and the about box, and its cameras are
// stored under sections that carry the form's number. As the standalone
// program's main window it has its menu bar and no such button.
enum class GrabberHost { MainProgram, Standalone };

class TCamerGrab : public QMainWindow {
    Q_OBJECT
public:
    // `camerasByName`: every camera finds its device by its stored name.
    TCamerGrab(CamSettingsStore& store, GrabLogger* logger, bool camerasByName, GrabberHost host,
               QWidget* parent = nullptr);
    ~TCamerGrab() override;

    int InstanceNumber() const { return m_instance; }
    int UnitCount() const { return m_unitCount; }
    TVideoUnit* Unit(int position) const { return m_units[position]; }
    const TGrabberSettings& Settings() const { return m_settings; }

    void GrabAll(const QString& reason);
    // "Setup ...": the grabber settings dialog; on OK the settings are saved
    // and the cameras made again. True on OK.
    bool Timers1Click();
    // The about box, titled with the running program's name.
    void About1Click();
    void StartCameras(bool start);

private:
    void CreateUnits();
    void FitToUnits();
    void StartGrabTimer();
    int NextInterval();
    void GrabTimerTimer();

    CamSettingsStore& m_store;
    GrabLogger* const m_logger;
    const bool m_byName;
    const GrabberHost m_host;
    const int m_instance;
    TGrabberSettings m_settings;
    std::array<TVideoUnit*, MaxCamerasPerForm> m_units{};
    int m_unitCount = 0;
    QHBoxLayout* m_row;
    QMenu* m_settingsMenu;
    QMenu* m_popup = nullptr; // the "Settings" button's menu (main program)
    QTimer m_grabTimer;
};

} // namespace velmar::camera
