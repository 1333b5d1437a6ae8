#include "widgets/MessageBoxSeam.h"

#include "widgets/DialogService.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

namespace velmar::shell::ui {

QMessageBox::StandardButton ShowMessageBox(QWidget* owner, const QString& text, const QString& caption,
                                           QMessageBox::Icon icon, QMessageBox::StandardButtons buttons)
{
    // Test hook: every box the operator is shown, one line each in this file.
    if (const QString log = qEnvironmentVariable("VELMAR_MESSAGE_LOG"); !log.isEmpty()) {
        QFile file(log);
        if (file.open(QIODevice::Append | QIODevice::Text))
            file.write((caption + QStringLiteral(" : ") + QString(text).replace(u'\n', u' ') + u'\n').toUtf8());
    }
    return Dialogs().MessageBox(owner, text, caption, icon, buttons);
}

void WhenNoModalWindow(QObject* context, std::function<void()> run)
{
    constexpr int RetryMs = 100;
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(RetryMs, context,
                           [context, run = std::move(run)]() mutable { WhenNoModalWindow(context, std::move(run)); });
        return;
    }
    run();
}

} // namespace velmar::shell::ui
