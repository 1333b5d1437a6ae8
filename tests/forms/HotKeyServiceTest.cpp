// The hot-key service: Ctrl keys of forms and panels as application-wide
// shortcuts, each key had once.
#include "forms/HotKeyCode.h"
#include "forms/HotKeyService.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace velmar::forms {
namespace {

TEST(HotKeyService, EachKeyIsHadOnceAndFreedAgain)
{
    QWidget window;
    HotKeyService service(&window);
    const int s = HotKeyCodeFromText(QStringLiteral("s"));
    const int f9 = HotKeyCodeFromText(QStringLiteral("F9"));
    EXPECT_TRUE(service.registerHotKey(s, s));
    EXPECT_FALSE(service.registerHotKey(s, s)) << "already taken";
    EXPECT_FALSE(service.registerHotKey(999, s)) << "the same key under another id";
    EXPECT_TRUE(service.registerHotKey(f9, f9));
    EXPECT_FALSE(service.registerHotKey(7, 0)) << "no key";
    EXPECT_EQ(service.sequenceOf(s), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(service.sequenceOf(f9), QKeySequence(QStringLiteral("Ctrl+F9")));
    service.unregisterHotKey(s);
    EXPECT_FALSE(service.isRegistered(s));
    EXPECT_TRUE(service.registerHotKey(s, s));
}

TEST(HotKeyService, KeyPressedInAnyWindowOfTheProgramReportsItsId)
{
    // The shortcuts live on the main window, which is shown.
    QWidget window;
    window.show();
    HotKeyService service(&window);
    const int code = HotKeyCodeFromText(QStringLiteral("x"));
    ASSERT_TRUE(service.registerHotKey(code, code));
    QSignalSpy pressed(&service, &HotKeyService::hotKeyPressed);

    // Another top-level window of the program has the focus, in an edit
    // that would take Ctrl+X as "cut": the hot key wins, as it did before.
    QLineEdit other;
    other.show();
    other.activateWindow();
    other.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QTest::keyClick(&other, Qt::Key_X, Qt::ControlModifier);
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.at(0).at(0).toInt(), code);
    QTest::keyClick(&other, Qt::Key_X);
    EXPECT_EQ(pressed.count(), 1) << "only with Ctrl";
}

} // namespace
} // namespace velmar::forms
