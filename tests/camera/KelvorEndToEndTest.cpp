// The real Kelvor, offscreen, on the test's bus with a test camera: a button
// press broadcast by Velmar (sent twice, lParam 1 and 2) saves one frame in
// the camera's output folder, and the next press one more; a folder that
// cannot be written is reported once, not for every frame. An AVI clip
// that Kelvor was writing when it was killed still plays up to its last
// written frame.
#include "platform/MessageBus.h"
#include "video/Ombrix.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using velmar::platform::MessageBus;

QString IniPath()
{
    return qEnvironmentVariable("VELMAR_HOME") + "/Kelvor.ini";
}

// Kelvor on the test's bus with test cameras whose sections hold `camera`
// (each its own test camera by name), and the extra variables given.
void StartKelvor(QProcess& kelvor, const QMap<QString, QString>& camera, const QMap<QString, QString>& variables = {},
                 int cameras = 1)
{
    {
        QSettings ini(IniPath(), QSettings::IniFormat);
        ini.clear();
        for (int unit = 0; unit < cameras; ++unit)
            for (auto it = camera.begin(); it != camera.end(); ++it)
                ini.setValue(QString("Camera Grab Unit %1/").arg(unit) + it.key(),
                             it.key() == "CameraName" ? QString(it.value()).replace("0", QString::number(unit))
                                                      : it.value());
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMAR_TEST_CAMERAS", QString::number(cameras));
    for (auto it = variables.begin(); it != variables.end(); ++it)
        env.insert(it.key(), it.value());
    kelvor.setProcessEnvironment(env);
    kelvor.start(qEnvironmentVariable("VELMAR_BIN_DIR") + "/Kelvor");
    // Kelvor tells nothing when its camera's preview is up: a test presses
    // until the first frame (or its failure) shows that it is.
    ASSERT_TRUE(kelvor.waitForStarted());
}

QStringList Frames(const QString& folder, const QString& pattern = "Cam_0_*.jpg")
{
    return QDir(folder).entryList({pattern}, QDir::Files);
}

// Kelvor worked by the steps of `clicks`, its cameras saving single frames
// in `out`, its message boxes logged in `messages`.
void StartScriptedKelvor(QProcess& kelvor, const QString& out, const QString& messages, const QString& clicks,
                         int cameras)
{
    StartKelvor(kelvor, {{"CameraName", "Test Camera 0 (WDM)"}, {"grabSingle", "1"}, {"outputDirectory", out}},
                {{"VELMAR_NO_MODAL", "1"}, {"VELMAR_MESSAGE_LOG", messages}, {"VELMAR_CLICKS", clicks}}, cameras);
}

QString ReadAll(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
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
        (void)QTest::qWaitFor([&] { return !Frames(out.path()).isEmpty(); }, 2000);
    }
    for (int press = 1; press <= 2; ++press) {
        if (press > 1)
            bus.broadcast("VelmarButtonMessage", 5, 1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Frames(out.path()).size() == press; }, 15000)) << "press " << press;
        // The second broadcast of the same press grabs nothing more.
        bus.broadcast("VelmarButtonMessage", 5, 2);
        EXPECT_FALSE(QTest::qWaitFor([&] { return Frames(out.path()).size() != press; }, 1500))
            << Frames(out.path()).join(' ').toStdString();
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
    QByteArray errors;
    const auto told = [&] {
        errors += kelvor.readAllStandardError();
        return int(errors.count("frame not saved"));
    };
    // Pressed until the preview is up and the first frame is not saved.
    for (int attempt = 0; attempt < 15 && told() == 0; ++attempt) {
        MessageBus::instance().broadcast("VelmarButtonMessage", 5, 1);
        (void)QTest::qWaitFor([&] { return told() > 0; }, 2000);
    }
    EXPECT_EQ(told(), 1) << errors.toStdString();
    // Two more presses fail the same way, untold.
    for (int press = 0; press < 2; ++press)
        MessageBus::instance().broadcast("VelmarButtonMessage", 5, 1);
    EXPECT_FALSE(QTest::qWaitFor([&] { return told() > 1; }, 3000)) << errors.toStdString();
    kelvor.terminate();
    kelvor.waitForFinished(5000);
    EXPECT_EQ(told(), 1) << errors.toStdString();
}

// The camera's settings dialog in the running Kelvor ("Settings", "Camera
// 0..."): a grab rate of 0 is refused with a message and the dialog stays
// open; OK then stores the new values, and the camera saves bitmaps.
TEST(KelvorEndToEnd, CameraSettingsDialogChangesTheCamera)
{
    QTemporaryDir out;
    QTemporaryDir logs;
    const QString messages = logs.filePath("messages.log");
    QProcess kelvor;
    StartScriptedKelvor(kelvor, out.path(), messages,
                        "Camera 0...;GrabFrameRate=0;Ok;GrabFrameRate=2;outputFormat=Bitmap files;Ok", 1);
    const auto stored = [] {
        QSettings ini(IniPath(), QSettings::IniFormat);
        return ini.value("Camera Grab Unit 0/outputFormat").toString();
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return stored() == "1"; }, 20000)) << ReadAll(messages).toStdString();
    {
        QSettings ini(IniPath(), QSettings::IniFormat);
        EXPECT_DOUBLE_EQ(ini.value("Camera Grab Unit 0/grabFrameRate").toDouble(), 2.0);
    }
    EXPECT_TRUE(ReadAll(messages).contains("CameraSettings : '0' is not a valid Grab Rate"))
        << ReadAll(messages).toStdString();
    for (int attempt = 0; attempt < 10 && Frames(out.path(), "Cam_0_*.bmp").isEmpty(); ++attempt) {
        MessageBus::instance().broadcast("VelmarButtonMessage", 5, 1);
        (void)QTest::qWaitFor([&] { return !Frames(out.path(), "Cam_0_*.bmp").isEmpty(); }, 2000);
    }
    EXPECT_FALSE(Frames(out.path(), "Cam_0_*.bmp").isEmpty());
    kelvor.terminate();
    kelvor.waitForFinished(5000);
}

// "Setup ..." raises the form to two cameras, which sit side by side and
// both grab on a press of Velmar; the about box names Kelvor.
TEST(KelvorEndToEnd, SecondCameraFromSetupGrabsToo)
{
    QTemporaryDir out;
    QTemporaryDir logs;
    const QString messages = logs.filePath("messages.log");
    QProcess kelvor;
    StartScriptedKelvor(kelvor, out.path(), messages, "Setup ...;nCameras=2;Ok;About...", 2);
    const auto bothSaved = [&] {
        return !Frames(out.path(), "Cam_0_*.jpg").isEmpty() && !Frames(out.path(), "Cam_1_*.jpg").isEmpty();
    };
    for (int attempt = 0; attempt < 15 && !bothSaved(); ++attempt) {
        MessageBus::instance().broadcast("VelmarButtonMessage", 5, 1);
        (void)QTest::qWaitFor(bothSaved, 2000);
    }
    EXPECT_TRUE(bothSaved()) << QDir(out.path()).entryList(QDir::Files).join(' ').toStdString();
    EXPECT_TRUE(ReadAll(messages).contains("About Kelvor : Kelvor")) << ReadAll(messages).toStdString();
    kelvor.terminate();
    kelvor.waitForFinished(5000);
}

TEST(KelvorEndToEnd, AClipCutShortByAKillStillPlays)
{
    ASSERT_TRUE(MessageBus::instance().connected());
    QTemporaryDir out;
    QProcess kelvor;
    kelvor.setProcessChannelMode(QProcess::ForwardedChannels);
    StartKelvor(kelvor, {{"CameraName", "Test Camera 0 (WDM)"},
                         {"outputFormat", "2"},
                         {"grabPreSeconds", "1"},
                         {"grabPostSeconds", "30"},
                         {"outputDirectory", out.path()}});
    const auto clips = [&] { return QDir(out.path()).entryList({"Cam_0_*.avi"}, QDir::Files); };
    for (int attempt = 0; attempt < 10 && clips().isEmpty(); ++attempt) {
        MessageBus::instance().broadcast("VelmarButtonMessage", 5, 1);
        (void)QTest::qWaitFor([&] { return !clips().isEmpty(); }, 2000);
    }
    ASSERT_EQ(clips().size(), 1);
    const QString clip = out.filePath(clips().first());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(clip).size() > 200000; }, 15000));
    kelvor.kill();
    kelvor.waitForFinished(5000);
    qint64 duration = 0, frames = 0;
    EXPECT_TRUE(velmar::video::TOmbrix::AVIDuration(clip, duration, frames)) << clip.toStdString();
    EXPECT_GT(frames, 10);
}
