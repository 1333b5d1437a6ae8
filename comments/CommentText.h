#pragma once
// The texts of the comment panel that need no window: how a typed line is
// cut into the pieces the Comments table holds, which piece carries the
// recording link, the link name a recorder reports, and the two clipboard
// texts of the copyable lists. Pure functions; any thread.
#include <QString>
#include <QStringList>

#include <vector>

namespace velmar::comments {

// Width of the Comments table's comment column.
inline constexpr int CommentPieceWidth = 100;
// The recording link's longest name, and what a longer one is cut to.
inline constexpr int RecordingLinkWidth = 50;
inline constexpr int RecordingLinkCut = 49;

// The pieces of one line: leading blanks skipped; a rest shorter than 100
// characters is one piece; else the piece ends before the last blank 1 to 99
// characters after its start, or is the next 100 characters when there is
// none; blanks after a piece are skipped. An empty line gives no piece, a
// line of blanks one empty piece.
QStringList SplitCommentLine(const QString& line);

struct CommentRow {
    QString comment;
    QString recording;
    bool operator==(const CommentRow&) const = default;
};
// The Comments rows of a comment given as its lines (as the edit shows
// them): the pieces of every line in order; only the very first piece
// carries the link (empty when the link is off).
std::vector<CommentRow> CommentRowsToStore(const QStringList& lines, const QString& link);

// The name kept from a recorder's report: a name longer than 50 characters
// is cut to its first 49, a shorter one loses its trailing blanks.
QString RecordingLinkName(const QString& reported);

// One row of the comment list as the copy reads it.
struct CommentListRow {
    QString date; // a time, or a ditto mark on continuation rows
    QString comment;
    QString recording;
};
// Each comment on one line: its time, " [name]" when a recording is linked,
// ":", then each of its rows' text after a blank. Rows whose date is 10
// characters or shorter (a ditto mark) continue the line before.
QString ListViewCopyText(const std::vector<CommentListRow>& rows);
// A plain list's items: a line feed before each item, except that an item
// whose first 33 characters are blanks continues the one before.
QString ListBoxCopyText(const QStringList& items);

} // namespace velmar::comments
