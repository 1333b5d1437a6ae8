#include "shell/TV2000Window.h"

#include "platform/MessageBus.h"
#include "shell/CommandIds.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowMessages.h"
#include "shell/ShellLog.h"
#include "platform/ProgramClock.h"
#include "platform/RunMode.h"
#include "widgets/MessageBoxSeam.h"
#include "widgets/TrafficLight.h"
#include "platform/WindowMessage.h"
#include "settings/ProgramSettings.h"
#include "widgets/DialogService.h"

#include <QApplication>
#include <QDateTime>
#include <QFrame>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMainWindow>
#include <QMenuBar>
#include <QMoveEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <limits>

Q_LOGGING_CATEGORY(lcMainWindow, "velmar.shell.mainwindow")

namespace velmar::shell {

using velmar::store::TheProgramSettings;

namespace {

// Where the traffic light hides nothing: the free right end of the frame's
// menu bar (between its last menu and the corner button), on the screen. A
// window without a menu bar offers its own top right.
QRect LightArea(const QWidget* client)
{
    constexpr int Gap = 8;
    if (const auto* frame = qobject_cast<const QMainWindow*>(client->window()); frame && frame->menuWidget()) {
        const QMenuBar* bar = frame->menuBar();
        int left = 0;
        for (QAction* a : bar->actions())
            left = std::max(left, bar->actionGeometry(a).right() + 1 + Gap);
        int right = bar->width();
        if (const QWidget* corner = bar->cornerWidget(Qt::TopRightCorner); corner && corner->isVisible())
            right = corner->geometry().left();
        right -= Gap;
        return QRect(bar->mapToGlobal(QPoint(left, 0)), QSize(std::max(0, right - left), bar->height()));
    }
    return QRect(client->mapToGlobal(QPoint(0, 0)), QSize(client->width(), TrafficLightHeight));
}

// How long the main window waits for the counter thread to end before it
// gives up on restarting it.
constexpr int CounterThreadStopTimeoutMs = 5000;
constexpr int MaxRecorderNameBytes = 80;

int g_recorderCount = 0;
int g_grabberCount = 0;
QPointer<TV2000Window> g_mainWindow;

bool Online()
{
    return platform::RunMode == platform::RunModeOnline;
}
bool ShowingData()
{
    return platform::RunMode == platform::RunModeShowData;
}
bool Offline()
{
    return platform::RunMode == platform::RunModeOffline;
}
bool Logging()
{
    return Online() || Offline();
}
bool AlteringSettings()
{
    return platform::RunMode == platform::RunModeAlterSettings;
}

} // namespace

int GetRecorderCount()
{
    return g_recorderCount;
}
void SetRecorderCount(int count)
{
    g_recorderCount = std::clamp(count, 0, MaxRecorders);
}
int GetGrabberCount()
{
    return g_grabberCount;
}
TV2000Window* MainWindowHandle()
{
    return g_mainWindow.data();
}

QString GetRecorderName(int index)
{
    if (!g_mainWindow)
        return QString();
    AutoRecorder* r = g_mainWindow->Recorder(index);
    return r ? r->GetRecorderName().left(MaxRecorderNameBytes - 1) : QString();
}

// ---- construction

TV2000Window::TV2000Window(QWidget* parent, const MainWindowServices& services)
    : QWidget(parent), NightDayWindow(this),
      m_recorderService(services.recorders ? services.recorders : &NoRecorders()),
      m_deckService(services.decks ? services.decks : &NoDecks()),
      m_cameraService(services.cameras ? services.cameras : &NoCameras()),
      m_commentService(services.comments ? services.comments : &NoComments()),
      m_weatherService(services.weather ? services.weather : &NoWeather()),
      m_mapService(services.map ? services.map : &NoMap()),
      m_shownDataService(services.shownData ? services.shownData : &NoShownData()),
      m_storeService(services.store ? services.store : &NoSurveyStore()),
      m_startupService(services.startup ? services.startup : &NoStartup()),
      m_navigationService(services.navigation ? services.navigation : &NoNavigation()),
      m_settingsDialogService(services.settingsDialogs ? services.settingsDialogs : &NoSettingsDialogs()),
      m_userFormService(services.userForms ? services.userForms : &NoUserForms()),
      m_buttonPanelService(services.buttonPanels ? services.buttonPanels : &NoButtonPanels()),
      m_detectorService(services.detectors ? services.detectors : &NoDetectorLinks()),
      m_heardService(services.heard ? services.heard : &NoThingsHeard())
{
    g_mainWindow = this;
    m_timers.SetWork(TimerClock, [this] { UpdateClock(); });
    m_timers.SetWork(TimerProgramStatus, [this] {
        Detectors().UpdateProgramStatus();
        Detectors().UpdateCounts();
    });
    m_timers.SetWork(TimerGps, [this] { Navigation().PollGpsIfDue(); });
    m_timers.SetWork(TimerPurge, [this] { Detectors().PurgeOldDetections(); });
    m_commands = std::make_unique<TMainCommands>(*this);
    if (NightDayApp* app = NightDayApp::Instance())
        app->SetNightDayMainWindow(this);
    m_detectorStatusMessage = platform::MessageBus::registerWindowMessage(QStringLiteral("DetectorStatusMessage"));
    m_detectorCommandMessage = platform::MessageBus::registerWindowMessage(QStringLiteral("DetectorCommandMessage"));
    ReadSettingsBlock();

    m_detectorDisplay = ShowingData() ? DetectorsNotShown : TheProgramSettings.DetectorsPosition;
    Startup().ReadPipeSettings();
    SetDisplayFont(FontFromLogFont(TheProgramSettings.DisplayLogFont));
    SetStatusBlackAndWhiteSource([] { return TheProgramSettings.BlackAndWhite; });
    for (ProgramStatusSlot& slot : m_statusSlots) {
        slot.status = StatusNotRunning;
        platform::GetProgramTime(&slot.time);
        slot.earlier = platform::SystemTime::fromTimePoint(slot.time.toTimePoint()
                                                           - std::chrono::seconds(ProgramStatusHeadStartS));
    }
    setFont(DisplayFont());
    const QFontMetrics fm(DisplayFont());
    m_cells = FontCells{fm.height(), fm.averageCharWidth()};

    if (!ChooseDatabase())
        return;

    Store().LoadSettingsFromDb();
    SetRecorderCount(Store().CountRecorders());
    g_grabberCount = TheProgramSettings.NGrabbers;
    RestartCounterThread();
    if (!AlteringSettings())
        CreateChildObjects();
    TheProgramSettings.RestartMode = 0;
}

TV2000Window::~TV2000Window()
{
    for (GrabberForm* g : m_grabbers)
        FreeGrabberForm(g);
    m_grabbers.clear();
    delete m_trafficLight.data();
    if (g_mainWindow == this)
        g_mainWindow = nullptr;
}

void TV2000Window::ReadSettingsBlock()
{
    QString error;
    if (velmar::store::ReadProgramSettings(&error)) {
        m_firstRun = false;
        TheProgramSettings.FirstRunPending = false;
        if (TheProgramSettings.RestartMode != 0)
            platform::RunMode = quint32(TheProgramSettings.RestartMode);
        return;
    }
    if (!error.isEmpty())
        Ask(error, QString::fromLatin1(velmar::store::SettingsFileErrorCaption), QMessageBox::Ok);
    TheProgramSettings = velmar::store::ProgramSettings();
    WriteBlock();
    m_firstRun = true;
    TheProgramSettings.FirstRunPending = true;
    Ask(QStringLiteral("This is either the first time you have run this software, or\n"
                       "you have installed an updated version"),
        QStringLiteral("Programme Setup"), QMessageBox::Ok);
    ProgrammeSetup();
}

void TV2000Window::ProgrammeSetup()
{
    const int before = GetRecorderCount();
    Startup().ProgrammeSetup(this);
    // The audio page of the set-up changes the live recorder count; the rows
    // are brought in line once the database is open and the tabs exist.
    if (GetRecorderCount() != before)
        m_setupRecorderCount = GetRecorderCount();
    m_firstRun = false;
    TheProgramSettings.FirstRunPending = false;
    WriteBlock();
}

bool TV2000Window::ChooseDatabase()
{
    if (m_firstRun)
        return true;
    Startup().AddRecentFile(TheProgramSettings.DatabasePath.text());
    if (TheProgramSettings.RestartMode == 0) {
        m_dbConfirmed = Startup().DatabaseSheet(this);
        if (!m_dbConfirmed) {
            PostQuit();
            return false;
        }
    }
    const QString path = TheProgramSettings.DatabasePath.text();
    if (Store().OpenDb(path, nullptr) == 0) {
        if (TheProgramSettings.RestartMode != 0)
            m_dbConfirmed = true;
        return true;
    }
    Startup().AddRecentFile(path);
    m_dbConfirmed = Startup().DatabaseSheet(this);
    if (!Store().IsDbOpen()) {
        m_dbConfirmed = false;
        Ask(QStringLiteral("A valid database must be open before the programme can execute"), ProgramName,
            QMessageBox::Ok);
        PostQuit();
        return false;
    }
    return true;
}

void TV2000Window::RestartCounterThread()
{
    ButtonPanelService& panels = ButtonPanels();
    if (panels.CounterThreadRunning()) {
        panels.QuitCounterThread();
        if (!panels.WaitCounterThread(CounterThreadStopTimeoutMs)) {
            // Two readers of one board would fight over it: leave it be.
            qCWarning(lcMainWindow) << "counter thread did not stop; not restarted";
            return;
        }
    }
    if (Logging() && TheProgramSettings.ButtonDeviceType != 0 && TheProgramSettings.ButtonOutputPort != 0)
        panels.StartCounterThread();
}

void TV2000Window::CreateChildObjects()
{
    m_tabPane = new QFrame(this);
    m_tabPane->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    m_tabs = new TMyTabControl(this, MainTabControlId, 100, 100, 300, 300);
    connect(m_tabs, &QTabBar::currentChanged, this, [this] { ShowSelectedTab(); });

    m_map = Map().MakeMap(this);
    if (Logging()) {
        m_trafficLight = new TTrafficLight(this);
        connect(m_trafficLight, &TTrafficLight::activateMainWindow, this, [this] { EvBringToFront(); });
    }
    if (m_detectorDisplay != DetectorsNotShown) {
        m_detectorForm = Detectors().MakeDetectorForm(this);
        m_whistleForm = Detectors().MakeWhistleForm(this);
    }
    if (Store().UserFormTableExists(QStringLiteral("UDF_ThingsHeard")))
        m_heardForm = Heard().MakeHeardForm(this);
    m_commentWindow = Comments().MakeCommentWindow(this);

    for (int i = 0; i < GetRecorderCount(); ++i) {
        if (Logging())
            m_recorders[i] = Recorders().MakeRecorder(this, i);
        if (ShowingData() || Offline()) {
            m_decks[i] = Decks().MakeDeck(this, i);
            if (m_decks[i])
                Decks().SetProgramClockDeck(m_decks[i].get());
        }
    }
    if (Online()) {
        const int n = std::min(GetGrabberCount(), MaxGrabberForms);
        for (int i = 0; i < n; ++i)
            m_grabbers.push_back(Cameras().MakeGrabberForm(this, i));
    }
    CreateClockStrip();
}

void TV2000Window::CreateClockStrip()
{
    const int option = TheProgramSettings.TimesAdjacent;
    int labelWidth = 0;
    const QFontMetrics fm(DisplayFont());
    for (const char* text : {"GMT:", "Local:", "Start:", "End:"})
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(QLatin1String(text)) + 2 * fm.averageCharWidth());
    m_clock = LayoutClockStrip(platform::RunMode, option,
                               LeftMargin(m_detectorDisplay, Detectors().DetectorPanelWidth()), m_cells, labelWidth);
    auto* box = new TMyGroupBox(this, -1, QStringLiteral("PC Time"), m_clock.groupBox.x(), m_clock.groupBox.y(),
                                m_clock.groupBox.width(), m_clock.groupBox.height());
    box->lower();
    auto place = [](QWidget* w, const QRect& r) { w->setGeometry(r); };

    auto* l1 = new TMyStatic(this, IdClockLabel1, ShowingData() ? QStringLiteral("Start:") : QStringLiteral("GMT:"), 0,
                             0, 0, 0);
    place(l1, m_clock.label1);
    auto* e1 = new TMyEdit(this, IdClockEdit1, QString(), 0, 0, 0, 0, Offline());
    place(e1, m_clock.edit1);
    if (m_clock.label2) {
        auto* l2 = new TMyStatic(this, IdClockLabel2, ShowingData() ? QStringLiteral("End:") : QStringLiteral("Local:"),
                                 0, 0, 0, 0);
        place(l2, *m_clock.label2);
        auto* e2 = new TMyEdit(this, IdClockEdit2, QString(), 0, 0, 0, 0);
        place(e2, *m_clock.edit2);
    }
    if (m_clock.startRun) {
        auto* start = new TMyButton(this, IdStartRun, QStringLiteral("Start Run"), 0, 0, 0, 0);
        place(start, *m_clock.startRun);
        auto* stop = new TMyButton(this, IdStopRun, QStringLiteral("Stop Run"), 0, 0, 0, 0);
        place(stop, *m_clock.stopRun);
        connect(start, &QPushButton::clicked, this, [this] { Command(IdStartRun); });
        connect(stop, &QPushButton::clicked, this, [this] { Command(IdStopRun); });
    }
    if (Online() && TheProgramSettings.ShowBottomControls) {
        m_bottom[0] = new TMyEdit(this, IdStatusNmea, QStringLiteral("NMEA OK"), 0, 0, 0, 0);
        m_bottom[1] = new TMyEdit(this, IdStatusDatum, QStringLiteral("Map Datum"), 0, 0, 0, 0);
        m_bottom[2] = new TMyEdit(this, IdStatusPower, QStringLiteral("Power OFF"), 0, 0, 0, 0);
        m_bottom[3] = new TMyEdit(this, IdStatusCable, QStringLiteral("Cable Disconnected"), 0, 0, 0, 0);
    }
}

// ---- set-up

void TV2000Window::SetupWindow()
{
    g_mainWindow = this;
    if (!m_dbConfirmed)
        return;
    if (AlteringSettings()) {
        platform::postWindowMessage(QCoreApplication::instance(), platform::MsgInitialShow, 0, 0);
        window()->setWindowTitle(ProgramName + QStringLiteral(" - Alter Settings"));
        PostToSelf(platform::MsgAfterStart);
        return;
    }
    if (Logging()) {
        Detectors().InitDde();
        Detectors().StartDetectorListener(this);
    }
    PostToSelf(platform::MsgWeatherStation);

    for (int i = 0; i < MaxRecorders; ++i) {
        if (m_decks[i])
            m_decks[i]->CreateWindow();
    }
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(pal);

    m_mapTab = m_tabs->addTab(QStringLiteral("Map"));
    m_commentsTab = m_tabs->addTab(QStringLiteral("Comments"));
    if (m_detectorDisplay == DetectorsOnTab)
        m_detectorsTab = m_tabs->addTab(QStringLiteral("Detectors"));
    if (m_detectorDisplay != DetectorsNotShown)
        m_whistlesTab = m_tabs->addTab(QStringLiteral("Whistles"));
    if (m_heardForm)
        m_heardTab = m_tabs->addTab(QStringLiteral("Things Heard"));
    m_fixedTabs = m_tabs->count();

    for (int i = 0; i < GetRecorderCount(); ++i) {
        if (Logging() && m_recorders[i]) {
            m_recorders[i]->SetNumber(i);
            m_recorders[i]->TabIndex = m_tabs->addTab(m_recorders[i]->GetRecorderName().left(MaxRecorderNameBytes - 1));
        }
        if ((ShowingData() || Offline()) && m_decks[i])
            m_decks[i]->TabIndex = m_tabs->addTab(QStringLiteral("Wav Player %1").arg(i));
    }
    if (Online()) {
        for (std::size_t i = 0; i < m_grabbers.size(); ++i) {
            if (m_grabbers[i])
                SetGrabberFormTab(m_grabbers[i], m_tabs->addTab(QStringLiteral("Grabber %1").arg(i)));
        }
    }
    m_firstFreeTab = m_tabs->count();
    int tabCount = m_firstFreeTab;
    UserForms().InstallHotKeys(this);
    if (Online())
        tabCount = ButtonPanels().LoadPanels(m_tabs, tabCount);
    UserForms().LoadForms(m_tabs, tabCount);

    Map().ReadStaticObjects();
    if (Logging())
        UserForms().CreateTopControls(this, m_clock.topControlsOrigin);
    for (auto& r : m_recorders) {
        if (r)
            r->CreateTriggerBoxes();
    }
    if (Online()) {
        Navigation().PollGps();
        m_timers.Start(TimerClock, ClockPeriodMs);
        UpdateClock();
        Detectors().UpdateCounts();
        RestartGpsTimer();
        m_timers.Start(TimerPurge, PurgePeriodMs);
    }
    if (Logging()) {
        Detectors().UpdateProgramStatus();
        m_timers.Start(TimerProgramStatus, ProgramStatusPeriodMs);
    }
    platform::postWindowMessage(QCoreApplication::instance(), platform::MsgInitialShow, 0, 0);
    ShowSelectedTab();

    const QString db = TheProgramSettings.DatabasePath.text();
    QString title = QStringLiteral("%1 - %2").arg(ProgramName, db);
    if (ShowingData())
        title += QStringLiteral(" - (Show Data)");
    else if (Offline())
        title += QStringLiteral(" - (Offline Logging)");
    window()->setWindowTitle(title);

    Map().LoadMapFile(TheProgramSettings.MapFile.text());
    if (m_map)
        Map().BuildPlotMenu(m_map);

    // The remaining child windows come to life: the recorders' set-up
    // starts their acquisition threads.
    for (auto& r : m_recorders) {
        if (r)
            r->CreateWindow();
    }
    if (m_trafficLight)
        m_trafficLight->show();

    if (ShowingData())
        PostToSelf(platform::MsgShowData);
    PostToSelf(platform::MsgAfterStart);
    if (!TheProgramSettings.NoStartupNotice)
        // After whatever sheet the start opens first (the show times in
        // show data), not on top of it.
        QMetaObject::invokeMethod(
            this, [this] { ui::WhenNoModalWindow(this, [this] { Command(Command::NavigationWarning); }); },
            Qt::QueuedConnection);
    if (auto* bar = window()->findChild<QMenuBar*>())
        m_commands->AttachMenuBar(bar);
    PostToSelf(platform::MsgAutoStart);

    if (m_setupRecorderCount) {
        SetRecorderCount(*m_setupRecorderCount);
        m_setupRecorderCount.reset();
        UpdateRecorderTabs();
    }
    Layout();
}

long TV2000Window::EvAutoStart()
{
    if (Online()) {
        for (auto& r : m_recorders) {
            if (r)
                r->AutoStartCheck();
        }
    }
    for (GrabberForm* g : m_grabbers)
        StartGrabberForm(g, 1);
    return 0;
}

// ---- closing

bool TV2000Window::CanClose()
{
    if (m_shutDown)
        return true;
    if (!UserForms().CanClose(this))
        return false;
    int busy = 0;
    for (int i = 0; i < MaxRecorders; ++i) {
        if (m_recorders[i] && !m_recorders[i]->CanClose())
            ++busy;
        if (m_decks[i] && !m_decks[i]->CanClose())
            ++busy;
    }
    const QString exitCaption = QStringLiteral("Exit Velmar 2010");
    if (busy > 0) {
        if (Ask(QStringLiteral("One or more Mavrels are still recording / playing.\n"
                               "They must be stopped before exiting Velmar"),
                exitCaption, QMessageBox::Ok | QMessageBox::Cancel)
            != QMessageBox::Ok)
            return false;
        // The shut-down below stops them.
    } else if (Online()) {
        if (Ask(QStringLiteral("Are you sure you want to exit Velmar ?"), exitCaption,
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
            != QMessageBox::Yes)
            return false;
    }
    ShutDown();
    return true;
}

void TV2000Window::ShutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    // Nothing may go on writing into files that are about to close.
    for (int i = 0; i < MaxRecorders; ++i) {
        if (m_recorders[i] && !m_recorders[i]->CanClose())
            m_recorders[i]->StopRecording(1);
        if (m_decks[i] && !m_decks[i]->CanClose())
            m_decks[i]->StopPlayback();
    }
    if (Online()) {
        for (GrabberForm* g : m_grabbers)
            FreeGrabberForm(g);
        m_grabbers.clear();
    }
    StopMainTimers();
    UserForms().SavePlotMenus();
    Store().SaveSettingsToDb();
    Store().CloseDb();
    WriteBlock();
    Detectors().CloseDde();
}

// The program-status timer keeps running until the window goes.
void TV2000Window::StopMainTimers()
{
    m_timers.Stop(TimerClock);
    m_timers.Stop(TimerGps);
    m_timers.Stop(TimerPurge);
}

int GpsPeriodMs(int maxIntervalS)
{
    constexpr int longestS = std::numeric_limits<int>::max() / 1000;
    return std::clamp(maxIntervalS, 1, longestS) * 1000;
}

void TV2000Window::RestartGpsTimer()
{
    m_timers.Start(TimerGps, GpsPeriodMs(TheProgramSettings.MaxInterval));
}

// ---- tabs

AutoRecorder* TV2000Window::Recorder(int slot) const
{
    return slot >= 0 && slot < MaxRecorders ? m_recorders[slot].get() : nullptr;
}

Deck* TV2000Window::DeckAt(int slot) const
{
    return slot >= 0 && slot < MaxRecorders ? m_decks[slot].get() : nullptr;
}

GrabberForm* TV2000Window::Grabber(int index) const
{
    return index >= 0 && index < int(m_grabbers.size()) ? m_grabbers[index] : nullptr;
}

void TV2000Window::UpdateClock()
{
    platform::SystemTime now;
    platform::GetProgramTime(&now);
    const QString text = platform::ProgramClockText(now, platform::RunMode);
    if (TMyEdit* gmt = FindMyEdit(this, IdClockEdit1))
        gmt->setText(text);
    if (Offline()) {
        Comments().ClockText(text);
        return;
    }
    if (TMyEdit* local = FindMyEdit(this, IdClockEdit2)) {
        const QDateTime t = QDateTime::currentDateTime();
        platform::SystemTime l;
        l.wYear = uint16_t(t.date().year());
        l.wMonth = uint16_t(t.date().month());
        l.wDay = uint16_t(t.date().day());
        l.wHour = uint16_t(t.time().hour());
        l.wMinute = uint16_t(t.time().minute());
        l.wSecond = uint16_t(t.time().second());
        local->setText(platform::ProgramClockText(l, platform::RunMode));
    }
}

void TV2000Window::ShowSelectedTab()
{
    if (!m_tabs)
        return;
    m_commands->UpdateEnablers();
    const int s = m_tabs->currentIndex();
    if (m_detectorDisplay != DetectorsNotShown) {
        if (m_detectorForm)
            m_detectorForm->setVisible(s == m_detectorsTab || m_detectorDisplay == DetectorsDownLeftSide);
        if (m_whistleForm)
            m_whistleForm->setVisible(s == m_whistlesTab);
    }
    if (m_map)
        m_map->setVisible(s == m_mapTab);
    if (m_commentWindow)
        m_commentWindow->setVisible(s == m_commentsTab);
    if (m_heardForm)
        m_heardForm->setVisible(s == m_heardTab);
    for (int i = 0; i < MaxRecorders; ++i) {
        if (m_recorders[i] && m_recorders[i]->Widget())
            m_recorders[i]->Widget()->setVisible(s == m_recorders[i]->TabIndex);
        if (m_decks[i] && m_decks[i]->Widget())
            m_decks[i]->Widget()->setVisible(s == m_decks[i]->TabIndex);
    }
    if (Online()) {
        for (GrabberForm* g : m_grabbers)
            ShowGrabberForm(g, g && s == GetGrabberFormTab(g));
    }
    ButtonPanels().SelectTab(s);
    UserForms().SelectTab(s);
}

long TV2000Window::EvTabKey(int key)
{
    if (!m_tabs)
        return 0;
    if (key == Qt::Key_PageUp)
        key = VkPrior;
    else if (key == Qt::Key_PageDown)
        key = VkNext;
    const int s = m_tabs->currentIndex();
    QTabBar* sub = UserForms().FindSubTabs(s);
    const int subCount = sub ? sub->count() : 0;
    const TabKeyResult r = EvaluateTabKey(key, s, m_tabs->count(), sub ? sub->currentIndex() : -1, subCount);
    if (r.subMoved)
        sub->setCurrentIndex(r.subTab);
    else if (r.mainTab != s)
        m_tabs->setCurrentIndex(r.mainTab);
    ShowSelectedTab();
    return 0;
}

// Every stored tab index at or after `from` moves by delta: recorders, decks,
// grabber forms, panels and user forms alike, so that no page is left
// pointing at its neighbour's tab.
void TV2000Window::ShiftTabs(int from, int delta)
{
    for (int i = 0; i < MaxRecorders; ++i) {
        if (m_recorders[i] && m_recorders[i]->TabIndex >= from)
            m_recorders[i]->TabIndex += delta;
        if (m_decks[i] && m_decks[i]->TabIndex >= from)
            m_decks[i]->TabIndex += delta;
    }
    for (GrabberForm* g : m_grabbers) {
        if (g && GetGrabberFormTab(g) >= from)
            SetGrabberFormTab(g, GetGrabberFormTab(g) + delta);
    }
    if (m_firstFreeTab >= from)
        m_firstFreeTab += delta;
    ButtonPanels().MoveTabs(from, delta);
    UserForms().MoveTabs(from, delta);
}

// A new recorder's tab goes after the recorder and deck tabs of the slots
// before it (offline logging interleaves recorders and decks).
int TV2000Window::RecorderInsertPosition(int slot) const
{
    int position = m_fixedTabs;
    for (int i = 0; i < slot && i < MaxRecorders; ++i) {
        if (m_recorders[i] && m_recorders[i]->TabIndex >= 0)
            position = std::max(position, m_recorders[i]->TabIndex + 1);
        if (m_decks[i] && m_decks[i]->TabIndex >= 0)
            position = std::max(position, m_decks[i]->TabIndex + 1);
    }
    return position;
}

void TV2000Window::AddRecorderTab(int slot, int position)
{
    AutoRecorder* r = m_recorders[slot].get();
    ShiftTabs(position, +1);
    r->SetNumber(slot);
    m_tabs->insertTab(position, r->GetRecorderName().left(MaxRecorderNameBytes - 1));
    r->TabIndex = position;
}

bool TV2000Window::AddFormTab(int command, const QString& table)
{
    if (!m_tabs
        || ButtonPanels().AddPanelTab(m_tabs, command, table) + UserForms().AddFormTab(m_tabs, command, table) <= 0)
        return false;
    Layout();
    m_tabs->setCurrentIndex(m_tabs->count() - 1);
    ShowSelectedTab();
    qCInfo(shellLog).noquote() << "tab" << m_tabs->tabText(m_tabs->currentIndex()) << "selected";
    return true;
}

void TV2000Window::UpdateRecorderTabs()
{
    if (!m_tabs)
        return;
    const int rows = std::min(Store().CountRecorders(), MaxRecorders);
    const int count = GetRecorderCount();
    for (int i = rows; i < count; ++i) {
        Store().AddRecorder(i);
        m_recorders[i] = Recorders().MakeRecorder(this, i);
        if (!m_recorders[i])
            continue;
        AddRecorderTab(i, RecorderInsertPosition(i));
        m_recorders[i]->CreateWindow();
        Layout();
        m_recorders[i]->CreateTriggerBoxes();
        ShowSelectedTab();
    }
    for (int i = rows - 1; i >= count; --i)
        RemoveRecorder(i);
}

void TV2000Window::RemoveRecorder(int slot)
{
    std::unique_ptr<AutoRecorder> r = std::move(m_recorders[slot]);
    if (!r) {
        qCWarning(lcMainWindow) << "recorder" << slot << "has no object; its row is kept";
        return;
    }
    const int tab = r->TabIndex;
    r.reset();
    Store().DeleteRecorder(slot);
    if (tab >= 0) {
        m_tabs->removeTab(tab);
        ShiftTabs(tab + 1, -1);
    }
    ShowSelectedTab();
}

// ---- layout and painting

void TV2000Window::Layout()
{
    if (!m_dbConfirmed || AlteringSettings() || !m_tabs)
        return;
    MainLayoutInput in;
    in.runMode = platform::RunMode;
    in.font = m_cells;
    in.leftMargin = LeftMargin(m_detectorDisplay, Detectors().DetectorPanelWidth());
    in.tabTop = m_clock.tabTop;
    in.client = size();
    in.bottomControls = TheProgramSettings.ShowBottomControls;
    in.tabRows = 1;
    in.tabHeaderHeight = m_tabs->count() > 0 ? m_tabs->tabRect(0).height() : m_tabs->sizeHint().height();
    if (m_trafficLight) {
        in.trafficLightWidth = m_trafficLight->GetWidthForHeight(TrafficLightHeight);
        in.lightArea = LightArea(this);
        if (window() != this && m_watchedFrame != window()) {
            m_watchedFrame = window();
            m_watchedFrame->installEventFilter(this);
        }
    }
    const MainLayoutGeometry g = LayoutMainWindow(in);

    m_tabs->setGeometry(g.tabControl.x(), g.tabControl.y(), g.tabControl.width(), in.tabHeaderHeight);
    m_tabPane->setGeometry(g.tabControl.adjusted(0, in.tabHeaderHeight - 1, 0, 0));
    m_tabPane->lower();
    UserForms().PlaceWarnings(g.firstWarning);

    if (m_detectorForm)
        Detectors().PlaceDetectorForm(m_detectorForm, g.page);
    for (QWidget* w : {m_whistleForm, m_heardForm, m_commentWindow}) {
        if (w)
            w->setGeometry(g.page);
    }
    for (int i = 0; i < MaxRecorders; ++i) {
        if (m_recorders[i] && m_recorders[i]->Widget())
            m_recorders[i]->Widget()->setGeometry(CentreIn(g.page, m_recorders[i]->Widget()->size(), false));
        if (m_decks[i] && m_decks[i]->Widget())
            m_decks[i]->Widget()->setGeometry(CentreIn(g.page, m_decks[i]->Widget()->size(), true));
    }
    if (Online()) {
        for (GrabberForm* f : m_grabbers)
            PlaceGrabberForm(f, this, g.grabber);
    }
    if (m_trafficLight)
        m_trafficLight->setGeometry(g.trafficLight);
    if (m_map)
        m_map->setGeometry(g.map);
    if (g.nmea && m_bottom[0]) {
        m_bottom[0]->setGeometry(*g.nmea);
        m_bottom[1]->setGeometry(*g.mapDatum);
        m_bottom[2]->setGeometry(*g.power);
        m_bottom[3]->setGeometry(*g.cable);
    }
    const QRect display = g.page;
    ButtonPanels().Layout(display);
    UserForms().Layout(display);
}

bool TV2000Window::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_watchedFrame && e->type() == QEvent::Move && m_trafficLight) {
        const auto* move = static_cast<QMoveEvent*>(e);
        m_trafficLight->move(m_trafficLight->pos() + move->pos() - move->oldPos());
    }
    return QWidget::eventFilter(watched, e);
}

void TV2000Window::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    if (!AlteringSettings())
        Layout();
}

void TV2000Window::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(Qt::black);
    p.drawLine(0, 0, width() - 1, 0);
}

// ---- messages, commands and timers

bool TV2000Window::event(QEvent* event)
{
    if (event->type() == platform::WindowMessageEvent::eventType()) {
        auto* m = static_cast<platform::WindowMessageEvent*>(event);
        m->setResult(WindowMessage(m->message(), m->wParam(), m->lParam()));
        return true;
    }
    return QWidget::event(event);
}

qint64 TV2000Window::WindowMessage(uint message, quint64 wParam, qint64 lParam)
{
    switch (message) {
    case platform::MsgTabKey: return EvTabKey(int(wParam));
    case platform::MsgSelectTab:
        if (m_tabs) {
            m_tabs->setCurrentIndex(int(wParam));
            ShowSelectedTab();
        }
        return 0;
    case platform::MsgAutoStart: return EvAutoStart();
    case platform::MsgBringToFront: EvBringToFront(); return 0;
    default: {
        bool handled = false;
        return m_commands->Message(message, wParam, lParam, handled);
    }
    }
}

bool TV2000Window::Command(int id)
{
    if (id == Command::SelectFirstRecorder && m_tabs) {
        if (m_recorders[0] && m_recorders[0]->TabIndex >= 0)
            m_tabs->setCurrentIndex(m_recorders[0]->TabIndex);
        else if (m_decks[0] && m_decks[0]->TabIndex >= 0)
            m_tabs->setCurrentIndex(m_decks[0]->TabIndex);
        ShowSelectedTab();
        return true;
    }
    return m_commands->Command(id);
}

void TV2000Window::EvBringToFront()
{
    QWidget* frame = window();
    if (frame->isMinimized())
        frame->showNormal();
    frame->raise();
    frame->activateWindow();
}

long TV2000Window::EvNightDay(int scheme, long lParam)
{
    // The map and the detector panel are children of this window, so the
    // broadcast to all children reaches theirs too.
    return NightDayWindow::EvNightDay(scheme, lParam);
}

long TV2000Window::EvStatusPopup(int controlId, const QPoint& screenPoint)
{
    return m_commands->EvStatusPopup(controlId, screenPoint);
}

// Writes the settings block; a failure is shown, never passed over.
void TV2000Window::WriteBlock()
{
    QString error;
    const bool ok = Startup().WriteProgramSettings(&error);
    if (!ok && !error.isEmpty())
        Ask(error, QString::fromLatin1(velmar::store::SettingsFileErrorCaption), QMessageBox::Ok);
}

void TV2000Window::PostQuit()
{
    m_quitPosted = true;
    Startup().PostQuit();
}

void TV2000Window::PostToSelf(unsigned message, quint64 wParam, qint64 lParam)
{
    platform::postWindowMessage(this, message, wParam, lParam);
}

QMessageBox::StandardButton TV2000Window::Ask(const QString& text, const QString& caption,
                                              QMessageBox::StandardButtons buttons)
{
    return ui::ShowMessageBox(this, text, caption, QMessageBox::NoIcon, buttons);
}

} // namespace velmar::shell
