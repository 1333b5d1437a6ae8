// The recorder window over a fake input device and an injected clock: modes,
// the automatic cycle, triggers, message 30060, a failing device, the trigger
// boxes, and the settings sheet's checks.
#include "FakeInput.h"
#include "settings/PipeSettings.h"
#include "recorder/ui/RecorderSettingsSheet.h"
#include "recorder/ui/TAutoRec.h"
#include "platform/DateTimeText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace velmar::recorder;
using namespace velmar::recorder::ui;
using velmar::platform::SystemTime;

namespace {

constexpr SystemTime At103030{2026, 12, 4, 10, 10, 30, 30, 0};

struct Asked {
    QString text;
    QString caption;
};

class RecorderWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        RecorderHost host;
        host.programTime = [this] { return clock; };
        host.ask = [this](QWidget*, const QString& text, const QString& caption, QMessageBox::Icon,
                          QMessageBox::StandardButtons buttons) {
            asked.push_back({text, caption});
            return buttons.testFlag(QMessageBox::Yes) ? answer : QMessageBox::Ok;
        };
        host.inputs = [this](int) { return std::make_unique<test::FakeInput>(device); };
        window = std::make_unique<TAutoRec>(host, 0);
        window->SetupWindow();
        asked.clear(); // no database here: its messages are not what is tested
        window->Recording().OutputDirectory = dir.path();
        window->Recording().SmartFolders = false;
        window->Recording().DeviceValid = true;
    }
    void TearDown() override { window.reset(); }

    // Waits for the recorder thread to report the status.
    bool DeviceStatusBecomes(int status)
    {
        return QTest::qWaitFor([&] { return window->DeviceStatus() == status; }, 10000);
    }
    void At(const SystemTime& t)
    {
        clock = t;
        window->Refresh();
    }

    QTemporaryDir dir;
    SystemTime clock = At103030;
    test::FakeDevice device;
    std::vector<Asked> asked;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    std::unique_ptr<TAutoRec> window;
};

TEST_F(RecorderWindowTest, AutomaticCycleRecordsInsideItsWindowAndBuffersAfter)
{
    window->Recording().RecordInterval = 15;
    window->Recording().RecordDuration = 60;
    window->Recording().EnableBuffer = true;
    window->ModeCommand(ModeAutomatic);
    At(At103030);
    EXPECT_EQ(window->RecorderState(), StateRecording);
    ASSERT_TRUE(DeviceStatusBecomes(StatusRunning));
    window->Refresh();
    EXPECT_EQ(window->StatusLineText(), " Automatic Recording running: 30 seconds remaining");

    At(velmar::platform::AddSecondsToTime(At103030, 30)); // 10:31:00
    EXPECT_EQ(window->RecorderState(), StateBuffering);
    window->Recording().EnableBuffer = false;
    window->Refresh();
    EXPECT_EQ(window->RecorderState(), StateIdle);
    ASSERT_TRUE(DeviceStatusBecomes(StatusStopped));
    EXPECT_EQ(device.starts, 1) << "from recording to buffering the device ran on";
}

TEST_F(RecorderWindowTest, ATriggerInOffModeRecordsForItsSecondsThenStops)
{
    const int result = window->TriggerRecorder(120, QStringLiteral("Single Whistle"), false);
    EXPECT_GE(result, 1);
    EXPECT_EQ(window->RecorderState(), StateRecording);
    EXPECT_EQ(window->CurrentMode(), ModeContinuous);
    EXPECT_TRUE(window->findChild<QPushButton*>("mode31554")->isChecked()) << "the buttons stay as they were";
    ASSERT_TRUE(DeviceStatusBecomes(StatusRunning));
    At(velmar::platform::AddSecondsToTime(At103030, 5));
    EXPECT_TRUE(window->StatusLineText().startsWith("Single Whistle, length: "))
        << window->StatusLineText().toStdString();
    EXPECT_TRUE(window->StatusLineText().endsWith("stop at 10:32:30")) << window->StatusLineText().toStdString();

    At(velmar::platform::AddSecondsToTime(At103030, 120));
    EXPECT_EQ(window->CurrentMode(), ModeOff);
    EXPECT_EQ(window->RecorderState(), StateIdle);
    ASSERT_TRUE(DeviceStatusBecomes(StatusStopped));
}

TEST_F(RecorderWindowTest, ATriggerInContinuousModeChangesOnlyTheReason)
{
    window->ModeCommand(ModeContinuous);
    ASSERT_TRUE(DeviceStatusBecomes(StatusRunning));
    window->TriggerRecorder(120, QStringLiteral("Porpoise Event"), false);
    At(velmar::platform::AddSecondsToTime(At103030, 300));
    EXPECT_EQ(window->CurrentMode(), ModeContinuous);
    EXPECT_EQ(window->RecorderState(), StateRecording);
    EXPECT_EQ(device.starts, 1);
}

TEST_F(RecorderWindowTest, MessageThirtySixtyStartsAndStopsALongRecording)
{
    window->LongRecording(1);
    window->Refresh();
    EXPECT_EQ(window->RecorderState(), StateRecording);
    ASSERT_TRUE(DeviceStatusBecomes(StatusRunning));
    window->LongRecording(2);
    window->Refresh();
    EXPECT_EQ(window->RecorderState(), StateIdle);
    ASSERT_TRUE(DeviceStatusBecomes(StatusStopped));
}

TEST_F(RecorderWindowTest, AFailingDeviceIsReportedOnceAndLeavesTheRecorderIdle)
{
    device.failStart = true;
    window->ModeCommand(ModeContinuous);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !asked.empty(); }, 10000));
    EXPECT_EQ(asked[0].caption, "Error starting Soundcard");
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->RecorderState() == StateIdle; }, 10000));
    for (int i = 0; i < 5; ++i)
        window->Refresh();
    QCoreApplication::processEvents();
    EXPECT_EQ(device.starts, 1) << "not tried again on every refresh";
    EXPECT_EQ(window->DeviceStatus(), StatusStopped);
    EXPECT_EQ(window->StatusLineText(), " Input device failure");
    // The next command tries again.
    device.failStart = false;
    window->ModeCommand(ModeContinuous);
    ASSERT_TRUE(DeviceStatusBecomes(StatusRunning));
}

TEST_F(RecorderWindowTest, LostSoundShowsOnTheStatusLineAndIsToldWhenTheFileCloses)
{
    window->ModeCommand(ModeContinuous);
    ASSERT_TRUE(DeviceStatusBecomes(StatusRunning));
    device.lostFrames = window->Recording().SampleRate / 2;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            window->Refresh();
            return window->StatusLineText().endsWith(" - 0.50 s of sound lost");
        },
        10000))
        << window->StatusLineText().toStdString();
    window->ModeCommand(ModeOff);
    ASSERT_TRUE(DeviceStatusBecomes(StatusStopped));
    const auto told = [&] {
        return std::count_if(asked.begin(), asked.end(), [](const Asked& a) { return a.caption == "Sound lost"; });
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return told() > 0; }, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(told(), 1);
    const auto it = std::find_if(asked.begin(), asked.end(), [](const Asked& a) { return a.caption == "Sound lost"; });
    EXPECT_TRUE(it->text.startsWith("0.50 s of sound are missing from ")) << it->text.toStdString();
}

TEST_F(RecorderWindowTest, AStartRightAfterAStopWaitsForTheStop)
{
    window->ModeCommand(ModeContinuous);
    window->ModeCommand(ModeOff);
    window->ModeCommand(ModeContinuous);
    ASSERT_TRUE(QTest::qWaitFor([&] { return device.starts == 2 && window->DeviceStatus() == StatusRunning; }, 10000));
    EXPECT_FALSE(device.openedTwice);
    EXPECT_EQ(device.stops, 1);
    window->StopRecording(true);
    EXPECT_EQ(window->DeviceStatus(), StatusStopped) << "a stop with wait returns stopped";
    EXPECT_FALSE(device.running);
}

TEST_F(RecorderWindowTest, LevelsShowDecibelsOfFullScale)
{
    RecorderEngine* e = window->Thread()->engine();
    QMetaObject::invokeMethod(e, [e] { emit e->levelsMeasured({32767, 0, 3277}, 3); });
    auto* left = window->findChild<QProgressBar*>("level0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return left->value() == 0; }, 10000));
    EXPECT_EQ(left->property("colour").toString(), "red");
    EXPECT_EQ(window->findChild<QProgressBar*>("level1")->value(), -60);
    EXPECT_EQ(window->findChild<QProgressBar*>("level2")->value(), -19) << "-19.99 dB truncated";
    EXPECT_EQ(window->findChild<QProgressBar*>("level2")->property("colour").toString(), "navy");
}

TEST_F(RecorderWindowTest, UserFormTriggersAreCappedAtTheMaskWidth)
{
    QStringList titles;
    for (int i = 0; i < 30; ++i)
        titles << QStringLiteral("Form %1").arg(i);
    EXPECT_EQ(window->CreateTriggerBoxes(titles), MaxUserFormTriggers);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text.contains("Form 27"));
    auto* last = window->findChild<QCheckBox*>("trigger31731");
    ASSERT_TRUE(last);
    last->setChecked(true);
    EXPECT_EQ(uint32_t(window->Recording().RemoteEnable), 0x80000000u);
    last->setChecked(false);
    EXPECT_EQ(window->Recording().RemoteEnable, 0);
    EXPECT_FALSE(window->findChild<QCheckBox*>("trigger31732"));
}

TEST_F(RecorderWindowTest, TriggerRecordersStartsOnlyRecordersWithTheBit)
{
    EXPECT_EQ(TAutoRec::TriggerRecorders(1, 60, QStringLiteral("Single Whistle")), 0);
    EXPECT_EQ(window->RecorderState(), StateIdle);
    window->SetTriggerBit(1, true);
    EXPECT_GE(TAutoRec::TriggerRecorders(1, 60, QStringLiteral("Single Whistle")), 1);
    EXPECT_EQ(window->RecorderState(), StateRecording);
}

// The settings sheet on a recording, with one scripted sound card.
class RecorderSheetTest : public testing::Test {
protected:
    RecorderSettingsSheet& Sheet()
    {
        sheet = std::make_unique<RecorderSettingsSheet>(
            rec,
            [this](QWidget*, const QString& text, const QString& caption, QMessageBox::Icon,
                   QMessageBox::StandardButtons buttons) {
                asked.push_back({text, caption});
                return buttons.testFlag(QMessageBox::Yes) ? answer : QMessageBox::Ok;
            },
            nullptr, std::vector<SoundCardInfo>{{QStringLiteral("Card A"), 8}});
        return *sheet;
    }

    velmar::sound::RECORDINGINFO rec;
    std::vector<Asked> asked;
    QMessageBox::StandardButton answer = QMessageBox::No;
    std::unique_ptr<RecorderSettingsSheet> sheet;
};

TEST_F(RecorderSheetTest, SamplingChecks)
{
    struct Case {
        const char* legend;
        int edit;
        const char* value;
        const char* message;
    };
    const Case cases[] = {
        {"six channels on a sound card", 31562, "6", "Number of channels must be between 1 and 4"},
        {"no sample rate", 31561, "0", "Sample rate must be at least 1Hz"},
        {"90 s every minute", 31564, "90", "Recording duration is greater than the time between recordings"},
        {"short duration", 31564, "4", "Record Duration must be at least 5 seconds"},
        {"no interval", 31563, "0", "Interval between recording must be at least 1 minute"},
    };
    for (const Case& c : cases) {
        rec = {};
        rec.RecordInterval = 1;
        rec.RecordDuration = 60;
        asked.clear();
        RecorderSettingsSheet& s = Sheet();
        s.Edit(c.edit)->setText(QString::fromLatin1(c.value));
        EXPECT_FALSE(s.CheckSampling()) << c.legend;
        ASSERT_FALSE(asked.empty()) << c.legend;
        EXPECT_EQ(asked.back().text, c.message) << c.legend;
        EXPECT_EQ(rec.RecordInterval, 1) << c.legend << ": the record keeps its values";
    }
}

TEST_F(RecorderSheetTest, TheMemoryQuestionOnlyWhenTheBufferGrowsPastFortyNineMegabytes)
{
    rec.BufferLength = 10;
    Sheet().Edit(31590)->setText("300");
    EXPECT_FALSE(sheet->CheckSampling()) << "No keeps the page open";
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, "Memory Warning");
    EXPECT_TRUE(asked[0].text.contains("54 MBytes"));
    answer = QMessageBox::Yes;
    EXPECT_TRUE(sheet->CheckSampling());
    EXPECT_EQ(rec.BufferLength, 300);
    asked.clear();
    Sheet().Edit(31590)->setText("200");
    EXPECT_TRUE(sheet->CheckSampling());
    EXPECT_TRUE(asked.empty()) << "lowering never asks";
}

TEST_F(RecorderSheetTest, PipedDataTakesPelvanesValuesAndRefusesRatesBelowTenHertz)
{
    RecorderSettingsSheet& s = Sheet();
    s.Devices()->setCurrentIndex(s.Devices()->findText("External Piped Data"));
    velmar::pipeserver::PipeSettings pipe;
    velmar::pipeserver::ReadPipeSettings(pipe);
    EXPECT_EQ(s.Edit(31561)->text().toInt(), velmar::pipeserver::AutorecPipeSampleRate(pipe));
    EXPECT_EQ(s.Edit(31562)->text().toInt(), velmar::pipeserver::CountAutorecChannels(pipe));
    EXPECT_FALSE(s.Edit(31561)->isEnabled());
    s.Edit(31561)->setText("5");
    s.Edit(31562)->setText("1");
    EXPECT_FALSE(s.CheckSampling());
    EXPECT_EQ(asked.back().text, "Sample rate must be at least 10Hz");
}

TEST_F(RecorderSheetTest, BoardsWithoutTheirLibraryAreListedAsNotAvailableAndRefused)
{
    RecorderSettingsSheet& s = Sheet();
    EXPECT_GE(s.Devices()->findText("JACK"), 0);
    for (const char* name : {"Measurement Computing board (not available)", "Tape machine (not available)",
                             "NI-DAQ board (not available)", "NI-DAQmx device (through Pelvane)"}) {
        const int row = s.Devices()->findText(name);
        ASSERT_GE(row, 0) << name;
        s.Devices()->setCurrentIndex(row);
        s.Edit(31562)->setText("1");
        asked.clear();
        EXPECT_FALSE(s.CheckSampling()) << name;
        ASSERT_EQ(asked.size(), 1u) << name;
        EXPECT_TRUE(asked[0].text.contains("Pelvane") || asked[0].text.contains("not available")) << name;
    }
}

TEST_F(RecorderSheetTest, OutputChecks)
{
    RecorderSettingsSheet& s = Sheet();
    s.Edit(31565)->setText("/proc/no/such/folder");
    EXPECT_FALSE(s.CheckOutput());
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back().caption, "Unable to open directory :");

    QTemporaryDir dir;
    s.Edit(31565)->setText(dir.path());
    for (const char* tooLarge : {"0", "4096", "100000"}) {
        s.Edit(31577)->setText(QString::fromLatin1(tooLarge));
        EXPECT_FALSE(s.CheckOutput()) << tooLarge;
    }
    s.Edit(31577)->setText("4095");
    EXPECT_TRUE(s.CheckOutput());
    EXPECT_EQ(rec.MaxSingle, 4095);
    EXPECT_EQ(rec.OutputDirectory, dir.path());
}

} // namespace
