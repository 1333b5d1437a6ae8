#include "shell/VelmarMain.h"

#include "shell/BoardWiring.h"
#include "shell/ButtonPanelsInstall.h"
#include "shell/CameraWiring.h"
#include "shell/CommandIds.h"
#include "shell/TUserFormHooks.h"
#include "forms/ui/UserFormList.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBus.h"
#include "platform/SingleInstance.h"
#include "shell/DatabaseSheet.h"
#include "shell/DeckWiring.h"
#include "shell/DetectorWiring.h"
#include "shell/HeardWiring.h"
#include "shell/HelpAndAbout.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowPorts.h"
#include "shell/MainWindowEvents.h"
#include "shell/MainWindowNav.h"
#include "shell/MainWindowStore.h"
#include "shell/MapWiring.h"
#include "widgets/ScriptedClicks.h"
#include "platform/ProgramFolder.h"
#include "shell/ProgrammeSetup.h"
#include "platform/RunMode.h"
#include "shell/RecorderWiring.h"
#include "shell/ServiceTable.h"
#include "shell/SettingsPagesInstall.h"
#include "shell/ShellLog.h"
#include "shell/ShowDataWiring.h"
#include "shell/TSDIDecFrame.h"
#include "shell/TV2000Window.h"
#include "shell/TVelmarApp.h"
#include "widgets/MessageBoxSeam.h"
#include "settings/ProgramSettings.h"
#include "store/ui/NewTableDialog.h"
#include "store/ui/QtDbMessageSink.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include "widgets/DialogService.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>

#include <functional>

namespace velmar::shell {

using platform::MessageBus;
using platform::NamedMutex;

namespace {

// The program file itself, wherever it was started from (a relative path or
// a name found on PATH would not tell the folder).
QString ProgramPath(const QStringList& arguments)
{
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (!self.isEmpty())
        return self;
    return arguments.isEmpty() ? QString() : QFileInfo(arguments.first()).absoluteFilePath();
}

// The data layer's messages (a refused store, "Error Opening Database", the
// column warnings) reach the operator as the shell's own boxes do; without
// it they would only be logged.
class OperatorDbMessages : public store::QtDbMessageSink {
public:
    void showMessage(QObject* owner, const QString& text, const QString& caption, store::DbIcon icon) override
    {
        static constexpr QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Critical, QMessageBox::Warning,
                                                      QMessageBox::Information};
        ui::ShowMessageBox(qobject_cast<QWidget*>(owner), text,
                           caption.isEmpty() ? QApplication::applicationDisplayName() : caption, icons[int(icon)]);
    }
};

void ShowAlreadyRunning()
{
    ui::ShowMessageBox(nullptr, QLatin1String(AlreadyRunningText), QLatin1String(AlreadyRunningCaption),
                       QMessageBox::Warning, QMessageBox::Ok);
}

// Test hook: end the program by itself the given time after its main window
// is up. The frame is closed first, so the exit checks and the shut-down
// (database closed and compacted, settings block written) run as when the
// operator closes it; in scripted runs (the unattended dialog binding) their
// questions take their default answers. The time counts from the main window,
// not from the start: a start-up slowed by a loaded machine must not eat the
// time a test gives the running program, and an exit asked for while a
// start-up step still waits in a loop of its own would be lost.
void ArmQuitTimer(TVelmarApp& app, int ms)
{
    constexpr int PollMs = 50;
    QTimer::singleShot(PollMs, &app, [&app, ms] {
        QWidget* frame = app.GetMainWindow();
        if (!frame || !frame->isVisible()) {
            ArmQuitTimer(app, ms);
            return;
        }
        QTimer::singleShot(ms, &app, [&app] {
            if (QWidget* shown = app.GetMainWindow())
                shown->close();
            QCoreApplication::exit(0);
        });
    });
}

void ArmQuitTimer(TVelmarApp& app)
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("VELMAR_QUIT_AFTER_MS", &ok);
    if (ok && ms >= 0)
        ArmQuitTimer(app, ms);
}

// Runs then once the main window is up (test hooks).
void WhenMainWindowShown(TVelmarApp& app, std::function<void(QWidget& frame)> then)
{
    constexpr int PollMs = 50;
    QTimer::singleShot(PollMs, &app, [&app, then = std::move(then)]() mutable {
        QWidget* frame = app.GetMainWindow();
        if (!frame || !frame->isVisible()) {
            WhenMainWindowShown(app, std::move(then));
            return;
        }
        then(*frame);
    });
}

// Test hook: once the main window is up, run the commands of
// VELMAR_RUN_COMMANDS (ids separated by commas, or "menu" for every item of
// the menu bar but Exit) one after another, as if chosen from the menu.
// Each is logged before it runs, so a script sees what it opened.
void RunScriptedCommands(TVelmarApp& app)
{
    const QString list = qEnvironmentVariable("VELMAR_RUN_COMMANDS");
    if (list.isEmpty())
        return;
    WhenMainWindowShown(app, [&app, list](QWidget& frame) {
        std::vector<std::pair<int, QString>> commands;
        if (list == QLatin1String("menu")) {
            if (auto* bar = frame.findChild<QMenuBar*>())
                for (QAction* action : bar->findChildren<QAction*>())
                    if (const int id = action->data().toInt(); id != 0 && id != Command::Exit)
                        commands.emplace_back(id, action->text());
        } else {
            for (const QString& id : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
                commands.emplace_back(id.trimmed().toInt(), QString());
        }
        for (const auto& [id, text] : commands) {
            qCInfo(shellLog).noquote() << "command" << id << text;
            app.ProcessCommand(id);
        }
        qCInfo(shellLog) << "commands done";
    });
}

// Test hook: once the main window is up, every kind of file dialog the
// program makes is shown on the folder VELMAR_FILE_DIALOGS names and left
// open (see ShowFileDialogsOn).
void ShowScriptedFileDialogs(TVelmarApp& app)
{
    const QString folder = qEnvironmentVariable("VELMAR_FILE_DIALOGS");
    if (!folder.isEmpty())
        WhenMainWindowShown(app, [&app, folder](QWidget&) { platform::ShowFileDialogsOn(folder, &app); });
}

// Test hook: the "Create New Table" dialog is answered with the names in
// VELMAR_NEW_TABLE_NAME (separated by commas), one each time in turn, as if
// typed and confirmed; when they run out it is cancelled. Every other dialog
// goes to the service bound before.
class NewTableAnswers final : public ui::DialogService {
public:
    NewTableAnswers(ui::DialogService& next, QStringList names) : m_next(next), m_names(std::move(names)) {}

    bool Attended() const override { return m_next.Attended(); }
    QMessageBox::StandardButton MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                           QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) override
    {
        return m_next.MessageBox(owner, text, caption, icon, buttons);
    }
    bool RunDialog(QDialog& dialog) override
    {
        auto* newTable = qobject_cast<store::NewTableDialog*>(&dialog);
        if (!newTable)
            return m_next.RunDialog(dialog);
        if (m_names.isEmpty())
            return false;
        const QString typed = m_names.takeFirst();
        qCInfo(shellLog).noquote() << "new table" << newTable->command() << typed;
        if (auto* edit = newTable->findChild<QLineEdit*>())
            edit->setText(typed);
        newTable->accept();
        return newTable->result() == QDialog::Accepted;
    }
    bool RunForm(QDialog& form) override { return m_next.RunForm(form); }
    int RunSheet(ui::SettingsSheet& sheet) override { return m_next.RunSheet(sheet); }
    bool PrintDialog(QWidget* parent, QPrinter& printer, bool setupOnly) override
    {
        return m_next.PrintDialog(parent, printer, setupOnly);
    }
    bool FontDialog(QWidget* parent, QFont& font) override { return m_next.FontDialog(parent, font); }
    QAction* RunPopup(QMenu& menu, const QPoint& at) override { return m_next.RunPopup(menu, at); }

private:
    ui::DialogService& m_next;
    QStringList m_names;
};

void AnswerNewTableDialog()
{
    const QString names = qEnvironmentVariable("VELMAR_NEW_TABLE_NAME");
    if (names.isEmpty())
        return;
    static NewTableAnswers answers(ui::Dialogs(), names.split(u','));
    ui::BindDialogs(&answers);
}

} // namespace

bool StartProgramDetached(const QString& programPath, const QStringList& arguments)
{
    return QProcess::startDetached(programPath, arguments);
}

QStringList RunModeArguments(quint32 runMode)
{
    switch (runMode) {
    case platform::RunModeShowData: return {QStringLiteral("-s")};
    case platform::RunModeOffline: return {QStringLiteral("-p")};
    case platform::RunModeAlterSettings: return {QStringLiteral("-t")};
    default: return {};
    }
}

bool RestartAfterDatabaseChange(const QString& programPath, NamedMutex& lock, const ProgramStarter& start)
{
    if (store::TheProgramSettings.RestartMode == 0)
        return false;
    QString error;
    if (!store::WriteProgramSettings(&error))
        qCWarning(shellLog) << "settings block not written before restart:" << error;
    lock.release();
    if (!start(programPath, RunModeArguments(quint32(store::TheProgramSettings.RestartMode))))
        qCWarning(shellLog) << "could not start" << programPath << "again";
    return true;
}

int VelmarMain(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    // Copies started by scripts bind dialogs that never wait for an operator.
    ui::BindDialogsForThisRun();
    platform::RunMode = platform::RunModeFromArguments(arguments);
    const QString programPath = ProgramPath(arguments);
    platform::SetProgramPath(programPath);

    // The application object comes first on Linux: the bus connection and
    // the warning box need it. Its constructor reads RunMode and binds the
    // board library, whose service is made before it.
    BoardLibraryService& boards = BindBoards();
    TVelmarApp app(argc, argv, &boards);
    // The program's version, as the camera forms' about box shows it.
    QApplication::setApplicationVersion(QStringLiteral(VELMAR_VERSION));

    OperatorDbMessages operatorMessages;
    store::setDbMessageSink(&operatorMessages);
    const auto sinkGone = qScopeGuard([] { store::setDbMessageSink(nullptr); });

    if (platform::RunMode == platform::RunModeOffline)
        QThread::currentThread()->setPriority(QThread::HighPriority);
    MessageBus::registerWindowMessage(QLatin1String(OnTopMessageName));

    NamedMutex lock{QString::fromLatin1(SingleInstanceMutexName)};
    if (platform::RunMode == platform::RunModeOnline) {
        // Two copies started at the same moment both find the lock free;
        // the one that fails to take it gives way as well.
        if (lock.existsElsewhere() || (!lock.tryCreate() && lock.existsElsewhere())) {
            ShowAlreadyRunning();
            MessageBus::instance().broadcast(QLatin1String(OnTopMessageName), 0, 0);
            return 0;
        }
    }

    BindDetectorEvents();
    DetectorLinkService& detectors = BindDetectorLinks();
    const NavigationBinding navigation = BindNavigation();
    SettingsDialogService& settingsDialogs = BindSettingsPages();
    ProgramStartup startup(app, settingsDialogs);
    MainWindowServices services;
    services.recorders = &BindRecorders(navigation.service, startup);
    services.decks = &DeckTabService();
    services.cameras = &BindCameras();
    services.comments = &CommentPanelService();
    services.help = &BindHelpAndAbout();
    services.weather = &WeatherStationService();
    services.map = &BindMapService(&navigation.poller, settingsDialogs);
    services.shownData = &BindShowData();
    services.store = &BindSurveyDatabase();
    services.startup = &startup;
    services.navigation = &navigation.service;
    services.settingsDialogs = &settingsDialogs;
    services.buttonPanels = &forms::BindButtonPanels();
    services.userForms = &forms::BindUserForms(*services.buttonPanels);
    services.detectors = &detectors;
    services.boards = &boards;
    forms::BindUserFormWindows(TheRecentEventDispatch().ports,
                               {[&app](const QString& text) { app.SetStatusText(text); },
                                [&app](int done, int total) { app.SetProgress(done, total); }});
    // After the steps whose status-box setters it wraps.
    services.heard = &BindThingsHeard();
    app.SetMainWindowServices(services);
    ArmQuitTimer(app);
    AnswerNewTableDialog();
    RunScriptedCommands(app);
    ShowScriptedFileDialogs(app);
    ui::RunScriptedClicks(&app);
    QTimer::singleShot(0, &app, [] { qCInfo(shellLog) << "running in run mode" << platform::RunMode; });
    QTimer::singleShot(0, &app, [&app] { ReportServiceBindings(app.GetMainWindowServices()); });
    const int result = app.Run();

    RestartAfterDatabaseChange(programPath, lock);
    return result;
}

} // namespace velmar::shell
