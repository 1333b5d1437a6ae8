#pragma once
// The one way settings pages, sheets and the main window's commands show a
// plain message box or ask a question.
//
// Programs use the default, a real modal QMessageBox (or, with
// VELMAR_NO_MODAL set, only a log line and the default answer, so scripted
// runs never wait for an operator). Tests install a handler that records the
// box and returns a scripted answer.
//
// User-interface thread only.
#include <QMessageBox>
#include <QString>

#include <functional>

class QObject;
class QWidget;

namespace velmar::shell::ui {

using MessageBoxHandler = std::function<QMessageBox::StandardButton(
    QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon,
    QMessageBox::StandardButtons buttons)>;

// Replaces the handler; an empty one restores the default.
void setMessageBoxHandler(MessageBoxHandler handler);

// Shows the box and returns the button that closed it.
QMessageBox::StandardButton ShowMessageBox(QWidget* owner, const QString& text, const QString& caption,
                                           QMessageBox::Icon icon = QMessageBox::NoIcon,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// Runs run at once when no modal window is up, else once the last one has
// closed, so that boxes queued at start come one after the other instead of
// on top of each other. Nothing runs when context goes first.
void WhenNoModalWindow(QObject* context, std::function<void()> run);

} // namespace velmar::shell::ui
