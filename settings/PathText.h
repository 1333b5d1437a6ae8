#pragma once
// Two small text routines of the main program's entry point, launcher and
// user forms. Pure functions, any thread.
#include <QString>

namespace velmar::pipeserver {

// Appends a carriage return and a line feed.
void AppendCrLf(QString& text);

// Splits a path with exactly one "." into folder (before the last path
// separator, "\" or "/"; empty without one), name and extension, each cut to
// nothing when it would not fit its size with a terminator. False when the
// path has no "." or more than one, or a part does not fit; parts taken before
// a failure stay written.
bool SplitFilePath(const QString& path, QString& folder, int folderSize, QString& name, int nameSize,
                   QString& extension, int extensionSize);

} // namespace velmar::pipeserver
