#include "widgets/MessageBoxSeam.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcMessageBox, "velmar.shell.messagebox")

namespace velmar::shell::ui {

namespace {

MessageBoxHandler& handler()
{
    static MessageBoxHandler h;
    return h;
}

QMessageBox::StandardButton defaultAnswer(QMessageBox::StandardButtons buttons)
{
    for (auto b : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::Cancel, QMessageBox::No})
        if (buttons.testFlag(b))
            return b;
    return QMessageBox::NoButton;
}

} // namespace

void setMessageBoxHandler(MessageBoxHandler h)
{
    handler() = std::move(h);
}

QMessageBox::StandardButton ShowMessageBox(QWidget* owner, const QString& text, const QString& caption,
                                           QMessageBox::Icon icon, QMessageBox::StandardButtons buttons)
{
    // Test hook: every box the operator is shown, one line each in this file.
    if (const QString log = qEnvironmentVariable("VELMAR_MESSAGE_LOG"); !log.isEmpty()) {
        QFile file(log);
        if (file.open(QIODevice::Append | QIODevice::Text))
            file.write((caption + QStringLiteral(" : ") + QString(text).replace(u'\n', u' ') + u'\n').toUtf8());
    }
    if (handler())
        return handler()(owner, text, caption, icon, buttons);
    if (qEnvironmentVariableIsSet("VELMAR_NO_MODAL")) {
        qCInfo(lcMessageBox).noquote() << caption << ":" << text;
        return defaultAnswer(buttons);
    }
    QMessageBox box(icon, caption, text, buttons, owner);
    return static_cast<QMessageBox::StandardButton>(box.exec());
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
