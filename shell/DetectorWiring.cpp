#include "shell/DetectorWiring.h"

#include "deck/ui/TMavrelDlgClient.h"
#include "forms/AutoFillSources.h"
#include "forms/ControlKeywords.h"
#include "forms/UserFormInfo.h"
#include "forms/UserPlotThing.h"
#include "forms/ui/THeardForm.h"
#include "forms/ui/TWhistleForm.h"
#include "nav/DetectorEventServer.h"
#include "nav/DetectorLinks.h"
#include "nav/GpsFixList.h"
#include "nav/HydrophoneMonitor.h"
#include "nav/ProgramLinks.h"
#include "nav/RecentEventDispatch.h"
#include "nav/ShowDataSinks.h"
#include "nav/TrackStatistics.h"
#include "nav/WeatherStation.h"
#include "platform/MessageIds.h"
#include "platform/WindowMessage.h"
#include "recorder/ui/TAutoRec.h"
#include "settings/ProgramSettings.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowEvents.h"
#include "shell/MainWindowServices.h"
#include "shell/ShellLog.h"
#include "shell/ShowDataWiring.h"
#include "shell/TV2000Window.h"
#include "shell/ui/SettingsChecks.h"
#include "widgets/DavisPortDlg.h"
#include "widgets/DetectorForm.h"
#include "widgets/MessageBoxSeam.h"
#include "widgets/MyControls.h"
#include "widgets/StatisticsDialog.h"
#include "widgets/DialogService.h"

#include <QCoreApplication>
#include <QPointer>

namespace velmar::shell {

namespace {

using store::TheProgramSettings;

nav::DigitalInput* g_hydrophoneInput = nullptr;

TDetectorForm* Panel()
{
    TV2000Window* window = MainWindowHandle();
    return window ? qobject_cast<TDetectorForm*>(window->DetectorForm()) : nullptr;
}

// The status box of a panel index, or null. The Listening group is on the
// things-heard form.
TMyEdit* PanelEdit(int panelIndex, int offset)
{
    static constexpr int bases[] = {PorpoisePanelBase, WhistlePanelBase, ClickPanelBase};
    if (panelIndex == nav::PanelIndexOf(nav::ProgramIdListening))
        return FindHeardFormEdit(forms::TheHeardForm(), ListeningPanelBase + offset);
    TDetectorForm* panel = Panel();
    if (!panel || panelIndex < 0 || panelIndex > 2)
        return nullptr;
    return FindMyEdit(panel, bases[panelIndex] + offset);
}

void ShowBox(TMyEdit* edit, const QString& text, unsigned colour)
{
    if (!edit)
        return;
    edit->setText(text);
    edit->SetColourCode(colour);
}

// The hidden window of the weather thread: announced to the main window
// (message 1058), started by it (1060) and ended by it (1062).
class WeatherWindow : public QWidget {
public:
    explicit WeatherWindow(QWidget* mainWindow) : QWidget(mainWindow), m_thread(TheProgramSettings.WeatherPort, this)
    {
        setObjectName(QStringLiteral("DAVISCLASS"));
        setWindowTitle(QStringLiteral("V2000.ini"));
        hide();
    }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != platform::WindowMessageEvent::eventType())
            return QWidget::event(e);
        const auto* m = static_cast<platform::WindowMessageEvent*>(e);
        if (m->message() == platform::MsgWeatherStart) {
            m_thread.Begin();
        } else if (m->message() == platform::MsgWeatherStop) {
            m_thread.Stop();
            deleteLater();
        }
        return true;
    }

private:
    nav::WeatherThread m_thread;
};

QPointer<WeatherWindow>& TheWeatherWindow()
{
    static QPointer<WeatherWindow> window;
    return window;
}

// The weather questions of the user forms; the rest goes to the sources
// installed before.
class WeatherFillSources final : public forms::ForwardingAutoFillSources {
public:
    using ForwardingAutoFillSources::ForwardingAutoFillSources;
    // Without the padding of its shown format: the value must fit the
    // control's width ("   7.5" would be cut to "   7." in a wind speed of 5).
    std::optional<QString> weatherValue(int item) override
    {
        const std::optional<QString> value = nav::FormatWeatherValue(item);
        return value ? std::optional<QString>(value->trimmed()) : std::nullopt;
    }
};

void ShowWeatherMessage(const QString& text, const QString& caption)
{
    // From the weather thread: the box is shown by the user-interface thread.
    QMetaObject::invokeMethod(qApp, [text, caption] {
        ui::ShowMessageBox(MainWindowHandle(), text, caption,
                           caption == QLatin1String(nav::WeatherErrorCaption) ? QMessageBox::Critical
                                                                              : QMessageBox::Warning);
    });
}

// The categories of the configured effort source; empty without a breakdown.
QStringList EffortCategories()
{
    if (!TheProgramSettings.EffortYes)
        return {};
    const int source = ui::GetEffortSourceIndex();
    if (source >= 0)
        return nav::DetectorEffortCategories(source);
    forms::TUserFormInfo* form = forms::FindEffortForm();
    const forms::CONTROLTYPEINFO* control = form ? form->FindRowByTitle(TheProgramSettings.EffortControl.text())
                                                 : nullptr;
    if (!control)
        return {};
    QStringList entries;
    for (const forms::LookupItem& item : control->lookup)
        entries << item.text;
    return nav::FormEffortCategories(control->Title, entries, control->typeCode == forms::CT_LOOKUP);
}

nav::TrackStatistics CurrentTrackStatistics()
{
    std::vector<nav::TrackPoint> track;
    for (const nav::GPSTHING* fix = nav::GetFirstGpsFix(0); fix; fix = fix->newer)
        track.push_back(nav::TrackPoint{fix->Index, fix->fix});
    const QStringList categories = EffortCategories();
    std::vector<nav::EffortMark> marks;
    if (TV2000Window* window = MainWindowHandle(); window && !categories.isEmpty())
        if (const EffortList* line = window->Commands().GetEffortLine())
            for (const EffortPoint& point : *line)
                marks.push_back(nav::EffortMark{point.gpsIndex, point.state});
    return nav::ComputeTrackStatistics(track, marks, categories);
}

void BindLinksPorts(nav::DetectorLinks& links, nav::HydrophoneMonitor& monitor)
{
    nav::DetectorLinks::Ports& p = links.ports;
    p.showStatus = [](int panelIndex, const QString& text, unsigned colour) {
        ShowBox(PanelEdit(panelIndex, PanelStatusOffset), text, colour);
    };
    p.showRunTime = [](int panelIndex, const QString& text) {
        if (TMyEdit* edit = PanelEdit(panelIndex, PanelRunTimeOffset))
            edit->setText(text);
    };
    p.addEffortChange = [](int panelIndex, quint32 code) {
        if (TV2000Window* window = MainWindowHandle())
            window->Commands().AddEffortChange(panelIndex, code);
    };
    p.checkPowerAndCable = [&monitor] { monitor.CheckPowerAndCable(); };
    p.powerState = [&monitor] { return monitor.PowerState(); };
    p.cableState = [&monitor] { return monitor.CableState(); };
    p.recorderStatus = []() -> std::optional<quint32> {
        if (const recorder::ui::TAutoRec* first = recorder::ui::TAutoRec::Recorder(0))
            return quint32(first->RecorderState());
        return std::nullopt;
    };
    p.setRecorderModes = [](int mode) {
        for (int i = 0; i < MaxRecorders; ++i)
            if (recorder::ui::TAutoRec* r = recorder::ui::TAutoRec::Recorder(i))
                r->SetMode(recorder::Mode(mode), true);
    };
    p.deckPlaying = [] {
        TV2000Window* window = MainWindowHandle();
        return window && window->DeckAt(0) && deck::TMavrelDlgClient::GetDeckState() == 1;
    };

    monitor.ports.input = [] { return g_hydrophoneInput; };
    monitor.ports.showBox = [](int boxId, const nav::BoxLook& look) {
        if (TV2000Window* window = MainWindowHandle())
            ShowBox(FindMyEdit(window, boxId), look.text, look.colour);
    };
}

void BindCounts(nav::DetectorLinks& links)
{
    nav::RecentEventDispatch::Ports& p = TheRecentEventDispatch().ports;
    p.detectorPanelExists = [] { return Panel() != nullptr; };
    p.setStatusEdit = [previous = p.setStatusEdit](int id, const QString& text, unsigned colour) {
        if (previous)
            previous(id, text, colour);
        if (TDetectorForm* panel = Panel())
            ShowBox(FindMyEdit(panel, id), text, colour);
    };
    if (!p.setTrafficLight)
        p.setTrafficLight = [](int state) {
            if (TV2000Window* window = MainWindowHandle(); window && window->TrafficLight())
                window->TrafficLight()->SetState(state);
        };
    if (!p.listeningEffortStatus)
        p.listeningEffortStatus = [&links] { return int(links.LastStatus(nav::ProgramIdListening)); };
    if (!p.setListeningEffortFull)
        p.setListeningEffortFull = [&links] { links.SetListeningStatus(nav::CmListeningFull); };
}

void BindWeather()
{
    static WeatherFillSources sources(forms::autoFillSources());
    forms::setAutoFillSources(&sources);
    nav::SetWeatherMessageSink(ShowWeatherMessage);
}

} // namespace

void ShowStatistics(QWidget* parent)
{
    ui::StatisticsDialog dialog(parent, CurrentTrackStatistics());
    // Scripted runs see the table in the log instead of a dialog.
    if (!ui::Dialogs().Attended())
        qCInfo(shellLog).noquote() << "Effort Statistics:\n" << dialog.ClipboardText();
    ui::Dialogs().RunDialog(dialog);
}

ui::SettingsPage* MakeWeatherPage(const QString& name)
{
    return name == QLatin1String("DavisPortDlg") ? new ui::DavisPortDlg : nullptr;
}

class WeatherStation final : public WeatherService {
public:
    bool LoadLibrary() override { return nav::LoadWeatherDll(); }
    bool WindowExists() override { return !TheWeatherWindow().isNull(); }
    void StartWindow(QWidget* mainWindow) override
    {
        auto* window = new WeatherWindow(mainWindow);
        TheWeatherWindow() = window;
        platform::postWindowMessage(mainWindow, platform::MsgWeatherWindow, 0,
                                    qint64(reinterpret_cast<quintptr>(window)));
    }
};

WeatherService& WeatherStationService()
{
    static WeatherStation station;
    return station;
}

nav::DetectorLinks& TheDetectorLinks()
{
    static QPointer<nav::DetectorLinks> links;
    if (!links)
        links = new nav::DetectorLinks(QCoreApplication::instance());
    return *links;
}

nav::HydrophoneMonitor& TheHydrophoneMonitor()
{
    static nav::HydrophoneMonitor monitor;
    return monitor;
}

void SetHydrophoneInput(nav::DigitalInput* input)
{
    g_hydrophoneInput = input;
}

class DetectorLinkBinding final : public DetectorLinkService {
public:
    explicit DetectorLinkBinding(nav::DetectorLinks& links) : m_links(links) {}

    QWidget* MakeDetectorForm(QWidget* parent) override
    {
        auto* main = qobject_cast<TV2000Window*>(parent);
        const int display = main ? main->DetectorDisplay() : int(TheProgramSettings.DetectorsPosition);
        return new TDetectorForm(parent, display, GetRecorderCount());
    }
    QWidget* MakeWhistleForm(QWidget* parent) override { return new forms::TWhistleForm(parent); }
    int DetectorPanelWidth() override
    {
        TDetectorForm* panel = Panel();
        return panel ? panel->GetDetectorPanelWidth() : 0;
    }
    void PlaceDetectorForm(QWidget* panel, const QRect& page) override
    {
        if (auto* form = qobject_cast<TDetectorForm*>(panel))
            form->Place(page);
    }
    void InitDde() override { nav::DetectorEventServer::instance().InitDde(); }
    void CloseDde() override { nav::DetectorEventServer::instance().CloseDde(); }
    void StartDetectorListener(QWidget*) override { m_links.StartListener(); }
    void UpdateProgramStatus() override { m_links.UpdateProgramStatus(); }
    void PurgeOldDetections() override { TheRecentEventDispatch().PurgeOldEvents(); }
    void UpdateCounts() override { TheRecentEventDispatch().UpdateCounts(); }
    quint32 ProgramStatus(int program) override { return m_links.LastStatus(program); }
    void StartProgram(int program, int) override { nav::StartProgram(program); }
    void SendDetectorCommand(int program, int action, int) override { m_links.SendDetectorCommand(program, action); }
    void ShowProgramme(int command) override { m_links.ShowProgramme(command); }
    void SetListeningStatus(int command) override { m_links.SetListeningStatus(command); }
    void SetProgramStatus(quint64 program, qint64 status) override
    {
        m_links.SetProgramStatus(int(program), quint32(status));
    }
    void DdeEvent(quint64 kind, qint64 record) override
    {
        TheRecentEventDispatch().OnDetection(nav::DetectionKey{int32_t(kind), uint64_t(record)});
    }
    void LoadSpermData() override
    {
        nav::ProgramEventSink sink;
        ShownDataReader().DbLoadSpermData(sink);
    }
    void LoadPorpoiseEvents() override
    {
        nav::ProgramEventSink sink;
        ShownDataReader().DbLoadPorpoiseEvents(sink);
    }

private:
    nav::DetectorLinks& m_links;
};

DetectorLinkService& BindDetectorLinks()
{
    nav::DetectorLinks& links = TheDetectorLinks();
    BindLinksPorts(links, TheHydrophoneMonitor());
    BindCounts(links);
    BindWeather();
    static DetectorLinkBinding binding(links);
    return binding;
}

} // namespace velmar::shell
