// Velmar's start for a new user and after a database change: the first-run
// path, the "Database File" sheet with its default survey file, cancelling
// it, the restart that skips it, and the real program end to end.
#include "shell/DatabaseSheet.h"
#include "shell/MainWindowPorts.h"
#include "shell/MainWindowStore.h"
#include "shell/RecentFiles.h"
#include "shell/RunMode.h"
#include "shell/TV2000Window.h"
#include "shell/TVelmarApp.h"
#include "store/DbConnection.h"
#include "store/FixedSchema.h"
#include "store/ProgramSettings.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

using namespace velmar::shell;
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

        MainWindowHooks& h = mainWindowHooks();
        h = MainWindowHooks{};
        BindSurveyDatabase(h);
        h.addRecentFile = [this](const QString& path) { recent->SaveMenuChoice(path); };
        h.databaseSheet = [this](QWidget* parent) {
            ++sheets;
            return DatabaseSheet(parent, *recent);
        };
        h.askUser = [this](QWidget*, const QString& text, const QString&, QMessageBox::StandardButtons) {
            questions << text;
            return QMessageBox::Ok;
        };
        h.postQuit = [this] { ++quits; };
    }
    void TearDown() override
    {
        window.reset();
        velmar::store::CloseDB();
        mainWindowHooks() = MainWindowHooks{};
        qunsetenv("VELMAR_ACCEPT_SHEETS");
        qputenv("VELMAR_HOME", m_oldHome);
        RunMode = RunModeOnline;
    }

    TV2000Window& Start()
    {
        window = std::make_unique<TV2000Window>();
        window->resize(1000, 700);
        window->SetupWindow();
        return *window;
    }

    QTemporaryDir home;
    std::unique_ptr<TRecentFiles> recent;
    std::unique_ptr<TV2000Window> window;
    QStringList questions;
    int sheets = 0;
    int quits = 0;

private:
    QByteArray m_oldHome;
};

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
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELMAR_HOME"), home.path());
    env.insert(QStringLiteral("VELMAR_ACCEPT_SHEETS"), QStringLiteral("1"));
    env.insert(QStringLiteral("VELMAR_NO_MODAL"), QStringLiteral("1"));
    env.insert(QStringLiteral("VELMAR_QUIT_AFTER_MS"), QStringLiteral("1500"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess velmar;
    velmar.setProcessEnvironment(env);
    velmar.setProcessChannelMode(QProcess::MergedChannels);
    velmar.start(BinDir() + QStringLiteral("/Velmar"), {});
    ASSERT_TRUE(velmar.waitForFinished(60000)) << velmar.readAll().toStdString();
    const QByteArray output = velmar.readAll();
    EXPECT_EQ(velmar.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(velmar.exitCode(), 0) << output.toStdString();

    const QString survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    ASSERT_TRUE(QFileInfo::exists(survey)) << output.toStdString();
    ExpectFixedTables(survey);
    // Closed and compacted: no write-ahead log left behind.
    EXPECT_FALSE(QFileInfo::exists(survey + QStringLiteral("-wal")) &&
                 QFileInfo(survey + QStringLiteral("-wal")).size() > 0);

    qputenv("VELMAR_HOME", home.path().toLocal8Bit());
    TheProgramSettings = ProgramSettings();
    ASSERT_TRUE(velmar::store::ReadProgramSettings());
    EXPECT_EQ(TheProgramSettings.DatabasePath.text(), survey);
    EXPECT_FALSE(TheProgramSettings.FirstRunPending);
}

} // namespace
