#pragma once
// The typed services the main window is built with: one interface per
// subsystem, handed to its constructor by the start-up wiring. A service the
// wiring does not supply is its default, which does nothing and says in the
// log (category "velmar.shell.services") what it did not do.
//
// User-interface thread only. The services are not owned by the window and
// outlive it.
#include "shell/MapService.h"
#include "shell/ShownDataService.h"
#include "shell/NavigationService.h"
#include "shell/SettingsDialogService.h"
#include "shell/StartupService.h"
#include "shell/SurveyStoreService.h"
#include "shell/UserFormService.h"
#include "shell/BoardLibraryService.h"
#include "shell/DetectorLinkService.h"

#include <QtGlobal>

#include <memory>

class QString;
class QWidget;

namespace velmar::shell {

class AutoRecorder;
class Deck;
class GrabberForm;

// The sound recorders of online and offline logging.
class RecorderService {
public:
    virtual ~RecorderService() = default;
    // The recorder of recorder tab index; null when there is none. The main
    // window owns it.
    virtual std::unique_ptr<AutoRecorder> MakeRecorder(QWidget* parent, int index) = 0;
};

// The sound-file decks of show data and offline logging.
class DeckService {
public:
    virtual ~DeckService() = default;
    // The deck of deck tab index; null when there is none. The main window
    // owns it.
    virtual std::unique_ptr<Deck> MakeDeck(QWidget* parent, int index) = 0;
    // A deck the main window made, whose playing time may drive the program
    // clock in offline logging.
    virtual void SetProgramClockDeck(Deck* deck) = 0;
    // Deck index started (playing) or stopped playing.
    virtual void DeckPlaying(bool playing, int index) = 0;
};

// The camera forms on the grabber tabs.
class CameraService {
public:
    virtual ~CameraService() = default;
    // The camera form of grabber index; null when there is none. The main
    // window frees it with FreeGrabberForm (GrabberForms.h).
    virtual GrabberForm* MakeGrabberForm(QWidget* parent, int index) = 0;
};

// The comment panel on the "Comments" tab.
class CommentService {
public:
    virtual ~CommentService() = default;
    // The panel, a child of parent; null when there is none.
    virtual QWidget* MakeCommentWindow(QWidget* parent) = 0;
    // The program clock's text, which the panel shows too (offline logging).
    virtual void ClockText(const QString& text) = 0;
    // The shown data's comments: cleared, and listed again from the survey.
    virtual void ClearComments() = 0;
    virtual void ReloadComments() = 0;
};

// Help commands passed to ShowHelp.
inline constexpr int HelpDisplayTopic = 0;    // default topic, or the topic of a command id
inline constexpr int HelpDisplayContents = 1; // table of contents

// The help pages and the about box.
class HelpService {
public:
    virtual ~HelpService() = default;
    // True when the help window was shown.
    virtual bool ShowHelp(QWidget* owner, const QString& helpPath, int helpCommand, quint64 data) = 0;
    // Ends the help session (the program is closing).
    virtual void CloseHelp() = 0;
    virtual void ShowAboutBox(QWidget* parent) = 0;
};

// The weather station.
class WeatherService {
public:
    virtual ~WeatherService() = default;
    // True when the station's library is there (bound on the first call).
    virtual bool LoadLibrary() = 0;
    virtual bool WindowExists() = 0;
    // Makes the station's window, which starts reading and reports itself
    // to mainWindow.
    virtual void StartWindow(QWidget* mainWindow) = 0;
};

struct MainWindowServices {
    // Null: the default, which makes no recorder.
    RecorderService* recorders = nullptr;
    // Null: the default, which makes no deck.
    DeckService* decks = nullptr;
    // Null: the default, which makes no camera form.
    CameraService* cameras = nullptr;
    // Null: the default, which makes no comment panel.
    CommentService* comments = nullptr;
    // Null: the default, which shows no help and no about box.
    HelpService* help = nullptr;
    // Null: the default, which has no weather station.
    WeatherService* weather = nullptr;
    // The map and the shown data.
    // Null: the default, which makes no map window and draws nothing.
    MapService* map = nullptr;
    // Null: the default, which shows and loads nothing.
    ShownDataService* shownData = nullptr;
    // Store, start-up, navigation and the small settings dialogs.
    // Null: the default, which opens no survey.
    SurveyStoreService* store = nullptr;
    // Null: the default, which shows no sheet, writes the settings block
    // and ends the event loop.
    StartupService* startup = nullptr;
    // Null: the default, which polls no GPS.
    NavigationService* navigation = nullptr;
    // Null: the default, which shows no dialog and lends no page.
    SettingsDialogService* settingsDialogs = nullptr;
    // User forms and button panels. Null: the defaults, which add no tabs
    // and take no hot keys.
    UserFormService* userForms = nullptr;
    ButtonPanelService* buttonPanels = nullptr;
    // Detector links, things heard and the measurement-board library.
    // Null: the defaults, which make no panel or form, start and ask no
    // program, and bind no board library.
    DetectorLinkService* detectors = nullptr;
    ThingsHeardService* heard = nullptr;
    BoardLibraryService* boards = nullptr;
};

// The defaults.
RecorderService& NoRecorders();
DeckService& NoDecks();
CameraService& NoCameras();
CommentService& NoComments();
HelpService& NoHelp();
WeatherService& NoWeather();

} // namespace velmar::shell
