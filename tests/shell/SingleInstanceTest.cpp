// Copies of Velmar on one private session bus: one online copy at a time,
// the second gives way and brings the first to the top; copies in other run
// modes run alongside. And the restart after a database change.
#include "platform/BusNames.h"
#include "platform/Folders.h"
#include "platform/MessageBus.h"
#include "platform/SingleInstance.h"
#include "platform/RunMode.h"
#include "shell/VelmarMain.h"
#include "settings/ProgramSettings.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

using namespace velmar;

namespace {

constexpr int WaitMs = 20000;

// The copies share one settings block naming a survey database, which the
// first copy makes from the blank template; without one a copy would end.
void NameSurveyDatabase()
{
    if (QFile::exists(store::ProgramSettingsFilePath()))
        return;
    store::ProgramSettings settings;
    settings.FirstRunPending = false;
    settings.DatabasePath.setText(platform::settingsFile(QStringLiteral("survey.sqlite")));
    ASSERT_TRUE(store::WriteProgramSettingsFile(store::ProgramSettingsFilePath(), settings));
}

// A copy of the real program with its log read as it comes.
class Velmar {
public:
    // noModal: message boxes are logged instead of waiting for an operator.
    explicit Velmar(const QStringList& arguments, bool noModal = false)
    {
        NameSurveyDatabase();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // No operator confirms the "Database File" sheet at start.
        env.insert(QStringLiteral("VELMAR_ACCEPT_SHEETS"), QStringLiteral("1"));
        if (noModal)
            env.insert(QStringLiteral("VELMAR_NO_MODAL"), QStringLiteral("1"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(qEnvironmentVariable("VELMAR_BIN_DIR") + QStringLiteral("/Velmar"), arguments);
    }
    ~Velmar()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(WaitMs))
                m_process.kill();
            m_process.waitForFinished(WaitMs);
        }
    }

    // Waits, with a bound, until the log holds the text.
    bool WaitForLog(const QString& text)
    {
        while (!m_log.contains(text)) {
            if (!m_process.waitForReadyRead(WaitMs))
                return false;
            m_log += QString::fromLocal8Bit(m_process.readAll());
        }
        return true;
    }

    bool Finish()
    {
        const bool done = m_process.waitForFinished(WaitMs);
        m_log += QString::fromLocal8Bit(m_process.readAll());
        return done;
    }

    QProcess& Process() { return m_process; }
    const QString& Log() const { return m_log; }

private:
    QProcess m_process;
    QString m_log;
};

const QString InLoopOnline = QStringLiteral("running in run mode 1");
const QString InLoopShowData = QStringLiteral("running in run mode 2");
const QString BroughtToTop = QStringLiteral("main frame brought to the top");

bool LockTaken()
{
    return platform::MessageBus::instance().isNameOwned(
        platform::mutexBusName(QLatin1String(shell::SingleInstanceMutexName)));
}

TEST(SingleInstance, SecondOnlineCopyGivesWayAndBringsTheFirstToTheTop)
{
    ASSERT_TRUE(platform::MessageBus::instance().connected());
    Velmar first({}, true);
    ASSERT_TRUE(first.WaitForLog(InLoopOnline)) << first.Log().toStdString();
    EXPECT_TRUE(LockTaken());

    Velmar second({}, true);
    ASSERT_TRUE(second.Finish());
    EXPECT_EQ(second.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.Process().exitCode(), 0);
    EXPECT_TRUE(second.Log().contains(QStringLiteral("Velmar 2010 is already running")));
    EXPECT_FALSE(second.Log().contains(InLoopOnline)) << second.Log().toStdString();

    EXPECT_TRUE(first.WaitForLog(BroughtToTop)) << first.Log().toStdString();
    EXPECT_EQ(first.Process().state(), QProcess::Running);
}

TEST(SingleInstance, OtherRunModesRunAlongsideAndNeverTakeTheLock)
{
    Velmar online({}, true);
    ASSERT_TRUE(online.WaitForLog(InLoopOnline)) << online.Log().toStdString();

    // Upper case works the same.
    Velmar showData({QStringLiteral("-S")}, true);
    ASSERT_TRUE(showData.WaitForLog(InLoopShowData)) << showData.Log().toStdString();
    EXPECT_FALSE(showData.Log().contains(QStringLiteral("already running")));

    // With only the show-data copy left, a new online copy runs and takes the lock.
    platform::MessageBus& bus = platform::MessageBus::instance();
    const QString lockName = platform::mutexBusName(QLatin1String(shell::SingleInstanceMutexName));
    bus.watchName(lockName);
    QSignalSpy ownerChanged(&bus, &platform::MessageBus::nameOwnerChanged);
    online.Process().terminate();
    ASSERT_TRUE(online.Finish());
    while (LockTaken())
        ASSERT_TRUE(ownerChanged.wait(WaitMs));

    Velmar again({}, true);
    ASSERT_TRUE(again.WaitForLog(InLoopOnline)) << again.Log().toStdString();
    EXPECT_TRUE(LockTaken());
    EXPECT_EQ(showData.Process().state(), QProcess::Running);
}

TEST(Restart, BlockIsWrittenAndLockReleasedBeforeTheNewCopyStarts)
{
    platform::NamedMutex lock{QLatin1String(shell::SingleInstanceMutexName)};
    ASSERT_TRUE(lock.tryCreate());
    store::TheProgramSettings.RestartMode = 2;

    int starts = 0;
    const bool restarted = shell::RestartAfterDatabaseChange(
        QStringLiteral("/opt/velmar/Velmar"), lock, [&](const QString& path, const QStringList& arguments) {
            ++starts;
            EXPECT_EQ(path, QStringLiteral("/opt/velmar/Velmar"));
            EXPECT_EQ(arguments, QStringList{QStringLiteral("-s")});
            store::ProgramSettings onDisk;
            EXPECT_TRUE(store::ReadProgramSettingsFile(store::ProgramSettingsFilePath(), onDisk));
            EXPECT_EQ(onDisk.RestartMode, 2);
            EXPECT_FALSE(LockTaken());
            return true;
        });
    EXPECT_TRUE(restarted);
    EXPECT_EQ(starts, 1);
    store::TheProgramSettings.RestartMode = 0;
}

TEST(Restart, NothingHappensWithoutARestartMode)
{
    platform::NamedMutex lock{QLatin1String(shell::SingleInstanceMutexName)};
    ASSERT_TRUE(lock.tryCreate());
    store::TheProgramSettings.RestartMode = 0;
    QFile::remove(store::ProgramSettingsFilePath());
    int starts = 0;
    EXPECT_FALSE(shell::RestartAfterDatabaseChange(QStringLiteral("/opt/velmar/Velmar"), lock,
                                                   [&](const QString&, const QStringList&) { return ++starts, true; }));
    EXPECT_EQ(starts, 0);
    EXPECT_TRUE(lock.isHeld());
    EXPECT_FALSE(QFile::exists(store::ProgramSettingsFilePath()));
}

// A show-data copy that changed database while an online copy runs comes
// back in show data, not as a second online copy that gives way.
TEST(Restart, AShowDataCopyResumesBesideARunningOnlineCopy)
{
    Velmar online({}, true);
    ASSERT_TRUE(online.WaitForLog(InLoopOnline)) << online.Log().toStdString();

    platform::NamedMutex lock{QLatin1String(shell::SingleInstanceMutexName)};
    store::TheProgramSettings = store::ProgramSettings();
    ASSERT_TRUE(store::ReadProgramSettings());
    store::TheProgramSettings.RestartMode = int32_t(platform::RunModeShowData);
    std::unique_ptr<Velmar> resumed;
    EXPECT_TRUE(shell::RestartAfterDatabaseChange(qEnvironmentVariable("VELMAR_BIN_DIR") + QStringLiteral("/Velmar"),
                                                  lock, [&](const QString&, const QStringList& arguments) {
                                                      resumed = std::make_unique<Velmar>(arguments, true);
                                                      return true;
                                                  }));
    ASSERT_TRUE(resumed);
    ASSERT_TRUE(resumed->WaitForLog(InLoopShowData)) << resumed->Log().toStdString();
    EXPECT_FALSE(resumed->Log().contains(QStringLiteral("already running")));
    EXPECT_EQ(online.Process().state(), QProcess::Running);
    // Ended, the resumed copy leaves no restart pending behind.
    resumed->Process().terminate();
    ASSERT_TRUE(resumed->Finish());
    store::TheProgramSettings = store::ProgramSettings();
    ASSERT_TRUE(store::ReadProgramSettings());
    EXPECT_EQ(store::TheProgramSettings.RestartMode, 0);
}

} // namespace
