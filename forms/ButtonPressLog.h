#pragma once
// The press log of one button panel: a table named after the panel (template
// ButtonData) with one row per press, stamped with the program time and the
// GPS reference of the newest fix. The insert is prepared on the first press
// and kept for the panel's life.
//
// User-interface thread only.
#include "platform/SystemTime.h"

#include <QString>

#include <memory>

namespace velmar::store {
class TableInserter;
}

namespace velmar::forms {

class ButtonPressLog {
public:
    // Makes or completes the table and reads the last press index.
    explicit ButtonPressLog(const QString& logName);
    ~ButtonPressLog();
    ButtonPressLog(const ButtonPressLog&) = delete;
    ButtonPressLog& operator=(const ButtonPressLog&) = delete;

    const QString& Name() const { return m_name; }
    // The "Index" of the last stored press (0 for an empty log).
    int PressIndex() const { return m_pressIndex; }

    // Asks for a GPS poll (a fix that fell due since the press began is
    // taken), then stores the press with the newest GPS reference. A refused
    // insert beeps and leaves the press index where it was; false then.
    bool Write(const platform::SystemTime& pressTime, const QString& code, bool external, int recordingIndex);

private:
    QString m_name;
    int m_pressIndex = 0;
    std::unique_ptr<store::TableInserter> m_insert;
};

} // namespace velmar::forms
