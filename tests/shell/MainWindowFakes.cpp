#include "MainWindowFakes.h"

#include "shell/MainCommands.h"

#include <QLabel>

namespace velmar::shell::test {

FakeRecorder::FakeRecorder(World& w, QWidget* parent, int i)
    : world(w)
    , index(i)
    , m_widget(new QLabel(QStringLiteral("recorder %1").arg(i), parent))
{
    m_widget->resize(200, 100);
    world.recorders.push_back(this);
}

FakeRecorder::~FakeRecorder()
{
    std::erase(world.recorders, this);
    delete m_widget;
}

void FakeRecorder::CreateWindow() { world.Log("recorder window " + std::to_string(index)); }
void FakeRecorder::CreateTriggerBoxes() { world.Log("trigger boxes " + std::to_string(index)); }
void FakeRecorder::StopRecording(int) { world.Log("stop recorder " + std::to_string(index)); }
void FakeRecorder::AutoStartCheck() { world.Log("auto start " + std::to_string(index)); }

FakeDeck::FakeDeck(World& w, QWidget* parent, int i)
    : world(w)
    , index(i)
    , m_widget(new QLabel(QStringLiteral("deck %1").arg(i), parent))
{
    m_widget->resize(300, 150);
}

void FakeDeck::CreateWindow() { world.Log("deck window " + std::to_string(index)); }
void FakeDeck::StopPlayback() { world.Log("stop deck " + std::to_string(index)); }

FakeGrabber::FakeGrabber(World& w, QWidget* parent, int i)
    : world(w)
    , index(i)
    , widget(new QLabel(QStringLiteral("grabber %1").arg(i), parent))
{
}

FakeGrabber::~FakeGrabber()
{
    world.Log("free grabber " + std::to_string(index));
    delete widget;
}

void FakeGrabber::Start(int) { world.Log("start grabber " + std::to_string(index)); }

int World::At(const std::string& s) const
{
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i] == s)
            return int(i);
    }
    return -1;
}

void World::Install()
{
    // The main window's commands open sheets and dialogs; none may wait for
    // an operator in these tests.
    mainCommandHooks().runSheet = [](ui::SettingsSheet&) { return 0; };
    mainCommandHooks().runDialog = [](QWidget*, QDialog&) { return false; };
    MainWindowHooks& h = mainWindowHooks();
    h = MainWindowHooks{};
    h.openDB = [this](const QString&, QWidget*) {
        Log("open db");
        return openResult;
    };
    h.isDbOpen = [this] { return dbOpen; };
    h.closeDB = [this] { Log("close db"); };
    h.loadSettingsFromDb = [this] { Log("load settings rows"); };
    h.saveSettingsToDb = [this] { Log("save settings rows"); };
    h.dbCountRecorders = [this] { return rows; };
    h.dbAddRecorder = [this](int) { ++rows; };
    h.dbDeleteRecorder = [this](const QByteArray& record) {
        Log("delete row " + record.toStdString());
        --rows;
    };
    h.userFormDbTableExists = [this](const QString& t) { return heardTable && t == "UDF_ThingsHeard"; };
    h.databaseSheet = [this](QWidget*) {
        Log("database sheet");
        return databaseSheetAnswer;
    };
    h.programmeSetup = [this](QWidget*) {
        Log("programme setup");
        if (setupRecorderCount >= 0)
            SetRecorderCount(setupRecorderCount);
    };
    h.makeMap = [this](QWidget* parent) {
        map = new QLabel(QStringLiteral("map"), parent);
        map->setAutoFillBackground(true);
        QPalette p = map->palette();
        p.setColor(QPalette::Window, QColor(200, 230, 255));
        map->setPalette(p);
        return map;
    };
    h.makeDetectorForm = [](QWidget* parent) { return new QLabel(QStringLiteral("detectors"), parent); };
    h.makeWhistleForm = [](QWidget* parent) { return new QLabel(QStringLiteral("whistles"), parent); };
    h.makeHeardForm = [](QWidget* parent) { return new QLabel(QStringLiteral("heard"), parent); };
    h.makeCommentWindow = [](QWidget* parent) { return new QLabel(QStringLiteral("comments"), parent); };
    h.makeRecorder = [this](QWidget* parent, int i) { return std::make_unique<FakeRecorder>(*this, parent, i); };
    h.makeDeck = [this](QWidget* parent, int i) { return std::make_unique<FakeDeck>(*this, parent, i); };
    h.setProgramClockDeck = [this](Deck* d) { clockDeck = static_cast<FakeDeck*>(d); };
    h.initDde = [this] { Log("init dde"); };
    h.closeDde = [this] { Log("close dde"); };
    h.pollGps = [this] { Log("poll gps"); };
    h.saveUserFormPlotMenus = [this] { Log("save plot menus"); };
    h.loadButtonForms = [this](QTabBar* tabs, int first) {
        forms.push_back({QStringLiteral("Panel"), tabs->addTab(QStringLiteral("Panel"))});
        return first + 1;
    };
    h.loadUserForms = [this](QTabBar* tabs, int) {
        forms.push_back({QStringLiteral("Form A"), tabs->addTab(QStringLiteral("Form A"))});
        return 1;
    };
    // The forms ask their own question before the main window's.
    h.userFormsCanClose = [this](QWidget* owner) {
        return popupForms == 0
               || mainWindowHooks().askUser(owner, QStringLiteral("close unsaved forms ?"), QString(),
                                            QMessageBox::Yes | QMessageBox::No)
                      == QMessageBox::Yes;
    };
    h.moveFormTabs = [this](int from, int delta) {
        for (FormTab& f : forms) {
            if (f.index >= from)
                f.index += delta;
        }
    };
    h.counterThreadRunning = [this] { return counterRunning; };
    h.counterThreadQuit = [this] { Log("counter quit"); };
    h.counterThreadWait = [this](int ms) {
        Log("counter wait " + std::to_string(ms));
        return counterStops;
    };
    h.counterThreadStart = [this] { Log("counter start"); };
    h.askUser = [this](QWidget*, const QString& text, const QString&, QMessageBox::StandardButtons) {
        questions.push_back(text);
        if (answers.empty())
            return QMessageBox::Ok;
        const auto a = answers.front();
        answers.pop_front();
        return a;
    };
    h.postQuit = [this] { Log("quit"); };
    h.writeProgramSettings = [this] {
        Log("write block");
        return velmar::store::WriteProgramSettings();
    };
    SetGrabberFormFactory([this](QWidget* parent, int i) { return new FakeGrabber(*this, parent, i); });
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
