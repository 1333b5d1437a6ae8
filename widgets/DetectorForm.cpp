#include "widgets/DetectorForm.h"

#include "platform/MessageIds.h"
#include "platform/WindowMessage.h"

#include <QFontMetrics>

namespace velmar::shell {

namespace {

// What a panel's Stop/Half/Full or Show Programme button tells the window
// it is on.
void ConnectForward(TMyButton* button, QWidget* panel, int id)
{
    QObject::connect(button, &QPushButton::clicked, panel, [panel, id] {
        if (QWidget* target = panel->parentWidget())
            platform::sendWindowMessage(target, platform::MsgCommand, quint64(id), 0);
    });
}

QString GroupTitle(int baseId)
{
    switch (baseId) {
    case PorpoisePanelBase: return QStringLiteral("Porpoise Detector");
    case WhistlePanelBase: return QStringLiteral("Whistle Detector");
    case ClickPanelBase: return QStringLiteral("Quintra Click");
    case ListeningPanelBase: return QStringLiteral("Listening");
    default: return QStringLiteral("What ?");
    }
}

// One row of a group: its label and its box; returns the next row's top.
int AddRow(QWidget* parent, const DetectorPanelMetrics& m, int x, int row, const char* label, int id, const char* text)
{
    new TMyStatic(parent, 0, QString::fromLatin1(label), x + 10, row, m.labelWidth(), m.lineHeight());
    new TMyEdit(parent, id, QString::fromLatin1(text), x + m.labelWidth() + m.c + 10, row, m.boxWidth(),
                m.lineHeight());
    return row + m.lineHeight() + 2;
}

} // namespace

DetectorPanelMetrics CurrentDetectorPanelMetrics()
{
    const QFontMetrics fm(DisplayFont());
    return DetectorPanelMetrics{fm.height(), fm.averageCharWidth()};
}

QRect CreateDetectorPanel(QWidget* parent, int baseId, int x, int y)
{
    const DetectorPanelMetrics m = CurrentDetectorPanelMetrics();
    const bool listening = baseId == ListeningPanelBase;
    // The frame first: the controls made after it lie on top of it.
    auto* frame = new TMyGroupBox(parent, 0, GroupTitle(baseId), x, y, m.groupWidth(), 0);
    int row = y + m.h + 2;
    if (listening) {
        const int w = m.listeningButtonWidth();
        const int top = y + m.h + 4;
        const std::pair<int, const char*> buttons[] = {
            {ListeningStopId, "Stop"}, {ListeningHalfId, "Half"}, {ListeningFullId, "Full"}};
        int left = x + 10;
        for (const auto& [id, text] : buttons) {
            auto* b = new TMyButton(parent, id, QString::fromLatin1(text), left, top, w, m.buttonHeight());
            ConnectForward(b, parent, id);
            left += w + 3;
        }
        row = top + m.buttonHeight() + 4;
    }
    const std::pair<const char*, const char*> rows[] = {
        {"Status", "Idle"}, {"Run Time", "11:00:45"}, {"Detections", "453"}, {"Last Detection", "11:00:45"}};
    int id = baseId + PanelStatusOffset;
    for (const auto& [label, text] : rows)
        row = AddRow(parent, m, x, row, label, id++, text);
    if (!listening) {
        const int buttonId = baseId + PanelButtonOffset;
        auto* b = new TMyButton(parent, buttonId, QStringLiteral("Show Programme"), x + 10, row + 2, 32 * m.c,
                                m.buttonHeight(), false, true);
        ConnectForward(b, parent, buttonId);
        row += 2 + m.buttonHeight() + 8;
    }
    frame->setGeometry(x, y, m.groupWidth(), row - y);
    frame->lower();
    return QRect(QPoint(8, y), QPoint(x + m.groupWidth(), row));
}

TDetectorForm::TDetectorForm(QWidget* parent, int display, int recorderCount) : QWidget(parent), m_display(display)
{
    setAutoFillBackground(true);
    const DetectorPanelMetrics m = CurrentDetectorPanelMetrics();
    const int half = m.lineHeight() / 2;
    const QRect porpoise = CreateDetectorPanel(this, PorpoisePanelBase, 8, 8);
    m_groupRight = porpoise.right();
    const QRect whistle = display == 1 ? CreateDetectorPanel(this, WhistlePanelBase, 8, porpoise.bottom() + half)
                                       : CreateDetectorPanel(this, WhistlePanelBase, porpoise.right() + 8, 8);
    const QRect click = CreateDetectorPanel(this, ClickPanelBase, 8, whistle.bottom() + half);
    const QRect seismic = display == 1 ? CreateSeismicPanel(8, click.bottom() + half)
                                       : CreateSeismicPanel(click.right() + 8, click.top());
    if (recorderCount > 0)
        CreateRecordingsPanel(seismic.left(), seismic.bottom());
}

QRect TDetectorForm::CreateSeismicPanel(int x, int y)
{
    const DetectorPanelMetrics m = CurrentDetectorPanelMetrics();
    auto* frame = new TMyGroupBox(this, 0, QStringLiteral("Seismic"), x, y, m.groupWidth(), 0);
    int row = y + m.h + 2;
    const std::tuple<const char*, int, const char*> rows[] = {{"Status", SeismicStatusId, "Shooting"},
                                                              {"Last Shot", SeismicLastShotId, "11:00:45"}};
    for (const auto& [label, id, text] : rows)
        row = AddRow(this, m, x, row, label, id, text);
    row += 6;
    frame->setGeometry(x, y, m.groupWidth(), row - y);
    frame->lower();
    return QRect(QPoint(x, y), QPoint(x + m.groupWidth(), row));
}

QRect TDetectorForm::CreateRecordingsPanel(int x, int y)
{
    const DetectorPanelMetrics m = CurrentDetectorPanelMetrics();
    auto* frame = new TMyGroupBox(this, 0, QStringLiteral("Recordings"), x, y, m.groupWidth(), 0);
    int row = y + m.h + 2;
    for (int id : {RecordingsTextId, RecordingsTimeId}) {
        new TMyEdit(this, id, QStringLiteral("Idle"), x + 10, row, 32 * m.c, m.lineHeight());
        row += m.lineHeight() + 2;
    }
    auto* b = new TMyButton(this, ShowRecorderFormId, QStringLiteral("Show Form"), x + 10, row + 2, 32 * m.c,
                            m.buttonHeight(), false, true);
    ConnectForward(b, this, ShowRecorderFormId);
    row += 2 + m.buttonHeight() + 8;
    frame->setGeometry(x, y, m.groupWidth(), row - y);
    frame->lower();
    return QRect(QPoint(x, y), QPoint(x + m.groupWidth(), row));
}

void TDetectorForm::Place(const QRect& area)
{
    if (m_display == 1) {
        const int height = parentWidget() ? parentWidget()->height() : area.bottom();
        setGeometry(QRect(QPoint(1, 1), QPoint(m_groupRight + 1, height - 1)));
    } else
        setGeometry(area.adjusted(2, 2, -2, -2));
}

long TDetectorForm::EvStatusPopup(int controlId, const QPoint& screenPoint)
{
    if (auto* target = dynamic_cast<StatusPopupTarget*>(parentWidget()))
        return target->EvStatusPopup(controlId, screenPoint);
    return 0;
}

} // namespace velmar::shell
