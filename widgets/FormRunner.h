#pragma once
// How small modal forms are run: through the runner the program installs
// (tests answer it, scripted runs never wait on it), else with exec().
//
// User-interface thread only.
#include <functional>

class QDialog;

namespace velmar::shell::ui {

// Answers true when the form ended with OK.
using FormRunner = std::function<bool(QDialog& form)>;
void setFormRunner(FormRunner runner);
bool RunForm(QDialog& form);

} // namespace velmar::shell::ui
