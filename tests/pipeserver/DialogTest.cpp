// Pelvane's main dialog and settings sheet with the engine on its thread and
// a fake device; the clock is the test's.
#include "FakeDevice.h"

#include "pipeserver/AcquisitionThread.h"
#include "pipeserver/PelvaneDialog.h"
#include "pipeserver/SettingsSheet.h"
#include "sound/PipeProtocol.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace velmar;
using namespace velmar::pipeserver;
using velmar::pipeserver::testing::FakeDevice;
using velmar::pipeserver::testing::FakeDeviceScript;

namespace {

class DialogFixture : public ::testing::Test {
protected:
    DialogFixture()
    {
        ThePipeSettings() = PipeSettings();
        ThePipeSettings().DeviceType = DeviceAsio;
        ThePipeSettings().SampleRate = 22050;
    }
    void make()
    {
        acquisition = std::make_unique<AcquisitionThread>(
            [s = script](const PipeSettings&) { return std::make_unique<FakeDevice>(s); }, [] { return qint64(0); });
        dialog = std::make_unique<PelvaneDialog>(*acquisition, [this] { return nowMs; });
        dialog->setMessageSink(
            [this](const QString& text, const QString& caption) { messages << caption + ": " + text; });
    }
    // Runs a device event on the acquisition thread, then lets its news
    // reach the dialog.
    void onDevice(std::function<void(DeviceEvents&)> fn)
    {
        acquisition->call<bool>(
            [this, fn](AcquisitionEngine&) {
                fn(*script->events);
                return true;
            },
            5000);
        acquisition->call<bool>([](AcquisitionEngine&) { return true; }, 5000); // the engine's own queued turn
        QApplication::processEvents();
    }

    std::shared_ptr<FakeDeviceScript> script = std::make_shared<FakeDeviceScript>();
    qint64 nowMs = 100000;
    std::unique_ptr<AcquisitionThread> acquisition;
    std::unique_ptr<PelvaneDialog> dialog;
    QStringList messages;
};

} // namespace

TEST_F(DialogFixture, LinesShowTheRecordAndThePipes)
{
    PipeSettings& s = ThePipeSettings();
    for (auto& c : s.ChannelSettings)
        c.Routing = 0;
    s.ChannelSettings[0].Routing = RouteAutorec;
    s.ChannelSettings[1].Routing = RouteWhistle | RouteAutorec;
    s.RateMultipliers = {0, 2, 0, 1};
    make();
    EXPECT_EQ(dialog->windowTitle(), "Pelvane");
    EXPECT_EQ(dialog->lineText("device"), "JACK (ASIO)");
    EXPECT_EQ(dialog->lineText("channels"), "Sampling Channels 0,1");
    EXPECT_EQ(dialog->lineText("format"), "16 bit data at 22050 Hz");
    EXPECT_EQ(dialog->lineText("status"), "Idle");
    EXPECT_EQ(dialog->lineText("pipeOutput1"), "No output to Porpoise Detector");
    EXPECT_EQ(dialog->lineText("pipeOutput2"), "1 channel at  44100 Hz");
    EXPECT_EQ(dialog->lineText("pipeOutput32"), "2 channels at 22050 Hz");
    EXPECT_EQ(dialog->lineText("pipeState32"), "Velmar Mavrel - Idle");

    ThePipeSettings().DeviceType = DeviceSoundCard;
    ThePipeSettings().DeviceNumber = 999;
    dialog->updateStatus(true);
    EXPECT_EQ(dialog->lineText("device"), "No Sound Card");
    ThePipeSettings().DeviceType = 7;
    dialog->updateStatus(true);
    EXPECT_EQ(messages, QStringList{"Error: Unknown input device"});
}

TEST_F(DialogFixture, AStatusTextHoldsTheLineForThreeSecondsAndPipeStatesFollowTheEngine)
{
    make();
    dialog->pipeCommand(sound::PipeCommandOpen, RouteAutorec);
    QApplication::processEvents();
    EXPECT_EQ(dialog->lineText("status"), "Starting");
    EXPECT_EQ(dialog->lineText("pipeState32"), "Velmar Mavrel - Starting");

    dialog->showStatusText("JACK xruns: 1 (samples lost)");
    nowMs += 1000;
    onDevice([](DeviceEvents& e) { e.deviceStarted(22050); });
    EXPECT_EQ(dialog->lineText("status"), "JACK xruns: 1 (samples lost)");
    nowMs += 3000;
    dialog->updateStatus();
    EXPECT_EQ(dialog->lineText("status"), "Running");

    // Closing while a consumer reads is refused: the window goes down to
    // the task bar instead.
    dialog->show();
    EXPECT_FALSE(dialog->close());
    EXPECT_TRUE(dialog->isVisible());

    // Porpoise status while running: nothing routed to the porpoise pipe.
    EXPECT_EQ(dialog->porpoiseStatus(0), sound::PorpoiseNoChannel);
    ThePipeSettings().ChannelSettings[1].Routing |= RoutePorpoise;
    EXPECT_EQ(dialog->porpoiseStatus(0), sound::PorpoiseRunningInScan); // N=0 is channel 1, the first porpoise channel
    EXPECT_EQ(dialog->porpoiseStatus(1), sound::PorpoiseNoChannel);

    dialog->pipeCommand(sound::PipeCommandClose, RouteAutorec);
    onDevice([](DeviceEvents& e) { e.deviceStopped({}); });
    EXPECT_EQ(dialog->lineText("pipeState32"), "Velmar Mavrel - Idle");
    EXPECT_EQ(dialog->adcState(), AdcIdle);
    EXPECT_TRUE(dialog->close());
}

TEST_F(DialogFixture, SettingsSheetKeepsThePageOrTheSheetUntilItsValuesStand)
{
    int published = 0;
    bool writes = false;
    SettingsSheet sheet([&] {
        ++published;
        return writes;
    });
    QStringList said;
    QObject::connect(&sheet, &SettingsSheet::message, [&](const QString& text, const QString&) { said << text; });
    sheet.setDevices({{"Card", DeviceSoundCard, 0}, {"JACK", DeviceAsio, 0}});
    auto* device = sheet.findChild<QComboBox*>("device");
    auto* channels = sheet.findChild<QLineEdit*>("channels");
    ASSERT_TRUE(device && channels);
    EXPECT_EQ(device->currentText(), "JACK");

    device->setCurrentIndex(0);
    channels->setText("0,1,2");
    sheet.tabs()->setCurrentIndex(1);
    EXPECT_EQ(sheet.tabs()->currentIndex(), 0); // refused: stays on Sampling
    EXPECT_EQ(said.last(), "A sound card can only handle two channels");

    channels->setText("0,1");
    EXPECT_FALSE(sheet.apply()); // the write failed: the sheet stays
    EXPECT_EQ(said.last(), "Problem writing to defaults file");
    EXPECT_EQ(ThePipeSettings().DeviceType, DeviceSoundCard); // the values stand in memory
    writes = true;
    EXPECT_TRUE(sheet.apply());
    EXPECT_EQ(published, 2);
}
