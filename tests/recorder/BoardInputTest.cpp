// The recorder's board inputs over the stand-in libraries: the Measurement
// Computing scan in whole-frame blocks that wrap the board buffer, a granted
// rate the operator accepts or refuses, the NI-DAQ double buffer with every
// scan-list entry defined and a failing call that aborts the start; without
// a library each kind says it is not available.
#include "recorder/BoardInputs.h"
#include "recorder/RecorderEngine.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmar::recorder;
using velmar::sound::CbLibrary;
using velmar::sound::NiDaqLibrary;

namespace {

QStringList LogLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

const CbLibrary& StandInCb()
{
    static CbLibrary lib;
    lib.Load(QStringLiteral(STANDIN_CB), {});
    return lib;
}

} // namespace

TEST(MeasurementBoardInputTest, BlocksOfWholeFramesWrapTheBoardBufferAndTheRing)
{
    ASSERT_TRUE(StandInCb().CbIsLoaded());
    for (int channels : {1, 2, 3, 5, 6, 7}) {
        MeasurementBoardInput input(StandInCb());
        AcquisitionSettings s{KindMeasurementBoard, 0, channels, 20000, {}};
        ASSERT_TRUE(input.prepare(s)) << input.errorText().toStdString();
        const std::size_t block = CbBlockSamples(channels);
        EXPECT_EQ(block % std::size_t(channels), 0u) << channels;
        EXPECT_GT(block, 2048u - std::size_t(channels));
        EXPECT_EQ(CbBoardBufferSamples(channels) % block, 0u);
        SampleRing ring(RingSamples(s.sampleRate, channels, input.blockSamples()), channels);
        ASSERT_TRUE(input.start(s, ring));
        std::vector<int16_t> out(ring.capacity());
        int64_t expected = 0;
        std::size_t index = 0;
        for (int poll = 0; poll < 40; ++poll) {
            input.poll(ring);
            // Whatever arrived continues the board's count, block by block.
            const std::size_t n = ring.pop(out.data(), out.size());
            ASSERT_EQ(n % block, 0u);
            for (std::size_t i = 0; i < n; ++i, ++expected)
                ASSERT_EQ(out[i], int16_t(expected % 32768)) << channels << " channels, sample " << expected;
            index = (index + n) % CbBoardBufferSamples(channels);
            EXPECT_EQ(input.boardIndex(), index);
        }
        EXPECT_GT(expected, int64_t(CbBoardBufferSamples(channels)) * 2) << "the board buffer wrapped";
        input.stop();
    }
}

TEST(MeasurementBoardInputTest, AGrantedRateIsAskedAboutAndTakenOrRefused)
{
    qputenv("STANDIN_CB_GRANT", "19900");
    for (bool yes : {true, false}) {
        MeasurementBoardInput input(StandInCb());
        QStringList asked;
        input.setAsk([&](const QString& text, const QString& caption) {
            asked << caption + ": " + text;
            return yes;
        });
        AcquisitionSettings s{KindMeasurementBoard, 0, 2, 20000, {}};
        EXPECT_EQ(input.prepare(s), yes);
        EXPECT_EQ(asked, QStringList{"PCM card limitations ...: True sample rate will be 19900 Hz (you asked for "
                                     "20000) \n Continue ?"});
        EXPECT_EQ(s.sampleRate, yes ? 19900u : 20000u);
        EXPECT_TRUE(input.errorText().isEmpty()) << "the operator said no: nothing more to tell";
    }
    qunsetenv("STANDIN_CB_GRANT");
}

TEST(NiDaqInputTest, HalfBuffersWithEveryScanEntryDefinedAndAFailedCallAborts)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("ni.log");
    qputenv("STANDIN_NI_LOG", log.toLocal8Bit());
    NiDaqLibrary lib(QStringLiteral(STANDIN_NIDAQ));
    {
        NiDaqInput input(lib);
        AcquisitionSettings s{KindNiDaq, 1, 3, 4, {}}; // a rate below 8 Hz still has one frame per half
        ASSERT_TRUE(input.prepare(s)) << input.errorText().toStdString();
        EXPECT_EQ(input.blockSamples(), 3u);
        SampleRing ring(RingSamples(s.sampleRate, 3, input.blockSamples()), 3);
        ASSERT_TRUE(input.start(s, ring));
        input.poll(ring);
        input.poll(ring);
        std::vector<int16_t> out(16);
        ASSERT_EQ(ring.pop(out.data(), out.size()), 6u);
        EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 6), (std::vector<int16_t>{0, 1, 2, 3, 4, 5}));
        input.stop();
    }
    EXPECT_TRUE(LogLines(log).contains("setup 0 1 2")) << LogLines(log).join('\n').toStdString();

    NiDaqInput nine(lib);
    AcquisitionSettings s9{KindNiDaq, 1, 9, 1000, {}};
    EXPECT_FALSE(nine.prepare(s9));
    EXPECT_EQ(nine.errorText(), "An NI-DAQ board scans at most 8 channels; the recorder asks for 9.");

    qputenv("STANDIN_NI_FAIL", "SCAN_Start");
    QFile::remove(log);
    NiDaqInput failing(lib);
    AcquisitionSettings s{KindNiDaq, 1, 2, 1000, {}};
    ASSERT_TRUE(failing.prepare(s));
    SampleRing ring(4096, 2);
    EXPECT_FALSE(failing.start(s, ring));
    EXPECT_EQ(failing.errorCaption() + ": " + failing.errorText(), "Startup: Error in SCAN_Start");
    EXPECT_EQ(LogLines(log).last(), "init") << "the board is cleared and reset";
    qunsetenv("STANDIN_NI_FAIL");
    qunsetenv("STANDIN_NI_LOG");

    NiDaqLibrary noLibrary({});
    NiDaqInput absent(noLibrary);
    EXPECT_FALSE(absent.prepare(s));
    EXPECT_TRUE(absent.errorText().startsWith("NI-DAQ is not available"));
}

TEST(BoardInputTest, WithoutTheirLibraryTheKindsSayTheyAreNotAvailable)
{
    CbLibrary none;
    AcquisitionSettings s{KindMeasurementBoard, 0, 2, 20000, {}};
    MeasurementBoardInput board(none);
    EXPECT_FALSE(board.prepare(s));
    EXPECT_TRUE(board.errorText().startsWith("Measurement Computing boards are not available"))
        << board.errorText().toStdString();
    TapeMachineInput tape(none, [](int) {});
    SampleRing ring(16, 1);
    EXPECT_FALSE(tape.start(s, ring));
    EXPECT_TRUE(tape.errorText().contains("not installed")) << tape.errorText().toStdString();
    const auto mx = MakeSystemInput(KindNiDaqMx);
    ASSERT_TRUE(mx);
    EXPECT_FALSE(mx->prepare(s));
    EXPECT_TRUE(mx->errorText().contains("Pelvane"));
}

TEST(BoardInputTest, TheTapeMachineSwitchesThroughTheAuxiliaryPort)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("cb.log");
    qputenv("STANDIN_CB_LOG", log.toLocal8Bit());
    int waited = 0;
    TapeMachineInput tape(StandInCb(), [&](int ms) { waited += ms; });
    AcquisitionSettings s{KindTapeMachine, 0, 2, 48000, {}};
    SampleRing ring(16, 2);
    ASSERT_TRUE(tape.start(s, ring));
    tape.stop();
    qunsetenv("STANDIN_CB_LOG");
    EXPECT_EQ(LogLines(log),
              (QStringList{"out 0 1 4 1", "out 0 1 5 1", "out 0 1 5 0", "out 0 1 4 0", "out 0 1 6 1", "out 0 1 6 0"}));
    EXPECT_EQ(waited, 1100);
    EXPECT_FALSE(tape.samples());
}

TEST(RecorderSizes, RingsHoldAtLeastThreeDeviceBlocksAtAnyRate)
{
    for (uint32_t rate : {1u, 7u, 100u, 683u, 48000u})
        for (int channels : {1, 3, 7}) {
            const std::size_t block = CbBlockSamples(channels);
            EXPECT_GE(RingSamples(rate, channels, block), 3 * block) << rate << " Hz";
            EXPECT_GE(RingSamples(rate, channels, 0), 3 * std::size_t(BlockBytes(rate, channels) / 2));
        }
}
