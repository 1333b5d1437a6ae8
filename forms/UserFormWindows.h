#pragma once
// The open windows of the user forms as the rest of the program sees them:
// what the form list, the hot keys, the session-bus input and the GPS store
// need of a form window (UserFormWindow), the windows of each form in the
// order they opened (TFormList), and the tab-form windows in creation order.
//
// A window joins its form's list when the form list opens it and leaves it
// when its object is destroyed, so a closed pop-up is never reached again.
//
// User-interface thread only. The lists own nothing: windows belong to their
// Qt parents.
#include "forms/UserFormInfo.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QWidget;

namespace velmar::forms {

class UserFormWindow {
public:
    virtual ~UserFormWindow() = default;
    // The window's object; its destruction removes it from the lists.
    virtual QObject* Object() = 0;
    virtual TUserFormInfo& Form() = 0;
    // True while the window shows edits the operator has not stored.
    virtual bool HasEdits() const = 0;
    // Brings the window forward (a tab window asks the main window for its
    // tab); with fill, the hot-key target controls are filled.
    virtual void ActivateFromHotKey(bool fill) = 0;
    virtual void ActivateTimers(bool on) = 0;
    // The sub-tab label: the label prefix and the value of the label control.
    virtual QString SubTabLabel() const = 0;
    // One value control (in ValueRows order): its text, or its automatic fill.
    virtual void SetValueText(int valueIndex, const QString& text) = 0;
    virtual void AutoFillValue(int valueIndex) = 0;
    // Runs fill (SetValueText, AutoFillValue) and stores the record now, as
    // if the operator pressed Enter (validation included). True once the row
    // is stored; false with nothing stored and every control put back as it
    // was before fill. Messages the store shows come after the caller has
    // returned, so a bus client is answered without waiting for an operator.
    virtual bool StoreFilled(const std::function<void()>& fill) = 0;
    // Fills every automatic field and stores.
    virtual void FillAndStore(bool pollGps) = 0;
    // The letter that tells apart windows storing into one table ("A", "B"...).
    virtual void SetTableLetter(const QString& letter) = 0;
    // The read-only and timer rules again, after the top strip came to
    // mirror some of the controls (those with an AutoUpdate refresh always).
    virtual void ApplyTopStripRules() {}
    // The save-reminder bar the main window stacks at its top, or null.
    virtual QWidget* ReminderBar() { return nullptr; }

    int SubTabIndex = -1;
};

// TFormList: the open windows of one form.
void AddFormWindow(TUserFormInfo& form, UserFormWindow* window);
void RemoveFormWindow(UserFormWindow* window);
// The n-th open window of the form, or null out of range.
UserFormWindow* GetFormWindow(const TUserFormInfo& form, int n);
int FormWindowCount(const TUserFormInfo& form);
// Every tab-form window, in creation order.
const std::vector<UserFormWindow*>& TabFormWindows();
void AddTabFormWindow(UserFormWindow* window);

} // namespace velmar::forms
