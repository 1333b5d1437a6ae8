#pragma once
// TDetectorForm: the detector status panel of the main window. For each
// detector program it shows the status, run time, number of detections and
// time of the last detection, with a button that shows or starts the
// program; below them the seismic state and, when recorders are configured,
// the automatic recording state. It only lays out and forwards: its buttons
// go to the parent as commands (MsgCommand), a right click on a "Show
// Programme" button to the parent's status pop-up. The texts are written by
// the detector links and the event counts, found by control id.
//
// CreateDetectorPanel also builds the Listening group of the things-heard
// form.
//
// User-interface thread only. Controls belong to the panel.
#include "widgets/MyControls.h"

#include <QRect>
#include <QWidget>

namespace velmar::shell {

// Base ids of the groups; a group's controls count from its base.
inline constexpr int PorpoisePanelBase = 31020;
inline constexpr int WhistlePanelBase = 31040;
inline constexpr int ClickPanelBase = 31060;
inline constexpr int ListeningPanelBase = 31080;
inline constexpr int PanelStatusOffset = 2;
inline constexpr int PanelRunTimeOffset = 3;
inline constexpr int PanelCountOffset = 4;
inline constexpr int PanelLastOffset = 5;
inline constexpr int PanelButtonOffset = 6;
inline constexpr int SeismicStatusId = 31130;
inline constexpr int SeismicLastShotId = 31131;
inline constexpr int RecordingsTextId = 31552;
inline constexpr int RecordingsTimeId = 31559;
inline constexpr int ShowRecorderFormId = 31096;
inline constexpr int ListeningFullId = 31120;
inline constexpr int ListeningHalfId = 31121;
inline constexpr int ListeningStopId = 31122;

// The sizes of the panel's rows, from the display font: h its text height,
// c its average character width.
struct DetectorPanelMetrics {
    int h = 0;
    int c = 0;
    int lineHeight() const { return h + 8; }
    int buttonHeight() const { return h + 6; }
    int labelWidth() const { return 15 * c; }
    int boxWidth() const { return 16 * c; }
    int listeningButtonWidth() const { return (15 * c + 16 * c + c - 6) / 3; }
    int groupWidth() const { return 32 * c + 20; }
};
DetectorPanelMetrics CurrentDetectorPanelMetrics();

// Builds one group on parent at x, y; returns its rectangle.
QRect CreateDetectorPanel(QWidget* parent, int baseId, int x, int y);

class TDetectorForm : public QWidget, public StatusPopupTarget {
    Q_OBJECT
public:
    // display: 1 down the left side, 2 on a tab of its own.
    TDetectorForm(QWidget* parent, int display, int recorderCount);

    // The right edge of the porpoise group: the width of the strip.
    int GetDetectorPanelWidth() const { return m_groupRight; }
    // Positions the panel in the main window.
    void Place(const QRect& area);

    long EvStatusPopup(int controlId, const QPoint& screenPoint) override;

private:
    void Forward(int id);
    QRect CreateSeismicPanel(int x, int y);
    QRect CreateRecordingsPanel(int x, int y);

    int m_display;
    int m_groupRight = 0;
};

} // namespace velmar::shell
