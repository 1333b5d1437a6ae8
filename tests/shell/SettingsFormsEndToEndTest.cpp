// The running program's menu commands, chosen by a script: the small
// settings forms, the display sheet with its effort line, map file and nav
// data pages, the transfer form, the about box and help each open, and every
// command of the menu bar runs in each run mode without the program
// stalling or failing.
#include "ScriptedVelmar.h"
#include "settings/ProgramSettings.h"
#include "store/DbConnection.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace velmar::shell::test {
namespace {

using store::ProgramSettings;
using store::TheProgramSettings;

// A settings folder with a survey chosen, as after the first start.
void PrepareHome(const QTemporaryDir& home)
{
    qputenv("VELMAR_HOME", home.path().toLocal8Bit());
    store::SetBlankDatabaseTemplate(qEnvironmentVariable("VELMAR_BIN_DIR") + QStringLiteral("/BlankVelmar._sqlite"));
    const QString survey = QDir(home.path()).filePath(QStringLiteral("Survey.sqlite"));
    ASSERT_EQ(store::OpenDB(nullptr, survey), store::kOpenDbOk);
    store::CloseDB();
    TheProgramSettings = ProgramSettings();
    TheProgramSettings.FirstRunPending = false;
    TheProgramSettings.DatabasePath.setText(survey);
    TheProgramSettings.ZoomStep = 3.5f;
    TheProgramSettings.MaxInterval = 20;
    TheProgramSettings.MinInterval = 4;
    TheProgramSettings.NoStartupNotice = true;
    ASSERT_TRUE(store::WriteProgramSettings());
}

QByteArray RunVelmar(const QTemporaryDir& home, const QStringList& arguments, const QString& commands, int* exitCode)
{
    QProcessEnvironment env = ScriptedVelmarEnvironment(home.path(), 1500);
    env.insert(QStringLiteral("VELMAR_RUN_COMMANDS"), commands);
    QProcess velmar;
    velmar.setProcessEnvironment(env);
    velmar.setProcessChannelMode(QProcess::MergedChannels);
    velmar.start(VelmarProgramPath(), arguments);
    const bool ended = velmar.waitForFinished(60000);
    if (!ended) {
        velmar.kill();
        velmar.waitForFinished();
    }
    *exitCode = ended && velmar.exitStatus() == QProcess::NormalExit ? velmar.exitCode() : -1;
    return velmar.readAll();
}

TEST(SettingsFormsEndToEnd, TheMenuCommandsOpenTheFormsAndPages)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    PrepareHome(home);
    int code = -1;
    const QByteArray output = RunVelmar(home, {QStringLiteral("-s")},
                                        QStringLiteral("30022,30002,30005,30006,30021,30020,30019,20062,20060"), &code);
    const std::string log = output.toStdString();
    EXPECT_EQ(code, 0) << log;
    for (const char* line :
         {"form: Zoom Step ended with OK", "form: GPS Settings ended with OK", "form: Error Checking ended with OK",
          "form: Flash Warning Type ended with OK", "form: Menu Style ended with OK",
          "sheet: Display Settings pages: General Options, Audio and Cameras, Map File, Quintra Click, Effort Line, "
          "Nav Data",
          "form: Transfer Effort Data closed", "dialog not shown: About Velmar 2010", "page not opened: file://",
          "Velmar_2010_Help.html", "commands done"})
        EXPECT_TRUE(output.contains(line)) << line << "\n" << log;

    // Taken as they stood: the values the forms showed are the values kept.
    TheProgramSettings = ProgramSettings();
    ASSERT_TRUE(store::ReadProgramSettings());
    EXPECT_FLOAT_EQ(TheProgramSettings.ZoomStep, 3.5f);
    EXPECT_EQ(TheProgramSettings.MaxInterval, 20);
    EXPECT_EQ(TheProgramSettings.MinInterval, 4);
}

TEST(SettingsFormsEndToEnd, EveryMenuCommandRunsInEachRunMode)
{
    for (const QStringList& arguments : {QStringList{}, QStringList{QStringLiteral("-s")},
                                         QStringList{QStringLiteral("-p")}, QStringList{QStringLiteral("-t")}}) {
        SCOPED_TRACE(arguments.value(0, QStringLiteral("online")).toStdString());
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        PrepareHome(home);
        int code = -1;
        const QByteArray output = RunVelmar(home, arguments, QStringLiteral("menu"), &code);
        const std::string log = output.toStdString();
        EXPECT_EQ(code, 0) << log;
        EXPECT_TRUE(output.contains("commands done")) << log;
        EXPECT_TRUE(output.contains("sheet: Display Settings")) << log;
        EXPECT_TRUE(output.contains("form: Zoom Step ended with OK")) << log;

        // Each command leaves a line of what it opened or said. Only these
        // act where no log line shows: the night and day colours, stopping
        // an animation that does not run, a cross-reference check that finds
        // nothing to fill, and the export that needs a form's tab (greyed).
        const QList<int> quiet{18000, 18001, 31905, 30017, 30018};
        int commands = 0;
        int current = 0;
        int lines = 0;
        const auto close = [&] {
            if (current != 0 && !quiet.contains(current)) {
                EXPECT_GT(lines, 0) << "command " << current << " left no trace\n" << log;
            }
        };
        for (const QByteArray& line : output.split('\n')) {
            const qsizetype at = line.indexOf("velmar.shell: command ");
            if (at >= 0) {
                close();
                current = line.mid(at + 22).split(' ').value(0).toInt();
                lines = 0;
                ++commands;
            } else if (line.contains("commands done")) {
                close();
                current = 0;
            } else if (current != 0 && line.startsWith("velmar.")) {
                ++lines;
            }
        }
        EXPECT_GT(commands, 10) << log;
    }
}

} // namespace
} // namespace velmar::shell::test
