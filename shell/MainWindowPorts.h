#pragma once
// What the main window needs of the subsystems built around it: the survey
// database, the recorders and decks, the map, panels and forms, the detector
// links, the settings sheets. Each subsystem fills its entries at start-up;
// an empty entry does nothing and answers a neutral value (no window, no
// rows, no tabs, success), so the main window keeps its order of steps while
// a subsystem is not there yet.
//
// User-interface thread only. Windows a factory returns become children of
// the main window (Qt ownership); recorders and decks are owned by the main
// window.
#include "widgets/NightDay.h"

#include <QByteArray>
#include <QMessageBox>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QTabBar;
class QWidget;

namespace velmar::shell {

// A sound recorder (one per recorder row) as the main window sees it.
class AutoRecorder : public TTabIdentity {
public:
    virtual ~AutoRecorder() = default;
    virtual QWidget* Widget() = 0;
    virtual void SetNumber(int number) = 0;
    // Its own name, or "Wav Recorder %d" with its number.
    virtual QString GetRecorderName() = 0;
    // Makes the window; its set-up starts the acquisition thread.
    virtual void CreateWindow() = 0;
    virtual void CreateTriggerBoxes() = 0;
    // False while recording.
    virtual bool CanClose() = 0;
    virtual void StopRecording(int how) = 0;
    // Command 31588: read the automatic-recording box, arm or disarm.
    virtual void AutoStartCheck() = 0;
    // The recorder's settings record, handed to the database when its row
    // goes.
    virtual QByteArray SettingsRecord() = 0;
};

// A sound-file deck (show data and offline logging).
class Deck : public TTabIdentity {
public:
    virtual ~Deck() = default;
    virtual QWidget* Widget() = 0;
    virtual void CreateWindow() = 0;
    // False while its playback engine is busy.
    virtual bool CanClose() = 0;
    virtual void StopPlayback() = 0;
};

struct MainWindowHooks {
    // Survey database and settings rows.
    std::function<int(const QString& path, QWidget* owner)> openDB; // 0 success
    std::function<bool()> isDbOpen;
    std::function<void()> closeDB; // closes and compacts
    std::function<void()> loadSettingsFromDb;
    std::function<void()> saveSettingsToDb;
    std::function<int()> dbCountRecorders;
    std::function<void(int index)> dbAddRecorder;
    std::function<void(const QByteArray& record)> dbDeleteRecorder;
    std::function<bool(const QString& table)> userFormDbTableExists;
    std::function<void()> dbReadStaticObjects;

    // Sheets and forms shown by the constructor. databaseSheet answers
    // whether a database was confirmed; programmeSetup runs the GPS control
    // form and the first-run wizard.
    std::function<bool(QWidget* parent)> databaseSheet;
    std::function<void(QWidget* parent)> programmeSetup;
    std::function<void()> readPipeSettings;
    std::function<void(const QString& path)> addRecentFile;

    // Child windows; null when the subsystem is not there.
    std::function<QWidget*(QWidget* parent)> makeMap;
    std::function<QWidget*(QWidget* parent)> makeDetectorForm;
    std::function<QWidget*(QWidget* parent)> makeWhistleForm;
    std::function<QWidget*(QWidget* parent)> makeHeardForm;
    std::function<QWidget*(QWidget* parent)> makeCommentWindow;
    std::function<std::unique_ptr<AutoRecorder>(QWidget* parent, int index)> makeRecorder;
    std::function<std::unique_ptr<Deck>(QWidget* parent, int index)> makeDeck;
    std::function<void(Deck* deck)> setProgramClockDeck;
    std::function<int()> detectorPanelWidth;
    std::function<void(QWidget* panel, const QRect& page)> placeDetectorForm;

    // Program links and timers' work.
    std::function<void()> initDde;
    std::function<void()> closeDde;
    std::function<void(QWidget* mainWindow)> startDetectorListener;
    std::function<void()> pollGps;
    std::function<void()> pollGpsIfDue;
    std::function<void()> updateProgramStatus;
    // The clock text goes to the comment window too (offline logging).
    std::function<void(const QString& text)> commentClockText;
    std::function<void()> updateCounts;
    std::function<void()> purgeOldDetections;
    std::function<void(const QString& mapFile)> loadMapFile;
    std::function<void(QWidget* map)> buildPlotMenu;

    // The hot-key service on the main window, before any panel or form takes
    // its key.
    std::function<void(QWidget* mainWindow)> installHotKeys;
    // Button panels and user forms: their tabs follow the fixed, recorder,
    // deck and grabber tabs. loadButtonForms returns the tab count after it,
    // loadUserForms how many tabs it added.
    std::function<int(QTabBar* tabs, int firstTab)> loadButtonForms;
    std::function<int(QTabBar* tabs, int firstTab)> loadUserForms;
    std::function<void(QWidget* parent, const QPoint& origin)> createTopControls;
    // At exit: open pop-up and sub-tab forms are closed after the operator
    // agrees; false keeps the program running.
    std::function<bool(QWidget* owner)> userFormsCanClose;
    std::function<void()> saveUserFormPlotMenus;
    std::function<void(const QRect& area)> buttonFormsLayout;
    std::function<void(const QRect& area)> userFormsLayout;
    std::function<void(const QRect& firstBar)> userFormsPlaceWarnings;
    std::function<void(int tab)> buttonFormsSelectTab;
    std::function<void(int tab)> userFormsSelectTab;
    // Every panel and form tab index at or after `from` moves by delta.
    std::function<void(int from, int delta)> moveFormTabs;
    // The sub-tab strip of the user form on a main tab, or null.
    std::function<QTabBar*(int tab)> findUserFormSubTabs;

    // The counter thread of the button panels.
    std::function<bool()> counterThreadRunning;
    std::function<void()> counterThreadQuit;
    std::function<bool(int ms)> counterThreadWait; // true when it ended
    std::function<void()> counterThreadStart;

    // Message boxes; tests script the answers.
    std::function<QMessageBox::StandardButton(QWidget* parent, const QString& text, const QString& caption,
                                              QMessageBox::StandardButtons buttons)>
        askUser;
    // Ends the event loop once queued events are handled.
    std::function<void()> postQuit;
    std::function<bool()> writeProgramSettings;
};

MainWindowHooks& mainWindowHooks();

} // namespace velmar::shell
