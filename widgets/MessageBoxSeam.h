#pragma once
// The one way settings pages, sheets and the main window's commands show a
// plain message box or ask a question: through the dialog service
// (DialogService.h), which shows a real box, or in scripted runs only logs it
// and takes the default answer, and which tests replace to script answers.
//
// User-interface thread only.
#include <QMessageBox>
#include <QString>

#include <functional>

class QObject;
class QWidget;

namespace velmar::shell::ui {

// Shows the box and returns the button that closed it.
QMessageBox::StandardButton ShowMessageBox(QWidget* owner, const QString& text, const QString& caption,
                                           QMessageBox::Icon icon = QMessageBox::NoIcon,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// Runs run at once when no modal window is up, else once the last one has
// closed, so that boxes queued at start come one after the other instead of
// on top of each other. Nothing runs when context goes first.
void WhenNoModalWindow(QObject* context, std::function<void()> run);

} // namespace velmar::shell::ui
