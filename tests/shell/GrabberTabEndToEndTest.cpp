// The real Velmar, offscreen, with one grabber tab and a test camera: the
// tab's form has no menu bar in Velmar, its "Settings" button opens the
// form's menu, and the about box of that menu names the program it runs in.
#include "settings/ProgramSettings.h"
#include "tests/shell/EndToEndSurvey.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using velmar::shell::test::OpenBlankSurvey;
using velmar::shell::test::StartScriptedVelmar;

constexpr int kBoundMs = 60000;

TEST(GrabberTabEndToEnd, SettingsButtonOpensTheMenuWhoseAboutNamesVelmar)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    OpenBlankSurvey(survey);
    if (testing::Test::HasFatalFailure())
        return;
    velmar::store::CloseDB();
    qputenv("VELMAR_HOME", home.path().toLocal8Bit());
    velmar::store::ProgramSettings& settings = velmar::store::TheProgramSettings;
    settings = velmar::store::ProgramSettings();
    settings.FirstRunPending = false;
    settings.DatabasePath.setText(survey);
    settings.NGrabbers = 1;
    ASSERT_TRUE(velmar::store::WriteProgramSettings());

    const QString messages = QDir(home.path()).filePath(QStringLiteral("messages.log"));
    QProcess velmar;
    StartScriptedVelmar(velmar, home.path(),
                        {{QStringLiteral("VELMAR_TEST_CAMERAS"), QStringLiteral("1")},
                         {QStringLiteral("VELMAR_SHOW_TAB"), QStringLiteral("Grabber 0")},
                         {QStringLiteral("VELMAR_MESSAGE_LOG"), messages},
                         {QStringLiteral("VELMAR_CLICKS"), QStringLiteral("buttonSettings;About...")}});
    if (testing::Test::HasFatalFailure())
        return;
    const auto shown = [&] {
        QFile file(messages);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    const QString about = QStringLiteral("About Velmar : Velmar Version ");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return shown().contains(about) || velmar.state() == QProcess::NotRunning; }, kBoundMs));
    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
    EXPECT_TRUE(shown().contains(about)) << velmar.readAll().toStdString();
    EXPECT_FALSE(shown().contains(QStringLiteral("About Kelvor")));
}

} // namespace
