// Night/day scheme: every control follows a switch, whenever it was made.
#include "widgets/MyControls.h"
#include "widgets/NightDay.h"
#include "tests/shell/ShellTestUtil.h"

#include <QApplication>
#include <QLabel>

#include <gtest/gtest.h>

#include <utility>

using namespace velmar::shell;
using velmar::shell::test::Drain;

namespace {

struct Window : QWidget, NightDayWindow {
    explicit Window(QWidget* parent = nullptr) : QWidget(parent), NightDayWindow(this) {}
};

QColor Back(QWidget* w)
{
    return w->palette().color(QPalette::Window);
}

TEST(NightDay, ControlsMadeBeforeAndAfterASwitchFollowIt)
{
    NightDayApp app;
    Window main;
    app.SetNightDayMainWindow(&main);
    auto* page = new QWidget(&main); // not a scheme window: reached through it
    auto* before = new TMyEdit(page, 1, "", 0, 0, 10, 10);
    Window popup; // a top-level user form
    auto* onPopup = new TMyTabControl(&popup, 2, 0, 0, 10, 10);
    Drain();
    EXPECT_EQ(GetNightDayScheme(), DayScheme);
    EXPECT_EQ(Back(before), QColor(Qt::white));

    popup.show();
    app.CmNight();
    Drain();
    EXPECT_EQ(GetNightDayScheme(), NightScheme);
    EXPECT_EQ(GetNightDayForeColour(), QColor(Qt::white));
    EXPECT_EQ(GetNightDayHighlightColour(), QColor(255, 0, 0));
    EXPECT_EQ(GetNightDayPen().color(), QColor(Qt::white));
    EXPECT_EQ(Back(before), QColor(Qt::black));
    EXPECT_EQ(Back(onPopup), QColor(Qt::black));
    EXPECT_EQ(main.NightDayScheme(), NightScheme);

    auto* after = new TMyEdit(&main, 3, "", 0, 0, 10, 10);
    Drain();
    EXPECT_EQ(Back(after), QColor(Qt::black));
    // Text stays readable, on the scheme's controls and on every other one.
    EXPECT_EQ(before->palette().color(QPalette::WindowText), QColor(Qt::white));
    QLabel plain(QStringLiteral("any other window"));
    for (const auto& [back, text] : {std::pair{QPalette::Window, QPalette::WindowText},
                                     {QPalette::Base, QPalette::Text},
                                     {QPalette::Button, QPalette::ButtonText}})
        EXPECT_GT(plain.palette().color(text).lightness() - plain.palette().color(back).lightness(), 128);

    // The scheme leaves a read-out's colour code alone.
    after->SetColourCode(2);
    EXPECT_EQ(after->Background(), QColor(225, 128, 128));

    const QPalette night = QApplication::palette();
    app.CmDay();
    Drain();
    EXPECT_NE(QApplication::palette(), night) << "the application's own colours again";
    EXPECT_EQ(before->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_EQ(Back(before), QColor(Qt::white));
    EXPECT_EQ(Back(after), QColor(Qt::white));
    EXPECT_EQ(GetNightDayHighlightColour(), QColor(Qt::black));
}

TEST(NightDay, UnknownSchemeIsStoredButChangesNoColour)
{
    NightDayApp app;
    Window main;
    app.SetNightDayMainWindow(&main);
    auto* edit = new TMyEdit(&main, 1, "", 0, 0, 10, 10);
    app.CmNight();
    Drain();
    app.EvNightDay(3, 0);
    Drain();
    EXPECT_EQ(GetNightDayScheme(), 3);
    EXPECT_EQ(edit->NightDayScheme(), 3);
    EXPECT_EQ(GetNightDayForeColour(), QColor(Qt::white));
    EXPECT_EQ(Back(edit), QColor(Qt::black));
}

} // namespace
