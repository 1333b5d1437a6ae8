#pragma once
// The one counter of control ids that the user forms and the button panels
// share. Ids start at 33000, above the main window's menu commands; the
// counter steps over the ranges of the main window's other fixed command ids
// (the form menu's Font and Colour commands, the button-settings entries, the
// static-object groups and the look-up dialog's Apply), so that a window with
// many controls can never send a command that the main window takes for one
// of its own.
//
// User-interface thread only.

namespace velmar::forms {

inline constexpr int kFirstControlId = 33000;

// A fixed command id that no control may carry.
bool IsFixedCommandId(int id);

// Reserves `count` consecutive ids (count >= 1) none of which is a fixed
// command id, and returns the first. Ids are never handed out twice.
int NextControlIds(int count = 1);

// Starts the counter again at kFirstControlId (tests only).
void ResetControlIds();

} // namespace velmar::forms
