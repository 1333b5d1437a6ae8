// Motion detection on the frames of a running graph: a moving test picture
// shows motion and a still one none, in 32- and 24-bit frames of padded
// rows, and the grid can change while the worker analyses.
#include "CaptureFixture.h"

#include <QTest>

using namespace velmar::video;
using namespace velmar::video::tests;

// Motion detection on the running graph: a still picture gives "no motion"
// answers only, a moving ball motion answers; 24-bit frames of an odd width
// (rows padded to their stride) are compared as well as 32-bit ones. The
// first three frames of a graph carry no answer, and the detector keeps
// the last frame for its grid dialog.
TEST(MotionOnTheGraph, MovingPicturesOnlyShowMotion)
{
    struct Case {
        const char* pattern;
        TFrameGrabberRGBFormat format;
        VideoSize size;
        bool moving;
    };
    const Case cases[] = {
        {"colors", fgf_RGB32, {320, 240}, false},
        {"ball", fgf_RGB32, {320, 240}, true},
        {"colors", fgf_RGB24, {161, 121}, false},
        {"ball", fgf_RGB24, {161, 121}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " " + std::to_string(c.size.width));
        TRegistry2::DeleteSettingsKey();
        auto provider = std::make_unique<TestDeviceProvider>();
        provider->addVideoDevice("/dev/test0", "Test Camera", {c.size});
        provider->setPattern("/dev/test0", c.pattern);
        SetDeviceProvider(std::move(provider));
        TSyncManager::ensure();
        {
            TOmbrix component;
            component.setVideoDevice(0);
            component.setFrameGrabberRGBFormat(c.format);
            component.MotionDetector().setEnabled(true);
            int detected = 0, notDetected = 0;
            qint32 firstNumber = 0;
            double ratio = 0;
            QObject::connect(&component, &TOmbrix::OnMotionDetected, [&](double r, const TFrameData& f, bool*) {
                ++detected;
                ratio = std::max(ratio, r);
                firstNumber = firstNumber ? firstNumber : f.FrameNumber;
            });
            QObject::connect(&component, &TOmbrix::OnMotionNotDetected, [&](const TFrameData& f, bool*) {
                ++notDetected;
                firstNumber = firstNumber ? firstNumber : f.FrameNumber;
            });
            ASSERT_TRUE(component.StartPreview());
            ASSERT_TRUE(QTest::qWaitFor([&] { return detected + notDetected >= 12; }, waitLimitMs));
            component.StopPreview();
            EXPECT_GE(firstNumber, 4);
            if (c.moving) {
                EXPECT_GE(detected, 6) << notDetected << " frames without motion";
                EXPECT_GT(ratio, 0.0);
            } else {
                EXPECT_EQ(detected, 0);
            }
            const TImplMotionDetector::Snapshot shot = component.MotionDetector().snapshot();
            EXPECT_EQ(shot.width, c.size.width);
            EXPECT_EQ(shot.height, c.size.height);
        }
        TSyncManager::destroy();
    }
}

// The grid changes size on the user-interface thread while the worker's
// thread analyses frames: neither waits long nor reads a cell array that
// is being resized, and answers keep coming.
TEST(MotionOnTheGraph, GridResizedWhileTheWorkerAnalyses)
{
    TRegistry2::DeleteSettingsKey();
    auto provider = std::make_unique<TestDeviceProvider>();
    provider->addVideoDevice("/dev/test0", "Test Camera", {{161, 121}});
    provider->setPattern("/dev/test0", "ball");
    SetDeviceProvider(std::move(provider));
    TSyncManager::ensure();
    {
        TOmbrix component;
        component.setNotificationMethod(nm_Thread);
        component.setVideoDevice(0);
        component.setFrameGrabberRGBFormat(fgf_RGB24);
        component.MotionDetector().setEnabled(true);
        std::atomic<int> answers{0};
        QObject::connect(&component, &TOmbrix::OnMotionDetected, [&](double, const TFrameData&, bool*) { ++answers; });
        QObject::connect(&component, &TOmbrix::OnMotionNotDetected, [&](const TFrameData&, bool*) { ++answers; });
        ASSERT_TRUE(component.StartPreview());
        ASSERT_TRUE(QTest::qWaitFor([&] { return answers > 0; }, waitLimitMs));
        const int before = answers;
        QElapsedTimer busy;
        busy.start();
        for (int i = 0; busy.elapsed() < 1500; ++i) {
            component.MotionDetector().setGridSize(1 + i % 12, 1 + i % 7);
            component.MotionDetector().setCellSensitivity(0, 0, i % 10);
            QCoreApplication::processEvents();
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return answers > before + 5; }, waitLimitMs));
        component.StopPreview();
    }
    TSyncManager::destroy();
}
