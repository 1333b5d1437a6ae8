// The comment panel: how a comment is cut into stored rows, what the list
// shows and copies, the recording link of message 1069 and the typed time of
// offline logging. The database writer and the message box are recorders.
#include "comments/CommentText.h"
#include "comments/TCommentWindow.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>

#include <gtest/gtest.h>

using namespace velmar::comments;
using velmar::platform::SystemTime;

namespace {

QString Words(int length)
{
    // "abcd efgh ..." : a blank after every four letters.
    QString s;
    while (s.size() < length)
        s += (s.size() % 5 == 4) ? QLatin1Char(' ') : QLatin1Char('a' + s.size() % 5);
    return s;
}

TEST(CommentText, LinesAreCutIntoPiecesThatFitTheCommentColumn)
{
    const QString withBlanks = Words(150);
    const int lastBlank = int(withBlanks.lastIndexOf(QLatin1Char(' '), 99));
    struct Case {
        const char* legend;
        QString line;
        QStringList pieces;
    };
    const Case cases[] = {
        {"150 characters with blanks: up to the last blank before 100",
         withBlanks,
         {withBlanks.left(lastBlank), withBlanks.mid(lastBlank + 1)}},
        {"130 without blanks: 100 and 30",
         QString(130, QLatin1Char('x')),
         {QString(100, QLatin1Char('x')), QString(30, QLatin1Char('x'))}},
        {"99 characters: one piece", QString(99, QLatin1Char('y')), {QString(99, QLatin1Char('y'))}},
        {"leading blanks skipped", QStringLiteral("   seal"), {QStringLiteral("seal")}},
        {"blanks only: one empty piece", QStringLiteral("     "), {QString()}},
        {"empty line: nothing", QString(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        const QStringList pieces = SplitCommentLine(c.line);
        EXPECT_EQ(pieces, c.pieces);
        for (const QString& p : pieces)
            EXPECT_LE(p.size(), CommentPieceWidth);
    }
}

TEST(CommentText, OnlyTheFirstPieceCarriesTheRecording)
{
    const std::vector<CommentRow> rows = CommentRowsToStore(
        {QStringLiteral("one"), QString(), QString(120, QLatin1Char('z'))}, QStringLiteral("R1"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (CommentRow{QStringLiteral("one"), QStringLiteral("R1")}));
    EXPECT_EQ(rows[1].recording, QString());
    EXPECT_EQ(rows[2], (CommentRow{QString(20, QLatin1Char('z')), QString()}));
    EXPECT_TRUE(CommentRowsToStore({QString()}, QStringLiteral("R1")).empty());
}

TEST(CommentText, CopiesJoinEachCommentOnOneLine)
{
    const std::vector<CommentListRow> rows{
        {"2026-03-01 10:00:00", "first line", "Rec1"}, {"\"", "second line", ""}, {"2026-03-01 10:05:00", "other", ""}};
    EXPECT_EQ(ListViewCopyText(rows),
              QStringLiteral("2026-03-01 10:00:00 [Rec1]: first line second line\n2026-03-01 10:05:00: other"));
    // A selection that starts on a ditto row.
    EXPECT_EQ(ListViewCopyText({rows[1], rows[2]}), QStringLiteral(" second line\n2026-03-01 10:05:00: other"));
    EXPECT_EQ(ListBoxCopyText({QStringLiteral("10:00 Dolphins"), QString(33, QLatin1Char(' ')) + QStringLiteral("more"),
                               QStringLiteral("10:05 Seal")}),
              QStringLiteral("\n10:00 Dolphinsmore\n10:05 Seal"));
}

struct Recorded {
    struct Row {
        QString time, comment, recording;
    };
    std::vector<Row> rows;
    QStringList messages;
    QString clipboard;
    int polls = 0;
};

CommentPanelContext Context(Recorded& r, int runMode, int recorders = 1)
{
    CommentPanelContext c;
    c.runMode = runMode;
    c.recorderCount = recorders;
    c.programTime = [] {
        SystemTime t;
        t.wYear = 2026, t.wMonth = 3, t.wDay = 1, t.wHour = 10, t.wMinute = 20, t.wSecond = 30;
        return t;
    };
    c.pollGpsIfDue = [&r] { ++r.polls; };
    c.writeComment = [&r](const SystemTime& t, const QString& comment, const QString& recording) {
        r.rows.push_back({QStringLiteral("%1-%2-%3 %4:%5:%6")
                              .arg(t.wYear)
                              .arg(t.wMonth, 2, 10, QLatin1Char('0'))
                              .arg(t.wDay, 2, 10, QLatin1Char('0'))
                              .arg(t.wHour, 2, 10, QLatin1Char('0'))
                              .arg(t.wMinute, 2, 10, QLatin1Char('0'))
                              .arg(t.wSecond, 2, 10, QLatin1Char('0')),
                          comment, recording});
        return true;
    };
    c.showStop = [&r](QWidget*, const QString& text, const QString& caption) { r.messages << caption + ": " + text; };
    c.setClipboardText = [&r](const QString& text) { r.clipboard = text; };
    return c;
}

QStringList ListRows(const TCommentWindow& panel)
{
    QStringList out;
    for (int i = 0; i < panel.List()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = panel.List()->topLevelItem(i);
        out << item->text(0) + "|" + item->text(1) + "|" + item->text(2);
    }
    return out;
}

TEST(CommentPanel, AThreeLineLinkedCommentShowsAndStoresTheRecordingOnce)
{
    Recorded r;
    TCommentWindow panel(nullptr, Context(r, PanelOnline));
    panel.resize(900, 600);
    // A recorder's report: a 60-character name shows its first 49.
    const QString name = QStringLiteral("D20260301/") + QString(50, QLatin1Char('n'));
    panel.EvRecordingState(name, RecordingStateRecording);
    EXPECT_EQ(panel.RecordingLinkText(), name.left(49));
    EXPECT_EQ(panel.LinkCheck()->text(), QStringLiteral("Link to recording ") + name.left(49));
    EXPECT_TRUE(panel.LinkCheck()->isChecked());

    panel.CommentEdit()->setPlainText(QStringLiteral("Three dolphins\nbow riding\nheading north"));
    panel.Command(1);
    const QString link = name.left(49);
    EXPECT_EQ(ListRows(panel),
              (QStringList{"2026-03-01 10:20:30|Three dolphins|" + link, "\"|bow riding|", "\"|heading north|"}));
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[0].recording, link);
    EXPECT_EQ(r.rows[1].recording, QString());
    EXPECT_EQ(r.rows[2].comment, QStringLiteral("heading north"));
    EXPECT_EQ(r.rows[0].time, QStringLiteral("2026-03-01 10:20:30"));
    EXPECT_EQ(r.polls, 3);
    EXPECT_TRUE(panel.CommentEdit()->toPlainText().isEmpty());

    // The report of a stopped recorder clears the box; a short name loses
    // its trailing blanks.
    panel.EvRecordingState(QStringLiteral("Rec2   "), 1);
    EXPECT_EQ(panel.RecordingLinkText(), QStringLiteral("Rec2"));
    EXPECT_FALSE(panel.LinkCheck()->isChecked());

    // An empty comment: one list row, nothing stored.
    panel.Command(1);
    EXPECT_EQ(ListRows(panel).first(), QStringLiteral("2026-03-01 10:20:30||"));
    EXPECT_EQ(r.rows.size(), 3u);

    // Copying everything: the newest comment first.
    panel.List()->CopyToClipboard(true);
    EXPECT_TRUE(r.clipboard.startsWith(QStringLiteral("2026-03-01 10:20:30: \n2026-03-01 10:20:30 [")));
    // Cancel leaves the panel as it is.
    panel.show();
    panel.Command(2);
    EXPECT_TRUE(panel.isVisible());
}

// Columns follow the list's width from the first showing: a panel laid out
// on a hidden tab left them a few pixels wide ("Dat", "Comme").
TEST(CommentPanel, ColumnsShareTheListsWidthFromTheFirstShowing)
{
    Recorded r;
    TCommentWindow panel(nullptr, Context(r, PanelOnline));
    panel.resize(1000, 600);
    panel.show();
    const int width = panel.List()->width();
    EXPECT_GT(panel.List()->columnWidth(1), width / 2);
    EXPECT_GT(panel.List()->columnWidth(0), width / 6);
}

TEST(CommentPanel, AWrappedLineIsStoredAsTheLinesTheEditShows)
{
    Recorded r;
    TCommentWindow panel(nullptr, Context(r, PanelOnline, 0));
    panel.resize(300, 600);
    panel.show();
    EXPECT_EQ(panel.LinkCheck(), nullptr); // no recorder, no link box
    panel.CommentEdit()->setPlainText(Words(120));
    const QStringList lines = panel.CommentEdit()->VisualLines();
    ASSERT_GT(lines.size(), 1);
    EXPECT_EQ(lines.join(QString()), Words(120));
    panel.Command(1);
    EXPECT_EQ(r.rows.size(), std::size_t(lines.size()));
    EXPECT_EQ(panel.List()->topLevelItemCount(), lines.size());
}

TEST(CommentPanel, OfflineCommentsTakeTheTypedTimeWhenItIsADate)
{
    Recorded r;
    TCommentWindow panel(nullptr, Context(r, PanelOffline));
    ASSERT_NE(panel.TimeReadout(), nullptr);
    panel.CommentEdit()->setPlainText(QStringLiteral("Whistles"));
    panel.TimeReadout()->setText(QStringLiteral("2026-02-29 10:00:00"));
    panel.Command(1);
    EXPECT_EQ(r.messages, QStringList{"Invalid Comment Time String: 2026-02-29 10:00:00"});
    EXPECT_TRUE(r.rows.empty());
    EXPECT_EQ(panel.List()->topLevelItemCount(), 0);
    EXPECT_EQ(panel.CommentEdit()->toPlainText(), QStringLiteral("Whistles"));

    // The main window drives the time (1065 kind 1 and 2): storing keeps it;
    // "Clear Comment" empties it all the same.
    panel.EvCommentTime(CommentTimeText, QStringLiteral("2028-02-29 23:59:59"));
    panel.EvCommentTime(CommentTimeLock, QString());
    panel.Command(1);
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0].time, QStringLiteral("2028-02-29 23:59:59"));
    EXPECT_EQ(panel.TimeReadout()->text(), QStringLiteral("2028-02-29 23:59:59"));
    panel.Command(IdClearComment);
    EXPECT_TRUE(panel.TimeReadout()->text().isEmpty());
    panel.EvCommentTime(CommentTimeUnlock, QString());
    EXPECT_FALSE(panel.CommentTimeLocked());
}

TEST(CommentPanel, ShowDataHasOnlyTheListAndItsCopyMenuKnowsWhatItCanCopy)
{
    Recorded r;
    TCommentWindow panel(nullptr, Context(r, PanelShowData));
    EXPECT_EQ(panel.CommentEdit(), nullptr);
    EXPECT_EQ(panel.LinkCheck(), nullptr);
    auto enabled = [&panel] {
        std::unique_ptr<QMenu> menu(panel.List()->CopyMenu());
        QStringList out;
        for (QAction* a : menu->actions())
            out << a->text() + (a->isEnabled() ? "+" : "-");
        return out;
    };
    EXPECT_EQ(enabled(), (QStringList{"Copy &All-", "Copy &Selection-"}));
    panel.AddCommentRow(0, QStringLiteral("2026-03-01 10:00:00"), QStringLiteral("first"), QStringLiteral("R"));
    panel.AddCommentRow(1, QString(), QStringLiteral("second"), QString());
    EXPECT_EQ(enabled(), (QStringList{"Copy &All+", "Copy &Selection-"}));
    panel.List()->topLevelItem(1)->setSelected(true);
    EXPECT_EQ(enabled(), (QStringList{"Copy &All+", "Copy &Selection+"}));
    panel.List()->CopyToClipboard(false);
    EXPECT_EQ(r.clipboard, QStringLiteral(" second"));
    panel.ClearComments();
    EXPECT_EQ(panel.List()->topLevelItemCount(), 0);
}

} // namespace
