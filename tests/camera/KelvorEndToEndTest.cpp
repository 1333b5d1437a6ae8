// The real Kelvor, offscreen, on the test's bus with a test camera: a button
// press broadcast by Velmar (sent twice, lParam 1 and 2) saves one frame in
// the camera's output folder, and the next press one more; a folder that
// cannot be written is reported once, not for every frame.
#include "platform/MessageBus.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using velmar::platform::MessageBus;

// Kelvor on the test's bus with one test camera whose section holds `camera`.
void StartKelvor(QProcess& kelvor, const QMap<QString, QString>& camera)
{
    {
        QSettings ini(qEnvironmentVariable("VELMAR_HOME") + "/Kelvor.ini", QSettings::IniFormat);
        ini.clear();
        for (auto it = camera.begin(); it != camera.end(); ++it)
            ini.setValue("Camera Grab Unit 0/" + it.key(), it.value());
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMAR_TEST_CAMERAS", "1");
    kelvor.setProcessEnvironment(env);
    kelvor.start(qEnvironmentVariable("VELMAR_BIN_DIR") + "/Kelvor");
    ASSERT_TRUE(kelvor.waitForStarted());
    QTest::qWait(3000); // the camera's preview starts
}

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
    ASSERT_FALSE(qEnvironmentVariable("VELMAR_HOME").isEmpty());
    QTemporaryDir out;
    QProcess kelvor;
    kelvor.setProcessChannelMode(QProcess::ForwardedChannels);
    // The camera's name as the component lists it.
    StartKelvor(kelvor, {{"CameraName", "Test Camera 0 (WDM)"}, {"grabSingle", "1"}, {"outputDirectory", out.path()}});

    auto& bus = MessageBus::instance();
    // A press before the camera runs grabs nothing: the first is repeated
    // until the preview is up, as an operator would press again.
    for (int attempt = 0; attempt < 10 && Frames(out.path()).isEmpty(); ++attempt) {
        bus.broadcast("VelmarButtonMessage", 5, 1);
        WaitFor([&] { return !Frames(out.path()).isEmpty(); }, 2000);
    }
    for (int press = 1; press <= 2; ++press) {
        if (press > 1)
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

TEST(KelvorEndToEnd, AFolderThatCannotBeWrittenIsReportedOnce)
{
    ASSERT_TRUE(MessageBus::instance().connected());
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath("plain-file");
    QFile(notAFolder).open(QIODevice::WriteOnly);
    QProcess kelvor;
    StartKelvor(kelvor, {{"CameraName", "Test Camera 0 (WDM)"}, {"grabSingle", "1"}, {"outputDirectory", notAFolder}});
    for (int press = 0; press < 3; ++press) {
        MessageBus::instance().broadcast("VelmarButtonMessage", 5, 1);
        QTest::qWait(1500);
    }
    kelvor.terminate();
    kelvor.waitForFinished(5000);
    const QString errors = QString::fromLocal8Bit(kelvor.readAllStandardError());
    EXPECT_EQ(errors.count("frame not saved"), 1) << errors.toStdString();
}
