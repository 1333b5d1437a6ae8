#pragma once
// The one seam through which the data layer talks to the operator.
//
// The data layer links no widgets: its message boxes, beeps and the small
// "Checking Database Tables" window go through a DbMessageSink. The programs
// install one that shows real message boxes (store/ui/QtDbMessageSink.h);
// tests install a recorder. Without a sink, messages are logged.
//
// User-interface thread only. The sink is not owned by the data layer; it must
// outlive its installation (pass nullptr to remove it).
#include <QLoggingCategory>
#include <QString>

class QObject;

Q_DECLARE_LOGGING_CATEGORY(lcStore)

namespace velmar::store {

enum class DbIcon { None, Stop, Exclamation, Information };

class DbMessageSink {
public:
    virtual ~DbMessageSink() = default;
    // A modal box with an OK button. `owner` is the window that should own the
    // box, or nullptr for a box without owner.
    virtual void showMessage(QObject* owner, const QString& text, const QString& caption, DbIcon icon) = 0;
    // The system's default sound (a failed insert).
    virtual void beep() {}
    // The modeless progress window of the fixed-table check.
    virtual void beginTableCheck() {}
    virtual void setTableCheckText(const QString& text) {}
    virtual void endTableCheck() {}
};

void setDbMessageSink(DbMessageSink* sink);
DbMessageSink* dbMessageSink();

// Shortcuts that go to the installed sink, or to the log without one.
void DbMessage(QObject* owner, const QString& text, const QString& caption, DbIcon icon = DbIcon::None);
void DbBeep();

} // namespace velmar::store
