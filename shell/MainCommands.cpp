#include "shell/MainCommands.h"

#include "shell/CommandIds.h"
#include "shell/DatabaseSheet.h"
#include "shell/MainTimers.h"
#include "shell/MainWindowMessages.h"
#include "shell/ShellLog.h"
#include "nav/ProgramStatus.h"
#include "widgets/MyControls.h"
#include "platform/ProgramClock.h"
#include "platform/RunMode.h"
#include "shell/TV2000Window.h"
#include "shell/TVelmarApp.h"
#include "platform/WindowMessage.h"
#include "shell/ui/AnimateDialog.h"
#include "shell/ui/DataKeepDialog.h"
#include "shell/ui/DatabasePage.h"
#include "shell/ui/HtmlHelp.h"
#include "shell/ui/IOBoardDialog.h"
#include "shell/ui/LiableDlg.h"
#include "shell/ui/MapOptsDialog.h"
#include "widgets/DialogService.h"
#include "widgets/MessageBoxSeam.h"
#include "shell/ui/ProgContDialog.h"
#include "shell/ui/ProgLocDialog.h"
#include "shell/ui/SettingsChecks.h"
#include "shell/ui/ShowTapeDialog.h"
#include "shell/ui/ShowTimesDialog.h"
#include "shell/ui/SpermPlotDialog.h"
#include "platform/DateTimeText.h"
#include "store/DbConnection.h"
#include "store/FixedSchema.h"
#include "settings/ProgramSettings.h"
#include "store/RecordWriters.h"
#include "store/ui/NewTableDialog.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QStyle>
#include <QToolButton>
#include <QTimer>
#include <QUrl>

namespace velmar::shell {

using store::TheProgramSettings;

namespace {

constexpr const char* WebAddress = "https://www.tivrel.org/velmar";
constexpr const char* OnlineHelpAddress = "https://www.tivrel.org/velmar/help";
constexpr const char* PrintDocumentName = "Velmar 2010 Map";
// The I/O sheet starts the user forms' counters one second after the
// threads, once the counter thread runs again.
constexpr int CounterStartDelayMs = 1000;

// Why a print could not start: a PDF's file cannot be written, or the
// printer does not take the document.
QString PrintNotStartedText(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        const QFileInfo file(printer.outputFileName());
        const QFileInfo folder(file.absolutePath());
        const QString reason = !folder.isDir() ? QStringLiteral("its folder does not exist")
                             : file.isDir()    ? QStringLiteral("it is a folder")
                             : file.exists()   ? QStringLiteral("the file cannot be written")
                                               : QStringLiteral("the folder cannot be written to");
        return QStringLiteral("The map was not printed: the file\n\n%1\n\ncannot be made (%2).")
            .arg(printer.outputFileName(), reason);
    }
    if (!printer.isValid() || printer.printerName().isEmpty())
        return QStringLiteral("The map was not printed: no printer is available.");
    return QStringLiteral("The map was not printed: the printer \"%1\" did not take the document.")
        .arg(printer.printerName());
}

void Tell(QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon = QMessageBox::NoIcon)
{
    ui::ShowMessageBox(owner, text, caption, icon);
}

class LocalRecentList : public store::RecentDatabaseList {
public:
    QStringList entries() const override { return m_entries; }
    void saveMenuChoice(const QString& path) override
    {
        m_entries.removeAll(path);
        m_entries.prepend(path);
    }

private:
    QStringList m_entries;
};

} // namespace

TMainCommands::TMainCommands(TV2000Window& window) : m_window(window)
{
    MainTimers& timers = Timers();
    timers.SetWork(TimerAnimationStep, [this] {
        QWidget* map = Map();
        if (!map || platform::sendWindowMessage(map, platform::MsgMapAnimation, AnimationStep, 0) == 0)
            PostToSelf(platform::MsgCommand, Command::StopAnimation);
    });
    timers.SetWork(TimerAnimationFix, [this] {
        if (QWidget* map = Map())
            platform::sendWindowMessage(map, platform::MsgMapAnimation, AnimationShowFix, 0);
    });
}

TMainCommands::~TMainCommands() = default;

MainTimers& TMainCommands::Timers()
{
    return m_window.Timers();
}

QWidget* TMainCommands::Map() const
{
    return m_window.MapWindow();
}

void TMainCommands::PostToSelf(unsigned message, quint64 wParam, qint64 lParam)
{
    platform::postWindowMessage(&m_window, message, wParam, lParam);
}

void TMainCommands::SelectTab(int index)
{
    if (TMyTabControl* tabs = m_window.TabControl(); tabs && index >= 0) {
        tabs->setCurrentIndex(index);
        m_window.ShowSelectedTab();
    }
}

void TMainCommands::RunSheet(ui::SettingsSheet& sheet, int* result)
{
    const int r = ui::Dialogs().RunSheet(sheet);
    if (result)
        *result = r;
}

void TMainCommands::AddPageByName(ui::SettingsSheet& sheet, const QString& name)
{
    if (ui::SettingsPage* page = m_window.SettingsDialogs().MakePage(name))
        sheet.AddPage(page);
}

// ---- enablers

bool TMainCommands::IsEnabled(int id) const
{
    const TMyTabControl* tabs = m_window.TabControl();
    const int selected = tabs ? tabs->currentIndex() : -1;
    switch (id) {
    case Command::PrintMap: return selected == 0;
    case Command::UpdateGpsReferences: return platform::RunMode != platform::RunModeOnline;
    case Command::ExportFormData: return selected >= 0 && selected >= m_window.FirstFreeTab();
    case Command::StartRun: return platform::GetProgramClockSource() == platform::ClockSourceFrozen;
    case Command::StopRun: return platform::GetProgramClockSource() == platform::ClockSourceManual;
    default: return true;
    }
}

void TMainCommands::AttachMenuBar(QMenuBar* bar)
{
    m_menuBar = bar;
    if (!bar)
        return;
    for (QMenu* menu : bar->findChildren<QMenu*>())
        QObject::connect(menu, &QMenu::aboutToShow, bar, [this] { UpdateEnablers(); });
    UpdateEnablers();
}

void TMainCommands::UpdateEnablers()
{
    if (m_menuBar) {
        for (QAction* action : m_menuBar->findChildren<QAction*>()) {
            bool ok = false;
            const int id = action->data().toInt(&ok);
            if (ok && id)
                action->setEnabled(IsEnabled(id));
        }
    }
    for (int id : {Command::StartRun, Command::StopRun})
        for (QWidget* w : m_window.findChildren<QWidget*>())
            if (ControlIdOf(w) == id)
                w->setEnabled(IsEnabled(id));
}

// ---- commands

bool TMainCommands::Command(int id)
{
    QWidget* self = &m_window;
    if (!IsEnabled(id))
        return true; // a disabled command arriving anyway does nothing
    switch (id) {
    case Command::DatabaseFile: CmDatabaseFile(); return true;
    case Command::OpenDatabase:
        ui::OpenUrlOrSay(self, QUrl::fromLocalFile(TheProgramSettings.DatabasePath.text()));
        return true;
    case Command::PrintMap: CmPrintMap(); return true;
    case Command::PrinterSetup: ui::Dialogs().PrintDialog(self, Printer(), true); return true;
    case Command::UpdateGpsReferences: m_window.Store().CheckGpsReferences(self); return true;
    case Command::ExportFormData:
        m_window.UserForms().ExportData(self, m_window.TabControl() ? m_window.TabControl()->currentIndex() : -1);
        return true;
    case Command::CopyTableData: m_window.SettingsDialogs().TransferEffortDialog(self); return true;
    case Command::NewStaticPointsTable:
    case Command::NewUserForm:
    case Command::NewStaticLinesTable:
    case Command::NewButtonsForm: CmNewTable(id); return true;
    case Command::DataControl: {
        ui::SettingsSheet sheet(self, QStringLiteral("Data Control"));
        sheet.AddPage(new ui::DataKeepDialog);
        RunSheet(sheet);
        return true;
    }
    case Command::GpsControl: CmGpsControl(); return true;
    case Command::FlashWarnings: m_window.SettingsDialogs().FlashWarningTypeDialog(self); return true;
    case Command::ProgrammeControl: {
        ui::SettingsSheet sheet(self, QStringLiteral("Programme Control"));
        sheet.AddPage(new ui::ProgLocDialog);
        sheet.AddPage(new ui::ProgContDialog(GetRecorderCount()));
        RunSheet(sheet);
        return true;
    }
    case Command::ErrorChecking: m_window.SettingsDialogs().ErrorCheckingDialog(self); return true;
    case Command::IoSelections: CmIoSheet(); return true;
    case Command::DisplayOptions: CmDisplaySheet(); return true;
    case Command::ZoomStepSize: m_window.Map().ShowZoomStepSizeDialog(self); return true;
    case Command::MenuStyle:
        // The map's plot menus follow the style; the map draws again.
        if (m_window.Map().ShowMenuStyleDialog(self)) {
            if (QWidget* map = Map()) {
                m_window.Map().BuildPlotMenu(map);
                platform::postWindowMessage(map, platform::MsgMapOptionsChanged, 0, 1);
            }
        }
        return true;
    case Command::Font: CmFont(); return true;
    case Command::ShowTimes: ShowTimesSheet(); return true;
    case Command::RescanDatabase: ReloadData(); return true;
    case Command::Statistics:
        if (!m_window.SettingsDialogs().StatisticsDialog(self))
            Tell(self, QStringLiteral("The track statistics are not available in this version of the programme"),
                 TV2000Window::ProgramName);
        return true;
    case Command::Animate: CmAnimate(); return true;
    case Command::StopAnimation: CmStopAnimation(); return true;
    case Command::NavigationWarning: {
        ui::LiableDlg dialog(self);
        ui::Dialogs().RunDialog(dialog);
        return true;
    }
    case Command::WebPage: ui::OpenUrlOrSay(self, QUrl(QString::fromLatin1(WebAddress))); return true;
    case Command::OnlineHelpPage: ui::OpenUrlOrSay(self, QUrl(QString::fromLatin1(OnlineHelpAddress))); return true;
    case Command::StartRun: CmStartRun(); return true;
    case Command::StopRun: CmStopRun(); return true;
    case Command::PopupStart:
    case Command::PopupStop:
    case Command::PopupShow: CmProgramPopup(id); return true;
    case Command::ShowPorpoiseProgramme:
    case Command::ShowWhistleProgramme:
    case Command::ShowClickProgramme: m_window.Detectors().ShowProgramme(id); return true;
    case Command::SelectThingsHeard:
        if (m_window.m_heardForm)
            SelectTab(m_window.m_heardTab);
        return true;
    case Command::PollGpsIfDue: m_window.Navigation().PollGpsIfDue(); return true;
    case Command::PollGps: m_window.Navigation().PollGps(); return true;
    default:
        if (id >= Command::ListeningFirst && id <= Command::ListeningLast) {
            m_window.Detectors().SetListeningStatus(id);
            return true;
        }
        return false;
    }
}

bool TMainCommands::DatabaseSheet()
{
    store::RecentDatabaseList* recent = GetVelmarApp();
    LocalRecentList local;
    const std::unique_ptr<ui::SettingsSheet> sheet = MakeDatabaseSheet(&m_window, recent ? *recent : local);
    int result = 0;
    RunSheet(*sheet, &result);
    return result == 1;
}

// File names differ by letter case on Linux: "survey.sqlite" and
// "Survey.sqlite" are two surveys. Two names of one file (a link, "./") are
// one.
bool SameDatabaseFile(const QString& a, const QString& b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return a == b || (!canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath());
}

void TMainCommands::CmDatabaseFile()
{
    const store::ProgramSettings before = TheProgramSettings;
    DatabaseSheet();
    const QString oldPath = before.DatabasePath.text();
    const QString newPath = TheProgramSettings.DatabasePath.text();
    if (SameDatabaseFile(oldPath, newPath) || platform::RunMode == platform::RunModeAlterSettings)
        return;
    Tell(&m_window, QStringLiteral("Velmar 2010 will now restart for the database changes to take effect"),
         QStringLiteral("Velmar 2010"), QMessageBox::Warning);
    TheProgramSettings.RestartMode = qint32(platform::RunMode);
    // The normal shut-down first: settings rows saved, the survey closed and
    // compacted, and the block written with the mode to resume.
    m_window.ShutDown();
    m_window.PostQuit();
}

void TMainCommands::CmGpsControl()
{
    const int before = TheProgramSettings.MaxInterval;
    const bool ok = m_window.SettingsDialogs().GpsControlDialog(&m_window);
    if (ok && before != TheProgramSettings.MaxInterval && platform::RunMode == platform::RunModeOnline) {
        m_window.Navigation().PollGpsIfDue();
        m_window.RestartGpsTimer();
    }
}

void TMainCommands::CmIoSheet()
{
    ui::SettingsSheet sheet(&m_window, QStringLiteral("Analogue and Digital I/O board"));
    sheet.AddPage(new ui::IOBoardDialog);
    sheet.AddPage(new ui::ButtonBoardDialog);
    if (m_window.Weather().LoadLibrary())
        AddPageByName(sheet, QStringLiteral("DavisPortDlg"));
    int result = 0;
    RunSheet(sheet, &result);
    PostToSelf(platform::MsgWeatherStation);
    if (result == 0)
        return;
    m_window.ButtonPanels().RestartButtonThread();
    m_window.RestartCounterThread();
    QTimer::singleShot(CounterStartDelayMs, &m_window, [this] { m_window.UserForms().StartCounters(); });
}

void TMainCommands::CmDisplaySheet()
{
    const store::ProgramSettings before = TheProgramSettings;
    ui::SettingsSheet sheet(&m_window, QStringLiteral("Display Settings"));
    sheet.AddPage(new ui::MapOptsDialog);
    sheet.AddPage(new ui::ShowTapeDialog(GetRecorderCount(), [](int n) { SetRecorderCount(n); }));
    AddPageByName(sheet, QStringLiteral("MapFileDialog"));
    sheet.AddPage(new ui::SpermPlotDialog);
    AddPageByName(sheet, QStringLiteral("EffortDlg"));
    AddPageByName(sheet, QStringLiteral("NavigateDialog"));
    RunSheet(sheet);
    if (platform::RunMode == platform::RunModeAlterSettings)
        return;
    if (before.DetectorsPosition != TheProgramSettings.DetectorsPosition
        || before.TimesAdjacent != TheProgramSettings.TimesAdjacent) {
        Tell(&m_window, QStringLiteral("You must restart the programme before this change takes effect"),
             QStringLiteral("Display Options"), QMessageBox::Critical);
        return;
    }
    m_window.UpdateRecorderTabs();
    if (TheProgramSettings.NGrabbers != GetGrabberCount()) {
        Tell(&m_window,
             platform::RunMode == platform::RunModeOnline
                 ? QStringLiteral("New Camera forms will only be created when Velmar is restarted\n\n"
                                  "Remember that each grabber form may contian multiple cameras")
                 : QStringLiteral("Camera forms are only available when Velmar is running in normal (Velmar) mode"),
             TV2000Window::ProgramName);
    }
    if (QWidget* map = Map())
        platform::postWindowMessage(map, platform::MsgMapOptionsChanged, 0, 1);
}

void TMainCommands::CmFont()
{
    QFont font = FontFromLogFont(TheProgramSettings.DisplayLogFont);
    if (!ui::Dialogs().FontDialog(&m_window, font))
        return;
    TheProgramSettings.DisplayLogFont = LogFontFromFont(font, TheProgramSettings.DisplayLogFont);
    Tell(&m_window,
         QStringLiteral("The New font you have selected will not take effect until next time you start the programme"),
         TV2000Window::ProgramName);
}

void TMainCommands::CmNewTable(int id)
{
    store::NewTableDialog dialog(&m_window, id);
    if (!ui::Dialogs().RunDialog(dialog))
        return;
    QString name = store::NewTableDialog::tableName();
    while (name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    if (name.isEmpty()) {
        Tell(&m_window, QStringLiteral("No name was given: nothing has been made"), TV2000Window::ProgramName);
        return;
    }
    // A failure has been shown by the data layer. A new panel or form gets
    // its tab at once where the run mode shows it.
    if (!store::DbCreateUserTable(id, name))
        return;
    const QString table = store::DbUserTableName(id, name);
    const bool kindHasTab = id == Command::NewUserForm || id == Command::NewButtonsForm;
    QString text = QStringLiteral("\"%1\" has been added to the database").arg(name);
    if (m_window.AddFormTab(id, table))
        text += QStringLiteral(": its tab is open");
    else if (kindHasTab)
        text += QStringLiteral(". Its window opens when the programme next starts");
    Tell(&m_window, text, TV2000Window::ProgramName, QMessageBox::Information);
}

int TMainCommands::ShowTimesSheet()
{
    ui::SettingsSheet sheet(&m_window, QStringLiteral("ShowData Options"));
    QWidget* self = &m_window;
    sheet.AddPage(new ui::ShowTimesDialog([self] { platform::sendWindowMessage(self, platform::MsgShowData, 0, 0); }));
    int result = 0;
    RunSheet(sheet, &result);
    return result;
}

QPrinter& TMainCommands::Printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void TMainCommands::CmPrintMap()
{
    QPrinter& printer = Printer();
    if (!ui::Dialogs().PrintDialog(&m_window, printer, false))
        return;
    // A PDF written over the survey would lose it.
    if (printer.outputFormat() == QPrinter::PdfFormat && store::IsOpenDbFile(printer.outputFileName())) {
        Tell(&m_window,
             printer.outputFileName() + QStringLiteral("\n\nis the open survey database: choose another file"),
             QStringLiteral("Print Map"), QMessageBox::Warning);
        return;
    }
    // Copies are made here, one page each, as the map draws every page
    // itself; the printer is not asked to repeat the document.
    const int copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1);
    printer.setDocName(QString::fromLatin1(PrintDocumentName));
    QPainter painter;
    if (!painter.begin(&printer)) {
        printer.setCopyCount(copies);
        const QString why = PrintNotStartedText(printer);
        qCWarning(shellLog).noquote() << "map not printed:" << why;
        Tell(&m_window, why, QStringLiteral("Print Map"), QMessageBox::Warning);
        return;
    }
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0)
            printer.newPage();
        bool drawn = false;
        if (Map()) {
            painter.save();
            drawn = m_window.Map().PrintMap(Map(), painter, printer);
            painter.restore();
        }
        if (!drawn) {
            // Without a map the page keeps its frame and title.
            const QRect page = painter.viewport().adjusted(0, 0, -1, -1);
            painter.drawRect(page);
            painter.drawText(page, Qt::AlignHCenter | Qt::AlignTop, QString::fromLatin1(PrintDocumentName));
        }
    }
    painter.end();
    printer.setCopyCount(copies);
}

void TMainCommands::CmAnimate()
{
    ui::AnimateDialog dialog(&m_window);
    if (!ui::Dialogs().RunDialog(dialog) || !Map()
        || !platform::postWindowMessage(Map(), platform::MsgMapAnimation, AnimationStart, 0))
        return;
    Timers().Start(TimerAnimationStep, AnimationStepMs);
    Timers().Start(TimerAnimationFix, AnimationFixMs);
}

void TMainCommands::CmStopAnimation()
{
    Timers().Stop(TimerAnimationStep);
    Timers().Stop(TimerAnimationFix);
    if (QWidget* map = Map())
        platform::postWindowMessage(map, platform::MsgMapAnimation, AnimationStop, 0);
}

void TMainCommands::CmStartRun()
{
    TMyEdit* edit = FindMyEdit(&m_window, IdClockEdit1);
    const QString text = edit ? edit->text().left(platform::StartRunTextLength) : QString();
    const auto start = platform::ParseStartRunText(text);
    if (!start) {
        Tell(&m_window, text, QString::fromLatin1(platform::InvalidStartTimeCaption), QMessageBox::Critical);
        return;
    }
    platform::ProgramClock::instance().startRun(*start, nullptr);
    Timers().Start(TimerClock, ClockPeriodMs);
    if (m_window.m_commentWindow)
        platform::sendWindowMessage(m_window.m_commentWindow, platform::MsgCommentTime, 2, 0);
    UpdateEnablers();
}

void TMainCommands::CmStopRun()
{
    Timers().Stop(TimerClock);
    platform::ProgramClock::instance().stopRun();
    if (m_window.m_commentWindow)
        platform::sendWindowMessage(m_window.m_commentWindow, platform::MsgCommentTime, 3, 0);
    UpdateEnablers();
}

void TMainCommands::CmProgramPopup(int id)
{
    DetectorLinkService& detectors = m_window.Detectors();
    const int action = id - Command::RecorderLongRecording;
    const quint32 status = detectors.ProgramStatus(m_popupTarget);
    if (m_popupTarget == PopupLongRecording) {
        if (!m_window.Recorder(0))
            return;
        if (id == Command::PopupShow) {
            m_window.Command(Command::SelectFirstRecorder);
            return;
        }
        for (int i = 0; i < MaxRecorders; ++i)
            if (AutoRecorder* r = m_window.Recorder(i))
                if (QWidget* w = r->Widget())
                    platform::postWindowMessage(w, Command::RecorderLongRecording, id == Command::PopupStart ? 1 : 2,
                                                0);
        return;
    }
    if ((status == StatusNotRunning || status == StatusNotFound) && id != Command::PopupStop) {
        detectors.StartProgram(m_popupTarget, 1);
        if (id != Command::PopupShow)
            PostToSelf(platform::MsgBringToFront);
    }
    detectors.SendDetectorCommand(m_popupTarget, action, 0);
}

// ---- status pop-up

long TMainCommands::EvStatusPopup(int buttonId, const QPoint& screenPoint)
{
    int target = 0;
    switch (buttonId) {
    case Command::ShowPorpoiseProgramme: target = 1; break;
    case Command::ShowWhistleProgramme: target = 2; break;
    case Command::ShowClickProgramme: target = 4; break;
    case Command::SelectFirstRecorder: target = PopupLongRecording; break;
    default: return 0;
    }
    m_popupTarget = target;
    QMenu menu(&m_window);
    const bool recording = target == PopupLongRecording;
    auto add = [&](int id, const char* text) { menu.addAction(QString::fromLatin1(text))->setData(id); };
    add(Command::PopupShow, recording ? "S&how Form" : "S&how Detector");
    menu.addSeparator();
    add(Command::PopupStart, recording ? "&Start Long Recording" : "&Start Detector");
    add(Command::PopupStop, recording ? "S&top Long Recording" : "S&top Detector");
    QAction* chosen = ui::Dialogs().RunPopup(menu, screenPoint);
    if (chosen)
        Command(chosen->data().toInt());
    return 0;
}

// ---- messages

qint64 TMainCommands::Message(uint message, quint64 wParam, qint64 lParam, bool& handled)
{
    handled = true;
    switch (message) {
    case platform::MsgCommand: handled = m_window.Command(int(wParam)); return 0;
    case platform::MsgDetectorStatus: m_window.Detectors().SetProgramStatus(wParam, lParam); return 0;
    case platform::MsgStatusPopup: {
        const auto* point = reinterpret_cast<const QPoint*>(lParam);
        return EvStatusPopup(int(wParam), point ? *point : QPoint());
    }
    case platform::MsgDdeEvent: m_window.Detectors().DdeEvent(wParam, lParam); return 0;
    case platform::MsgThingsHeard: m_window.Heard().ThingsHeard(wParam, lParam); return 0;
    case platform::MsgShowData: EvShowData(); return 0;
    case platform::MsgEffortReload:
        ClearEffortLists();
        if (!m_window.UserForms().RebuildEffortSegments())
            LoadEffortLists();
        m_window.Map().Redraw(false, true);
        return 0;
    case platform::MsgArrowKey: {
        const TMyTabControl* tabs = m_window.TabControl();
        if (!tabs || tabs->currentIndex() != 0)
            return 0;
        if (Map())
            platform::postWindowMessage(Map(), platform::MsgArrowKey, wParam, lParam);
        return 1;
    }
    case platform::MsgWeatherWindow:
        m_weatherWindow = reinterpret_cast<QWidget*>(lParam);
        if (m_weatherWindow)
            platform::postWindowMessage(m_weatherWindow, platform::MsgWeatherStart, 0, 0);
        return 0;
    case platform::MsgWeatherStation: EvWeatherStation(); return 0;
    case platform::MsgMapFileLoaded:
        if (Map())
            m_window.Map().CheckTrack();
        return 0;
    case platform::MsgDeviceChange: {
        Deck* deck = m_window.DeckAt(0);
        return deck && deck->Widget() ? platform::sendWindowMessage(deck->Widget(), message, wParam, lParam) : 0;
    }
    case platform::MsgDeckTimeText: {
        const QString text = QString::fromUtf8(reinterpret_cast<const char*>(wParam));
        if (TMyEdit* edit = FindMyEdit(&m_window, IdClockEdit1))
            edit->setText(text);
        if (m_window.m_commentWindow)
            platform::sendWindowMessage(m_window.m_commentWindow, platform::MsgCommentTime, 1, qint64(wParam));
        if (const auto* time = reinterpret_cast<const platform::SystemTime*>(lParam); time && Map())
            m_window.Map().NewGpsFix(*time);
        return 1;
    }
    case platform::MsgDeckPlaying: m_window.Decks().DeckPlaying(wParam != 0, int(lParam)); return 0;
    case platform::MsgDeckDetectorText: {
        QWidget* panel = m_window.DetectorForm();
        if (!panel)
            return 0;
        if (TMyEdit* e = FindMyEdit(panel, 31552))
            e->setText(QString::fromUtf8(reinterpret_cast<const char*>(wParam)));
        if (TMyEdit* e = FindMyEdit(panel, 31559))
            e->setText(platform::FormatSecondsHms(int(lParam)));
        return 1;
    }
    case platform::MsgRecordingState:
        return m_window.m_commentWindow ? platform::sendWindowMessage(m_window.m_commentWindow, message, wParam, lParam)
                                        : 0;
    case platform::MsgMapItem:
        if (Map())
            m_window.Map().PlotItem(qint64(wParam));
        return 0;
    case platform::MsgAfterStart: AddWebButton(); return 0;
    default: handled = false; return 0;
    }
}

// The web button at the right end of the frame's menu bar; it runs its
// command as the menu items do, so F1 on it asks for help instead.
void TMainCommands::AddWebButton()
{
    QMenuBar* bar = m_window.window()->findChild<QMenuBar*>();
    if (!bar)
        return;
    auto* button = new QToolButton(bar);
    button->setAutoRaise(true);
    auto* action = new QAction(m_window.style()->standardIcon(QStyle::SP_DriveNetIcon),
                               QStringLiteral("Tivrel on the web..."), button);
    action->setData(Command::WebPage);
    button->setDefaultAction(action);
    QObject::connect(action, &QAction::triggered, &m_window, [this] {
        if (TVelmarApp* app = GetVelmarApp())
            app->ProcessCommand(Command::WebPage);
        else
            m_window.Command(Command::WebPage);
    });
    delete bar->cornerWidget(Qt::TopRightCorner);
    bar->setCornerWidget(button, Qt::TopRightCorner);
    bar->update();
}

void TMainCommands::EvWeatherStation()
{
    WeatherService& weather = m_window.Weather();
    if (!weather.LoadLibrary())
        return;
    const bool exists = weather.WindowExists();
    if (TheProgramSettings.CollectWeather && platform::RunMode == platform::RunModeOnline) {
        if (!exists)
            weather.StartWindow(&m_window);
    } else if (exists && m_weatherWindow) {
        platform::postWindowMessage(m_weatherWindow, platform::MsgWeatherStop, 0, 0);
    }
}

// ---- shown data

void TMainCommands::EvShowData()
{
    if (m_showDataFirst) {
        m_showDataFirst = false;
        if (ShowTimesSheet() == 0)
            return; // cancelled: nothing loaded; the next message loads without asking
    }
    if (TMyEdit* e = FindMyEdit(&m_window, IdClockEdit1))
        e->setText(platform::FormatTimeStamp(TheProgramSettings.StartTime));
    if (TMyEdit* e = FindMyEdit(&m_window, IdClockEdit2))
        e->setText(platform::FormatTimeStamp(TheProgramSettings.EndTime));
    ReloadData();
}

void TMainCommands::ReloadData()
{
    TVelmarApp* app = GetVelmarApp();
    auto status = [app](const QString& text) {
        if (app)
            app->SetStatusText(text);
    };
    m_window.ShownData().ClearShownData();
    m_window.Comments().ClearComments();
    ClearEffortLists();
    if (!m_window.Store().IsDbOpen())
        return;
    status(QStringLiteral("Loading GPS data from database ..."));
    if (m_window.ShownData().LoadAllGpsData() <= 0) {
        status(QStringLiteral("No Data Loaded"));
        return;
    }
    status(QStringLiteral("Loading Sperm Whale data from database ..."));
    m_window.Detectors().LoadSpermData();
    status(QStringLiteral("Loading Porpoise data from database ..."));
    m_window.Detectors().LoadPorpoiseEvents();
    status(QStringLiteral("Loading User Form data from database ..."));
    m_window.UserForms().LoadAllData();
    status(QStringLiteral("Loading Comments from database ..."));
    m_window.Comments().ReloadComments();
    status(QStringLiteral("Loading Things Heard data from database ..."));
    if (m_window.m_heardForm)
        m_window.Heard().ReloadThingsHeard();
    if (!m_window.UserForms().RebuildEffortSegments())
        LoadEffortLists();
    for (int i = 0; i < MaxRecorders; ++i)
        if (Deck* d = m_window.DeckAt(i); d && d->Widget())
            platform::postWindowMessage(d->Widget(), platform::MsgShowData, 0, 0);
    status(QString());
    m_window.Map().Redraw(true, true);
    m_window.Map().ShowEmptyGpsData();
    qCInfo(shellLog) << "shown data: loaded and drawn";
}

void TMainCommands::ClearEffortLists()
{
    for (EffortList& list : m_effort)
        EffortList().swap(list);
}

void TMainCommands::LoadEffortLists()
{
    if (!TheProgramSettings.EffortYes)
        return;
    for (int source = 0; source < 4; ++source)
        m_window.ShownData().LoadEffortData(source, m_effort[std::size_t(source)]);
}

void TMainCommands::AddEffortPoint(int list, const EffortPoint& point)
{
    if (list >= 0 && list < EffortListCount)
        m_effort[std::size_t(list)].push_back(point);
}

void TMainCommands::AddEffortChange(int list, quint32 status)
{
    quint32 colour;
    if (status == StatusEffortOn)
        colour = 0x0000FF; // blue
    else if (status == StatusEffortPaused)
        colour = 0x00FFFF; // cyan
    else
        colour = m_window.palette().color(QPalette::Button).rgb() & 0xFFFFFF;
    AddEffortPoint(list, EffortPoint{store::GetLastGpsIndex(), colour, nav::EffortCategoryOfStatus(status)});
}

const EffortList* TMainCommands::GetEffortLine() const
{
    const int source = ui::GetEffortSourceIndex();
    if (source < 0)
        return m_window.UserForms().EffortFormLine();
    if (source >= EffortListCount)
        return nullptr;
    return &m_effort[std::size_t(source)];
}

} // namespace velmar::shell
