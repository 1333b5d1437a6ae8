#pragma once
// The form list's view of a TUserForm: a small child object of the window
// that answers what the list, the hot keys and the session-bus input ask of
// it, and the factory that makes form windows with it (installed by
// BindUserForms).
//
// User-interface thread only. The port belongs to its window and dies with it.
#include "forms/UserFormWindows.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace velmar::forms {

class TUserForm;
class UserControl;

class TUserFormPort : public QObject, public UserFormWindow {
public:
    explicit TUserFormPort(TUserForm* window);

    QObject* Object() override;
    TUserFormInfo& Form() override;
    bool HasEdits() const override;
    void ActivateFromHotKey(bool fill) override;
    void ActivateTimers(bool on) override;
    QString SubTabLabel() const override;
    void SetValueText(int valueIndex, const QString& text) override;
    void AutoFillValue(int valueIndex) override;
    bool StoreFilled(const std::function<void()>& fill) override;
    void FillAndStore(bool pollGps) override;
    void SetTableLetter(const QString& letter) override;
    void ApplyTopStripRules() override;
    QWidget* ReminderBar() override;

private:
    UserControl* valueControl(int valueIndex) const;
    // A hot-key target: a look-up with the focus opens its list; another
    // control fills itself, and with the focus in it the focus moves on.
    void fillFromHotKey(UserControl& control);

    TUserForm* m_window;
};

// The tick clock (milliseconds) of the hot-key fills; tests install their
// own, an empty function restores the real one.
void setHotKeyFillTicks(std::function<qint64()> ticks);

// Makes a TUserForm (a pop-up window owned by parent, or a child window of
// parent), sets it up and returns its port.
UserFormWindow* MakeUserFormWindow(QWidget* parent, TUserFormInfo& form, bool popup);

} // namespace velmar::forms
