// Traffic light lamps and the flashing warning's colours.
#include "widgets/MyControls.h"
#include "widgets/TrafficLight.h"
#include "tests/shell/ShellTestUtil.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace velmar::shell;
using velmar::shell::test::Drain;
using velmar::shell::test::PaintCounter;

namespace {

QColor LampCentre(TTrafficLight& light, int lamp)
{
    const int d = light.height() - 2;
    const int x = light.CaptionWidth() + 3 + lamp * (d + 2) + d / 2;
    return light.grab().toImage().pixelColor(x, light.height() / 2);
}

TEST(TrafficLight, LampsFollowTheStateBits)
{
    TTrafficLight light(nullptr);
    const int width = light.GetWidthForHeight(18);
    EXPECT_EQ(width, light.CaptionWidth() + 3 * 16 + 11);
    light.resize(width, 18);
    light.show();
    EXPECT_EQ(light.State(), 7);
    EXPECT_EQ(LampCentre(light, 1), QColor(255, 128, 0));

    light.SetState(LampRed | LampGreen);
    EXPECT_EQ(LampCentre(light, 0), QColor(255, 0, 0));
    EXPECT_EQ(LampCentre(light, 1), QColor(Qt::black));
    EXPECT_EQ(LampCentre(light, 2), QColor(0, 192, 0));

    Drain();
    PaintCounter paints(&light);
    light.SetState(LampRed | LampGreen);
    Drain();
    EXPECT_EQ(paints.count, 0);

    QSignalSpy clicked(&light, &TTrafficLight::activateMainWindow);
    QTest::mouseClick(&light, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(clicked.count(), 1);
}

TEST(FlashWarning, ColoursByFlagPhaseAndLook)
{
    bool blackAndWhite = false;
    SetStatusBlackAndWhiteSource([&] { return blackAndWhite; });
    TFlashWarning bar(nullptr, 1, "", 0, 0, 200, 20);
    const QColor lightGrey(192, 192, 192);

    // Off: black on light grey, and the tick changes nothing visible.
    EXPECT_EQ(bar.CurrentColours().background, lightGrey);
    bar.EvTimer();
    EXPECT_EQ(bar.CurrentColours().background, lightGrey);
    EXPECT_EQ(bar.CurrentColours().text, QColor(Qt::black));

    bar.SetWarning("Sighting form due", true);
    EXPECT_EQ(bar.text(), "Sighting form due");
    const auto a = bar.CurrentColours();
    bar.EvTimer();
    const auto b = bar.CurrentColours();
    EXPECT_NE(a.background, b.background);
    const auto redOnWhite = bar.Phase() ? a : b;
    const auto whiteOnRed = bar.Phase() ? b : a;
    EXPECT_EQ(whiteOnRed.background, QColor(255, 0, 0));
    EXPECT_EQ(whiteOnRed.text, QColor(Qt::white));
    EXPECT_EQ(redOnWhite.background, QColor(Qt::white));
    EXPECT_EQ(redOnWhite.text, QColor(255, 0, 0));

    // Switching to black and white while flashing: the next paints alternate
    // white on black and black on light grey.
    blackAndWhite = true;
    const auto c = bar.CurrentColours();
    bar.EvTimer();
    const auto d = bar.CurrentColours();
    EXPECT_EQ((bar.Phase() ? d : c).background, QColor(Qt::black));
    EXPECT_EQ((bar.Phase() ? d : c).text, QColor(Qt::white));
    EXPECT_EQ((bar.Phase() ? c : d).background, lightGrey);
    EXPECT_GT(bar.GetTextHeight(), 0);
    SetStatusBlackAndWhiteSource({});
}

} // namespace
