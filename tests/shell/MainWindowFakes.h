#pragma once
// Stand-ins for the subsystems around the main window: recorders, decks,
// grabber forms, the database's recorder rows, panels and user forms. Every
// call the main window makes through its hooks lands in one log, so tests
// can check the order of steps.
#include "shell/GrabberForms.h"
#include "shell/MainWindowPorts.h"
#include "platform/RunMode.h"
#include "shell/TV2000Window.h"
#include "settings/ProgramSettings.h"

#include <QFile>
#include <QTabBar>
#include <QWidget>

#include <deque>
#include <string>
#include <vector>

namespace velmar::shell::test {

struct World;

class FakeRecorder : public AutoRecorder {
public:
    FakeRecorder(World& w, QWidget* parent, int index);
    ~FakeRecorder() override;
    QWidget* Widget() override { return m_widget; }
    void SetNumber(int n) override { number = n; }
    QString GetRecorderName() override { return QStringLiteral("Wav Recorder %1").arg(number); }
    void CreateWindow() override;
    void CreateTriggerBoxes() override;
    bool CanClose() override { return !recording; }
    void StopRecording(int) override;
    void AutoStartCheck() override;
    QByteArray SettingsRecord() override { return QByteArray::number(index); }

    World& world;
    int index;
    int number = -1;
    bool recording = false;
    QWidget* m_widget;
};

class FakeDeck : public Deck {
public:
    FakeDeck(World& w, QWidget* parent, int index);
    QWidget* Widget() override { return m_widget; }
    void CreateWindow() override;
    bool CanClose() override { return !playing; }
    void StopPlayback() override;

    World& world;
    int index;
    bool playing = false;
    QWidget* m_widget;
};

class FakeGrabber : public GrabberForm {
public:
    FakeGrabber(World& w, QWidget* parent, int index);
    ~FakeGrabber() override;
    void SetTab(int t) override { tab = t; }
    int Tab() const override { return tab; }
    void Place(QWidget* parent, const QRect& r) override
    {
        widget->setParent(parent);
        widget->setGeometry(r);
    }
    void SetVisible(bool v) override { widget->setVisible(v); }
    void Start(int) override;
    void Grab(const QString&) override {}

    World& world;
    int index;
    int tab = -1;
    QWidget* widget;
};

// A page that panels or user forms own: a tab text and the index it keeps.
struct FormTab {
    QString text;
    int index;
};

struct World {
    std::vector<std::string> log;
    int rows = 1;
    bool heardTable = false;
    int popupForms = 0;
    int setupRecorderCount = -1; // what the first-run audio page chooses
    bool databaseSheetAnswer = true;
    int openResult = 0;
    bool dbOpen = true;
    bool counterRunning = false;
    bool counterStops = true;
    std::deque<QMessageBox::StandardButton> answers;
    std::vector<QString> questions;
    std::vector<FormTab> forms; // panels and user forms, in tab order
    std::vector<FakeRecorder*> recorders;
    FakeDeck* clockDeck = nullptr;
    QWidget* map = nullptr;

    void Install();
    void Log(std::string s) { log.push_back(std::move(s)); }
    // Index of the first log entry equal to s, or -1.
    int At(const std::string& s) const;
};

// Writes a settings block with the given run-mode-related fields.
inline void WriteSettings(const std::function<void(velmar::store::ProgramSettings&)>& edit)
{
    velmar::store::TheProgramSettings = velmar::store::ProgramSettings();
    velmar::store::TheProgramSettings.FirstRunPending = false;
    velmar::store::TheProgramSettings.DatabasePath.setText(QStringLiteral("/surveys/season.sqlite"));
    edit(velmar::store::TheProgramSettings);
    velmar::store::WriteProgramSettings();
}

inline void RemoveSettings() { QFile::remove(velmar::store::ProgramSettingsFilePath()); }

// Tab texts of the main tab strip, in order.
std::vector<QString> TabTexts(const TV2000Window& w);

} // namespace velmar::shell::test
