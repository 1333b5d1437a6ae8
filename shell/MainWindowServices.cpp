#include "shell/MainWindowServices.h"

#include "shell/ShellLog.h"

#include "shell/MainWindowPorts.h"

#include <QString>

namespace velmar::shell {

namespace {

class NoRecorderService final : public RecorderService {
public:
    std::unique_ptr<AutoRecorder> MakeRecorder(QWidget*, int index) override
    {
        qCInfo(lcServices) << "recorders: no recorder made for tab" << index << "(no recorder service)";
        return nullptr;
    }
};

class NoDeckService final : public DeckService {
public:
    std::unique_ptr<Deck> MakeDeck(QWidget*, int index) override
    {
        qCInfo(lcServices) << "decks: no deck made for tab" << index << "(no deck service)";
        return nullptr;
    }
    void SetProgramClockDeck(Deck*) override
    {
        qCInfo(lcServices) << "decks: no deck drives the program clock (no deck service)";
    }
    void DeckPlaying(bool playing, int index) override
    {
        qCInfo(lcServices) << "decks: deck" << index << (playing ? "playing" : "stopped")
                           << "left unheard (no deck service)";
    }
};

class NoCameraService final : public CameraService {
public:
    GrabberForm* MakeGrabberForm(QWidget*, int index) override
    {
        qCInfo(lcServices) << "cameras: no camera form made for grabber" << index << "(no camera service)";
        return nullptr;
    }
};

class NoCommentService final : public CommentService {
public:
    QWidget* MakeCommentWindow(QWidget*) override
    {
        qCInfo(lcServices) << "comments: no comment panel made (no comment service)";
        return nullptr;
    }
    void ClockText(const QString&) override {}
    void ClearComments() override { qCInfo(lcServices) << "comments: none to clear (no comment service)"; }
    void ReloadComments() override { qCInfo(lcServices) << "comments: none listed (no comment service)"; }
};

class NoHelpService final : public HelpService {
public:
    bool ShowHelp(QWidget*, const QString& helpPath, int, quint64 data) override
    {
        qCInfo(lcServices).noquote() << "help: no help shown from" << helpPath << "for" << data << "(no help service)";
        return false;
    }
    void CloseHelp() override {}
    void ShowAboutBox(QWidget*) override { qCInfo(lcServices) << "help: no about box (no help service)"; }
};

class NoWeatherService final : public WeatherService {
public:
    bool LoadLibrary() override
    {
        qCInfo(lcServices) << "weather: no station library (no weather service)";
        return false;
    }
    bool WindowExists() override { return false; }
    void StartWindow(QWidget*) override {}
};

} // namespace

RecorderService& NoRecorders()
{
    static NoRecorderService recorders;
    return recorders;
}

DeckService& NoDecks()
{
    static NoDeckService decks;
    return decks;
}

CameraService& NoCameras()
{
    static NoCameraService cameras;
    return cameras;
}

CommentService& NoComments()
{
    static NoCommentService comments;
    return comments;
}

HelpService& NoHelp()
{
    static NoHelpService help;
    return help;
}

WeatherService& NoWeather()
{
    static NoWeatherService weather;
    return weather;
}

} // namespace velmar::shell
