#pragma once
// Shared pieces of the settings-page tests: recorded message boxes with
// scripted answers, and a fresh settings block for every test.
#include "tests/support/ScriptedDialogs.h"
#include "shell/ui/ProgramSettingsPage.h"
#include "settings/ProgramSettings.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <deque>

namespace velmar::shell::test {

struct MessageRecorder {
    MessageRecorder()
    {
        dialogs.messageBox = [this](QWidget*, const QString& text, const QString& caption, QMessageBox::Icon,
                                    QMessageBox::StandardButtons buttons) {
            texts << text;
            captions << caption;
            if (!answers.empty()) {
                auto a = answers.front();
                answers.pop_front();
                return a;
            }
            return buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Yes;
        };
    }
    velmar::test::ScriptedDialogs dialogs;
    QStringList texts;
    QStringList captions;
    std::deque<QMessageBox::StandardButton> answers;
};

class PageTest : public ::testing::Test {
protected:
    void SetUp() override { store::TheProgramSettings = store::ProgramSettings(); }
    void TearDown() override { store::TheProgramSettings = store::ProgramSettings(); }
    MessageRecorder messages;
};

template <class T>
T* Ctl(const QObject* page, int id)
{
    T* c = ui::ControlById<T>(page, id);
    EXPECT_NE(c, nullptr) << "control " << id;
    return c;
}

} // namespace velmar::shell::test
