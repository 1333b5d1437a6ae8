#include "nmeaserver/Checksum.h"
#include "nmeaserver/NmeaServer.h"
#include "nmeaserver/NmeaWindow.h"
#include "nmeaserver/PositionWindow.h"
#include "nmeaserver/SetTime.h"
#include "nmeaserver/SettingsDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using namespace velmar::nmeaserver;
using velmar::platform::SystemTime;
using namespace std::chrono;

namespace {

const QByteArray Example = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";

struct ClockFixture {
    SystemTime pcNow{2026, 12, 4, 10, 12, 0, 0, 0};
    steady_clock::time_point steadyNow{};
    std::vector<UtcTime> setTo;
    QString refusal;
    int asked = 0;
    bool answer = true;

    std::unique_ptr<TSetTime> make()
    {
        return std::make_unique<TSetTime>(
            nullptr, [this] { return pcNow; }, [this] { return steadyNow; },
            [this](UtcTime t) {
                setTo.push_back(t);
                return refusal;
            },
            [this] {
                ++asked;
                return answer;
            });
    }
};

QByteArray rmc(const char* time, const char* date)
{
    return QByteArray("$GPRMC,") + time + ",A,5124.000,N,00400.000,W,07.5,220," + date + ",0.0,R,S";
}

} // namespace

TEST(PositionWindow, ShowsTheNewestRmcOfAnyTalker)
{
    SentenceStore store;
    TPositionWindow window(store);
    window.ShowRmc();
    EXPECT_EQ(window.lat_edit->text(), "No RMC Data");
    EXPECT_TRUE(window.time_edit->text().isEmpty());

    store.StoreSentence(Example, "p");
    window.ShowRmc();
    EXPECT_EQ(window.lat_edit->text(), QString::fromUtf8("48°07.038´N"));
    EXPECT_EQ(window.long_edit->text(), QString::fromUtf8("011°31.000´E"));
    EXPECT_EQ(window.speed_edit->text(), "Speed:     22.4 k");
    EXPECT_EQ(window.heading_edit->text(), "Heading:  084 ");
    EXPECT_EQ(window.time_edit->text(), "GMT:  23/03/94 12:35:19");

    store.StoreSentence("$IIRMC,,A,4807.038,N,01131.000,E,022.4,084.4,230394", "p");
    window.ShowRmc();
    EXPECT_EQ(window.time_edit->text(), "No valid time in RMC String") << "another talker, no time";

    store.StoreSentence("$IIRMC,123519,V,,,,,,,230394,,", "p");
    window.ShowRmc();
    EXPECT_EQ(window.lat_edit->text(), QString::fromUtf8("00°00.000´"));
    EXPECT_EQ(window.speed_edit->text(), "Speed:     00.0 k") << "no fix shows zero values";
}

TEST(SetTime, ConfirmedByOneRmcAndSetByTheNextWithItsOwnTime)
{
    ClockFixture f;
    auto form = f.make();
    form->SetTargetWindow(true);
    std::optional<bool> minimise;
    QObject::connect(form.get(), &TSetTime::clockSetDone, [&] { minimise = true; });
    form->show();
    form->ArmClockSet(true);
    EXPECT_FALSE(form->button_setnow->isEnabled());

    form->NewRmc(rmc("101159.50", "041226"));
    EXPECT_EQ(form->gpsTime->text(), "2026-12-04 10:11:59");
    EXPECT_TRUE(form->confirmed());
    EXPECT_TRUE(f.setTo.empty());

    // The third sentence arrived 40 ms before it reaches the form->
    const auto arrived = f.steadyNow;
    f.steadyNow += milliseconds(40);
    form->NewRmc(rmc("101200.25", "041226"), arrived);
    ASSERT_EQ(f.setTo.size(), 1u);
    EXPECT_EQ(f.setTo[0], SystemTime({2026, 12, 5, 4, 10, 12, 0, 290}).toTimePoint())
        << "its own time, fraction and elapsed time included";
    EXPECT_EQ(form->button_cancel->text(), "Close");
    EXPECT_FALSE(form->button_setnow->isEnabled());
    EXPECT_TRUE(form->closing());
    form->closeTimerTimer();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(minimise.value_or(false));
    EXPECT_EQ(f.asked, 0);
}

TEST(SetTime, RefusedSetterIsShownAndTheFormStaysOpen)
{
    ClockFixture f;
    f.refusal = "The PC clock could not be set: Operation not permitted";
    auto form = f.make();
    form->show();
    form->ArmClockSet(true);
    form->NewRmc(rmc("101159", "041226"));
    form->NewRmc(rmc("101200", "041226"));
    EXPECT_EQ(f.setTo.size(), 1u);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->closing());
    EXPECT_EQ(form->button_cancel->text(), "Cancel");
    EXPECT_EQ(form->errorText->text(), f.refusal);
    EXPECT_FALSE(form->errorText->isHidden());
    EXPECT_TRUE(form->button_setnow->isEnabled()) << "the operator may try again";
    form->NewRmc(rmc("101201", "041226"));
    EXPECT_EQ(f.setTo.size(), 1u) << "no new attempt without a new request";
}

TEST(SetTime, YearsNoFixAndAWeekApart)
{
    struct Row {
        const char* date;
        const char* shown;
    };
    const Row rows[] = {{"010189", "2089-01-01 10:11:59"},
                        {"311290", "1990-12-31 10:11:59"},
                        {"010100", "2000-01-01 10:11:59"},
                        {"311299", "1999-12-31 10:11:59"}};
    ClockFixture f;
    auto form = f.make();
    form->show();
    for (const Row& row : rows) {
        form->NewRmc(rmc("101159", row.date));
        EXPECT_EQ(form->gpsTime->text(), row.shown) << row.date;
    }

    form->NewRmc("$GPRMC,101159,V,,,,,,,041226,,");
    EXPECT_EQ(form->gpsTime->text(), "No Satelite");
    EXPECT_FALSE(form->button_setnow->isEnabled());

    // More than a week off: asked, and No leaves the clock alone.
    f.answer = false;
    form->button_setnowClick();
    form->NewRmc(rmc("101159", "041299"));
    form->NewRmc(rmc("101200", "041299"));
    EXPECT_EQ(f.asked, 1);
    EXPECT_TRUE(f.setTo.empty());
    EXPECT_TRUE(form->isVisible());

    // Three RMCs without time close the form->
    for (int i = 0; i < 3; ++i)
        form->NewRmc("$GPRMC,,A,5124.000,N,00400.000,W,07.5,220");
    EXPECT_FALSE(form->isVisible());
}

TEST(SetTime, GarbledRmcsNeverSetTheClock)
{
    QByteArray garbled = Example;
    garbled[9] = '6'; // 123619: one digit changed on the line, checksum still *6A
    struct Row {
        QByteArray sentence;
        const char* shown;
    };
    const Row rows[] = {
        {garbled, ""},
        {rmc("101159", "011326"), "No Date Info"},    // month 13
        {rmc("101159", "300226"), "No Date Info"},    // 30 February
        {rmc("101159", "655370194"), "No Date Info"}, // too many digits: would wrap to 1 January 1994
        {rmc("251159", "041226"), "Error"},
        {rmc("106159", "041226"), "Error"},
        {rmc("1e5", "041226"), "Error"},                 // read as a number: 00:00:00
        {rmc("101159.4294961760e7", "041226"), "Error"}, // a fraction that wraps to 60 s
        {rmc("101160", "041226"), "Error"},
        {rmc("240000", "041226"), "Error"},
        {rmc("-10159", "041226"), "Error"},
        {rmc("10115", "041226"), "Error"},
        {rmc("101159.", "041226"), "Error"},
        {rmc("nan", "041226"), "Error"},
        {rmc(" 101159", "041226"), "Error"},
    };
    for (const Row& row : rows) {
        ClockFixture f;
        auto form = f.make();
        form->show();
        form->ArmClockSet(true);
        form->NewRmc(row.sentence);
        form->NewRmc(row.sentence);
        EXPECT_EQ(form->gpsTime->text(), row.shown) << row.sentence.constData();
        EXPECT_TRUE(f.setTo.empty()) << row.sentence.constData();
        EXPECT_FALSE(form->button_setnow->isEnabled()) << row.sentence.constData();
    }

    // The same sentence with its checksum intact is taken; lower-case hex too.
    ClockFixture f;
    f.pcNow = SystemTime{1994, 3, 3, 23, 12, 0, 0, 0};
    auto form = f.make();
    form->show();
    form->ArmClockSet(true);
    form->NewRmc(Example);
    QByteArray lowerCase = rmc("123520", "230394");
    lowerCase += "*" + nmeaChecksum(lowerCase).toLower();
    form->NewRmc(lowerCase);
    ASSERT_EQ(f.setTo.size(), 1u);
    EXPECT_EQ(f.setTo[0], SystemTime({1994, 3, 3, 23, 12, 35, 20, 0}).toTimePoint());
}

TEST(SettingsDialogs, PortRowsSimulationAndDumpChecks)
{
    std::vector<THREADDATA> ports{{true, "/dev/ttyS0", 0},
                                  {false, "/dev/ttyS1", 9600},
                                  {false, "/dev/ttyS2", 4800},
                                  {false, "/dev/ttyS3", 4800},
                                  {false, "/dev/ttyS4", 4800}};
    SIMSETTINGS sim;
    sim.Simulate = true;
    TPortSettings portDialog(nullptr, ports, sim);
    portDialog.show();
    ASSERT_EQ(portDialog.portBoxes.size(), 5u);
    EXPECT_EQ(portDialog.baudLists[0]->currentText(), "4800") << "a rate of 0 shows 4800";
    for (QCheckBox* box : portDialog.portBoxes)
        EXPECT_FALSE(box->isEnabled());
    EXPECT_TRUE(portDialog.simulationButton->isEnabled());
    portDialog.simulateData->click();
    EXPECT_TRUE(portDialog.portBoxes[0]->isEnabled());
    EXPECT_TRUE(portDialog.baudLists[0]->isEnabled());
    EXPECT_FALSE(portDialog.baudLists[1]->isEnabled());
    EXPECT_FALSE(portDialog.simulationButton->isEnabled());
    portDialog.okButtonClick();
    EXPECT_FALSE(sim.Simulate);
    EXPECT_EQ(ports[0].BaudRate, 4800);
    EXPECT_EQ(ports[1].BaudRate, 9600);

    TSimSettings simDialog(nullptr, sim);
    simDialog.show();
    EXPECT_EQ(simDialog.Long->text(), "-04.000");
    EXPECT_EQ(simDialog.Interval->text(), "0.5");
    simDialog.Speed->setText("3");
    simDialog.Initials->setText("G");
    simDialog.Interval->setText("2");
    EXPECT_FALSE(simDialog.okbuttonClick());
    EXPECT_FLOAT_EQ(sim.Speed, 3.0f) << "values read before the check stay";
    EXPECT_FLOAT_EQ(sim.Interval, 0.5f) << "the interval is not taken";
    simDialog.Initials->setText("II");
    simDialog.Interval->setText("0.1");
    EXPECT_TRUE(simDialog.okbuttonClick());
    EXPECT_FLOAT_EQ(sim.Interval, 0.1f);
    EXPECT_EQ(sim.Initials, "II");

    DATADUMPINFO dump;
    TDumpDialog dumpDialog(nullptr, dump);
    EXPECT_FALSE(dumpDialog.Directory->isEnabled());
    dumpDialog.DoDump->click();
    EXPECT_TRUE(dumpDialog.Directory->isEnabled());
    EXPECT_FALSE(dumpDialog.okButtonClick()) << "an empty folder keeps the dialog open";
    dumpDialog.Directory->setText("/tmp/dumps");
    dumpDialog.Interval->setText("10");
    EXPECT_TRUE(dumpDialog.okButtonClick());
    EXPECT_TRUE(dump.DumpData);
    EXPECT_EQ(dump.DumpInterval, 10);
    EXPECT_EQ(dump.Directory, "/tmp/dumps");
}
