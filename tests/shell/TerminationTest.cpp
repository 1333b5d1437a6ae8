// A logging session that the system ends (logout, shutdown, kill, Ctrl+C)
// must leave the same files as one the operator closes: the survey database
// closed and compacted, the settings block written, and the program gone
// with a normal exit, without waiting for an answer nobody gives. Each run
// has a bus of its own: another online Velmar on the bus would make this one
// give way at start.
#include "ScriptedVelmar.h"
#include "settings/ProgramSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using velmar::store::ProgramSettings;
using velmar::store::TheProgramSettings;

namespace {

class Termination : public ::testing::TestWithParam<int> {};

TEST_P(Termination, EndsLikeAClose)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    // Boxes are logged instead of shown, so the log tells whether an exit
    // question was asked: a signal must not ask one.
    const QProcessEnvironment env = velmar::shell::test::ScriptedVelmarEnvironment(home.path());
    QProcess velmar;
    velmar.setProcessEnvironment(env);
    velmar.setProcessChannelMode(QProcess::MergedChannels);
    velmar.start(velmar::shell::test::VelmarProgramPath(), {});
    ASSERT_TRUE(velmar.waitForStarted(30000));
    QByteArray output;
    ASSERT_TRUE(velmar::shell::test::ReadOutputUntil(velmar, "main window shown", output, 60000))
        << output.toStdString();

    ::kill(pid_t(velmar.processId()), GetParam());
    const bool ended = velmar.waitForFinished(30000);
    output += velmar.readAll();
    if (!ended) {
        velmar.kill();
        velmar.waitForFinished();
    }
    ASSERT_TRUE(ended) << output.toStdString();
    EXPECT_EQ(velmar.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(velmar.exitCode(), 0) << output.toStdString();
    EXPECT_FALSE(output.contains("Are you sure you want to exit")) << output.toStdString();

    const QString survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    ASSERT_TRUE(QFileInfo::exists(survey));
    EXPECT_FALSE(QFileInfo::exists(survey + QStringLiteral("-wal"))
                 && QFileInfo(survey + QStringLiteral("-wal")).size() > 0)
        << "database not closed";

    qputenv("VELMAR_HOME", home.path().toLocal8Bit());
    TheProgramSettings = ProgramSettings();
    ASSERT_TRUE(velmar::store::ReadProgramSettings());
    EXPECT_EQ(TheProgramSettings.DatabasePath.text(), survey);
    EXPECT_FALSE(TheProgramSettings.FirstRunPending);
}

INSTANTIATE_TEST_SUITE_P(Signals, Termination, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

} // namespace
