// The small settings forms and the effort line, map file, contours and nav
// data pages: their checks as tables, and the forms and pages over them.
#include "PagesTestSupport.h"

#include "map/MapFiles.h"
#include "platform/RunMode.h"
#include "shell/ui/EffortDlg.h"
#include "shell/ui/MapFileDialog.h"
#include "shell/ui/NavigateDialog.h"
#include "shell/ui/SettingsChecks.h"
#include "shell/ui/SmallForms.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

namespace velmar::shell::test {
namespace {

using store::ProgramSettings;
using store::TheProgramSettings;
using namespace ui;

// ------------------------------------------------------------ zoom step

struct ZoomCase {
    const char* typed;
    const char* message; // empty: stored
    float stored;
};

class ZoomStepTest : public ::testing::TestWithParam<ZoomCase> {};

TEST_P(ZoomStepTest, Check)
{
    const ZoomCase& c = GetParam();
    const CheckedSettings r = CheckZoomStep(ProgramSettings(), QString::fromLatin1(c.typed));
    EXPECT_EQ(r.message, QString::fromLatin1(c.message)) << c.typed;
    if (r.ok()) {
        EXPECT_FLOAT_EQ(r.block->ZoomStep, c.stored);
        EXPECT_EQ(ZoomStepText(r.block->ZoomStep), QStringLiteral("1.50"));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ZoomStepTest,
                         ::testing::Values(ZoomCase{"1", "The zoom step must be greater than 1", 0},
                                           ZoomCase{"0.5", "The zoom step must be greater than 1", 0},
                                           ZoomCase{"1.5", "", 1.5f},
                                           ZoomCase{"x2", "'x2' is not a valid floating point value", 0}));

TEST_F(PageTest, ZoomStepFormStaysOpenOnARefusedStep)
{
    TZoomStepSize form;
    form.zoomstep->setText(QStringLiteral("0.5"));
    form.open();
    form.accept();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FLOAT_EQ(TheProgramSettings.ZoomStep, ProgramSettings().ZoomStep);
    form.zoomstep->setText(QStringLiteral("1.5"));
    form.accept();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(TZoomStepSize().zoomstep->text(), QStringLiteral("1.50"));
}

// ------------------------------------------------------------------ GPS

struct GpsCase {
    const char* legend;
    const char* max;
    const char* min;
    bool rmc;
    const char* rmcTalker;
    const char* ggaTalker;
    const char* message; // part of the message; empty: stored
};

class GpsControlTest : public ::testing::TestWithParam<GpsCase> {};

TEST_P(GpsControlTest, Check)
{
    const GpsCase& c = GetParam();
    ProgramSettings s;
    s.RmcTalker.setText(QStringLiteral("GP"));
    s.GgaTalker.setText(QStringLiteral("GN"));
    GpsControlEntries e = GpsControlEntriesOf(s);
    e.maxInterval = QString::fromLatin1(c.max);
    e.minInterval = QString::fromLatin1(c.min);
    e.useRmc = c.rmc;
    e.rmcTalker = QString::fromLatin1(c.rmcTalker);
    e.ggaTalker = QString::fromLatin1(c.ggaTalker);
    const CheckedSettings r = CheckGpsControl(s, e);
    if (QByteArray(c.message).isEmpty()) {
        ASSERT_TRUE(r.ok()) << c.legend << ": " << r.message.toStdString();
        EXPECT_EQ(r.block->MaxInterval, QByteArray(c.max).trimmed().toInt()) << c.legend;
        EXPECT_EQ(r.block->GpsSentence, c.rmc ? 1 : 2) << c.legend;
        // Only the chosen sentence's talker is taken.
        EXPECT_EQ(r.block->RmcTalker.text(), c.rmc ? QString::fromLatin1(c.rmcTalker) : QStringLiteral("GP"));
        EXPECT_EQ(r.block->GgaTalker.text(), c.rmc ? QStringLiteral("GN") : QString::fromLatin1(c.ggaTalker));
    } else {
        EXPECT_FALSE(r.ok()) << c.legend;
        EXPECT_TRUE(r.message.contains(QString::fromLatin1(c.message))) << c.legend << ": " << r.message.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GpsControlTest,
    ::testing::Values(GpsCase{"RMC", "10", "5", true, "GP", "GN", ""},
                      GpsCase{"GGA keeps the RMC text", "10", "0", false, "X", "II", ""},
                      GpsCase{"equal intervals", "1", "1", true, "GP", "", ""},
                      GpsCase{"one-letter talker", "10", "5", true, "G", "GN", "exactly 2 characters"},
                      GpsCase{"no maximum", "0", "0", true, "GP", "GN", "at least 1 second"},
                      GpsCase{"negative minimum", "10", "-1", true, "GP", "GN", "between 0 and the maximum"},
                      GpsCase{"minimum above maximum", "10", "11", true, "GP", "GN", "between 0 and the maximum"},
                      GpsCase{"not a number", "ten", "5", true, "GP", "GN", "'ten' is not a valid integer value"}));

TEST_F(PageTest, GpsFormEnablesTheChosenTalkerAndStoresNothingOnAFailedCheck)
{
    TheProgramSettings.GpsSentence = 2;
    TGPSControl form;
    form.show();
    EXPECT_FALSE(form.RMCInitials->isEnabled());
    EXPECT_TRUE(form.GGAInitials->isEnabled());
    form.useRMC->click();
    EXPECT_TRUE(form.RMCInitials->isEnabled());
    EXPECT_FALSE(form.GGAInitials->isEnabled());
    form.MaxInterval->setText(QStringLiteral("30"));
    form.RMCInitials->setText(QStringLiteral("G"));
    form.accept();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(messages.texts.size(), 1);
    // Nothing of the form is stored until every value has passed.
    EXPECT_EQ(TheProgramSettings.MaxInterval, ProgramSettings().MaxInterval);
    EXPECT_EQ(TheProgramSettings.GpsSentence, 2);
    form.reject();
}

// ------------------------------------------------- error checking, flash warnings

TEST_F(PageTest, ErrorCheckingAndFlashWarningRoundTrip)
{
    for (int when = 0; when < 3; ++when) {
        TErrorChecking form;
        form.when->button(when)->click();
        form.popups->button(2 - when)->click();
        form.accept();
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_EQ(TheProgramSettings.FormErrorChecking, when);
        EXPECT_EQ(TheProgramSettings.FormErrorWarnings, 2 - when);
        TErrorChecking again;
        EXPECT_EQ(again.when->checkedId(), when);
        EXPECT_EQ(again.popups->checkedId(), 2 - when);
    }
    EXPECT_FALSE(CheckErrorChecking(ProgramSettings(), -1, 1).ok());

    TheProgramSettings.SimpleWarningTimes = true;
    TFlashWarningType flash;
    EXPECT_TRUE(flash.simple->isChecked());
    flash.advanced->click();
    flash.accept();
    EXPECT_EQ(flash.result(), QDialog::Accepted);
    EXPECT_FALSE(TheProgramSettings.SimpleWarningTimes);
}

// ----------------------------------------------------------- effort line

struct EffortCase {
    const char* gap;
    const char* pen;
    const char* message; // empty: stored
    int seconds;
};

class EffortCheckTest : public ::testing::TestWithParam<EffortCase> {};

TEST_P(EffortCheckTest, GapAndPen)
{
    const EffortCase& c = GetParam();
    const CheckedSettings r = CheckEffortLine(ProgramSettings(),
                                              {QString::fromLatin1(c.gap), QString::fromLatin1(c.pen), false, {}, {}});
    EXPECT_EQ(r.message, QString::fromLatin1(c.message)) << c.gap << " " << c.pen;
    if (r.ok()) {
        EXPECT_EQ(r.block->MaxEffortFixInterval, c.seconds) << c.gap;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EffortCheckTest,
    ::testing::Values(EffortCase{"0.5", "1", "Maximum gap between points must be at least 1 minute", 0},
                      EffortCase{"abc", "1", "Maximum gap between points must be at least 1 minute", 0},
                      EffortCase{"1.5", "1", "", 90}, EffortCase{"2.99", "9", "", 179},
                      EffortCase{"1.66667", "1", "", 100}, EffortCase{"1.98333", "1", "", 119},
                      EffortCase{"5", "0", "Pen width must be between 1 and 9 pixels", 0},
                      EffortCase{"5", "w", "Pen width must be between 1 and 9 pixels", 0}));

TEST(EffortGap, ShownGapsReadBackExactly)
{
    EXPECT_EQ(EffortGapText(90), QStringLiteral("1.5"));
    for (int seconds = 60; seconds < 100000; seconds += 7)
        ASSERT_EQ(EffortGapSeconds(EffortGapText(seconds)), seconds) << EffortGapText(seconds).toStdString();
}

TEST(EffortSource, Index)
{
    ProgramSettings s;
    const std::pair<const char*, int> rows[] = {
        {"Porpoise Detector", 0}, {"Quintra Click", 2}, {"Listening", 3}, {"listening", 3}, {"", -1},
        {"Sightings", -1}};
    for (const auto& [name, index] : rows) {
        s.EffortForm.setText(QString::fromLatin1(name));
        EXPECT_EQ(GetEffortSourceIndex(s), index) << name;
    }
}

struct EffortPageTest : PageTest {
    std::vector<EffortFormChoice> forms{
        {QStringLiteral("Sightings"), {QStringLiteral("Species"), QStringLiteral("Effort")}}};
    int reloads = 0;
    std::unique_ptr<EffortDlg> Page()
    {
        return std::make_unique<EffortDlg>([this] { return forms; }, [this] { ++reloads; });
    }
};

TEST_F(EffortPageTest, FailedCheckKeepsTheSheetOpenWithNothingStored)
{
    TheProgramSettings.MaxEffortFixInterval = 100;
    SettingsSheet sheet(nullptr, QStringLiteral("Display Settings"));
    auto page = Page();
    EffortDlg* p = page.get();
    sheet.AddPage(page.release());
    EXPECT_EQ(Ctl<QLineEdit>(p, EffortDlg::IdGap)->text(), QStringLiteral("1.66667"));
    Ctl<QLineEdit>(p, EffortDlg::IdGap)->setText(QStringLiteral("3"));
    Ctl<QLineEdit>(p, EffortDlg::IdPenWidth)->setText(QStringLiteral("0"));
    EXPECT_FALSE(sheet.ApplyNow());
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("Pen width must be between 1 and 9 pixels")});
    EXPECT_EQ(TheProgramSettings.MaxEffortFixInterval, 100) << "the gap is not taken alone";
    Ctl<QLineEdit>(p, EffortDlg::IdPenWidth)->setText(QStringLiteral("2"));
    Ctl<QLineEdit>(p, EffortDlg::IdGap)->setText(QStringLiteral("1.66667"));
    EXPECT_TRUE(sheet.ApplyNow());
    EXPECT_EQ(TheProgramSettings.MaxEffortFixInterval, 100);
    EXPECT_EQ(TheProgramSettings.TrackPenWidth, 2);
}

TEST_F(EffortPageTest, SourceListsAndTheReloadInShowData)
{
    const quint32 savedMode = platform::RunMode;
    platform::RunMode = platform::RunModeShowData;
    TheProgramSettings.EffortYes = true;
    TheProgramSettings.EffortForm.setText(QStringLiteral("Sightings"));
    TheProgramSettings.EffortControl.setText(QStringLiteral("Effort"));
    {
        auto page = Page();
        auto* formList = Ctl<QComboBox>(page.get(), EffortDlg::IdFormList);
        auto* controls = Ctl<QComboBox>(page.get(), EffortDlg::IdControlList);
        EXPECT_EQ(formList->currentText(), QStringLiteral("Sightings"));
        EXPECT_EQ(controls->currentText(), QStringLiteral("Effort"));
        EXPECT_TRUE(controls->isEnabled());
        controls->setCurrentIndex(0);
        EXPECT_TRUE(page->Apply());
        EXPECT_EQ(reloads, 1);
        EXPECT_TRUE(page->Apply());
        EXPECT_EQ(reloads, 1) << "no change, no reload";
        // A fixed source empties and disables the control list.
        formList->setCurrentIndex(1);
        EXPECT_EQ(controls->count(), 0);
        EXPECT_FALSE(controls->isEnabled());
        Ctl<QRadioButton>(page.get(), EffortDlg::IdGrey)->click();
        EXPECT_FALSE(formList->isEnabled());
        EXPECT_TRUE(page->Apply());
        EXPECT_EQ(TheProgramSettings.EffortControl.text(), QString());
        EXPECT_EQ(TheProgramSettings.EffortForm.text(), QStringLiteral("Whistle Detector"));
    }
    TheProgramSettings.EffortForm.setText(QStringLiteral("Closed form"));
    auto page = Page();
    EXPECT_EQ(Ctl<QComboBox>(page.get(), EffortDlg::IdFormList)->currentText(), QStringLiteral("Porpoise Detector"));
    EXPECT_EQ(Ctl<QComboBox>(page.get(), EffortDlg::IdControlList)->count(), 0);
    platform::RunMode = savedMode;
}

// ---------------------------------------------------------------- nav data

struct NavCase {
    const char* variation;
    bool accepted;
    float stored;
};

class NavDataTest : public ::testing::TestWithParam<NavCase> {};

TEST_P(NavDataTest, Variation)
{
    const NavCase& c = GetParam();
    const CheckedSettings r = CheckNavData(ProgramSettings(), QString::fromLatin1(c.variation), false,
                                           QStringLiteral("250"));
    ASSERT_EQ(r.ok(), c.accepted) << c.variation;
    if (c.accepted) {
        EXPECT_FLOAT_EQ(r.block->MagneticVariation, c.stored);
        EXPECT_EQ(r.block->LengthUnits, 2);
        EXPECT_FLOAT_EQ(r.block->HydrophoneLength, 250.0f);
    } else {
        EXPECT_EQ(r.message, QStringLiteral("Magentic variation must be between -180 and +180 degrees"));
        EXPECT_EQ(r.caption, QStringLiteral("Error"));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, NavDataTest,
                         ::testing::Values(NavCase{"-180", true, -180}, NavCase{"180", true, 180},
                                           NavCase{"-180.5", false, 0}, NavCase{"abc", true, 0},
                                           NavCase{"-4.5", true, -4.5f}));

TEST_F(PageTest, NavPageKeepsActivationWhileTheVariationIsInvalid)
{
    NavigateDialog page;
    Ctl<QLineEdit>(&page, NavigateDialog::IdVariation)->setText(QStringLiteral("200"));
    EXPECT_FALSE(page.KillActive());
    EXPECT_EQ(messages.captions, QStringList{QStringLiteral("Error")});
    Ctl<QLineEdit>(&page, NavigateDialog::IdVariation)->setText(QStringLiteral("-7"));
    Ctl<QRadioButton>(&page, NavigateDialog::IdMetric)->setChecked(true);
    EXPECT_TRUE(page.Apply());
    EXPECT_FLOAT_EQ(TheProgramSettings.MagneticVariation, -7.0f);
    EXPECT_EQ(TheProgramSettings.LengthUnits, 2);
}

// ------------------------------------------------------- map file, contours

TEST(Contours, OkWithNLevels)
{
    ProgramSettings s;
    s.ShowContour.fill(true);
    ProgramSettings one = ApplyContourChoice(s, {false});
    EXPECT_FALSE(one.ShowContour[0]);
    EXPECT_FALSE(one.ShowContour[1]) << "the flag after the last level is cleared";
    EXPECT_TRUE(one.ShowContour[2]);
    std::vector<bool> all(29, true);
    const ProgramSettings full = ApplyContourChoice(s, all);
    for (int i = 0; i < 29; ++i)
        EXPECT_TRUE(full.ShowContour[std::size_t(i)]);
    EXPECT_FALSE(full.ShowContour[29]);
}

struct MapFileTest : PageTest {
    QTemporaryDir dir;
    QString Write(const char* name, const char* text)
    {
        const QString path = dir.filePath(QLatin1String(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return path;
    }
    void TearDown() override
    {
        map::TheMapFeatures().FreeMapFeatures();
        PageTest::TearDown();
    }
};

TEST_F(MapFileTest, PathsLoadOrAreRefusedAndContoursFollowTheLevels)
{
    int redraws = 0;
    const QString depths = Write("depths.asc", "200 2\n50.5 -1.5\n50.6 -1.4\n100 1\n50.1 -1.0\n");
    TheProgramSettings.MapFile.setText(depths);
    MapFileDialog page([&] { ++redraws; });
    EXPECT_EQ(page.PathEdit()->text(), depths);

    // A file without chart features is refused; the chart before comes back.
    page.PathEdit()->setText(Write("empty.asc", ""));
    EXPECT_FALSE(page.KillActive());
    EXPECT_EQ(messages.captions.value(0), QLatin1String(InvalidMapFileCaption));
    EXPECT_EQ(TheProgramSettings.MapFile.text(), depths);
    EXPECT_EQ(map::TheMapFeatures().LastPath(), depths);

    page.PathEdit()->setText(depths);
    std::vector<int> boxes;
    messages.dialogs.runForm = [&](QDialog& d) {
        auto* contours = qobject_cast<ContoursDialog*>(&d);
        boxes.push_back(contours ? contours->LevelCount() : -1);
        if (!contours || !contours->LevelBox(0) || !contours->LevelBox(1))
            return false;
        contours->LevelBox(0)->setChecked(false);
        contours->LevelBox(1)->setChecked(true);
        contours->CmOk();
        return true;
    };
    page.CmSelectContours();
    EXPECT_EQ(boxes, std::vector<int>{2});
    EXPECT_FALSE(TheProgramSettings.ShowContour[0]);
    EXPECT_TRUE(TheProgramSettings.ShowContour[1]);
    EXPECT_FALSE(TheProgramSettings.ShowContour[2]);
    ProgramSettings onDisk;
    ASSERT_TRUE(store::ReadProgramSettingsFile(store::ProgramSettingsFilePath(), onDisk));
    EXPECT_TRUE(onDisk.ShowContour[1]) << "Ok of the contours writes the block";

    // A coastline has no levels: Select Contours opens nothing.
    page.PathEdit()->setText(Write("coast.map", "50.0 -1.0\n50.1 -1.1\n"));
    page.CmSelectContours();
    EXPECT_EQ(boxes.size(), 1u);

    // An empty path works without a chart.
    page.PathEdit()->clear();
    EXPECT_TRUE(page.Apply());
    EXPECT_EQ(TheProgramSettings.MapFile.text(), QString());
    EXPECT_EQ(map::TheMapFeatures().CountMapFeatures(), 0);
    EXPECT_GT(redraws, 0);
}

} // namespace
} // namespace velmar::shell::test
