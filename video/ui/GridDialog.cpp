#include "GridDialog.h"

#include "video/MotionDetector.h"

#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <cmath>

namespace velmar::video {

namespace {
// The form's client area and where its anchored controls sit in it.
constexpr int clientWidth = 387;
constexpr int clientHeight = 433;
constexpr QRect imageRect(6, 36, 375, 265);
constexpr int buttonTop = 404;
constexpr int buttonWidth = 70;
constexpr int rowHeight = 21;
constexpr int smallestImage = 20;
constexpr int edgeWithoutLine = 5;
const QColor labelBackground(128, 128, 128); // 8421504

int roundEven(double v)
{
    return int(std::nearbyint(v));
}

int fontSizeFor(int cellWidth)
{
    return cellWidth < 20 ? 7 : cellWidth < 30 ? 8 : cellWidth < 40 ? 10 : cellWidth < 50 ? 12 : 14;
}

QImage imageOf(const TImplMotionDetector::Snapshot& s)
{
    if (s.pixels.isEmpty())
        return {};
    const auto* bits = reinterpret_cast<const uchar*>(s.pixels.constData());
    // Both layouts keep blue first in memory.
    const QImage view = s.bytesPerPixel == 3 ? QImage(bits, s.width, s.height, s.width * 3, QImage::Format_BGR888)
                                             : QImage(bits, s.width, s.height, s.width * 4, QImage::Format_RGB32);
    return view.copy();
}
} // namespace

TfrmGridDialog::TfrmGridDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGridDialog"));
    setWindowTitle(QStringLiteral("Grid layout"));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    resize(clientWidth, clientHeight);

    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("imgGrid"));
    m_image->installEventFilter(this);
    m_clickLabel = new QLabel(QStringLiteral("click level"), this);
    m_clickLabel->setObjectName(QStringLiteral("lblClickLevel"));
    m_clickLabel->move(8, 12);
    m_globalLabel = new QLabel(QStringLiteral("global level"), this);
    m_globalLabel->setObjectName(QStringLiteral("lblGlobalLevel"));
    m_globalLabel->move(126, 12);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("btnOK"));
    m_currentLevel = new QSpinBox(this);
    m_currentLevel->setObjectName(QStringLiteral("updCurrentLevel"));
    m_currentLevel->setRange(1, TImplMotionDetector::maxLevel);
    m_currentLevel->setValue(1);
    m_currentLevel->setWrapping(false);
    m_currentLevel->setGeometry(64, 8, 48, rowHeight);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("btnCancel"));
    m_clearAll = new QPushButton(QStringLiteral("clear all"), this);
    m_clearAll->setObjectName(QStringLiteral("btnClearAll"));
    m_clearAll->setGeometry(208, 8, 62, rowHeight);
    m_enableAll = new QPushButton(QStringLiteral("enable all"), this);
    m_enableAll->setObjectName(QStringLiteral("btnEnableAll"));
    m_enableAll->setGeometry(280, 8, 62, rowHeight);
    // The global level is only its two arrows.
    m_globalUp = new QToolButton(this);
    m_globalUp->setObjectName(QStringLiteral("updGlobalLevelUp"));
    m_globalUp->setArrowType(Qt::UpArrow);
    m_globalUp->setGeometry(184, 8, 15, rowHeight / 2);
    m_globalDown = new QToolButton(this);
    m_globalDown->setObjectName(QStringLiteral("updGlobalLevelDown"));
    m_globalDown->setArrowType(Qt::DownArrow);
    m_globalDown->setGeometry(184, 8 + rowHeight / 2, 15, rowHeight - rowHeight / 2);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("popSetLevel"));
    m_levels = new QActionGroup(this);
    m_levels->setExclusive(true);
    for (int level = 1; level <= TImplMotionDetector::maxLevel; ++level) {
        QAction* item = m_popup->addAction(QString::number(level));
        item->setCheckable(true);
        item->setData(level);
        m_levels->addAction(item);
    }
    connect(m_levels, &QActionGroup::triggered, this, [this](QAction* item) { setClickLevel(item->data().toInt()); });
    connect(m_currentLevel, &QSpinBox::valueChanged, this, &TfrmGridDialog::setClickLevel);
    const auto changeAll = [this](auto change) {
        return [this, change] {
            if (!m_detector)
                return;
            change();
            drawGrid();
        };
    };
    connect(m_globalUp, &QToolButton::clicked, this, changeAll([this] { m_detector->globallyIncOrDecSensitivity(1); }));
    connect(m_globalDown, &QToolButton::clicked, this,
            changeAll([this] { m_detector->globallyIncOrDecSensitivity(-1); }));
    connect(m_clearAll, &QPushButton::clicked, this, changeAll([this] { m_detector->resetGlobalSensitivity(0); }));
    connect(m_enableAll, &QPushButton::clicked, this,
            changeAll([this] { m_detector->resetGlobalSensitivity(m_detector->clickLevel()); }));
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    layoutControls();
}

void TfrmGridDialog::layoutControls()
{
    const int right = clientWidth - imageRect.right() - 1;
    const int bottom = clientHeight - imageRect.bottom() - 1;
    m_image->setGeometry(imageRect.left(), imageRect.top(), width() - imageRect.left() - right,
                         height() - imageRect.top() - bottom);
    const int top = height() - (clientHeight - buttonTop);
    m_ok->setGeometry(122, top, buttonWidth, rowHeight);
    m_cancel->setGeometry(202, top, buttonWidth, rowHeight);
}

void TfrmGridDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layoutControls();
    drawGrid();
}

void TfrmGridDialog::prepare(TImplMotionDetector* detector)
{
    m_detector = detector;
    m_dragging = false;
    m_moved = false;
    m_gridAtOpen = detector->grid();
    const int level = detector->meanSensitivity();
    detector->setClickLevel(level);
    m_picture = QPixmap::fromImage(imageOf(detector->snapshot()));
    drawGrid();
    setClickLevel(level);
}

bool TfrmGridDialog::showFor(TImplMotionDetector* detector)
{
    prepare(detector);
    return exec() == QDialog::Accepted;
}

void TfrmGridDialog::reject()
{
    // Cancel leaves the detector as the dialog found it.
    if (m_detector)
        m_detector->setGrid(m_gridAtOpen);
    QDialog::reject();
}

void TfrmGridDialog::setClickLevel(int level)
{
    if (!m_detector || level < 1 || level > TImplMotionDetector::maxLevel)
        return;
    m_detector->setClickLevel(level);
    if (m_currentLevel->value() != level)
        m_currentLevel->setValue(level);
    m_levels->actions().at(level - 1)->setChecked(true);
}

QPoint TfrmGridDialog::cellAt(const QPoint& pos) const
{
    if (!m_detector)
        return {-1, -1};
    const int cw = std::max(1, roundEven(double(m_image->width()) / m_detector->gridXCount()));
    const int ch = std::max(1, roundEven(double(m_image->height()) / m_detector->gridYCount()));
    return {pos.x() / cw, pos.y() / ch};
}

void TfrmGridDialog::setCell(const QPoint& cell, int level)
{
    // Cells outside the grid are refused by the detector.
    m_detector->setCellSensitivity(cell.x(), cell.y(), level);
}

bool TfrmGridDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_image && m_detector) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: mouseDown(static_cast<QMouseEvent*>(event)); return true;
        case QEvent::MouseMove: mouseMove(static_cast<QMouseEvent*>(event)); return true;
        case QEvent::MouseButtonRelease: mouseUp(static_cast<QMouseEvent*>(event)); return true;
        default: break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmGridDialog::mouseDown(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::RightButton) {
        m_popup->popup(m_image->mapToGlobal(pos));
        return;
    }
    if (e->button() != Qt::LeftButton)
        return;
    m_pressPosition = pos;
    m_dragging = true;
    m_moved = false;
    const QPoint cell = cellAt(pos);
    int level = 0;
    m_dragLevel = m_detector->getCellSensitivity(cell.x(), cell.y(), level) ? level : 0;
}

void TfrmGridDialog::mouseMove(QMouseEvent* e)
{
    if (!m_dragging)
        return;
    m_moved = true;
    setCell(cellAt(e->position().toPoint()), m_dragLevel);
    drawGrid();
}

void TfrmGridDialog::mouseUp(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && !m_moved) {
        const QPoint cell = cellAt(e->position().toPoint());
        int level = 0;
        if (m_detector->getCellSensitivity(cell.x(), cell.y(), level))
            setCell(cell, level != 0 ? 0 : m_detector->clickLevel());
        drawGrid();
    }
    m_dragging = false;
}

void TfrmGridDialog::drawGrid()
{
    const int w = m_image->width();
    const int h = m_image->height();
    if (!m_detector || w < smallestImage || h < smallestImage)
        return;
    QPixmap canvas(w, h);
    canvas.fill(Qt::black);
    QPainter p(&canvas);
    if (!m_picture.isNull())
        p.drawPixmap(QRect(0, 0, w, h), m_picture);
    const int columns = m_detector->gridXCount();
    const int rows = m_detector->gridYCount();
    const int cw = std::max(1, roundEven(double(w) / columns));
    const int ch = std::max(1, roundEven(double(h) / rows));
    p.setPen(Qt::white);
    for (int y = 0; y < h - edgeWithoutLine; y += ch)
        p.drawLine(0, y, w, y);
    for (int x = 0; x < w - edgeWithoutLine; x += cw)
        p.drawLine(x, 0, x, h);

    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(fontSizeFor(cw));
    p.setFont(font);
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(labelBackground);
    const auto notNegative = [](int v) { return v < 0 ? 1 : v; };
    const int dx = notNegative(roundEven(cw / 2.0 - (cw < 20 ? 2 : cw < 30 ? 3 : 4)));
    const int dy = notNegative(roundEven(ch / 2.0 - (cw < 20 ? 5 : 8)));
    const int ascent = p.fontMetrics().ascent();
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < columns; ++col) {
            int level = 0;
            m_detector->getCellSensitivity(col, row, level);
            p.drawText(QPoint(cw * col + dx, ch * row + dy + ascent), QString::number(level));
        }
    }
    p.end();
    m_image->setPixmap(canvas);
}

} // namespace velmar::video
