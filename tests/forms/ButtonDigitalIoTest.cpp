// The board side of the button panels: external switches read from the
// digital input port, output bits and pulse trains, with a scripted board in
// place of the measurement library.
#include "forms/ButtonDigitalIo.h"
#include "platform/RunMode.h"
#include "settings/ProgramSettings.h"

#include <QCoreApplication>
#include <QMutex>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace velmar::forms::test {
namespace {

// The digital functions of a board: input values come from a script, one
// per read (the last one stays), errors can be injected. Safe across threads.
class FakeBoard : public DigitalBoard {
public:
    int DConfigPort(int, int port, int direction) override
    {
        QMutexLocker lock(&m_mutex);
        configured.push_back({port, direction});
        return 0;
    }
    int DIn(int, int, uint16_t* value) override
    {
        QMutexLocker lock(&m_mutex);
        if (inputError)
            return inputError;
        *value = inputs.front();
        if (inputs.size() > 1)
            inputs.pop_front();
        return 0;
    }
    int DBitOut(int, int, int bit, uint16_t value) override
    {
        QMutexLocker lock(&m_mutex);
        if (outputError)
            return outputError;
        outputs.push_back({bit, value, 0});
        return 0;
    }
    QString GetErrMsg(int code) override { return QStringLiteral("Error %1").arg(code); }

    std::vector<PulseStep> Outputs()
    {
        QMutexLocker lock(&m_mutex);
        return outputs;
    }
    void SetInputs(std::deque<uint16_t> values)
    {
        QMutexLocker lock(&m_mutex);
        inputs = std::move(values);
    }

    std::deque<uint16_t> inputs{0};
    std::vector<std::pair<int, int>> configured;
    std::vector<PulseStep> outputs;
    int inputError = 0;
    int outputError = 0;

private:
    QMutex m_mutex;
};

struct Report {
    QString text;
    QString caption;
    bool owned;
};

ButtonBoardSettings boardSettings()
{
    ButtonBoardSettings s;
    s.deviceType = kMeasurementComputingBoard;
    s.inputPort = 10;
    s.outputPort = 11;
    s.sampleRate = 1000;
    s.countRate = 10;
    return s;
}

using Change = ExternalButtonIo::Change;

TEST(ButtonDigitalIo, SwitchOnBitThreeClosedThenOpened)
{
    FakeBoard board;
    board.inputs = {0x0008, 0x0000, 0x0008};
    ExternalButtonIo io(board, boardSettings(), 1u << 3, {});
    io.Configure();
    EXPECT_EQ(board.configured, (std::vector<std::pair<int, int>>{{10, kDigitalIn}, {11, kDigitalOut}}));
    EXPECT_EQ(io.Poll(), (std::vector<Change>{{3, 0}}));
    EXPECT_EQ(io.Poll(), (std::vector<Change>{{3, 1}}));
    EXPECT_TRUE(io.Poll().empty());
}

TEST(ButtonDigitalIo, BitsOutsideTheMaskAreNotReportedNorTaken)
{
    FakeBoard board;
    board.inputs = {0x0000, 0x0010, 0x0019};
    ExternalButtonIo io(board, boardSettings(), (1u << 0) | (1u << 3), {});
    io.Configure();
    EXPECT_TRUE(io.Poll().empty());
    EXPECT_EQ(io.LastState(), 0x0000); // bit 4 not taken on its own
    // Two masked bits at once, in rising order; the unmasked bit comes along.
    EXPECT_EQ(io.Poll(), (std::vector<Change>{{0, 1}, {3, 1}}));
    EXPECT_EQ(io.LastState(), 0x0019);
}

TEST(ButtonDigitalIo, ErrorsAreReportedOncePerRun)
{
    FakeBoard board;
    std::vector<Report> reports;
    ExternalButtonIo io(board, boardSettings(), 0xFFFF, [&](const QString& t, const QString& c, bool owned) {
        reports.push_back({t, c, owned});
    });
    io.Configure();
    board.inputError = 7;
    board.outputError = 9;
    EXPECT_TRUE(io.Poll().empty());
    EXPECT_TRUE(io.Poll().empty());
    EXPECT_FALSE(io.SetDigitalOutputBit(2, 1));
    EXPECT_FALSE(io.SetDigitalOutputBit(2, 0));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].caption, QLatin1String(kExternalButtonErrorCaption));
    EXPECT_TRUE(reports[0].text.startsWith(QStringLiteral("Error 7\n\nError reading digital commands")));
    EXPECT_FALSE(reports[0].owned);
    EXPECT_EQ(reports[1].caption, QLatin1String(kOutputBitErrorCaption));
    EXPECT_TRUE(reports[1].text.startsWith(QStringLiteral("Error 9\n\nError sending digital commands")));
    EXPECT_TRUE(reports[1].owned);

    // A new run (the thread restarted after the settings sheet) reports again.
    ExternalButtonIo again(board, boardSettings(), 0xFFFF, [&](const QString& t, const QString& c, bool owned) {
        reports.push_back({t, c, owned});
    });
    again.Poll();
    EXPECT_EQ(reports.size(), 3u);
}

TEST(ButtonDigitalIo, PollPeriodAndHalfPeriod)
{
    const std::pair<int, int> polls[] = {{0, 10}, {2000, 1}, {100, 10}, {3, 333}, {1, 1000}};
    for (const auto& [rate, ms] : polls)
        EXPECT_EQ(PollPeriodMs(rate), ms) << rate;
    const std::pair<int, int> halves[] = {{10, 50}, {5, 100}, {1, 500}, {0, 500}, {3000, 0}};
    for (const auto& [rate, ms] : halves)
        EXPECT_EQ(DefaultHalfPeriodMs(rate), ms) << rate;
}

TEST(ButtonDigitalIo, PulseTrains)
{
    const uint64_t tenOnBitFive = (5u << 16) + 10;
    const std::vector<PulseStep> highLow = PulseTrain(platform::kMsgPulsesHighLow, tenOnBitFive, 0, 10);
    ASSERT_EQ(highLow.size(), 20u);
    for (std::size_t i = 0; i < highLow.size(); ++i)
        EXPECT_EQ(highLow[i], (PulseStep{5, i % 2 == 0 ? 1 : 0, 50})) << i;
    EXPECT_EQ(PulseTrain(platform::kMsgPulsesLowHigh, (2u << 16) + 1, 30, 10),
              (std::vector<PulseStep>{{2, 0, 30}, {2, 1, 30}}));
    EXPECT_EQ(PulseTrain(platform::kMsgSetBitHigh, (4u << 16) + 1, 0, 10), (std::vector<PulseStep>{{4, 1, 0}}));
    EXPECT_EQ(PulseTrain(platform::kMsgSetBitLow, (4u << 16) + 1, 0, 10), (std::vector<PulseStep>{{4, 0, 0}}));
    EXPECT_TRUE(PulseTrain(1079, tenOnBitFive, 0, 10).empty());
}

// The threads themselves: a switch closing reaches the user-interface thread,
// and a pulse request goes through the counter thread to the board.
class ButtonThreadsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::RunMode = platform::RunModeOnline;
        store::TheProgramSettings.ButtonDeviceType = kMeasurementComputingBoard;
        store::TheProgramSettings.ButtonSampleRate = 1000;
        store::TheProgramSettings.ButtonCountRate = 1000;
        store::TheProgramSettings.ButtonInputPort = 10;
        store::TheProgramSettings.ButtonOutputPort = 11;
        setDigitalBoard(&board);
    }
    void TearDown() override
    {
        QuitCounterThread();
        WaitCounterThread(-1);
        StopButtonThread();
        setDigitalBoard(nullptr);
        store::TheProgramSettings = store::ProgramSettings();
    }
    FakeBoard board;
};

TEST_F(ButtonThreadsTest, SwitchReachesTheUserInterfaceThreadAndPulsesReachTheBoard)
{
    EXPECT_FALSE(RequestDigitalOutput(5, 2, 3, 1)); // no counter thread yet: not lost silently

    std::vector<Change> heard;
    bool onUiThread = true;
    board.SetInputs({0x0004, 0x0000}); // closed at the start, then opened
    StartButtonThread(1u << 2,
                      [&](int bit, int level) {
                          onUiThread = onUiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
                          heard.push_back({bit, level});
                      },
                      {});
    ASSERT_TRUE(ButtonThreadRunning());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !heard.empty(); }, 10000));
    EXPECT_EQ(heard, (std::vector<Change>{{2, 0}}));
    EXPECT_TRUE(onUiThread);

    StartCounterThread();
    ASSERT_TRUE(CounterThreadRunning());
    EXPECT_TRUE(RequestDigitalOutput(5, 2, 3, 1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return board.Outputs().size() >= 4; }, 10000));
    EXPECT_EQ(board.Outputs(), (std::vector<PulseStep>{{5, 1, 0}, {5, 0, 0}, {5, 1, 0}, {5, 0, 0}}));
}

TEST_F(ButtonThreadsTest, NothingRunsWithoutABoardOrOutsideLogging)
{
    setDigitalBoard(nullptr);
    StartButtonThread(1, {}, {});
    StartCounterThread();
    EXPECT_FALSE(ButtonThreadRunning());
    EXPECT_FALSE(CounterThreadRunning());
    EXPECT_FALSE(RequestDigitalOutput(1, 1, 1, 0));
    EXPECT_FALSE(PostDigitalOutput(0, 1, 1));

    setDigitalBoard(&board);
    EXPECT_FALSE(PostDigitalOutput(0, 1, 1)) << "a board but no thread to set the bit: nothing posted";
    platform::RunMode = platform::RunModeShowData;
    StartButtonThread(1, {}, {});
    EXPECT_FALSE(ButtonThreadRunning());
    platform::RunMode = platform::RunModeOnline;
    store::TheProgramSettings.ButtonDeviceType = 1;
    StartButtonThread(1, {}, {});
    EXPECT_FALSE(ButtonThreadRunning());
}

} // namespace
} // namespace velmar::forms::test
