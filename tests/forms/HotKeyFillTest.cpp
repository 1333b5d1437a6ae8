// A form's hot key on real form windows offscreen: its target control is
// filled, a look-up target with the focus opens its list, and the focus
// moves on from a filled field once per key press, not per repeat.
#include "FormsTestSupport.h"

#include "forms/HotKeyCode.h"
#include "forms/ui/TUserForm.h"
#include "forms/ui/UserFormList.h"
#include "forms/ui/UserFormWindowPort.h"
#include "shell/MainWindowPorts.h"
#include "tests/support/ScriptedFormServices.h"
#include "shell/TUserFormHooks.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>

namespace velmar::forms::test {
namespace {

platform::SystemTime fixedTime()
{
    using namespace std::chrono;
    return platform::SystemTime::fromTimePoint(
        time_point_cast<milliseconds>(sys_days{year{2026} / 6 / 1} + hours{10} + minutes{15} + seconds{30}));
}

class HotKeyFillTest : public FormsTest {
protected:
    void SetUp() override
    {
        FormsTest::SetUp();
        setUserFormClock(fixedTime);
        setHotKeyFillTicks([this] { return ticks; });
        setUserFormWindowFactory(MakeUserFormWindow);
        BindUserForms(panels);
        tabs = new QTabBar(&mainWindow);
        tabs->addTab(QStringLiteral("Map"));
        mainWindow.resize(1000, 700);
    }
    void TearDown() override
    {
        UnloadUserForms();
        setUserFormWindowFactory({});
        setHotKeyFillTicks({});
        setUserFormClock({});
        FormsTest::TearDown();
    }
    TUserForm* loadWithTarget(const char* target)
    {
        EXPECT_TRUE(execSql(QStringLiteral("UPDATE \"UDF_Sightings\" SET \"Topic\" = '%1' WHERE \"Type\" = 'HOTKEY'")
                                .arg(QLatin1String(target))));
        LoadUserForms(&mainWindow, tabs, 1);
        TUserFormInfo* form = FindUserForm(QStringLiteral("Sightings"));
        auto* w = qobject_cast<TUserForm*>(GetFormWindow(*form, 0)->Object());
        mainWindow.show();
        mainWindow.activateWindow();
        tabs->setCurrentIndex(form->TabIndex);
        UserFormsSelectTab(form->TabIndex);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&mainWindow));
        return w;
    }
    bool press() { return UserFormsOnHotKey(&mainWindow, HotKeyCodeFromText(QStringLiteral("s"))); }

    velmar::test::ScriptedButtonPanels panels;
    QWidget mainWindow;
    QTabBar* tabs = nullptr;
    qint64 ticks = 1000;
};

TEST_F(HotKeyFillTest, ALookupTargetWithTheFocusOpensItsList)
{
    TUserForm* w = loadWithTarget("species");
    UserControl* species = w->FindControl(QStringLiteral("Species"));
    auto* list = qobject_cast<QComboBox*>(species->SecondControl());
    ASSERT_NE(list, nullptr);

    // Without the focus the list stays shut; the tab is brought forward.
    w->FindControl(QStringLiteral("Count"))->ValueControl()->setFocus();
    tabs->setCurrentIndex(0);
    EXPECT_TRUE(press());
    EXPECT_EQ(tabs->currentIndex(), w->Form()->TabIndex);
    EXPECT_FALSE(list->view()->isVisible());

    list->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), list);
    EXPECT_TRUE(press());
    EXPECT_TRUE(list->view()->isVisible());
    list->hidePopup();
}

TEST_F(HotKeyFillTest, AFilledTargetMovesTheFocusOnOncePerKeyPress)
{
    TUserForm* w = loadWithTarget("SightTime");
    UserControl* time = w->FindControl(QStringLiteral("Time"));
    auto* date = qobject_cast<QLineEdit*>(time->ValueControl());
    date->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), date);

    EXPECT_TRUE(press());
    EXPECT_EQ(time->ShownText(), QStringLiteral("2026-06-01 10:15:30"));
    // From the date edit the focus passes the time edit too.
    QWidget* after = QApplication::focusWidget();
    EXPECT_NE(after, date);
    EXPECT_NE(after, time->SecondControl());
    EXPECT_TRUE(w->FindControl(QStringLiteral("Species"))->OwnsWidget(after));

    // The key repeating within 100 ms fills again but leaves the focus.
    date->setFocus();
    ticks += 50;
    EXPECT_TRUE(press());
    EXPECT_EQ(QApplication::focusWidget(), date);
    ticks += 101;
    EXPECT_TRUE(press());
    EXPECT_NE(QApplication::focusWidget(), date);
}

} // namespace
} // namespace velmar::forms::test
