#include "shell/TV2000Window.h"

#include "shell/MainWindowMessages.h"
#include "shell/WindowMessage.h"

#include <QCoreApplication>

namespace velmar::shell {

TV2000Window::TV2000Window(QWidget* parent) : QWidget(parent)
{
    // The construction of the main window comes next: settings block,
    // database choice and the child objects of each run mode.
}

void TV2000Window::SetupWindow()
{
    // No child windows yet, so the wanted client height is 0.
    postWindowMessage(QCoreApplication::instance(), MsgInitialShow, 0, 0);
}

bool TV2000Window::CanClose()
{
    return true;
}

bool TV2000Window::Command(int)
{
    return false;
}

bool TV2000Window::event(QEvent* event)
{
    if (event->type() == WindowMessageEvent::eventType()) {
        auto* m = static_cast<WindowMessageEvent*>(event);
        m->setResult(WindowMessage(m->message(), m->wParam(), m->lParam()));
        return true;
    }
    return QWidget::event(event);
}

qint64 TV2000Window::WindowMessage(uint, quint64, qint64)
{
    return 0;
}

} // namespace velmar::shell
