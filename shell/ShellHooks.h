#pragma once
// Entry points of later subsystems that the application object calls: the
// button panels' and user forms' hot keys, the help window, the about box and
// the measurement-board library. Each is empty until its subsystem sets it
// at start-up; an empty one does nothing (a hot key nobody takes, help that
// does not open, a board library that is absent). User-interface thread only.
#include <QString>

#include <functional>

class QWidget;

namespace velmar::shell {

// Help commands passed to showHelp.
inline constexpr int HelpDisplayTopic = 0;     // default topic, or the topic of a command id
inline constexpr int HelpDisplayContents = 1;  // table of contents

struct ShellHooks {
    // True when a button panel took the hot key (id: the virtual-key code of
    // the key pressed with Ctrl, MainWindowMessages.h).
    std::function<bool(int key)> buttonFormsOnHotKey;
    // True when a user form took the hot key; frame is the main frame.
    std::function<bool(QWidget* frame, int key)> userFormsOnHotKey;
    // True when the help window was shown.
    std::function<bool(QWidget* owner, const QString& helpPath, int helpCommand, quint64 data)> showHelp;
    std::function<void()> closeHelp;
    std::function<void(QWidget* parent)> showAboutBox;
    // Binds the measurement-board library; the result is not needed here.
    std::function<bool()> loadBoardLibrary;
};

ShellHooks& shellHooks();

} // namespace velmar::shell
