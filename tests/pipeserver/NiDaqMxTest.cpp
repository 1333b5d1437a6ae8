// The NI-DAQmx input over a stand-in library: the task as the settings make
// it, samples in the pipes, and a failed start that clears its task, stays
// idle and says why once.
#include "pipeserver/AcquisitionThread.h"
#include "pipeserver/backend/InputDevices.h"
#include "pipeserver/backend/NiDaqMxInput.h"
#include "sound/PipeProtocol.h"
#include "sound/SamplePipe.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace velmar;
using namespace velmar::pipeserver;

namespace {

QStringList logLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

TEST(NiDaqMx, SamplesTheScanListThroughTheLibraryAndCleansUpAFailedStart)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("calls.log");
    qputenv("STANDIN_DAQMX_LOG", log.toLocal8Bit());
    TheNiDaqMxLibrary(QStringLiteral(STANDIN_DAQMX));
    ASSERT_TRUE(NiMxIsLoaded());
    EXPECT_EQ(NiMxDeviceName(1), "PCI-6221 (mx)");
    EXPECT_FALSE(NiMxDeviceName(2));

    PipeSettings settings;
    settings.DeviceType = DeviceNiDaqMx;
    settings.DeviceNumber = 1;
    settings.NiInputConfig = 1;
    settings.SampleRate = 1000;
    ASSERT_TRUE(ParseChannelList(settings, "3,5").isEmpty());
    for (auto& c : settings.ChannelSettings)
        c.Routing = 0;
    settings.ChannelSettings[5].Routing = RouteWhistle;
    CheckPipeConsistency(settings);

    AcquisitionThread acquisition([](const PipeSettings& s) { return MakeInputDevice(s, {}); },
                                  [] { return qint64(0); });
    QStringList said;
    QObject::connect(acquisition.engine(), &AcquisitionEngine::message,
                     [&](const QString& text, const QString& caption) { said << caption + ": " + text; });
    const auto engine = [&](std::function<void(AcquisitionEngine&)> fn) {
        acquisition.call<bool>(
            [fn](AcquisitionEngine& e) {
                fn(e);
                return true;
            },
            5000);
    };
    const auto state = [&] { return acquisition.call<int>([](AcquisitionEngine& e) { return e.adcState(); }, 5000); };
    engine([settings](AcquisitionEngine& e) {
        e.setSettings(settings);
        e.openOutputPipe(RouteWhistle);
    });
    sound::SamplePipeReader reader;
    ASSERT_TRUE(reader.open(QString::fromLatin1(sound::PipeRouteOfBit(RouteWhistle)->pipeName), 1000));
    QByteArray got;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            got += reader.read(1 << 16);
            return got.size() >= 400;
        },
        10000));
    const auto* s = reinterpret_cast<const int16_t*>(got.constData());
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(s[i], int16_t((i << 4) | 5)) << i; // channel 5 alone, every scan
    EXPECT_EQ(state(), AdcRunning);
    engine([](AcquisitionEngine& e) { e.closeOutputPipe(RouteWhistle); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return state() == AdcIdle; }, 5000));
    EXPECT_EQ(logLines(log),
              (QStringList{"create QuintraDAQ", "channel Dev1/ai3 10083", "channel Dev1/ai5 10083", "stop", "clear"}));
    EXPECT_TRUE(said.isEmpty());

    // The start fails part way: the task goes, the state stays idle, the
    // operator hears it once, and the next start begins afresh.
    QFile::remove(log);
    qputenv("STANDIN_DAQMX_FAIL", "DAQmxCfgSampClkTiming");
    engine([](AcquisitionEngine& e) { e.openOutputPipe(RouteWhistle); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !said.isEmpty(); }, 5000));
    EXPECT_EQ(state(), AdcIdle);
    EXPECT_EQ(said, QStringList{"DAQmxCfgSampClkTiming: Stand-in error -200077"});
    engine([](AcquisitionEngine& e) { e.closeOutputPipe(RouteWhistle); });
    qunsetenv("STANDIN_DAQMX_FAIL");
    engine([](AcquisitionEngine& e) { e.openOutputPipe(RouteWhistle); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return state() == AdcRunning; }, 5000));
    engine([](AcquisitionEngine& e) { e.closeOutputPipe(RouteWhistle); });
    const QStringList calls = logLines(log);
    EXPECT_EQ(calls.count("create QuintraDAQ"), 2);
    EXPECT_EQ(calls.mid(0, 5), (QStringList{"create QuintraDAQ", "channel Dev1/ai3 10083", "channel Dev1/ai5 10083",
                                            "fail DAQmxCfgSampClkTiming", "clear"}));
}
