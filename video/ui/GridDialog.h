#pragma once
// TfrmGridDialog: sets the motion detector's cell sensitivities with the
// mouse. It shows the last analysed frame with the grid over it and each
// cell's level in it; a click switches a cell off or on at the click level,
// a drag gives the cells it crosses the level of the cell where it began.
// Changes reach the detector at once; Cancel puts back the grid the dialog
// opened with.
//
// User-interface thread only. The detector must outlive the dialog's use of it.
#include <QDialog>
#include <QPixmap>
#include <QPoint>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace velmar::video {

class TImplMotionDetector;

class TfrmGridDialog : public QDialog {
    Q_OBJECT
public:
    explicit TfrmGridDialog(QWidget* parent = nullptr);

    // Points the dialog at a detector and reads its grid, click level and
    // last frame, as each showing does.
    void prepare(TImplMotionDetector* detector);
    // prepare, then modal; true when closed with OK.
    bool showFor(TImplMotionDetector* detector);

    // The cell under a point of the picture.
    QPoint cellAt(const QPoint& pos) const;
    void drawGrid();

    QLabel* imgGrid() const { return m_image; }
    QSpinBox* updCurrentLevel() const { return m_currentLevel; }
    QMenu* popSetLevel() const { return m_popup; }
    QPushButton* btnOK() const { return m_ok; }
    QPushButton* btnCancel() const { return m_cancel; }
    QPushButton* btnClearAll() const { return m_clearAll; }
    QPushButton* btnEnableAll() const { return m_enableAll; }
    QToolButton* updGlobalLevelUp() const { return m_globalUp; }
    QToolButton* updGlobalLevelDown() const { return m_globalDown; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void reject() override;

private:
    void setClickLevel(int level);
    void setCell(const QPoint& cell, int level);
    void mouseDown(QMouseEvent* e);
    void mouseMove(QMouseEvent* e);
    void mouseUp(QMouseEvent* e);
    void layoutControls();

    TImplMotionDetector* m_detector = nullptr;
    QString m_gridAtOpen;
    bool m_dragging = false;
    bool m_moved = false;
    QPoint m_pressPosition;
    int m_dragLevel = 0;
    QPixmap m_picture;

    QLabel* m_image = nullptr;
    QLabel* m_clickLabel = nullptr;
    QLabel* m_globalLabel = nullptr;
    QSpinBox* m_currentLevel = nullptr;
    QToolButton* m_globalUp = nullptr;
    QToolButton* m_globalDown = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_clearAll = nullptr;
    QPushButton* m_enableAll = nullptr;
    QMenu* m_popup = nullptr;
    QActionGroup* m_levels = nullptr;
};

} // namespace velmar::video
