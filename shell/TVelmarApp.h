#pragma once
// TVelmarApp: Velmar's application object. It owns the event loop, the
// recent-files list of the database chooser, the main frame with its icon,
// menu and status bar, and the pre-filter that sees every event of the
// user-interface thread before it is delivered.
//
// One per process, made by VelmarMain and alive for the whole run. Every
// method is for the user-interface thread only. The frame and the main
// window belong to the application object.
#include "widgets/NightDay.h"
#include "shell/MainWindowServices.h"
#include "shell/RecentFiles.h"

#include <QApplication>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>

#include <memory>

class QKeyEvent;

namespace velmar::shell {

class TSDIDecFrame;
class TV2000Window;

// Recent-files list of the database chooser.
inline constexpr const char* RecentFilesName = "V2000.ini";
inline constexpr int RecentFilesCount = 9;
// Width of the progress gauge in the status bar, pixels.
inline constexpr int GaugeWidth = 150;

class TVelmarApp : public QApplication, public TRecentFiles, public NightDayApp {
    Q_OBJECT
public:
    // RunMode must be decided before the application object is made. The
    // constructor binds the board library (its default when null), except
    // in show-data mode; it must outlive the application object.
    TVelmarApp(int& argc, char** argv, BoardLibraryService* boards = nullptr);
    ~TVelmarApp() override;

    // The application's name, also the frame's title and the caption of its
    // plain messages.
    static QString GetName();

    // The services the main window is made with (before InitMainWindow);
    // they must outlive the application object.
    void SetMainWindowServices(const MainWindowServices& services) { m_services = services; }
    const MainWindowServices& GetMainWindowServices() const { return m_services; }
    // The help pages and the about box (the help service, or its default).
    HelpService& Help() const { return m_services.help ? *m_services.help : NoHelp(); }
    // The measurement-board library (the board library service, or its
    // default).
    BoardLibraryService& Boards() const { return m_services.boards ? *m_services.boards : NoBoardLibrary(); }

    // Makes the frame with its main window, icon, status bar and menu for
    // the run mode in force. Calling it again replaces the frame.
    void InitMainWindow();

    // InitMainWindow, the main window's set-up, the first show and the event
    // loop; returns the loop's result.
    int Run();

    // Asks the main window; when the program may end, also closes help.
    bool CanClose();

    // Progress of database work as a percentage of done / total (0 when
    // total <= 0) in the gauge; no effect without a status bar (online
    // logging).
    void SetProgress(qint64 done, qint64 total);
    // A text in the status bar (empty for none); no effect without a status
    // bar (online logging).
    void SetStatusText(const QString& text);

    // The pre-filter: true when the event was used up here.
    bool ProcessAppMsg(QObject* receiver, QEvent* event);

    // A menu command: in help mode (or with F1 held) help on the command,
    // else the main window's handler, then the application's own.
    void ProcessCommand(int id);

    TSDIDecFrame* GetMainWindow() const { return m_frame.get(); }
    TV2000Window* GetClientWindow() const;
    QStatusBar* GetStatusBar() const { return m_statusBar; }
    QProgressBar* GetGauge() const { return m_gauge; }

    bool HelpMode() const { return m_helpMode; }
    // The result of the last help request: true when help was shown.
    bool HelpShown() const { return m_helpShown; }

    uint DetectorStatusMessageId() const { return m_detectorStatusMessage; }
    uint ButtonMessageId() const { return m_buttonMessage; }
    uint OnTopMessageId() const { return m_onTopMessage; }

protected:
    bool event(QEvent* event) override;

private:
    bool KeyMessage(QKeyEvent* key);
    bool OfferHotKey(int key);
    void BringMainFrameToTop();
    void InitialShow(qint64 clientHeight);
    void AppCommand(int id);
    void SetHelpMode(bool on);

    MainWindowServices m_services;
    std::unique_ptr<TSDIDecFrame> m_frame;
    QPointer<QStatusBar> m_statusBar;
    QPointer<QProgressBar> m_gauge;
    QObject* m_preFilter = nullptr;
    bool m_helpShown = false;
    bool m_helpMode = false;
    bool m_f1Down = false;
    uint m_detectorStatusMessage = 0;
    uint m_buttonMessage = 0;
    uint m_onTopMessage = 0;
};

// The application object; null when none exists.
TVelmarApp* GetVelmarApp();

} // namespace velmar::shell
