#include "MainWindowFakes.h"

#include "shell/MainCommands.h"

#include <QLabel>

namespace velmar::shell::test {

FakeRecorder::FakeRecorder(World& w, QWidget* parent, int i)
    : world(w), index(i), m_widget(new QLabel(QStringLiteral("recorder %1").arg(i), parent))
{
    m_widget->resize(200, 100);
    world.recorders.push_back(this);
}

FakeRecorder::~FakeRecorder()
{
    std::erase(world.recorders, this);
    delete m_widget;
}

void FakeRecorder::CreateWindow()
{
    world.Log("recorder window " + std::to_string(index));
}
void FakeRecorder::CreateTriggerBoxes()
{
    world.Log("trigger boxes " + std::to_string(index));
}
void FakeRecorder::StopRecording(int)
{
    world.Log("stop recorder " + std::to_string(index));
}
void FakeRecorder::AutoStartCheck()
{
    world.Log("auto start " + std::to_string(index));
}

FakeDeck::FakeDeck(World& w, QWidget* parent, int i)
    : world(w), index(i), m_widget(new QLabel(QStringLiteral("deck %1").arg(i), parent))
{
    m_widget->resize(300, 150);
}

void FakeDeck::CreateWindow()
{
    world.Log("deck window " + std::to_string(index));
}
void FakeDeck::StopPlayback()
{
    world.Log("stop deck " + std::to_string(index));
}

FakeGrabber::FakeGrabber(World& w, QWidget* parent, int i)
    : world(w), index(i), widget(new QLabel(QStringLiteral("grabber %1").arg(i), parent))
{
}

FakeGrabber::~FakeGrabber()
{
    world.Log("free grabber " + std::to_string(index));
    delete widget;
}

void FakeGrabber::Start(int)
{
    world.Log("start grabber " + std::to_string(index));
}

int World::At(const std::string& s) const
{
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i] == s)
            return int(i);
    }
    return -1;
}

std::unique_ptr<AutoRecorder> FakeRecorders::MakeRecorder(QWidget* parent, int index)
{
    return std::make_unique<FakeRecorder>(world, parent, index);
}

std::unique_ptr<Deck> FakeDecks::MakeDeck(QWidget* parent, int index)
{
    return std::make_unique<FakeDeck>(world, parent, index);
}

GrabberForm* FakeCameras::MakeGrabberForm(QWidget* parent, int index)
{
    return new FakeGrabber(world, parent, index);
}

QWidget* FakeComments::MakeCommentWindow(QWidget* parent)
{
    return make ? make(parent) : new QLabel(QStringLiteral("comments"), parent);
}

void FakeWeather::StartWindow(QWidget*)
{
    world.Log("start weather");
}

QWidget* FakeDetectorLinks::MakeDetectorForm(QWidget* parent)
{
    return makeDetectorForm ? makeDetectorForm(parent) : new QLabel(QStringLiteral("detectors"), parent);
}

QWidget* FakeDetectorLinks::MakeWhistleForm(QWidget* parent)
{
    return new QLabel(QStringLiteral("whistles"), parent);
}

void FakeDetectorLinks::InitDde()
{
    world.Log("init dde");
}

void FakeDetectorLinks::CloseDde()
{
    world.Log("close dde");
}

quint32 FakeDetectorLinks::ProgramStatus(int program)
{
    return getProgramStatus ? getProgramStatus(program) : StatusNotRunning;
}

QWidget* FakeHeard::MakeHeardForm(QWidget* parent)
{
    return new QLabel(QStringLiteral("heard"), parent);
}

void FakeDecks::SetProgramClockDeck(Deck* deck)
{
    world.clockDeck = static_cast<FakeDeck*>(deck);
}

int FakeStore::OpenDb(const QString&, QWidget*)
{
    world.Log("open db");
    return world.openResult;
}
bool FakeStore::IsDbOpen()
{
    return world.dbOpen;
}
void FakeStore::CloseDb()
{
    world.Log("close db");
}
void FakeStore::LoadSettingsFromDb()
{
    world.Log("load settings rows");
}
void FakeStore::SaveSettingsToDb()
{
    world.Log("save settings rows");
}
int FakeStore::CountRecorders()
{
    return world.rows;
}
void FakeStore::AddRecorder(int)
{
    ++world.rows;
}
void FakeStore::DeleteRecorder(int index)
{
    world.Log("delete row " + std::to_string(index));
    --world.rows;
}
bool FakeStore::UserFormTableExists(const QString& table)
{
    return world.heardTable && table == "UDF_ThingsHeard";
}

bool FakeStartup::DatabaseSheet(QWidget*)
{
    world.Log("database sheet");
    return world.databaseSheetAnswer;
}
void FakeStartup::ProgrammeSetup(QWidget*)
{
    world.Log("programme setup");
    if (world.setupRecorderCount >= 0)
        SetRecorderCount(world.setupRecorderCount);
}
bool FakeStartup::WriteProgramSettings(QString*)
{
    world.Log("write block");
    return velmar::store::WriteProgramSettings();
}
void FakeStartup::PostQuit()
{
    world.Log("quit");
}

void FakeNavigation::PollGps()
{
    world.Log("poll gps");
}
void FakeNavigation::PollGpsIfDue()
{
    if (logIfDue)
        world.Log("poll gps if due");
}

void World::Install()
{
    // The main window's commands open sheets and dialogs; none may wait for
    // an operator in these tests.
    dialogs.runSheet = [](ui::SettingsSheet&) { return 0; };
    dialogs.runDialog = [](QDialog&) { return false; };
    mapService.make = [this](QWidget* parent) -> QWidget* {
        map = new QLabel(QStringLiteral("map"), parent);
        map->setAutoFillBackground(true);
        QPalette p = map->palette();
        p.setColor(QPalette::Window, QColor(200, 230, 255));
        map->setPalette(p);
        return map;
    };
    userForms = velmar::test::ScriptedUserForms{};
    buttonPanels = velmar::test::ScriptedButtonPanels{};
    userForms.savePlotMenus = [this] { Log("save plot menus"); };
    buttonPanels.loadPanels = [this](QTabBar* tabs, int first) {
        forms.push_back({QStringLiteral("Panel"), tabs->addTab(QStringLiteral("Panel"))});
        return first + 1;
    };
    userForms.loadForms = [this](QTabBar* tabs, int) {
        forms.push_back({QStringLiteral("Form A"), tabs->addTab(QStringLiteral("Form A"))});
        return 1;
    };
    // The forms ask their own question before the main window's.
    userForms.canClose = [this](QWidget* owner) {
        return popupForms == 0
            || ui::Dialogs().MessageBox(owner, QStringLiteral("close unsaved forms ?"), QString(), QMessageBox::NoIcon,
                                        QMessageBox::Yes | QMessageBox::No)
                   == QMessageBox::Yes;
    };
    userForms.moveTabs = [this](int from, int delta) {
        for (FormTab& f : forms) {
            if (f.index >= from)
                f.index += delta;
        }
    };
    buttonPanels.restartButtonThread = [this] { Log("restart button thread"); };
    buttonPanels.counterThreadRunning = [this] { return counterRunning; };
    buttonPanels.quitCounterThread = [this] { Log("counter quit"); };
    buttonPanels.waitCounterThread = [this](int ms) {
        Log("counter wait " + std::to_string(ms));
        return counterStops;
    };
    buttonPanels.startCounterThread = [this] { Log("counter start"); };
    dialogs.messageBox = [this](QWidget*, const QString& text, const QString&, QMessageBox::Icon,
                                QMessageBox::StandardButtons) {
        questions.push_back(text);
        if (answers.empty())
            return QMessageBox::Ok;
        const auto a = answers.front();
        answers.pop_front();
        return a;
    };
}

std::vector<QString> TabTexts(const TV2000Window& w)
{
    std::vector<QString> texts;
    if (!w.TabControl())
        return texts;
    for (int i = 0; i < w.TabControl()->count(); ++i)
        texts.push_back(w.TabControl()->tabText(i));
    return texts;
}

} // namespace velmar::shell::test
