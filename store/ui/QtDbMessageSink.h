#pragma once
// The data layer's messages as real message boxes, beeps and the table-check
// window. A program makes one at start and installs it with
// setDbMessageSink; it must outlive every use of the data layer.
// User-interface thread only.
#include "store/DbMessages.h"

#include <memory>

namespace velmar::store {

class CheckTableDialog;

class QtDbMessageSink : public DbMessageSink {
public:
    QtDbMessageSink();
    ~QtDbMessageSink() override;

    // A message box with an OK button; an empty caption takes the program's
    // display name, as the application's own message boxes do.
    void showMessage(QObject* owner, const QString& text, const QString& caption, DbIcon icon) override;
    void beep() override;
    void beginTableCheck() override;
    void setTableCheckText(const QString& text) override;
    void endTableCheck() override;

    // The table-check window while a check runs, else nullptr.
    CheckTableDialog* checkDialog() const { return m_checkDialog.get(); }

private:
    std::unique_ptr<CheckTableDialog> m_checkDialog;
};

} // namespace velmar::store
