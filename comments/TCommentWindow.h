#pragma once
// The "Comments" tab: a large-font comment edit, "Store Comment" and "Clear
// Comment", a check box that links a comment to the recording being made, a
// typed time in offline logging, and the list of stored comments with its
// copy menu. In show-data mode only the list.
//
// The panel reaches the program only through CommentPanelContext, so it
// needs nothing of the main window; the main window hands it its messages
// 1065 and 1069 through EvCommentTime and EvRecordingState.
//
// User-interface thread only. Children belong to the panel (Qt parenthood).
#include "comments/CommentText.h"
#include "nav/ShowDataReaders.h"
#include "platform/SystemTime.h"

#include <QFont>
#include <QListWidget>
#include <QTextEdit>
#include <QTreeWidget>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace velmar::comments {

// Run modes as the panel tells them apart.
inline constexpr int PanelOnline = 1;
inline constexpr int PanelShowData = 2;
inline constexpr int PanelOffline = 3;

// Control ids and texts of the panel.
inline constexpr int IdCommentEdit = 31001;
inline constexpr int IdClearComment = 31003;
inline constexpr int IdTimeLabel = 31005;
inline constexpr int IdTimeReadout = 31006;
inline constexpr int IdCommentList = 31007;
inline constexpr int IdLinkCheck = 31008;
inline constexpr int CmCopyAll = 30048;
inline constexpr int CmCopySelection = 30049;
// wParam kinds of message 1065.
inline constexpr int CommentTimeText = 1;
inline constexpr int CommentTimeLock = 2;
inline constexpr int CommentTimeUnlock = 3;
// State of message 1069 that ticks the link box.
inline constexpr int RecordingStateRecording = 2;

struct CommentPanelContext {
    int runMode = PanelOnline;
    int recorderCount = 0;
    QFont displayFont;
    std::function<platform::SystemTime()> programTime;
    // Asks for a fresh GPS reference before a row is stored (command 30057).
    std::function<void()> pollGpsIfDue;
    // Stores one Comments row; false when the insert failed (it has beeped).
    std::function<bool(const platform::SystemTime& time, const QString& comment, const QString& recording)>
        writeComment;
    // A message box with the stop icon; tests record it.
    std::function<void(QWidget* owner, const QString& text, const QString& caption)> showStop;
    // The clipboard; tests read it.
    std::function<void(const QString& text)> setClipboardText;
};

// The copy menu of both lists: "Copy &All" and "Copy &Selection", each greyed
// when it has nothing to copy.
QMenu* MakeCopyMenu(QWidget* parent, bool anyRows, bool anySelected, const std::function<void(bool all)>& copy);

// The comment list: a report view with the columns "Date", "Comment" and
// "Recording".
class TExtListWindow : public QTreeWidget {
    Q_OBJECT
public:
    TExtListWindow(QWidget* parent, int id, std::function<void(const QString&)> setClipboardText);
    void CopyToClipboard(bool all);
    QMenu* CopyMenu(); // owned by the caller

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::function<void(const QString&)> m_setClipboardText;
};

// The plain list's twin, used by the things-heard form.
class TExtListBox : public QListWidget {
    Q_OBJECT
public:
    TExtListBox(QWidget* parent, int id, std::function<void(const QString&)> setClipboardText);
    void CopyToClipboard(bool all);
    QMenu* CopyMenu();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::function<void(const QString&)> m_setClipboardText;
};

// The comment edit: wraps at its width, never scrolls sideways.
class TComment : public QTextEdit {
    Q_OBJECT
public:
    explicit TComment(QWidget* parent);
    // The lines as the edit shows them: a wrapped line counts as several.
    QStringList VisualLines() const;
};

class TCommentWindow : public QWidget, public nav::CommentListSink {
    Q_OBJECT
public:
    TCommentWindow(QWidget* parent, CommentPanelContext context);

    void PlaceInRect(int left, int top, int right, int bottom);
    // Fills the list from the Comments table inside the shown range.
    void LoadComments(nav::ShowDataReader& reader);
    void ClearComments();
    void ShowWindow(int command);
    // Commands: OK (1) stores, 31003 clears, Cancel (2) does nothing.
    void Command(int id);
    // Message 1065 (offline logging's typed time) and 1069 (a recorder's
    // file and state).
    void EvCommentTime(int kind, const QString& text);
    void EvRecordingState(const QString& name, int state);

    void StoreComment();
    void ClearComment();

    void AddCommentRow(int itemData, const QString& time, const QString& comment, const QString& recording) override;

    TComment* CommentEdit() const { return m_comment; }
    QLineEdit* TimeReadout() const { return m_time; }
    QCheckBox* LinkCheck() const { return m_link; }
    TExtListWindow* List() const { return m_list; }
    QString RecordingLinkText() const { return m_recordingLink; }
    bool CommentTimeLocked() const { return m_timeLocked; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    bool Logging() const;
    void Layout();

    CommentPanelContext m_context;
    QLabel* m_timeLabel = nullptr;
    QLineEdit* m_time = nullptr;
    TComment* m_comment = nullptr;
    QPushButton* m_store = nullptr;
    QPushButton* m_clear = nullptr;
    QCheckBox* m_link = nullptr;
    TExtListWindow* m_list = nullptr;
    QString m_recordingLink;
    bool m_timeLocked = false;
};

} // namespace velmar::comments
