// Velmar's start for a new user and after a database change: the first-run
// set-up and its choices, the "Database File" sheet with its default survey
// file, cancelling it, the restart that skips it, and the real program end
// to end.
#include "ScriptedVelmar.h"
#include "shell/DatabaseSheet.h"
#include "shell/MainCommands.h"
#include "widgets/MyControls.h"
#include "shell/ProgrammeSetup.h"
#include "shell/MainWindowPorts.h"
#include "shell/MainWindowStore.h"
#include "shell/MainWindowServices.h"
#include "shell/RecentFiles.h"
#include "platform/RunMode.h"
#include "shell/TV2000Window.h"
#include "shell/TVelmarApp.h"
#include "platform/Dde.h"
#include "store/DbConnection.h"
#include "store/FixedSchema.h"
#include "settings/ProgramSettings.h"
#include "store/SqlText.h"
#include "settings/ProgramSettings.h"
#include "shell/CommandIds.h"
#include "shell/ui/DataKeepDialog.h"
#include "shell/ui/DatabasePage.h"
#include "tests/support/ScriptedDialogs.h"
#include "widgets/SettingsSheet.h"
#include "shell/ui/ShowTapeDialog.h"
#include "sound/RecorderTable.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

using namespace velmar::shell;
using namespace velmar::platform;
using velmar::store::ProgramSettings;
using velmar::store::TheProgramSettings;

namespace {

QString BinDir()
{
    return QString::fromLocal8Bit(qgetenv("VELMAR_BIN_DIR"));
}

// The tables of a survey file, read with SQLite itself.
QStringList TablesOf(const QString& path)
{
    QStringList tables;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table'", -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW)
            tables << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return tables;
}

void ExpectFixedTables(const QString& path)
{
    const QStringList tables = TablesOf(path);
    for (const QString& name : velmar::store::FixedTablesAtOpen())
        EXPECT_TRUE(tables.contains(name)) << name.toStdString() << " missing in " << path.toStdString();
}

// The real program run by a script to its own end.
struct Ended {
    bool ended = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int code = -1;
    QByteArray output;
};

Ended RunToEnd(const QProcessEnvironment& env)
{
    QProcess velmar;
    velmar.setProcessEnvironment(env);
    velmar.setProcessChannelMode(QProcess::MergedChannels);
    velmar.start(velmar::shell::test::VelmarProgramPath(), {});
    Ended run;
    run.ended = velmar.waitForFinished(60000);
    run.status = velmar.exitStatus();
    run.code = velmar.exitCode();
    run.output = velmar.readAll();
    return run;
}

// The pages of the first-run set-up that this program has, in their order.
const QStringList FirstRunPages = {
    QStringLiteral("Select Database (you must open a database before continuing)"),
    QStringLiteral("General Display options"),
    QStringLiteral("Audio and Cameras"),
    QStringLiteral("Select a board for digital and analogue i/o"),
    QStringLiteral("Enter the locations of the detector programmes"),
    QStringLiteral("Select which programmes are started and stopped automatically"),
    QStringLiteral("Enter how long data should be stored for"),
};

QString BuildFile(const QString& name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

void SetEdit(QWidget* page, int id, const QString& text)
{
    auto* edit = page->findChild<QLineEdit*>(QString::number(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->setText(text);
}

// The program's start-up with its sheets counted, its quits kept from the
// event loop, and the first-run set-up only where a test asks for it.
class CountingStartup final : public ProgramStartup {
public:
    CountingStartup(velmar::store::RecentDatabaseList& recent, SettingsDialogService& dialogs, int& sheets, int& quits)
        : ProgramStartup(recent, dialogs), m_sheets(sheets), m_quits(quits)
    {
    }
    bool DatabaseSheet(QWidget* parent) override
    {
        ++m_sheets;
        return ProgramStartup::DatabaseSheet(parent);
    }
    void ProgrammeSetup(QWidget* parent) override
    {
        if (withSetUp)
            ProgramStartup::ProgrammeSetup(parent);
    }
    void PostQuit() override { ++m_quits; }

    bool withSetUp = false;

private:
    int& m_sheets;
    int& m_quits;
};

// Settings dialogs that lend only a map file page.
class MapFilePageOnly final : public SettingsDialogService {
public:
    bool GpsControlDialog(QWidget*) override { return false; }
    void FlashWarningTypeDialog(QWidget*) override {}
    void ErrorCheckingDialog(QWidget*) override {}
    void TransferEffortDialog(QWidget*) override {}
    bool StatisticsDialog(QWidget*) override { return false; }
    ui::SettingsPage* MakePage(const QString& name) override
    {
        return name == QStringLiteral("MapFileDialog") ? new ui::SettingsPage(QStringLiteral("Map File")) : nullptr;
    }
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        m_oldHome = qgetenv("VELMAR_HOME");
        qputenv("VELMAR_HOME", home.path().toLocal8Bit());
        velmar::store::CloseDB();
        velmar::store::SetBlankDatabaseTemplate(BinDir() + QStringLiteral("/BlankVelmar._sqlite"));
        TheProgramSettings = ProgramSettings();
        RunMode = RunModeOnline;
        recent = std::make_unique<TRecentFiles>(QLatin1String(RecentFilesName), RecentFilesCount);

        startup = std::make_unique<CountingStartup>(*recent, NoSettingsDialogs(), sheets, quits);
        // The navigation warning the window posts at start.
        dialogs.runDialog = [](QDialog&) { return true; };
        // The main window's questions and the message boxes alike.
        dialogs.messageBox = [this](QWidget*, const QString& text, const QString&, QMessageBox::Icon,
                                    QMessageBox::StandardButtons) {
            questions << text;
            return QMessageBox::Ok;
        };
    }
    void TearDown() override
    {
        window.reset();
        velmar::store::CloseDB();
        qunsetenv("VELMAR_ACCEPT_SHEETS");
        qputenv("VELMAR_HOME", m_oldHome);
        RunMode = RunModeOnline;
    }

    TV2000Window& Start()
    {
        MainWindowServices services;
        services.store = &BindSurveyDatabase();
        services.startup = startup.get();
        window = std::make_unique<TV2000Window>(nullptr, services);
        window->resize(1000, 700);
        window->SetupWindow();
        return *window;
    }

    QTemporaryDir home;
    std::unique_ptr<TRecentFiles> recent;
    std::unique_ptr<CountingStartup> startup;
    std::unique_ptr<TV2000Window> window;
    velmar::test::ScriptedDialogs dialogs;
    QStringList questions;
    int sheets = 0;
    int quits = 0;

private:
    QByteArray m_oldHome;
};

// An operator at the first-run set-up: the wizard shows its pages in order;
// finishing it keeps what was entered (recorders, cameras, data times) and
// the database chosen on its first page, and the "Database File" sheet
// follows. Cancelling it still leaves a written block with the flag cleared.
TEST_F(StartupTest, FirstRunSetUpKeepsItsChoicesOrIsCancelled)
{
    startup->withSetUp = true;
    for (const bool finish : {true, false}) {
        SCOPED_TRACE(finish ? "finished" : "cancelled");
        QTemporaryDir fresh;
        ASSERT_TRUE(fresh.isValid());
        qputenv("VELMAR_HOME", fresh.path().toLocal8Bit());
        window.reset();
        velmar::store::CloseDB();
        TheProgramSettings = ProgramSettings();
        SetRecorderCount(0);
        questions.clear();
        sheets = 0;
        quits = 0;
        QStringList titles;
        bool shot = false;
        QTimer operatorAtKeyboard;
        operatorAtKeyboard.setInterval(0);
        QObject::connect(&operatorAtKeyboard, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* sheet = qobject_cast<ui::SettingsSheet*>(modal); sheet && sheet->IsWizard()) {
                if (!shot && finish) {
                    shot = sheet->grab().toImage().save(BuildFile(QStringLiteral("first_run_setup.png")));
                }
                if (!finish) {
                    titles << sheet->windowTitle();
                    sheet->reject();
                    return;
                }
                for (;;) {
                    ui::SettingsPage* page = sheet->CurrentPage();
                    titles << sheet->windowTitle();
                    if (qobject_cast<ui::ShowTapeDialog*>(page)) {
                        SetEdit(page, ui::ShowTapeDialog::IdSlots, QStringLiteral("2"));
                        SetEdit(page, ui::ShowTapeDialog::IdCameraForms, QStringLiteral("3"));
                    }
                    if (qobject_cast<ui::DataKeepDialog*>(page)) {
                        SetEdit(page, ui::DataKeepDialog::IdDisplayTime, QStringLiteral("90"));
                        SetEdit(page, ui::DataKeepDialog::IdWarningTime, QStringLiteral("15"));
                    }
                    if (sheet->CurrentIndex() + 1 == sheet->PageCount())
                        break;
                    sheet->Next();
                }
                sheet->accept();
            } else if (auto* dialog = qobject_cast<QDialog*>(modal);
                       dialog && dialog->windowTitle() == QStringLiteral("Database File")) {
                dialog->accept();
            }
        });
        operatorAtKeyboard.start();
        TV2000Window& w = Start();
        operatorAtKeyboard.stop();

        ASSERT_FALSE(questions.isEmpty());
        EXPECT_EQ(questions[0], QStringLiteral("This is either the first time you have run this software, or\n"
                                               "you have installed an updated version"));
        EXPECT_EQ(titles, finish ? FirstRunPages : FirstRunPages.mid(0, 1));
        EXPECT_EQ(sheets, 1);
        EXPECT_EQ(quits, 0);
        ASSERT_TRUE(w.DatabaseConfirmed());
        const QString survey = DefaultDatabasePath();
        EXPECT_EQ(velmar::store::GetDbPath(), survey);

        // The block on disk, as the next start reads it.
        TheProgramSettings = ProgramSettings();
        ASSERT_TRUE(velmar::store::ReadProgramSettings());
        EXPECT_FALSE(TheProgramSettings.FirstRunPending);
        EXPECT_EQ(TheProgramSettings.DatabasePath.text(), survey);
        const ProgramSettings defaults;
        EXPECT_EQ(TheProgramSettings.NGrabbers, finish ? 3 : defaults.NGrabbers);
        EXPECT_EQ(TheProgramSettings.DisplayTime, finish ? 90 : defaults.DisplayTime);
        EXPECT_EQ(TheProgramSettings.WarningTime, finish ? 15 : defaults.WarningTime);
        // The recorders chosen survive the database's own (empty) count.
        EXPECT_EQ(GetRecorderCount(), finish ? 2 : 0);
        EXPECT_EQ(velmar::sound::DbCountRecorders(), finish ? 2 : 0);

        if (finish) {
            // The main window of the new installation: its tabs and its clock.
            EXPECT_TRUE(shot);
            ASSERT_NE(w.TabControl(), nullptr);
            EXPECT_EQ(w.TabControl()->tabText(0), QStringLiteral("Map"));
            EXPECT_EQ(w.TabControl()->tabText(1), QStringLiteral("Comments"));
            TMyEdit* clock = FindMyEdit(&w, IdClockEdit1);
            ASSERT_NE(clock, nullptr);
            EXPECT_FALSE(clock->text().isEmpty());
            w.show();
            QCoreApplication::processEvents();
            EXPECT_TRUE(w.grab().toImage().save(BuildFile(QStringLiteral("first_run_main_window.png"))));
        }
        window.reset();
        velmar::store::CloseDB();
    }
}

// The map file page comes from the map's subsystem; when it is there, it is
// the set-up's second page, under the set-up's own title.
TEST_F(StartupTest, SetUpTakesTheMapFilePageWhenThereIsOne)
{
    MapFilePageOnly dialogs;
    const std::unique_ptr<ui::SettingsSheet> sheet = MakeProgrammeSetupSheet(nullptr, *recent, dialogs);
    ASSERT_EQ(sheet->PageCount(), FirstRunPages.size() + 1);
    EXPECT_EQ(sheet->Page(1)->Title(), QStringLiteral("Select Map File (optional)"));
    EXPECT_EQ(sheet->Page(2)->Title(), FirstRunPages[1]);
    EXPECT_TRUE(sheet->IsWizard());
    EXPECT_EQ(sheet->windowTitle(), FirstRunPages[0]);
}

TEST_F(StartupTest, NewUserGetsTheDefaultSurveyDatabase)
{
    qputenv("VELMAR_ACCEPT_SHEETS", "1");
    const QString expected = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    EXPECT_EQ(DefaultDatabasePath(), expected);

    TV2000Window& w = Start();
    ASSERT_FALSE(questions.isEmpty());
    EXPECT_TRUE(questions[0].startsWith(QStringLiteral("This is either the first time")));
    EXPECT_EQ(sheets, 1);
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(w.DatabaseConfirmed());
    EXPECT_NE(w.TabControl(), nullptr);
    EXPECT_TRUE(velmar::store::IsDbOpen());
    EXPECT_EQ(TheProgramSettings.DatabasePath.text(), expected);
    ASSERT_TRUE(QFileInfo::exists(expected));
    ExpectFixedTables(expected);

    // The settings file names the database, so the next start opens it.
    TheProgramSettings = ProgramSettings();
    ASSERT_TRUE(velmar::store::ReadProgramSettings());
    EXPECT_EQ(TheProgramSettings.DatabasePath.text(), expected);
}

// A recorder taken away loses its row: the next start counts the rows, and
// would bring the recorder back.
TEST_F(StartupTest, ATakenAwayRecorderLosesItsRowInTheSurvey)
{
    qputenv("VELMAR_ACCEPT_SHEETS", "1");
    Start();
    ASSERT_TRUE(velmar::store::IsDbOpen());
    SurveyStoreService& store = BindSurveyDatabase();
    for (int i = store.CountRecorders(); i < 2; ++i)
        store.AddRecorder(i);
    ASSERT_EQ(store.CountRecorders(), 2);
    store.DeleteRecorder(1);
    EXPECT_EQ(store.CountRecorders(), 1);
    store.DeleteRecorder(1); // no such row any more: said in the log, nothing else goes
    EXPECT_EQ(store.CountRecorders(), 1);
}

// The menu's "Database File" command shows the sheet of the start-up, with
// its one database page.
TEST_F(StartupTest, TheMenuShowsTheStartUpDatabaseSheet)
{
    qputenv("VELMAR_ACCEPT_SHEETS", "1");
    TV2000Window& w = Start();
    ASSERT_TRUE(w.DatabaseConfirmed());
    QString title;
    std::vector<bool> databasePages;
    dialogs.runSheet = [&](ui::SettingsSheet& sheet) {
        title = sheet.windowTitle();
        for (int i = 0; i < sheet.PageCount(); ++i)
            databasePages.push_back(qobject_cast<ui::DatabasePage*>(sheet.Page(i)) != nullptr);
        return 0;
    };
    EXPECT_TRUE(w.Command(Command::DatabaseFile));
    EXPECT_EQ(title, QStringLiteral("Database File"));
    EXPECT_EQ(databasePages, std::vector<bool>{true});
}

TEST_F(StartupTest, CancellingTheSheetEndsTheProgramWithTheSettingsWritten)
{
    // The operator presses Cancel on the sheet as soon as it is up.
    QTimer cancel;
    cancel.setInterval(0);
    QObject::connect(&cancel, &QTimer::timeout, [] {
        if (auto* sheet = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            if (sheet->windowTitle() == QStringLiteral("Database File"))
                sheet->reject();
    });
    cancel.start();

    TV2000Window& w = Start();
    cancel.stop();
    EXPECT_EQ(sheets, 1);
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(w.DatabaseConfirmed());
    EXPECT_EQ(w.TabControl(), nullptr);
    EXPECT_FALSE(velmar::store::IsDbOpen());
    EXPECT_FALSE(QFileInfo::exists(DefaultDatabasePath()));
    EXPECT_TRUE(QFileInfo::exists(velmar::store::ProgramSettingsFilePath()));
}

TEST_F(StartupTest, RestartAfterADatabaseChangeOpensTheStoredDatabase)
{
    const QString stored = QDir(home.path()).filePath(QStringLiteral("Cruise 7.sqlite"));
    ASSERT_EQ(velmar::store::OpenDB(nullptr, stored), velmar::store::kOpenDbOk);
    velmar::store::CloseDB();
    TheProgramSettings.DatabasePath.setText(stored);
    TheProgramSettings.RestartMode = int32_t(RunModeOffline);
    ASSERT_TRUE(velmar::store::WriteProgramSettings());
    TheProgramSettings = ProgramSettings();

    TV2000Window& w = Start();
    EXPECT_EQ(sheets, 0);
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(RunMode, RunModeOffline);
    EXPECT_TRUE(w.DatabaseConfirmed());
    EXPECT_EQ(velmar::store::GetDbPath(), stored);
    EXPECT_EQ(TheProgramSettings.RestartMode, 0);
    EXPECT_FALSE(QFileInfo::exists(DefaultDatabasePath()));
}

// The real program, started by a script with no operator: it must come up
// on the default database, and end cleanly with the file compacted and the
// settings block written.
TEST(StartupEndToEnd, FreshHomeStartsAndEndsCleanly)
{
    // Also on a desktop without a session bus: the detector service cannot
    // start, which is told, and the program still comes up and ends.
    for (const bool bus : {true, false}) {
        SCOPED_TRACE(bus ? "session bus" : "no session bus");
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        QProcessEnvironment env = velmar::shell::test::ScriptedVelmarEnvironment(home.path(), 1500);
        if (!bus)
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + home.filePath(QStringLiteral("no-bus")));
        const Ended run = RunToEnd(env);
        ASSERT_TRUE(run.ended) << run.output.toStdString();
        const QByteArray& output = run.output;
        EXPECT_EQ(run.status, QProcess::NormalExit) << output.toStdString();
        EXPECT_EQ(run.code, 0) << output.toStdString();

        const QString survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
        ASSERT_TRUE(QFileInfo::exists(survey)) << output.toStdString();
        ExpectFixedTables(survey);
        // Closed and compacted: no write-ahead log left behind.
        EXPECT_FALSE(QFileInfo::exists(survey + QStringLiteral("-wal"))
                     && QFileInfo(survey + QStringLiteral("-wal")).size() > 0);

        qputenv("VELMAR_HOME", home.path().toLocal8Bit());
        TheProgramSettings = ProgramSettings();
        ASSERT_TRUE(velmar::store::ReadProgramSettings());
        EXPECT_EQ(TheProgramSettings.DatabasePath.text(), survey);
        EXPECT_FALSE(TheProgramSettings.FirstRunPending);

        // The first-run message, the set-up's pages, then the "Database File"
        // sheet's page, in this order.
        EXPECT_TRUE(output.contains("Programme Setup : This is either the first time")) << output.toStdString();
        QStringList pages;
        const QByteArray marker = "start-up page: ";
        for (const QByteArray& line : output.split('\n')) {
            const qsizetype at = line.indexOf(marker);
            if (at >= 0)
                pages << QString::fromUtf8(line.mid(at + marker.size())).trimmed();
        }
        // The real program has the map's page too, after the database's.
        QStringList expected = FirstRunPages;
        expected.insert(1, QStringLiteral("Select Map File (optional)"));
        EXPECT_EQ(pages, expected + QStringList{QStringLiteral("Output Database")}) << output.toStdString();
        // The GPS form comes first, before the wizard's pages.
        const qsizetype gps = output.indexOf("form: GPS Settings ended with OK");
        EXPECT_GE(gps, 0) << output.toStdString();
        EXPECT_LT(gps, output.indexOf("start-up page:")) << output.toStdString();

        // The next start takes the block as it stands: no set-up again.
        const Ended next = RunToEnd(env);
        ASSERT_TRUE(next.ended) << next.output.toStdString();
        EXPECT_EQ(next.code, 0) << next.output.toStdString();
        EXPECT_FALSE(next.output.contains("Programme Setup")) << next.output.toStdString();
        EXPECT_FALSE(next.output.contains("form: GPS Settings")) << next.output.toStdString();
        EXPECT_TRUE(next.output.contains("start-up page: Output Database")) << next.output.toStdString();
    }
}

// The data layer's messages reach the operator in the running program, not
// only the log: a form definition the program refuses at start-up, and a
// record a form refuses to store (a required field left empty), are told, as
// the test hook records every box shown.
TEST(StartupEndToEnd, TheDataLayersMessagesReachTheOperator)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    qputenv("VELMAR_HOME", home.path().toLocal8Bit());
    const QString survey = QDir(home.path()).filePath(QStringLiteral("Survey.sqlite"));
    velmar::store::SetBlankDatabaseTemplate(BinDir() + QStringLiteral("/BlankVelmar._sqlite"));
    ASSERT_EQ(velmar::store::OpenDB(nullptr, survey), velmar::store::kOpenDbOk);
    // A form named after the survey's "Comments" table, and a form that
    // takes pokes and needs its count.
    for (const char* table : {"UDF_Comments", "UDF_Sightings"})
        velmar::store::DbCheckUserTable(velmar::store::GetDbConnection(), QLatin1String(table),
                                        velmar::store::kUserTableUserForm);
    {
        // The statements end before the connection they were made on.
        velmar::store::SqlStatement rows(velmar::store::GetDbConnection());
        ASSERT_TRUE(rows.execDirect(QStringLiteral("INSERT INTO \"UDF_Comments\" (\"Order\", \"Type\", \"Title\", "
                                                   "\"Length\") VALUES (1, 'CHAR', 'Remark', 20)")));
        velmar::store::SqlStatement form(velmar::store::GetDbConnection());
        ASSERT_TRUE(form.execDirect(
            QStringLiteral("INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\", \"Title\", \"Required\") "
                           "VALUES (1, 'INTEGER', 'Count', 1), (2, 'CHAR', 'Note', 0), (3, 'DDEENABLE', '', 0)")));
    }
    velmar::store::CloseDB();
    TheProgramSettings = ProgramSettings();
    TheProgramSettings.FirstRunPending = false;
    TheProgramSettings.DatabasePath.setText(survey);
    ASSERT_TRUE(velmar::store::WriteProgramSettings());

    const QString log = home.filePath(QStringLiteral("messages.log"));
    QProcessEnvironment env = velmar::shell::test::ScriptedVelmarEnvironment(home.path());
    env.insert(QStringLiteral("VELMAR_MESSAGE_LOG"), log);
    QProcess velmar;
    velmar.setProcessEnvironment(env);
    velmar.setProcessChannelMode(QProcess::MergedChannels);
    velmar.start(velmar::shell::test::VelmarProgramPath(), {});
    velmar::platform::DdeClient dde(QStringLiteral("Velmar2000"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dde.serverPresent(); }, 30000)) << velmar.readAll().toStdString();
    EXPECT_FALSE(dde.poke(QStringLiteral("UDFSERVICE"), QStringLiteral("Sightings"), ",a note", 10000));
    const auto shownLines = [&log] {
        QFile shown(log);
        return shown.open(QIODevice::ReadOnly) ? QString::fromUtf8(shown.readAll()) : QString();
    };
    // The box comes once the poke is answered.
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownLines().contains(QStringLiteral("must be completed")); }, 30000));
    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(60000)) << velmar.readAll().toStdString();
    const QByteArray output = velmar.readAll();
    EXPECT_EQ(velmar.exitCode(), 0) << output.toStdString();
    const QString lines = shownLines();
    EXPECT_TRUE(lines.contains(QStringLiteral("Error in Form Definition Table : The form \"Comments\" would store its "
                                              "data in the survey table \"Comments\".")))
        << lines.toStdString() << output.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral(" : The Field Count must be completed")))
        << lines.toStdString() << output.toStdString();
}

} // namespace
