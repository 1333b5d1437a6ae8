// The recorder tabs as the main window makes them: message 30060 and the
// trigger ports of detector events, button panels and user forms reach the
// recorder window.
#include "forms/ButtonPorts.h"
#include "forms/ui/TUserForm.h"
#include "nav/RecentEventDispatch.h"
#include "recorder/ui/TAutoRec.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowEvents.h"
#include "shell/MainWindowPorts.h"
#include "shell/MainWindowServices.h"
#include "shell/RecorderWiring.h"
#include "platform/WindowMessage.h"
#include "tests/support/ScriptedDialogs.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace velmar::shell {
namespace {

TEST(RecorderWiring, MessageThirtySixtyAndTriggersReachTheRecorderWindow)
{
    const auto savedDispatch = TheRecentEventDispatch().ports.triggerRecorders;
    const forms::ButtonPressPorts savedButtons = forms::buttonPressPorts();
    const forms::UserFormHost savedForms = forms::userFormHost();
    QStringList boxes;
    velmar::test::ScriptedDialogs dialogs;
    dialogs.messageBox = [&](QWidget*, const QString& text, const QString& caption, QMessageBox::Icon,
                             QMessageBox::StandardButtons) {
        boxes << caption + QLatin1String(" : ") + text;
        return QMessageBox::Ok;
    };

    std::unique_ptr<AutoRecorder> tab = BindRecorders(NoNavigation(), NoStartup()).MakeRecorder(nullptr, 0);
    ASSERT_TRUE(tab);
    auto* window = qobject_cast<recorder::ui::TAutoRec*>(tab->Widget());
    ASSERT_TRUE(window);
    // No device is started here: the recorder's own device stays out of it.
    window->Recording().DeviceValid = false;
    tab->SetNumber(0);
    EXPECT_EQ(tab->GetRecorderName(), QStringLiteral("Wav Recorder 0"));

    platform::postWindowMessage(tab->Widget(), Command::RecorderLongRecording, 1, 0);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(window->CurrentMode(), recorder::ModeContinuous);

    window->SetMode(recorder::ModeOff, true);
    window->SetTriggerBit(1, true);
    TheRecentEventDispatch().ports.triggerRecorders(nav::RecorderTrigger{2, 60, QStringLiteral("Whistle Event")});
    EXPECT_EQ(window->CurrentMode(), recorder::ModeOff) << "bit 2 is not set";
    TheRecentEventDispatch().ports.triggerRecorders(nav::RecorderTrigger{1, 60, QStringLiteral("Single Whistle")});
    EXPECT_EQ(window->CurrentMode(), recorder::ModeContinuous);

    window->SetMode(recorder::ModeOff, true);
    EXPECT_TRUE(forms::buttonPressPorts().triggerRecorder(0, 30, QStringLiteral("Watch button")).has_value());
    EXPECT_EQ(window->CurrentMode(), recorder::ModeContinuous);
    EXPECT_FALSE(forms::buttonPressPorts().triggerRecorder(7, 30, QStringLiteral("Watch button")).has_value());

    tab.reset();
    TheRecentEventDispatch().ports.triggerRecorders = savedDispatch;
    forms::buttonPressPorts() = savedButtons;
    forms::setUserFormHost(savedForms);
}

} // namespace
} // namespace velmar::shell
