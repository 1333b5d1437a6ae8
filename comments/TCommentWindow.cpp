#include "comments/TCommentWindow.h"

#include "platform/DateTimeText.h"

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>

namespace velmar::comments {

namespace {

// The property the program's other controls carry their ids in.
const char* const kControlIdProperty = "velmarControlId";
constexpr int kTimeTextWidth = 21;
constexpr int kInitialColumnWidth = 140;
constexpr int kEditFontHeight = 24;
constexpr int kMargin = 5;
constexpr int kTopMargin = 6;
constexpr int kRectInset = 2;
const QString kDitto = QStringLiteral("\"");

void SetId(QWidget* w, int id)
{
    w->setProperty(kControlIdProperty, id);
}

} // namespace

QMenu* MakeCopyMenu(QWidget* parent, bool anyRows, bool anySelected, const std::function<void(bool all)>& copy)
{
    auto* menu = new QMenu(parent);
    QAction* all = menu->addAction(QStringLiteral("Copy &All"));
    all->setData(CmCopyAll);
    all->setEnabled(anyRows);
    QAction* selection = menu->addAction(QStringLiteral("Copy &Selection"));
    selection->setData(CmCopySelection);
    selection->setEnabled(anySelected);
    QObject::connect(all, &QAction::triggered, menu, [copy] { copy(true); });
    QObject::connect(selection, &QAction::triggered, menu, [copy] { copy(false); });
    return menu;
}

// ---- the lists

TExtListWindow::TExtListWindow(QWidget* parent, int id, std::function<void(const QString&)> setClipboardText)
    : QTreeWidget(parent), m_setClipboardText(std::move(setClipboardText))
{
    SetId(this, id);
    setColumnCount(3);
    setHeaderLabels({QStringLiteral("Date"), QStringLiteral("Comment"), QStringLiteral("Recording")});
    header()->setSectionsClickable(false);
    setSortingEnabled(false);
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (int c = 0; c < 3; ++c)
        setColumnWidth(c, kInitialColumnWidth);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    setPalette(p);
}

void TExtListWindow::CopyToClipboard(bool all)
{
    std::vector<CommentListRow> rows;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = topLevelItem(i);
        if (all || item->isSelected())
            rows.push_back({item->text(0), item->text(1), item->text(2)});
    }
    if (m_setClipboardText)
        m_setClipboardText(ListViewCopyText(rows));
}

QMenu* TExtListWindow::CopyMenu()
{
    return MakeCopyMenu(this, topLevelItemCount() > 0, !selectedItems().isEmpty(),
                        [this](bool all) { CopyToClipboard(all); });
}

void TExtListWindow::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = CopyMenu();
    menu->exec(event->globalPos());
    delete menu;
}

TExtListBox::TExtListBox(QWidget* parent, int id, std::function<void(const QString&)> setClipboardText)
    : QListWidget(parent), m_setClipboardText(std::move(setClipboardText))
{
    SetId(this, id);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void TExtListBox::CopyToClipboard(bool all)
{
    QStringList items;
    for (int i = 0; i < count(); ++i)
        if (all || item(i)->isSelected())
            items << item(i)->text();
    if (m_setClipboardText)
        m_setClipboardText(ListBoxCopyText(items));
}

QMenu* TExtListBox::CopyMenu()
{
    return MakeCopyMenu(this, count() > 0, !selectedItems().isEmpty(), [this](bool all) { CopyToClipboard(all); });
}

void TExtListBox::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = CopyMenu();
    menu->exec(event->globalPos());
    delete menu;
}

// ---- the edit

TComment::TComment(QWidget* parent) : QTextEdit(parent)
{
    SetId(this, IdCommentEdit);
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShadow(QFrame::Sunken);
    QFont f(QStringLiteral("Univers"));
    f.setBold(true);
    f.setPixelSize(kEditFontHeight);
    setFont(f);
}

QStringList TComment::VisualLines() const
{
    QTextDocument* doc = document();
    // A hidden edit has not laid its text out at its width yet (a comment
    // stored while another tab is shown).
    if (!isVisible())
        doc->setTextWidth(contentsRect().width());
    // Lays out the whole document at the edit's width now.
    doc->documentLayout()->documentSize();
    QStringList lines;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        const QString text = block.text();
        if (!layout || layout->lineCount() == 0) {
            lines << text;
            continue;
        }
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            // The blank a line wraps at belongs to the line it ends.
            lines << text.mid(line.textStart(), line.textLength());
        }
    }
    return lines;
}

// ---- the panel

TCommentWindow::TCommentWindow(QWidget* parent, CommentPanelContext context)
    : QWidget(parent), m_context(std::move(context))
{
    setAutoFillBackground(true);
    setFont(m_context.displayFont);
    if (m_context.runMode == PanelOffline) {
        m_timeLabel = new QLabel(QStringLiteral("Time (GMT:)"), this);
        m_timeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        SetId(m_timeLabel, IdTimeLabel);
        m_time = new QLineEdit(this);
        SetId(m_time, IdTimeReadout);
    }
    if (Logging()) {
        m_comment = new TComment(this);
        m_store = new QPushButton(QStringLiteral("Store Comment"), this);
        m_store->setDefault(true);
        SetId(m_store, 1);
        m_clear = new QPushButton(QStringLiteral("Clear Comment"), this);
        SetId(m_clear, IdClearComment);
        connect(m_store, &QPushButton::clicked, this, [this] { Command(1); });
        connect(m_clear, &QPushButton::clicked, this, [this] { Command(IdClearComment); });
        if (m_context.recorderCount != 0) {
            m_link = new QCheckBox(QStringLiteral("Link to Recording ..."), this);
            SetId(m_link, IdLinkCheck);
        }
    }
    m_list = new TExtListWindow(this, IdCommentList, m_context.setClipboardText);
    Layout();
}

bool TCommentWindow::Logging() const
{
    return m_context.runMode == PanelOnline || m_context.runMode == PanelOffline;
}

void TCommentWindow::PlaceInRect(int left, int top, int right, int bottom)
{
    setGeometry(QRect(QPoint(left + kRectInset, top + kRectInset), QPoint(right - kRectInset, bottom - kRectInset)));
}

void TCommentWindow::LoadComments(nav::ShowDataReader& reader)
{
    reader.DbLoadComments(*this);
}

void TCommentWindow::ClearComments()
{
    m_list->clear();
}

void TCommentWindow::AddCommentRow(int itemData, const QString& time, const QString& comment, const QString& recording)
{
    auto* item = new QTreeWidgetItem({time, comment, recording});
    item->setData(0, Qt::UserRole, itemData);
    m_list->addTopLevelItem(item);
}

void TCommentWindow::ShowWindow(int command)
{
    constexpr int ShowCommand = 5;
    setVisible(command != 0);
    if (command != ShowCommand || !m_comment)
        return;
    if (m_time)
        m_time->setFocus();
    else
        m_comment->setFocus();
}

void TCommentWindow::Command(int id)
{
    if (id == 1 && m_comment)
        StoreComment();
    else if (id == IdClearComment && m_comment) {
        ClearComment();
        if (m_time)
            m_time->clear();
    }
}

void TCommentWindow::EvCommentTime(int kind, const QString& text)
{
    if (!m_time)
        return;
    if (kind == CommentTimeText)
        m_time->setText(text);
    else if (kind == CommentTimeLock)
        m_timeLocked = true;
    else if (kind == CommentTimeUnlock) {
        m_time->clear();
        m_timeLocked = false;
    }
}

void TCommentWindow::EvRecordingState(const QString& name, int state)
{
    if (!m_link)
        return;
    m_recordingLink = RecordingLinkName(name);
    m_link->setText(QStringLiteral("Link to recording %1").arg(m_recordingLink));
    m_link->setChecked(state == RecordingStateRecording);
}

void TCommentWindow::StoreComment()
{
    platform::SystemTime time;
    if (m_context.runMode == PanelOffline) {
        const QString typed = m_time ? m_time->text().left(kTimeTextWidth) : QString();
        time = platform::ParseTimeStamp(typed);
        if (!platform::CheckSystemTime(time)) {
            if (m_context.showStop)
                m_context.showStop(this, typed, QStringLiteral("Invalid Comment Time String"));
            if (m_time)
                m_time->setFocus();
            return;
        }
    } else if (m_context.programTime) {
        time = m_context.programTime();
    }
    const QString stamp = platform::FormatTimeStamp(time);
    // A hidden panel has not had its resize yet: its edit's width follows
    // the panel's now, so the lines are those the operator will see.
    if (!isVisible())
        Layout();
    const bool linked = m_link && m_link->isChecked();
    const QStringList lines = m_comment->VisualLines();

    // Newest comment at the top, its lines in order.
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const bool firstLine = i == 0;
        auto* item = new QTreeWidgetItem(
            {firstLine ? stamp : kDitto, lines[i], firstLine && linked ? m_recordingLink : QString()});
        m_list->insertTopLevelItem(0, item);
    }
    m_list->verticalScrollBar()->setValue(0);

    const std::vector<CommentRow> rows = CommentRowsToStore(lines, linked ? m_recordingLink : QString());
    for (const CommentRow& row : rows) {
        if (m_context.pollGpsIfDue)
            m_context.pollGpsIfDue();
        // A failed insert has beeped; the next piece is still written.
        if (m_context.writeComment)
            m_context.writeComment(time, row.comment, row.recording);
    }
    ClearComment();
}

void TCommentWindow::ClearComment()
{
    if (!m_comment)
        return;
    m_comment->clear();
    if (m_context.runMode == PanelOffline && !m_timeLocked && m_time) {
        m_time->clear();
        m_time->setFocus();
    } else {
        m_comment->setFocus();
    }
}

void TCommentWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Layout();
}

void TCommentWindow::Layout()
{
    const QRect c = rect();
    const QFontMetrics fm(m_context.displayFont);
    const int h = fm.height();
    const int w = fm.averageCharWidth();
    const int l = c.left(), t = c.top(), r = c.right() + 1, b = c.bottom() + 1;
    if (Logging() && m_comment) {
        int editTop = t + kTopMargin;
        if (m_time) {
            m_timeLabel->setGeometry(l + kMargin, t + kTopMargin, 15 * w, h + 8);
            m_time->setGeometry(l + kMargin + 16 * w, t + kTopMargin, 26 * w, h + 8);
            editTop += 2 * h;
        }
        const int editBottom = std::max(editTop, b / 2 - 2 * h);
        m_comment->setGeometry(QRect(QPoint(l + kMargin, editTop), QPoint(r - kMargin, editBottom)));
        const int rowTop = editBottom + h;
        const int buttonWidth = 30 * w;
        const int gap = buttonWidth / 4;
        m_store->setGeometry(l + kMargin, rowTop, buttonWidth, 2 * h);
        const int clearLeft = l + kMargin + buttonWidth + gap;
        m_clear->setGeometry(clearLeft, rowTop, buttonWidth, 2 * h);
        if (m_link) {
            const int linkLeft = clearLeft + buttonWidth + gap;
            m_link->setGeometry(linkLeft, rowTop, std::max(0, r - kMargin - linkLeft), 2 * h);
        }
        m_list->setGeometry(QRect(QPoint(l + kMargin, editBottom + 4 * h), QPoint(r - kMargin, b - kTopMargin)));
    } else {
        m_list->setGeometry(QRect(QPoint(l + kMargin, t + kTopMargin), QPoint(r - kMargin, b - kTopMargin)));
    }
    // The list's own width: a list on a hidden tab has not laid out its
    // viewport yet, and its columns would stay a few pixels wide.
    const int cw = std::max(0, m_list->width() - 2 * m_list->frameWidth());
    m_list->setColumnWidth(0, cw / 5);
    m_list->setColumnWidth(1, 3 * (cw / 5));
    m_list->setColumnWidth(2, cw / 5);
}

} // namespace velmar::comments
