#pragma once
// The program log: one process-wide text file of lines ending in CR LF. Only
// Mavrel opens one; in a program that never opens it every write writes
// nothing. Any thread may call these; a lock keeps lines whole.
#include <QString>

namespace velmar::deck {

// Opens (append: at its end, else emptied) the log; false when it cannot be
// opened, and the log stays closed.
bool OpenLogFile(const QString& path, bool append);
// Writes the text as a line, after "YYYY-MM-DD hh:mm:ss - " of the current
// UTC time when withTime is set; false when no log is open.
bool WriteLogLine(const QString& text, bool withTime);
void CloseLogFile();

} // namespace velmar::deck
