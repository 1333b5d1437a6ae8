#pragma once
// TV2000Window: the client window of Velmar's main frame, owner of almost
// everything the operator sees.
//
// Only the frame's side of it stands here: set-up, the close check, command
// and message entry points. The construction of the main window (settings
// block, database choice, child windows, tabs, timers) comes next and fills
// these in. User-interface thread only.
#include <QWidget>

namespace velmar::shell {

class TV2000Window : public QWidget {
    Q_OBJECT
public:
    explicit TV2000Window(QWidget* parent = nullptr);

    // Called once the frame around the window exists; asks the application
    // for the initial show.
    virtual void SetupWindow();

    // True when the program may end.
    virtual bool CanClose();

    // A menu command; true when the main window handled it.
    virtual bool Command(int id);

protected:
    bool event(QEvent* event) override;
    // A private message (WindowMessageEvent); the answer for a sent one.
    virtual qint64 WindowMessage(uint message, quint64 wParam, qint64 lParam);
};

} // namespace velmar::shell
