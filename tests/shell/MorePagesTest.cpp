// The remaining settings pages: programme control, programme locations,
// audio and cameras, show times, sperm plot, and the two IO board pages.
#include "PagesTestSupport.h"

#include "platform/RunMode.h"
#include "shell/ui/BoardLibrary.h"
#include "shell/ui/IOBoardDialog.h"
#include "shell/ui/ProgContDialog.h"
#include "shell/ui/ProgLocDialog.h"
#include "shell/ui/ShowTapeDialog.h"
#include "shell/ui/ShowTimesDialog.h"
#include "shell/ui/SpermPlotDialog.h"
#include "platform/DateTimeText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

namespace velmar::shell::test {
namespace {

using store::TheProgramSettings;
using namespace ui;

// ------------------------------------------------------ Automatic Start / Stop

struct RunModeGuard {
    explicit RunModeGuard(quint32 mode) : saved(platform::RunMode) { platform::RunMode = mode; }
    ~RunModeGuard() { platform::RunMode = saved; }
    quint32 saved;
};

TEST_F(PageTest, ProgContWithoutBoardDisablesButKeepsEveryCheck)
{
    auto& s = TheProgramSettings;
    s.IODeviceType = 0;
    s.PowerMonitor = 3;
    s.ProgramAutoControl = {1, 2, 3, 0, 1, 7};
    ProgContDialog page(0);
    auto* power = Ctl<QCheckBox>(&page, ProgContDialog::IdPower);
    auto* cable = Ctl<QCheckBox>(&page, ProgContDialog::IdCable);
    EXPECT_FALSE(power->isEnabled());
    EXPECT_FALSE(cable->isEnabled());
    EXPECT_TRUE(cable->isChecked());
    EXPECT_FALSE(Ctl<QCheckBox>(&page, ProgContDialog::IdFirstStart)->isEnabled());
    EXPECT_TRUE(page.KillActive());
    EXPECT_EQ(s.PowerMonitor, 3);
    EXPECT_EQ(s.ProgramAutoControl, (std::array<int32_t, 6>{1, 2, 3, 0, 1, 7})) << "entry 5 is not on the page";
}

TEST_F(PageTest, ProgContPowerBoxDrivesCableAndRows)
{
    TheProgramSettings.IODeviceType = 3;
    TheProgramSettings.PowerMonitor = 3;
    ProgContDialog page(0);
    auto* power = Ctl<QCheckBox>(&page, ProgContDialog::IdPower);
    auto* cable = Ctl<QCheckBox>(&page, ProgContDialog::IdCable);
    auto* start = Ctl<QCheckBox>(&page, ProgContDialog::IdFirstStart + 4);
    EXPECT_TRUE(cable->isEnabled());
    EXPECT_TRUE(start->isEnabled());
    power->click();
    EXPECT_FALSE(cable->isChecked());
    EXPECT_FALSE(cable->isEnabled());
    EXPECT_FALSE(start->isEnabled());
    power->click();
    EXPECT_TRUE(cable->isEnabled());
    EXPECT_FALSE(cable->isChecked()) << "stays unchecked until the operator checks it";
    EXPECT_TRUE(start->isEnabled());
}

TEST_F(PageTest, ProgContOfflineWithSlotsKeepsRowsEnabledAndStoresOnlyKnownBits)
{
    RunModeGuard mode(platform::RunModeOffline);
    TheProgramSettings.IODeviceType = 0;
    TheProgramSettings.ProgramAutoControl[0] = 0x10 | 1;
    ProgContDialog page(1);
    EXPECT_TRUE(Ctl<QCheckBox>(&page, ProgContDialog::IdFirstStop)->isEnabled());
    EXPECT_TRUE(page.KillActive());
    EXPECT_EQ(TheProgramSettings.ProgramAutoControl[0], 1);
}

// --------------------------------------------------------- Programme Locations

TEST_F(PageTest, ProgLocReportsOnlyTheFirstMissingFile)
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("detector"));
    QFile f(real);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const QString wrong1 = dir.filePath(QStringLiteral("missing-porpoise"));
    const QString wrong2 = dir.filePath(QStringLiteral("missing-nmea"));

    ProgLocDialog page;
    Ctl<QLineEdit>(&page, ProgLocDialog::IdPorpoise)->setText(wrong1);
    Ctl<QLineEdit>(&page, ProgLocDialog::IdWhistle)->setText(QString());
    Ctl<QLineEdit>(&page, ProgLocDialog::IdClick)->setText(real);
    Ctl<QLineEdit>(&page, ProgLocDialog::IdNmea)->setText(wrong2);
    EXPECT_FALSE(page.KillActive());
    EXPECT_EQ(messages.texts, QStringList{wrong1});
    EXPECT_EQ(messages.captions, QStringList{QStringLiteral("Can't find the file")});
    EXPECT_TRUE(TheProgramSettings.ProgramPaths[2].isEmpty()) << "nothing stored";

    Ctl<QLineEdit>(&page, ProgLocDialog::IdPorpoise)->setText(real);
    EXPECT_FALSE(page.KillActive());
    EXPECT_EQ(messages.texts.last(), wrong2);

    Ctl<QLineEdit>(&page, ProgLocDialog::IdNmea)->clear();
    EXPECT_TRUE(page.KillActive());
    EXPECT_EQ(TheProgramSettings.ProgramPaths[0].text(), real);
    EXPECT_TRUE(TheProgramSettings.ProgramPaths[1].isEmpty());
    EXPECT_EQ(TheProgramSettings.ProgramPaths[2].text(), real);
    EXPECT_TRUE(TheProgramSettings.ProgramPaths[5].isEmpty());
}

TEST_F(PageTest, ProgLocBrowseFillsOnlyWhenConfirmed)
{
    ProgLocDialog page;
    QString answer;
    QString offered;
    page.SetFileChooser([&](QWidget*, const QString& initial) {
        offered = initial;
        return answer;
    });
    auto* edit = Ctl<QLineEdit>(&page, ProgLocDialog::IdWhistle);
    edit->setText(QStringLiteral("/old/path"));
    page.CmBrowse(ProgLocDialog::IdBrowseFirst + 1);
    EXPECT_EQ(offered, QStringLiteral("/old/path"));
    EXPECT_EQ(edit->text(), QStringLiteral("/old/path"));
    answer = QStringLiteral("/opt/whistle");
    page.CmBrowse(ProgLocDialog::IdBrowseFirst + 1);
    EXPECT_EQ(edit->text(), QStringLiteral("/opt/whistle"));
    page.CmBrowse(ProgLocDialog::IdBrowseFirst + 9); // not a browse button
}

// ------------------------------------------------------------ Audio and Cameras

struct TapeCase {
    const char* legend;
    const char* slotText;
    const char* cameras;
    const char* message;
    int storedSlots; // -1: unchanged
    int storedCameras;
};

class ShowTapeTest : public PageTest, public ::testing::WithParamInterface<TapeCase> {};

TEST_P(ShowTapeTest, RangeChecks)
{
    const TapeCase& c = GetParam();
    int slotCount = 2;
    TheProgramSettings.NGrabbers = 1;
    ShowTapeDialog page(slotCount, [&](int n) { slotCount = n; });
    Ctl<QLineEdit>(&page, ShowTapeDialog::IdSlots)->setText(QString::fromLatin1(c.slotText));
    Ctl<QLineEdit>(&page, ShowTapeDialog::IdCameraForms)->setText(QString::fromLatin1(c.cameras));
    Ctl<QCheckBox>(&page, ShowTapeDialog::IdSoundCardsByName)->setChecked(true);
    EXPECT_EQ(page.KillActive(), QByteArray(c.message).isEmpty()) << c.legend;
    EXPECT_EQ(messages.texts.join(QString()), QString::fromLatin1(c.message)) << c.legend;
    EXPECT_EQ(slotCount, c.storedSlots < 0 ? 2 : c.storedSlots) << c.legend;
    EXPECT_EQ(TheProgramSettings.IdSoundCardsByName, c.storedSlots >= 0) << c.legend;
    EXPECT_EQ(TheProgramSettings.NGrabbers, c.storedCameras) << c.legend;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShowTapeTest,
    ::testing::Values(TapeCase{"lowest", "0", "0", "", 0, 0}, TapeCase{"highest", "255", "255", "", 255, 255},
                      TapeCase{"slots 256", "256", "1", "Number of Mavrels is out of range (0 to 255)", -1, 1},
                      TapeCase{"slots 999", "999", "1", "Number of Mavrels is out of range (0 to 255)", -1, 1},
                      TapeCase{"negative slots", "-1", "1", "Number of Mavrels is out of range (0 to 255)", -1, 1},
                      TapeCase{"cameras out of range stores no slots either", "3", "300",
                               "Number of Kelvors is out of range (0 to 255)", -1, 1}));

// --------------------------------------------------------------- Show times

struct ShowTimesFixture : PageTest {
    void SetUp() override
    {
        PageTest::SetUp();
        ShowTimesDialog::ResetFirstUse();
    }
    int reloads = 0;
    std::unique_ptr<ShowTimesDialog> page()
    {
        return std::make_unique<ShowTimesDialog>([this] { ++reloads; });
    }
    static QString text(const platform::SystemTime& t) { return platform::FormatTimeStamp(t); }
};

struct TimesCase {
    const char* legend;
    const char* start;
    const char* end;
    const char* message;
    const char* storedStart; // after a successful check
};

class ShowTimesTest : public ShowTimesFixture, public ::testing::WithParamInterface<TimesCase> {};

TEST_P(ShowTimesTest, ReadsAndChecks)
{
    const TimesCase& c = GetParam();
    auto p = page();
    Ctl<QLineEdit>(p.get(), ShowTimesDialog::IdStart)->setText(QString::fromLatin1(c.start));
    Ctl<QLineEdit>(p.get(), ShowTimesDialog::IdEnd)->setText(QString::fromLatin1(c.end));
    const bool ok = p->KillActive();
    EXPECT_EQ(ok, QByteArray(c.message).isEmpty()) << c.legend;
    EXPECT_EQ(messages.texts.join(QString()), QString::fromLatin1(c.message)) << c.legend;
    if (ok)
        EXPECT_EQ(text(TheProgramSettings.StartTime), QString::fromLatin1(c.storedStart)) << c.legend;
    else
        EXPECT_TRUE(ShowTimesDialog::FirstUse()) << c.legend;
}

constexpr char kStartFormat[] = "Start Time format must be YYYY-MM-DD HH:MM:SS";
INSTANTIATE_TEST_SUITE_P(
    Cases, ShowTimesTest,
    ::testing::Values(TimesCase{"date only", "2005-03-01", "2005-03-02", "", "2005-03-01 00:00:00"},
                      TimesCase{"short year and time", "05-3-1 6:30", "2005-03-02", "", "2005-03-01 06:30:00"},
                      TimesCase{"29 February of a common year refused", "2005-02-29", "2005-03-02", kStartFormat, ""},
                      TimesCase{"end before start stored", "2005-03-02", "2005-03-01", "", "2005-03-02 00:00:00"},
                      TimesCase{"bad end", "2005-03-02", "tomorrow", "Stop Time format must be YYYY-MM-DD HH:MM:SS",
                                ""}));

TEST_F(ShowTimesFixture, FirstSuccessfulCheckSendsNothingLaterChangesReloadOnce)
{
    auto p = page();
    auto* start = Ctl<QLineEdit>(p.get(), ShowTimesDialog::IdStart);
    start->setText(QStringLiteral("2005-03-01"));
    Ctl<QLineEdit>(p.get(), ShowTimesDialog::IdEnd)->setText(QStringLiteral("2005-03-09"));
    EXPECT_TRUE(p->KillActive());
    EXPECT_EQ(reloads, 0);
    EXPECT_TRUE(p->KillActive()) << "unchanged";
    EXPECT_EQ(reloads, 0);
    start->setText(QStringLiteral("2005-03-05"));
    EXPECT_TRUE(p->Apply());
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(start->text(), QStringLiteral("2005-03-05 00:00:00")) << "shown in full after Apply";
}

// --------------------------------------------------------------- Sperm plot

struct SpermCase {
    const char* legend;
    const char* time;
    const char* bearing;
    const char* sperm;
    const char* dolphin;
    const char* message;
};

class SpermPlotTest : public PageTest, public ::testing::WithParamInterface<SpermCase> {};

TEST_P(SpermPlotTest, StoresAllOrNothing)
{
    const SpermCase& c = GetParam();
    SpermPlotDialog page; // "Plot All Detections": time and bearing disabled
    EXPECT_FALSE(Ctl<QLineEdit>(&page, SpermPlotDialog::IdTime)->isEnabled());
    Ctl<QLineEdit>(&page, SpermPlotDialog::IdTime)->setText(QString::fromLatin1(c.time));
    Ctl<QLineEdit>(&page, SpermPlotDialog::IdBearing)->setText(QString::fromLatin1(c.bearing));
    Ctl<QLineEdit>(&page, SpermPlotDialog::IdSpermRange)->setText(QString::fromLatin1(c.sperm));
    Ctl<QLineEdit>(&page, SpermPlotDialog::IdDolphinRange)->setText(QString::fromLatin1(c.dolphin));
    Ctl<QCheckBox>(&page, SpermPlotDialog::IdClickColours)->setChecked(true);
    const bool ok = page.KillActive();
    EXPECT_EQ(ok, QByteArray(c.message).isEmpty()) << c.legend;
    EXPECT_EQ(messages.texts.join(QString()), QString::fromLatin1(c.message)) << c.legend;
    EXPECT_EQ(TheProgramSettings.SpermClickColours, ok) << c.legend;
    if (ok) {
        EXPECT_EQ(TheProgramSettings.SpermTimeWindow, QByteArray(c.time).toInt()) << c.legend;
        EXPECT_FLOAT_EQ(TheProgramSettings.DolphinClickRange, QByteArray(c.dolphin).toFloat()) << c.legend;
    } else {
        EXPECT_EQ(TheProgramSettings.SpermTimeWindow, 30) << c.legend;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpermPlotTest,
    ::testing::Values(
        SpermCase{"zeros accepted", "0", "0", "0", "0", ""}, SpermCase{"reals", "45", "7.5", "2.25", "0.5", ""},
        SpermCase{"negative time while disabled", "-1", "5", "4", "1", "Time difference must be greater than 0"},
        SpermCase{"negative bearing", "5", "-1", "4", "1", "Bearing difference must be greater than 0"},
        SpermCase{"negative sperm range", "5", "1", "-.5", "1", "Default Sperm Whale Range must be greater than 0"},
        SpermCase{"negative dolphin range", "5", "1", "4", "-2", "Default Dolphin Range must be greater than 0"}));

// --------------------------------------------------------------- IO boards

class FakeBoards : public BoardLibrary {
public:
    FakeBoards() { setBoardLibrary(this); }
    ~FakeBoards() override { setBoardLibrary(nullptr); }
    bool CbIsLoaded() override { return true; }
    QString CbBoardName(int n) override
    {
        return n == 0 ? QStringLiteral("PCI-DIO24") : n == 2 ? QStringLiteral("USB-1208") : QString("Not Installed");
    }
    std::optional<int> CbDigitalPortType(int, int device) override
    {
        return device < 3 ? std::optional<int>(10 + device) : std::nullopt;
    }
    bool NiMxIsLoaded() override { return true; }
    std::optional<QString> NiMxDeviceName(int n) override
    {
        return n == 4 ? std::optional<QString>(QStringLiteral("Dev4: USB-6009")) : std::nullopt;
    }
};

TEST_F(PageTest, IOBoardListsLibrariesAndReopensOnTheStoredDevice)
{
    FakeBoards boards;
    TheProgramSettings.PowerMonitor = 1;
    {
        IOBoardDialog page;
        auto* list = Ctl<QComboBox>(&page, IOBoardDialog::IdDevice);
        ASSERT_EQ(list->count(), 4);
        EXPECT_EQ(list->itemText(3), QStringLiteral("Dev4: USB-6009"));
        list->setCurrentIndex(3);
        EXPECT_TRUE(page.KillActive());
    }
    EXPECT_EQ(TheProgramSettings.IODeviceType, DeviceNiDaqMx);
    EXPECT_EQ(TheProgramSettings.IODeviceNumber, 4);
    EXPECT_EQ(TheProgramSettings.IODeviceBits, 16);
    EXPECT_EQ(TheProgramSettings.PowerMonitor, 1);
    IOBoardDialog again;
    EXPECT_EQ(Ctl<QComboBox>(&again, IOBoardDialog::IdDevice)->currentIndex(), 3);
    Ctl<QComboBox>(&again, IOBoardDialog::IdDevice)->setCurrentIndex(2); // board 2
    EXPECT_TRUE(again.KillActive());
    EXPECT_EQ(TheProgramSettings.IODeviceType, DeviceMeasurementComputing);
    EXPECT_EQ(TheProgramSettings.IODeviceNumber, 2);
    EXPECT_EQ(TheProgramSettings.IODeviceBits, 12);
    EXPECT_EQ(TheProgramSettings.IODeviceChannels, 16);
    Ctl<QComboBox>(&again, IOBoardDialog::IdDevice)->setCurrentIndex(0);
    EXPECT_TRUE(again.KillActive());
    EXPECT_EQ(TheProgramSettings.PowerMonitor, 0) << "no board: no monitoring";
}

TEST_F(PageTest, ButtonBoardWithoutLibraryOffersNoneAndStoresNone)
{
    TheProgramSettings.ButtonDeviceType = 3;
    ButtonBoardDialog page;
    EXPECT_EQ(Ctl<QComboBox>(&page, ButtonBoardDialog::IdDevice)->count(), 1);
    EXPECT_EQ(Ctl<QComboBox>(&page, ButtonBoardDialog::IdInputPort)->itemText(0), QStringLiteral("No digital Input"));
    EXPECT_EQ(Ctl<QComboBox>(&page, ButtonBoardDialog::IdOutputPort)->count(), 1);
    EXPECT_TRUE(page.KillActive());
    EXPECT_EQ(TheProgramSettings.ButtonDeviceType, 0);
    EXPECT_EQ(TheProgramSettings.ButtonInputPort, 0);
}

struct ButtonCase {
    const char* legend;
    int input, output; // list items
    const char* sampleRate;
    const char* countRate;
    const char* message;
};

class ButtonBoardTest : public PageTest, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(ButtonBoardTest, PortsAndRates)
{
    const ButtonCase& c = GetParam();
    FakeBoards boards;
    ButtonBoardDialog page;
    Ctl<QComboBox>(&page, ButtonBoardDialog::IdDevice)->setCurrentIndex(1);
    auto* in = Ctl<QComboBox>(&page, ButtonBoardDialog::IdInputPort);
    ASSERT_EQ(in->count(), 4);
    EXPECT_EQ(in->itemText(1), QStringLiteral("FIRSTPORTA"));
    in->setCurrentIndex(c.input);
    Ctl<QComboBox>(&page, ButtonBoardDialog::IdOutputPort)->setCurrentIndex(c.output);
    Ctl<QLineEdit>(&page, ButtonBoardDialog::IdSampleRate)->setText(QString::fromLatin1(c.sampleRate));
    Ctl<QLineEdit>(&page, ButtonBoardDialog::IdCountRate)->setText(QString::fromLatin1(c.countRate));
    const bool ok = page.KillActive();
    EXPECT_EQ(ok, QByteArray(c.message).isEmpty()) << c.legend;
    EXPECT_EQ(messages.texts.join(QString()), QString::fromLatin1(c.message)) << c.legend;
    if (ok) {
        EXPECT_EQ(TheProgramSettings.ButtonDeviceType, 3);
        EXPECT_EQ(TheProgramSettings.ButtonInputPort, c.input ? 9 + c.input : 0) << c.legend;
        EXPECT_EQ(TheProgramSettings.ButtonOutputPort, c.output ? 9 + c.output : 0) << c.legend;
        EXPECT_EQ(TheProgramSettings.ButtonSampleRate, QByteArray(c.sampleRate).toInt()) << c.legend;
    } else {
        EXPECT_EQ(TheProgramSettings.ButtonDeviceType, 0) << c.legend << ": nothing stored";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ButtonBoardTest,
                         ::testing::Values(ButtonCase{"ports and rates", 1, 2, "100", "10", ""},
                                           ButtonCase{"no ports", 0, 0, "1", "999", ""},
                                           ButtonCase{"same port", 2, 2, "100", "10",
                                                      "You cannot use the same port for input and output"},
                                           ButtonCase{"rate not a number", 1, 2, "abc", "10",
                                                      "The input Count Frequency must be a number from 1 to 9999 Hz"},
                                           ButtonCase{"count rate zero", 1, 2, "100", "0",
                                                      "The output Count Frequency must be a number from 1 to 999 Hz"}));

TEST(BoardLibrary, PortNames)
{
    BoardLibrary lib;
    EXPECT_EQ(lib.CbPortName(1), QStringLiteral("AUXPORT"));
    EXPECT_EQ(lib.CbPortName(10), QStringLiteral("FIRSTPORTA"));
    EXPECT_EQ(lib.CbPortName(13), QStringLiteral("FIRSTPORTCH"));
    EXPECT_EQ(lib.CbPortName(39), QStringLiteral("EIGHTHPORTB"));
    EXPECT_EQ(lib.CbPortName(40), QStringLiteral("Unknown Port"));
    EXPECT_EQ(lib.CbPortName(5), QStringLiteral("Unknown Port"));
}

} // namespace
} // namespace velmar::shell::test
