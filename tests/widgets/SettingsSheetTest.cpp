// The settings sheet: a page whose check fails keeps the activation, stops OK
// and Apply, and is never reported as applied.
#include "widgets/SettingsSheet.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace velmar::shell::test {
namespace {

using ui::SettingsPage;
using ui::SettingsSheet;

class FakePage : public SettingsPage {
public:
    explicit FakePage(const QString& title) : SettingsPage(title) {}
    bool StoreSettings() override
    {
        ++checks;
        return valid;
    }
    bool SaveSettings() override
    {
        ++saves;
        return true;
    }
    bool valid = true;
    int checks = 0;
    int saves = 0;
};

struct Sheet {
    Sheet()
    {
        sheet.AddPage(a);
        sheet.AddPage(b);
        sheet.AddPage(c);
    }
    SettingsSheet sheet{nullptr, QStringLiteral("Sheet")};
    FakePage* a = new FakePage(QStringLiteral("A"));
    FakePage* b = new FakePage(QStringLiteral("B"));
    FakePage* c = new FakePage(QStringLiteral("C"));
};

TEST(SettingsSheet, FailingCheckKeepsThePageActive)
{
    Sheet s;
    s.a->valid = false;
    EXPECT_FALSE(s.sheet.SelectPage(1));
    EXPECT_EQ(s.sheet.CurrentIndex(), 0);
    s.a->valid = true;
    EXPECT_TRUE(s.sheet.SelectPage(1));
    EXPECT_EQ(s.sheet.CurrentIndex(), 1);
}

TEST(SettingsSheet, OkAppliesOnlyPagesShownAndReportsOne)
{
    Sheet s;
    ASSERT_TRUE(s.sheet.SelectPage(1));
    s.sheet.accept();
    EXPECT_EQ(s.sheet.result(), 1);
    EXPECT_EQ(s.a->saves, 1);
    EXPECT_EQ(s.b->saves, 1);
    EXPECT_EQ(s.c->saves, 0) << "a page never shown is not applied";
}

TEST(SettingsSheet, ApplyThatFailsOnAnEarlierPageShowsItAndDoesNotClose)
{
    Sheet s;
    ASSERT_TRUE(s.sheet.SelectPage(2));
    s.a->valid = false; // became invalid after it was left
    s.sheet.open();
    s.sheet.accept();
    EXPECT_TRUE(s.sheet.isVisible()) << "a failed check must not close the sheet as success";
    EXPECT_EQ(s.sheet.CurrentIndex(), 0);
    EXPECT_FALSE(s.sheet.AppliedOnce());
    EXPECT_EQ(s.a->saves, 0);
    s.sheet.reject();
    EXPECT_EQ(s.sheet.result(), 0);
}

TEST(SettingsSheet, CancelAfterApplyStillReportsApplied)
{
    Sheet s;
    s.a->Changed();
    EXPECT_TRUE(s.sheet.ApplyButton()->isEnabled());
    EXPECT_TRUE(s.sheet.ApplyNow());
    EXPECT_FALSE(s.sheet.ApplyButton()->isEnabled());
    s.sheet.reject();
    EXPECT_EQ(s.sheet.result(), 1);
}

TEST(SettingsSheet, WizardMovesWithNextAndFinishesOnTheLastPage)
{
    SettingsSheet w(nullptr, QStringLiteral("Programme Setup"), SettingsSheet::Style::Wizard);
    auto* a = new FakePage(QStringLiteral("A"));
    auto* b = new FakePage(QStringLiteral("B"));
    w.AddPage(a);
    w.AddPage(b);
    EXPECT_FALSE(w.OkButton()->isVisibleTo(&w));
    a->valid = false;
    w.Next();
    EXPECT_EQ(w.CurrentIndex(), 0);
    a->valid = true;
    w.Next();
    EXPECT_EQ(w.CurrentIndex(), 1);
    EXPECT_TRUE(w.OkButton()->isVisibleTo(&w));
    w.accept();
    EXPECT_EQ(w.result(), 1);
    EXPECT_EQ(a->saves + b->saves, 2);
}

} // namespace
} // namespace velmar::shell::test
