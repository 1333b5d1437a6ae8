// Velmar's settings pages: valid entries reach the settings block (and its
// file on Apply); the first invalid field stops the check with its message.
#include "PagesTestSupport.h"

#include "shell/ui/DataKeepDialog.h"
#include "shell/ui/MapOptsDialog.h"
#include "settings/ProgramSettings.h"

#include <QFile>
#include <QLineEdit>
#include <QRadioButton>

namespace velmar::shell::test {
namespace {

using store::TheProgramSettings;
using namespace ui;

// ---------------------------------------------------------------- Data Storage

struct DataKeepCase {
    const char* legend;
    const char* display;
    const char* warning;
    const char* message; // empty: accepted
    int storedDisplay;
    int storedWarning;
};

class DataKeepTest : public PageTest, public ::testing::WithParamInterface<DataKeepCase> {};

TEST_P(DataKeepTest, ChecksInOrder)
{
    const DataKeepCase& c = GetParam();
    DataKeepDialog page;
    Ctl<QLineEdit>(&page, DataKeepDialog::IdDisplayTime)->setText(QString::fromLatin1(c.display));
    Ctl<QLineEdit>(&page, DataKeepDialog::IdWarningTime)->setText(QString::fromLatin1(c.warning));
    const bool ok = page.KillActive();
    EXPECT_EQ(ok, QByteArray(c.message).isEmpty()) << c.legend;
    if (ok) {
        EXPECT_TRUE(messages.texts.isEmpty()) << c.legend;
    } else {
        ASSERT_EQ(messages.texts.size(), 1) << c.legend;
        EXPECT_EQ(messages.texts[0], QString::fromLatin1(c.message)) << c.legend;
        EXPECT_EQ(messages.captions[0], QStringLiteral("Velmar 2010"));
    }
    EXPECT_EQ(TheProgramSettings.DisplayTime, c.storedDisplay) << c.legend;
    EXPECT_EQ(TheProgramSettings.WarningTime, c.storedWarning) << c.legend;
}

constexpr char kDisplay[] = "Data display time must be greater than 1 minute";
constexpr char kWarning[] = "Data Warning time must be greater than 1 minute";
constexpr char kOrder[] = "Data Warning time must be less than the sotrage time !";

INSTANTIATE_TEST_SUITE_P(Cases, DataKeepTest,
                         ::testing::Values(DataKeepCase{"both one", "1", "1", "", 1, 1},
                                           DataKeepCase{"warning equal to display", "45", "45", "", 45, 45},
                                           DataKeepCase{"warning above display", "45", "46", kOrder, 60, 30},
                                           DataKeepCase{"digits then letters", "12abc", " 7", "", 12, 7},
                                           DataKeepCase{"no digits is zero", "abc", "5", kDisplay, 60, 30},
                                           DataKeepCase{"zero display before bad warning", "0", "x", kDisplay, 60, 30},
                                           DataKeepCase{"negative display", "-5", "1", kDisplay, 60, 30},
                                           DataKeepCase{"negative warning", "5", "-1", kWarning, 60, 30},
                                           DataKeepCase{"six digits", "999999", "30", "", 999999, 30}));

TEST_F(PageTest, DataKeepEditsTakeSixCharactersAndShowTheBlock)
{
    TheProgramSettings.DisplayTime = 90;
    DataKeepDialog page;
    auto* display = Ctl<QLineEdit>(&page, DataKeepDialog::IdDisplayTime);
    EXPECT_EQ(display->text(), QStringLiteral("90"));
    EXPECT_EQ(display->maxLength(), 6);
}

TEST_F(PageTest, ApplyWritesTheBlockOnlyWhenTheCheckPasses)
{
    QFile::remove(store::ProgramSettingsFilePath());
    {
        DataKeepDialog page;
        Ctl<QLineEdit>(&page, DataKeepDialog::IdDisplayTime)->setText(QStringLiteral("0"));
        EXPECT_FALSE(page.Apply());
        EXPECT_FALSE(QFile::exists(store::ProgramSettingsFilePath()));
    }
    DataKeepDialog page;
    Ctl<QLineEdit>(&page, DataKeepDialog::IdDisplayTime)->setText(QStringLiteral("120"));
    EXPECT_TRUE(page.Apply());
    store::ProgramSettings read;
    ASSERT_TRUE(store::ReadProgramSettingsFile(store::ProgramSettingsFilePath(), read));
    EXPECT_EQ(read.DisplayTime, 120);
}

// ------------------------------------------------------------- General Options

struct MapOptsCase {
    const char* legend;
    uint8_t detectors, clocks;
    bool blackWhite, bottom;
    std::vector<int> checkedIds; // after construction
    std::vector<int> click;      // buttons the operator clicks
    uint8_t storedDetectors, storedClocks;
    bool storedBlackWhite, storedBottom;
};

class MapOptsTest : public PageTest, public ::testing::WithParamInterface<MapOptsCase> {};

TEST_P(MapOptsTest, ShowsAndStores)
{
    const MapOptsCase& c = GetParam();
    auto& s = TheProgramSettings;
    s.DetectorsPosition = c.detectors;
    s.TimesAdjacent = c.clocks;
    s.BlackAndWhite = c.blackWhite;
    s.ShowBottomControls = c.bottom;
    MapOptsDialog page;
    std::vector<int> checked;
    for (auto* b : page.findChildren<QRadioButton*>())
        if (b->isChecked())
            checked.push_back(b->objectName().toInt());
    std::sort(checked.begin(), checked.end());
    std::vector<int> expected = c.checkedIds;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(checked, expected) << c.legend;
    for (int id : c.click)
        Ctl<QRadioButton>(&page, id)->setChecked(true);
    EXPECT_TRUE(page.KillActive());
    EXPECT_EQ(s.DetectorsPosition, c.storedDetectors) << c.legend;
    EXPECT_EQ(s.TimesAdjacent, c.storedClocks) << c.legend;
    EXPECT_EQ(s.BlackAndWhite, c.storedBlackWhite) << c.legend;
    EXPECT_EQ(s.ShowBottomControls, c.storedBottom) << c.legend;
    EXPECT_TRUE(messages.texts.isEmpty());
}

using M = MapOptsDialog;
INSTANTIATE_TEST_SUITE_P(
    Cases, MapOptsTest,
    ::testing::Values(MapOptsCase{"defaults",
                                  0,
                                  0,
                                  false,
                                  false,
                                  {M::IdDetectorsNone, M::IdClockGmtOnly, M::IdColour, M::IdBottomHide},
                                  {},
                                  0,
                                  0,
                                  false,
                                  false},
                      MapOptsCase{"every choice changed",
                                  0,
                                  0,
                                  false,
                                  false,
                                  {M::IdDetectorsNone, M::IdClockGmtOnly, M::IdColour, M::IdBottomHide},
                                  {M::IdDetectorsOnTab, M::IdClockAbove, M::IdBlackAndWhite, M::IdBottomShow},
                                  2,
                                  2,
                                  true,
                                  true},
                      MapOptsCase{"unknown detector position kept",
                                  3,
                                  1,
                                  true,
                                  true,
                                  {M::IdClockAdjacent, M::IdBlackAndWhite, M::IdBottomShow},
                                  {},
                                  3,
                                  1,
                                  true,
                                  true},
                      MapOptsCase{"unknown clock value becomes GMT only",
                                  1,
                                  3,
                                  false,
                                  false,
                                  {M::IdDetectorsLeft, M::IdColour, M::IdBottomHide},
                                  {},
                                  1,
                                  0,
                                  false,
                                  false}));

} // namespace
} // namespace velmar::shell::test
