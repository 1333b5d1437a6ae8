// The real Kelvor, offscreen, on the test's bus with a test camera: a button
// press broadcast by Velmar (sent twice, lParam 1 and 2) saves one frame in
// the camera's output folder, and the next press one more.
#include "platform/MessageBus.h"

#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using velmar::platform::MessageBus;

QStringList Frames(const QString& folder)
{
    return QDir(folder).entryList({"Cam_0_*.jpg"}, QDir::Files);
}

bool WaitFor(const std::function<bool()>& condition, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > ms)
            return false;
        QTest::qWait(50);
    }
    return true;
}

} // namespace

TEST(KelvorEndToEnd, GrabsOncePerButtonPressOfVelmar)
{
    ASSERT_TRUE(MessageBus::instance().connected());
    const QString home = qEnvironmentVariable("VELMAR_HOME");
    ASSERT_FALSE(home.isEmpty());
    QTemporaryDir out;
    {
        QSettings ini(home + "/Kelvor.ini", QSettings::IniFormat);
        ini.setValue("Camera Grab Unit 0/CameraName", "Test Camera 0 (WDM)"); // as the component lists it
        ini.setValue("Camera Grab Unit 0/grabSingle", "1");
        ini.setValue("Camera Grab Unit 0/outputDirectory", out.path());
    }

    QProcess kelvor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMAR_TEST_CAMERAS", "1");
    kelvor.setProcessEnvironment(env);
    kelvor.setProcessChannelMode(QProcess::ForwardedChannels);
    kelvor.start(qEnvironmentVariable("VELMAR_BIN_DIR") + "/Kelvor");
    ASSERT_TRUE(kelvor.waitForStarted());
    QTest::qWait(3000); // the camera's preview starts

    auto& bus = MessageBus::instance();
    for (int press = 1; press <= 2; ++press) {
        bus.broadcast("VelmarButtonMessage", 5, 1);
        EXPECT_TRUE(WaitFor([&] { return Frames(out.path()).size() == press; }, 15000)) << "press " << press;
        // The second broadcast of the same press grabs nothing more.
        bus.broadcast("VelmarButtonMessage", 5, 2);
        QTest::qWait(1500);
        EXPECT_EQ(Frames(out.path()).size(), press) << Frames(out.path()).join(' ').toStdString();
    }
    for (const QString& f : Frames(out.path()))
        EXPECT_GT(QFileInfo(out.filePath(f)).size(), 1000) << f.toStdString();

    kelvor.terminate();
    kelvor.waitForFinished(5000);
}
