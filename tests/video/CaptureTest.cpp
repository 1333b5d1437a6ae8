// Frames of a test camera through the frame tap, offscreen: the preview
// window shows them stamped with the time, bursts and single captures reach
// the host on the user-interface thread, JPEG and BMP files are written, a
// stalled camera makes the synchronous capture give up in time, and the
// display window's mouse and key events reach the host.
#include "video/DisplayForm.h"
#include "video/Ombrix.h"
#include "video/PictureCodec.h"
#include "video/ProcessLog.h"
#include "video/SyncManager.h"
#include "video/TestDeviceProvider.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace velmar::video;

namespace {
constexpr int waitLimitMs = 10000;
const QRect textArea(0, 0, 120, 24);

// Dark pixels in an area; the test camera's bars hold none at the top.
int darkPixels(const QImage& picture, QRect area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom() && y < picture.height(); ++y)
        for (int x = area.left(); x <= area.right() && x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            n += c.red() < 60 && c.green() < 60 && c.blue() < 60;
        }
    return n;
}

class Capture : public ::testing::Test {
protected:
    void SetUp() override
    {
        TRegistry2::DeleteSettingsKey();
        auto provider = std::make_unique<TestDeviceProvider>();
        m_provider = provider.get();
        m_provider->addVideoDevice("/dev/test0", "Test Camera", {{320, 240}});
        SetDeviceProvider(std::move(provider));
        TSyncManager::ensure();
        m_component = std::make_unique<TOmbrix>();
        m_component->setVideoDevice(0);
        m_component->setStoragePath(m_dir.path());
    }
    void TearDown() override
    {
        m_component.reset();
        TSyncManager::destroy();
    }

    template <typename F>
    bool runUntil(F condition, int limitMs = waitLimitMs)
    {
        QElapsedTimer limit;
        limit.start();
        while (!condition()) {
            if (limit.elapsed() > limitMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
        return true;
    }

    // The time in black at the top left of every frame.
    void stampTime()
    {
        TextOverlayStyle style = m_component->TextOverlay_Style();
        style.color = Qt::black;
        style.font.setPixelSize(16);
        m_component->setTextOverlay_Style(style);
        m_component->setTextOverlay_String("%sys_time[hh:nn:ss]%");
        m_component->setTextOverlay_Enabled(true);
    }

    bool startPreview()
    {
        return m_component->StartPreview() && runUntil([&] { return m_component->DeliveredFrames() > 2; });
    }

    QTemporaryDir m_dir;
    TestDeviceProvider* m_provider = nullptr;
    std::unique_ptr<TOmbrix> m_component;
};
} // namespace

TEST_F(Capture, PreviewWindowShowsTheStampedFrames)
{
    QWidget panel;
    panel.resize(320, 240);
    panel.show();
    m_component->setPanel(&panel);
    stampTime();
    ASSERT_TRUE(startPreview());
    TDisplayForm* form = m_component->DisplayForm(0);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(runUntil([&] { return form->paintedFrames() > 2; }));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->parentWidget(), &panel);
    EXPECT_EQ(form->geometry(), panel.rect());
    EXPECT_EQ(m_component->VideoSourceWidth(), 320);

    const QImage shown = form->grab().toImage();
    EXPECT_NE(shown.pixelColor(160, 120), QColor(Qt::black)) << "the picture, not the background";
    EXPECT_GT(darkPixels(form->frame(), textArea), 20) << "the time stamp";

    m_component->StopPreview();
    ASSERT_TRUE(runUntil([&] { return m_component->CurrentState() == cs_Down; }));
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Capture, BurstsReachTheHostOnTheUserInterfaceThread)
{
    QList<TFrameData> frames;
    bool elsewhere = false;
    QObject::connect(m_component.get(), &TOmbrix::OnFrameCaptureCompleted,
                     [&](const TFrameData& data, int dest, const QString& file, bool success) {
                         elsewhere = elsewhere || QThread::currentThread() != qApp->thread();
                         EXPECT_EQ(dest, fc_TBitmap);
                         EXPECT_TRUE(file.isEmpty());
                         EXPECT_TRUE(success);
                         frames << data;
                     });
    m_component->setBurstType(fc_TBitmap);
    m_component->setBurstCount(3);
    m_component->setBurstInterval(0);
    ASSERT_TRUE(startPreview());
    m_component->setBurstMode(true);
    ASSERT_TRUE(runUntil([&] { return !m_component->BurstMode(); }));
    runUntil([] { return false; }, 200);
    ASSERT_EQ(frames.size(), 3) << "three frames, and the burst switches itself off";
    EXPECT_FALSE(elsewhere);
    EXPECT_EQ(frames.first().Bitmap.size(), QSize(320, 240));
    EXPECT_LT(frames.at(0).FrameNumber, frames.at(1).FrameNumber);

    // Without an end: every frame, as the camera forms use it.
    frames.clear();
    m_component->setBurstCount(0);
    m_component->setBurstMode(true);
    ASSERT_TRUE(runUntil([&] { return frames.size() >= 6; }));
    EXPECT_TRUE(m_component->BurstMode());
    EXPECT_FALSE(elsewhere);
}

TEST_F(Capture, SingleCapturesAreRefusedWhileOneWaits)
{
    QSignalSpy completed(m_component.get(), &TOmbrix::OnFrameCaptureCompleted);
    EXPECT_FALSE(m_component->CaptureFrameTo(fc_TBitmap, QString())) << "idle";
    ASSERT_TRUE(startPreview());
    EXPECT_TRUE(m_component->CaptureFrameTo(fc_TBitmap, QString()));
    EXPECT_FALSE(m_component->CaptureFrameTo(fc_TBitmap, QString())) << "the first is still waiting";
    ASSERT_TRUE(runUntil([&] { return completed.count() == 1; }));
    EXPECT_EQ(completed.first().at(1).toInt(), fc_TBitmap);
    EXPECT_TRUE(completed.first().at(3).toBool());
    EXPECT_TRUE(m_component->CaptureFrameTo(fc_TBitmap, QString())) << "served, so a new one is taken";

    m_component->StopPreview();
    ASSERT_TRUE(runUntil([&] { return m_component->CurrentState() == cs_Down; }));
    m_component->setFrameGrabber(fg_Disabled);
    ASSERT_TRUE(startPreview());
    EXPECT_FALSE(m_component->CaptureFrameTo(fc_TBitmap, QString())) << "no frame grabber";
}

TEST_F(Capture, SavesJpegAndBmpFiles)
{
    stampTime();
    m_component->setJPEGQuality(90);
    ASSERT_TRUE(startPreview());

    ASSERT_TRUE(m_component->CaptureFrameSyncTo(fc_JpegFile, m_dir.filePath("shot.jpeg")));
    const QString jpeg = m_dir.filePath("shot.jpg");
    EXPECT_EQ(m_component->Last_CaptureFrameTo_FileName(), jpeg);
    QFile file(jpeg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(2) == QByteArray("\xFF\xD8")) << "a JPEG stream";
    QString error;
    const QImage decoded = ReadJpegFile(jpeg, &error);
    ASSERT_FALSE(decoded.isNull()) << error.toStdString();
    EXPECT_EQ(decoded.size(), QSize(320, 240));
    EXPECT_GT(darkPixels(decoded, textArea), 20) << "the time stamp is in the picture";

    // An automatic name: the prefix and the first sequential number.
    ASSERT_TRUE(m_component->CaptureFrameSyncTo(fc_BmpFile, QString()));
    const QString bmp = m_dir.filePath("om000001.bmp");
    EXPECT_EQ(m_component->Last_CaptureFrameTo_FileName(), bmp);
    QFile bmpFile(bmp);
    ASSERT_TRUE(bmpFile.open(QIODevice::ReadOnly));
    const QByteArray bytes = bmpFile.readAll();
    ASSERT_GT(bytes.size(), 54);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 22), 240) << "bottom-up rows";
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 28), 32);
    const QImage read(bmp, "BMP");
    EXPECT_EQ(read.size(), QSize(320, 240));
    EXPECT_GT(darkPixels(read, textArea), 20);
}

TEST_F(Capture, SynchronousCaptureFromAStalledCameraGivesUp)
{
    QSignalSpy logs(m_component.get(), &TOmbrix::OnLog);
    m_component->setCaptureFrameSyncTimeOutMs(300);
    ASSERT_TRUE(startPreview());
    m_provider->stallDevice("/dev/test0");
    runUntil([] { return false; }, 300);
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(m_component->CaptureFrameSyncTo(fc_BmpFile, m_dir.filePath("never")));
    EXPECT_LT(took.elapsed(), 2000);
    EXPECT_FALSE(QFile::exists(m_dir.filePath("never.bmp")));
    ASSERT_FALSE(logs.isEmpty());
    EXPECT_EQ(logs.last().at(2).toString(), "no frame within 300 ms");
    EXPECT_TRUE(m_component->CaptureFrameTo(fc_TBitmap, QString())) << "the request was withdrawn";
}

TEST_F(Capture, DisplayWindowEventsReachTheHost)
{
    QWidget panel;
    panel.resize(640, 480);
    panel.show();
    m_component->setPanel(&panel);
    ASSERT_TRUE(startPreview());
    TDisplayForm* form = m_component->DisplayForm(0);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(runUntil([&] { return !form->frame().isNull(); }));
    QSignalSpy down(m_component.get(), &TOmbrix::OnMouseDown);
    QSignalSpy up(m_component.get(), &TOmbrix::OnMouseUp);
    QList<QChar> keys;
    QObject::connect(m_component.get(), &TOmbrix::OnKeyPress,
                     [&](int window, QChar* key, int, Qt::KeyboardModifiers) {
                         EXPECT_EQ(window, 0);
                         keys << *key;
                     });

    // Video pixels: the middle of a 320 x 240 picture shown 640 x 480.
    QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(320, 240));
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down.first().at(3).toInt(), 160);
    EXPECT_EQ(down.first().at(4).toInt(), 120);

    // Window pixels: press and release at one place report one position.
    m_component->setTranslateMouseCoordinates(false);
    QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(down.count(), 2);
    ASSERT_EQ(up.count(), 2);
    EXPECT_EQ(down.last().at(3).toInt(), 5);
    EXPECT_EQ(up.last().at(3).toInt(), 5);
    EXPECT_EQ(up.last().at(4).toInt(), 5);

    // The key pressed now, and Escape leaves full screen at once.
    m_component->Display().SetBool(vwFullScreen, true);
    EXPECT_EQ(form->parentWidget(), nullptr);
    QTest::keyClick(form, Qt::Key_A);
    QTest::keyClick(form, Qt::Key_Escape);
    ASSERT_EQ(keys.size(), 2);
    EXPECT_EQ(keys.at(0), QChar('a'));
    EXPECT_EQ(keys.at(1), QChar(27));
    EXPECT_FALSE(m_component->Display().GetBool(vwFullScreen));
    EXPECT_EQ(form->parentWidget(), &panel);
}
