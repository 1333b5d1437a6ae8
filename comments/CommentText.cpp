#include "comments/CommentText.h"

namespace velmar::comments {

namespace {

// Widths the copies read cells and items to.
constexpr int kDateCellWidth = 40;
constexpr int kCommentCellWidth = 148;
constexpr int kRecordingCellWidth = 49;
constexpr int kItemWidth = 187;
constexpr int kContinuationBlanks = 33;
// A date cell longer than this is a time, not a ditto mark.
constexpr int kDittoWidth = 10;

qsizetype SkipBlanks(const QString& text, qsizetype from)
{
    while (from < text.size() && text.at(from) == QLatin1Char(' '))
        ++from;
    return from;
}

QString TrimmedRight(QString text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).isSpace())
        --n;
    text.truncate(n);
    return text;
}

} // namespace

QStringList SplitCommentLine(const QString& line)
{
    QStringList pieces;
    if (line.isEmpty())
        return pieces;
    qsizetype pos = SkipBlanks(line, 0);
    if (pos >= line.size())
        return {QString()};
    while (pos < line.size()) {
        const qsizetype rest = line.size() - pos;
        qsizetype end;
        if (rest < CommentPieceWidth) {
            end = line.size();
        } else {
            const qsizetype blank = line.lastIndexOf(QLatin1Char(' '), pos + CommentPieceWidth - 1);
            end = blank >= pos + 1 ? blank : pos + CommentPieceWidth;
        }
        pieces << line.mid(pos, end - pos);
        pos = SkipBlanks(line, end);
    }
    return pieces;
}

std::vector<CommentRow> CommentRowsToStore(const QStringList& lines, const QString& link)
{
    std::vector<CommentRow> rows;
    for (const QString& line : lines)
        for (const QString& piece : SplitCommentLine(line))
            rows.push_back({piece, rows.empty() ? link : QString()});
    return rows;
}

QString RecordingLinkName(const QString& reported)
{
    if (reported.size() > RecordingLinkWidth)
        return reported.left(RecordingLinkCut);
    return TrimmedRight(reported);
}

QString ListViewCopyText(const std::vector<CommentListRow>& rows)
{
    QString text;
    bool first = true;
    for (const CommentListRow& row : rows) {
        const QString date = row.date.left(kDateCellWidth);
        const QString recording = row.recording.left(kRecordingCellWidth);
        if (date.size() > kDittoWidth) {
            if (!first)
                text += QLatin1Char('\n');
            text += date;
            if (!recording.isEmpty())
                text += QStringLiteral(" [") + recording + QLatin1Char(']');
            text += QLatin1Char(':');
        }
        text += QLatin1Char(' ') + row.comment.left(kCommentCellWidth);
        first = false;
    }
    return text;
}

QString ListBoxCopyText(const QStringList& items)
{
    QString text;
    const QString blanks(kContinuationBlanks, QLatin1Char(' '));
    for (const QString& whole : items) {
        const QString item = whole.left(kItemWidth);
        if (item.startsWith(blanks))
            text += item.mid(kContinuationBlanks);
        else
            text += QLatin1Char('\n') + item;
    }
    return text;
}

} // namespace velmar::comments
