#include "DisplayForm.h"

#include "DisplayWindows.h"
#include "video/DisplayGeometry.h"
#include "video/PreviewDisplay.h"
#include "video/VideoWindow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace velmar::video::ui {

TDisplayForm::TDisplayForm(VideoDisplayWindows& owner, const PreviewDisplay& display, TVideoWindow& window)
    : m_owner(owner), m_display(display), m_window(window)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setObjectName(window.number() == 0 ? QStringLiteral("Display") : QStringLiteral("DualDisplay"));
}

void TDisplayForm::setFrame(const QImage& frame)
{
    m_frame = frame;
    update();
}

void TDisplayForm::clearFrame()
{
    m_frame = QImage();
    update();
}

void TDisplayForm::setBackground(const QColor& color)
{
    m_background = color;
    update();
}

QRect TDisplayForm::pictureRect() const
{
    const QSize source = m_frame.isNull() ? size() : m_frame.size();
    return PictureRect(size(), source, m_window.GetBool(vwKeepAspectRatio));
}

void TDisplayForm::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    if (!m_frame.isNull()) {
        painter.drawImage(pictureRect(), m_frame);
        ++m_painted;
        return;
    }
    const QImage logo = m_display.logoDisplayed() ? m_display.logo() : QImage();
    if (logo.isNull())
        return;
    switch (m_display.logoLayout()) {
    case lg_Stretched: painter.drawImage(rect(), logo); break;
    case lg_Repeated: painter.drawTiledPixmap(rect(), QPixmap::fromImage(logo)); break;
    case lg_Centered:
        painter.drawImage(QPoint((width() - logo.width()) / 2, (height() - logo.height()) / 2), logo);
        break;
    }
}

void TDisplayForm::mousePressEvent(QMouseEvent* event)
{
    m_owner.mouse(this, Down, event);
}
void TDisplayForm::mouseMoveEvent(QMouseEvent* event)
{
    m_owner.mouse(this, Move, event);
}

void TDisplayForm::mouseReleaseEvent(QMouseEvent* event)
{
    m_owner.mouse(this, Up, event);
    if (rect().contains(event->position().toPoint()))
        m_owner.clicked();
}

void TDisplayForm::mouseDoubleClickEvent(QMouseEvent*)
{
    m_owner.doubleClicked();
}

void TDisplayForm::keyPressEvent(QKeyEvent* event)
{
    m_owner.key(this, event);
}

} // namespace velmar::video::ui
