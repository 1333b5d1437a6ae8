#pragma once
// The strip of read-outs above the main window's tabs: the survey designer
// names, in the table UDC_TopControls, form fields whose values the
// observers should see whichever tab is open. Each named field gets a title
// and a read-only edit; the form's controls copy every value they show or
// store into that edit. "NEWLINE" and "NEWCOLUMN" rows shape the strip.
//
// User-interface thread only. The strip's widgets belong to the window they
// are made on; the definition rows only point at them, and ClearTopControls
// removes those pointers (and the widgets) before the forms go.
#include <QPoint>
#include <QString>

class QWidget;

namespace velmar::forms {

class UserControl;

inline constexpr const char* kTopControlsTable = "UDC_TopControls";
inline constexpr int kTopControlTextWidth = 50;
// The strip never shows fewer than this many characters less one.
inline constexpr int kTopStripMinChars = 128;

// Builds the strip on parent from origin (after the forms are loaded): rows
// naming a form or field that does not exist are skipped; a query that fails
// is shown with caption "Error in Form Definition Table" and builds nothing.
// Returns the number of fields mirrored.
int CreateTopControls(QWidget* parent, const QPoint& origin);
// Deletes the strip's widgets and unhooks them from the definition rows.
void ClearTopControls();

// What the strip shows for a control: its text, date and time for a time
// stamp, the list's selected line for a look-up, "true" or "false" for a
// check box; cut to one character less than the larger of the row's Length
// and 128.
QString TopStripText(const UserControl& control);

} // namespace velmar::forms
