#pragma once
// The main program's hot-key service: the Ctrl hot keys of the user forms and
// button panels as application-wide shortcuts. A key works while any window
// of the program has the keyboard focus (not system-wide, as on the desktop
// the suite was first written for); its id is reported through hotKeyPressed
// for the main window to offer to the panels, then to the forms.
//
// Like the desktop hot keys the design relied on, a registered key beats the
// standard keys of the focused control (Ctrl+X is not "cut" in an edit while
// a form has taken it).
//
// A key is had once: a second registration of the same key code is refused,
// and the caller reports it ("already in use by another form").
//
// User-interface thread only. The shortcuts are children of the window given
// at construction (the main window: Qt offers a shortcut only while its
// window is shown) and die with it or with the service.
#include "forms/UserFormInfo.h"

#include <QKeySequence>
#include <QObject>
#include <QPointer>

#include <map>

class QShortcut;
class QWidget;

namespace velmar::forms {

class HotKeyService : public QObject, public HotKeyRegistrar {
    Q_OBJECT
public:
    explicit HotKeyService(QWidget* window);
    ~HotKeyService() override;

    // Ctrl + the key of a virtual-key code (HotKeyCodeFromText). False when
    // the id or the key is already registered or the code names no key.
    bool registerHotKey(int id, int code) override;
    void unregisterHotKey(int id) override;
    bool isRegistered(int id) const;
    // The key sequence registered under id; empty when none.
    QKeySequence sequenceOf(int id) const;

    // The key sequence of a virtual-key code with Ctrl; empty when none.
    static QKeySequence SequenceOfCode(int code);

signals:
    void hotKeyPressed(int id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    std::map<int, QPointer<QShortcut>> m_shortcuts;
};

} // namespace velmar::forms
