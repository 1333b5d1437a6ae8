#pragma once
// How small modal forms are run: through the dialog service (DialogService.h),
// which tests replace and scripted runs bind so that nothing waits.
//
// User-interface thread only.
class QDialog;

namespace velmar::shell::ui {

// Answers true when the form ended with OK.
bool RunForm(QDialog& form);

} // namespace velmar::shell::ui
