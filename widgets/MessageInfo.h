#pragma once
// Modeless message and progress boxes for long operations that keep the
// user-interface thread busy (reading a map file, setting up counters). Each
// box exists at most once per process, is made on first use and stays up
// until closed. These functions are the only way to reach them; the pipe
// server links them too.
//
// User-interface thread only. The boxes belong to this module; a box whose
// owner window is destroyed goes with it and is made anew on the next show.
#include <QString>

#include <optional>

class QWidget;

namespace velmar::shell {

// Shows text in the message box, making the box (parented to owner,
// captioned with the program file's path) on the first call.
void ShowMessageInfo(QWidget* owner, const QString& text);
void CloseMessageInfo();

// Makes the progress box with caption, range and label text when there is
// none (parented to owner); otherwise only takes the new range. Then shows it
// and sets position and text as UpdateProgressInfo does.
void ShowProgressInfo(QWidget* owner, int minimum, int maximum, int position, const std::optional<QString>& text,
                      const std::optional<QString>& caption);
// Sets the bar's position and, when given, the label's text. Nothing without
// a box.
void UpdateProgressInfo(int position, const std::optional<QString>& text);
void CloseProgressInfo();

// The boxes, or null (for tests and for callers that place them).
QWidget* MessageInfoBox();
QWidget* ProgressInfoBox();

} // namespace velmar::shell
