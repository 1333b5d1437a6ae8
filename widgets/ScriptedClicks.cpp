#include "widgets/ScriptedClicks.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QPointer>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>

#include <memory>

Q_LOGGING_CATEGORY(lcScript, "velmar.script")

namespace velmar::shell::ui {

namespace {

constexpr int PollMs = 100;
constexpr int GiveUpMs = 20000;

struct Script {
    QStringList steps;
    int next = 0;
    QElapsedTimer waited;
};

// The windows to search, the most immediate first.
QList<QWidget*> Windows()
{
    QList<QWidget*> windows;
    if (QWidget* popup = QApplication::activePopupWidget())
        windows << popup;
    if (QWidget* modal = QApplication::activeModalWidget())
        windows << modal;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !windows.contains(w))
            windows << w;
    return windows;
}

QString Plain(QString text)
{
    return text.remove(QLatin1Char('&'));
}

// Runs the step in `window` when its target is there; false when it is not.
bool RunIn(QWidget* window, const QString& step)
{
    const qsizetype equals = step.indexOf(QLatin1Char('='));
    if (equals > 0) {
        const QString name = step.left(equals);
        const QString value = step.mid(equals + 1);
        QWidget* target = window->findChild<QWidget*>(name);
        if (!target)
            return false;
        if (auto* edit = qobject_cast<QLineEdit*>(target))
            edit->setText(value);
        else if (auto* spin = qobject_cast<QSpinBox*>(target))
            spin->setValue(value.toInt());
        else if (auto* box = qobject_cast<QCheckBox*>(target))
            box->setChecked(value == QLatin1String("1"));
        else if (auto* list = qobject_cast<QComboBox*>(target)) {
            const int index = list->findText(value);
            list->setCurrentIndex(index);
            emit list->activated(index);
        } else
            return false;
        return true;
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->isVisible() && button->isEnabled()
            && (Plain(button->text()) == step || button->objectName() == step)) {
            QTimer::singleShot(0, button, &QAbstractButton::click);
            return true;
        }
    for (QAction* action : window->findChildren<QAction*>())
        if (action->isEnabled() && (Plain(action->text()) == step || action->objectName() == step)) {
            if (auto* menu = qobject_cast<QMenu*>(window))
                menu->close();
            QTimer::singleShot(0, action, &QAction::trigger);
            return true;
        }
    return false;
}

void Step(const std::shared_ptr<Script>& script, const QPointer<QObject>& context)
{
    if (!context || script->next >= script->steps.size())
        return;
    const QString step = script->steps[script->next];
    for (QWidget* window : Windows()) {
        if (RunIn(window, step)) {
            qCInfo(lcScript).noquote() << "step" << step << "in" << window->windowTitle();
            ++script->next;
            script->waited.restart();
            break;
        }
    }
    if (script->waited.elapsed() > GiveUpMs) {
        qCWarning(lcScript).noquote() << "step" << step << "not found";
        return;
    }
    QTimer::singleShot(PollMs, context, [script, context] { Step(script, context); });
}

} // namespace

void RunScriptedClicks(QObject* context)
{
    const QString steps = qEnvironmentVariable("VELMAR_CLICKS");
    if (steps.isEmpty())
        return;
    auto script = std::make_shared<Script>();
    script->steps = steps.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    script->waited.start();
    Step(script, QPointer<QObject>(context));
}

} // namespace velmar::shell::ui
