#include "forms/ui/UserFormWindowPort.h"

#include "forms/ui/TUserForm.h"
#include "forms/ControlKeywords.h"
#include "forms/ui/UserControl.h"
#include "widgets/TrafficLight.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <limits>

namespace velmar::forms {

namespace {

// Two hot-key fills closer than this are one key held down.
constexpr qint64 kHotKeyRepeatMs = 100;

std::function<qint64()> g_hotKeyTicks;
qint64 g_lastHotKeyFill = std::numeric_limits<qint64>::min() / 2;

qint64 hotKeyTicks()
{
    if (g_hotKeyTicks)
        return g_hotKeyTicks();
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

} // namespace

void setHotKeyFillTicks(std::function<qint64()> ticks)
{
    g_hotKeyTicks = std::move(ticks);
    g_lastHotKeyFill = std::numeric_limits<qint64>::min() / 2;
}

TUserFormPort::TUserFormPort(TUserForm* window) : QObject(window), m_window(window)
{
}

QObject* TUserFormPort::Object()
{
    return m_window;
}
TUserFormInfo& TUserFormPort::Form()
{
    return *m_window->Form();
}
bool TUserFormPort::HasEdits() const
{
    return m_window->Edited();
}

void TUserFormPort::ActivateFromHotKey(bool fill)
{
    const TUserFormInfo& form = *m_window->Form();
    if (form.FormKind == kTabForm && form.TabIndex >= 0 && userFormHost().selectTab)
        userFormHost().selectTab(form.TabIndex);
    m_window->raise();
    m_window->activateWindow();
    if (!fill)
        return;
    for (const auto& control : m_window->Controls())
        if (!form.HotKeyTarget.isEmpty()
            && control->Row()->DbTitle.compare(form.HotKeyTarget, Qt::CaseInsensitive) == 0)
            fillFromHotKey(*control);
}

void TUserFormPort::fillFromHotKey(UserControl& control)
{
    QWidget* focus = QApplication::focusWidget();
    const bool focused = focus && control.OwnsWidget(focus);
    if (control.Row()->typeCode == CT_LOOKUP) {
        if (focused && control.List())
            control.List()->showPopup();
        return;
    }
    control.AutoFill();
    if (!focused)
        return;
    // A key held down repeats: the focus moves on once, not per repeat.
    const qint64 now = hotKeyTicks();
    const bool moveOn = now - g_lastHotKeyFill > kHotKeyRepeatMs;
    g_lastHotKeyFill = now;
    if (moveOn)
        m_window->FocusNeighbour(focus, true,
                                 control.Row()->typeCode == CT_TIMESTAMP && focus == control.ValueControl() ? 2 : 1);
}

void TUserFormPort::ActivateTimers(bool on)
{
    m_window->ActivateTimers(on);
}

QString TUserFormPort::SubTabLabel() const
{
    const TUserFormInfo& form = *m_window->Form();
    if (form.SubTabLabelTitle.isEmpty())
        return QString();
    const UserControl* label = m_window->FindControl(form.SubTabLabelTitle);
    if (!label || label->ShownText().isEmpty())
        return QString();
    return form.SubTabPrefix + label->ShownText();
}

UserControl* TUserFormPort::valueControl(int valueIndex) const
{
    const std::vector<CONTROLTYPEINFO*> rows = m_window->Form()->ValueRows();
    if (valueIndex < 0 || valueIndex >= int(rows.size()))
        return nullptr;
    for (const auto& control : m_window->Controls())
        if (control->Row() == rows[std::size_t(valueIndex)])
            return control.get();
    return nullptr;
}

void TUserFormPort::SetValueText(int valueIndex, const QString& text)
{
    if (UserControl* c = valueControl(valueIndex))
        c->SetText(text);
}

void TUserFormPort::AutoFillValue(int valueIndex)
{
    if (UserControl* c = valueControl(valueIndex))
        c->AutoFill();
}

bool TUserFormPort::StoreFilled(const std::function<void()>& fill)
{
    return m_window->StoreFilled(fill);
}

void TUserFormPort::FillAndStore(bool pollGps)
{
    m_window->FillAndStore(pollGps);
}

void TUserFormPort::SetTableLetter(const QString& letter)
{
    m_window->SetLetter(letter.isEmpty() ? '\0' : char(letter.at(0).toLatin1()));
}

void TUserFormPort::ApplyTopStripRules()
{
    m_window->ApplyTopStripRules();
}

QWidget* TUserFormPort::ReminderBar()
{
    return m_window->ReminderBar();
}

UserFormWindow* MakeUserFormWindow(QWidget* parent, TUserFormInfo& form, bool popup)
{
    auto* window = new TUserForm(parent, &form);
    auto* port = new TUserFormPort(window);
    window->SetupWindow();
    if (!popup)
        window->hide();
    return port;
}

} // namespace velmar::forms
