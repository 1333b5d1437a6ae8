#include "Overlays.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QPainter>

namespace velmar::video {

namespace {
bool guiAvailable()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// The frame being drawn by the overlay handler running on this thread.
struct OverlayDrawing {
    const Overlays* owner = nullptr;
    QPainter* painter = nullptr;
};
thread_local OverlayDrawing t_drawing;
} // namespace

Overlays::Overlays()
{
    setText(DefaultOverlayTemplate());
}

void Overlays::recomputeNeeded()
{
    m_needed = !m_shapes.isEmpty() || m_shapeEnabled || m_textEnabled || bool(m_overlayHandler);
}

bool Overlays::textEnabled() const
{
    QMutexLocker locker(&m_lock);
    return m_textEnabled;
}

void Overlays::setTextEnabled(bool on)
{
    QMutexLocker locker(&m_lock);
    m_textEnabled = on;
    recomputeNeeded();
}

QString Overlays::text() const
{
    QMutexLocker locker(&m_lock);
    return m_text;
}

void Overlays::setText(const QString& text)
{
    QList<TOverlayItem> items = ParseOverlayTemplate(text);
    QMutexLocker locker(&m_lock);
    m_text = text;
    m_items = std::move(items);
}

TextOverlayStyle Overlays::textStyle() const
{
    QMutexLocker locker(&m_lock);
    return m_textStyle;
}

void Overlays::setTextStyle(const TextOverlayStyle& style)
{
    QMutexLocker locker(&m_lock);
    const TTextOverlayAlign before = m_textStyle.align;
    m_textStyle = style;
    if (style.align < tf_Left || style.align > tf_Right)
        m_textStyle.align = before;
}

void Overlays::setCustomVar(int index, const QString& text)
{
    if (index < 0 || index >= overlayCustomVars)
        return;
    QMutexLocker locker(&m_lock);
    m_customVars[size_t(index)] = text;
}

std::optional<TShapeOverlay> Overlays::shape() const
{
    QMutexLocker locker(&m_lock);
    return m_shape;
}

void Overlays::setShape(const std::optional<TShapeOverlay>& shape)
{
    QMutexLocker locker(&m_lock);
    m_shape = shape;
}

bool Overlays::shapeEnabled() const
{
    QMutexLocker locker(&m_lock);
    return m_shapeEnabled;
}

void Overlays::setShapeEnabled(bool on)
{
    QMutexLocker locker(&m_lock);
    m_shapeEnabled = on;
    recomputeNeeded();
}

bool Overlays::changeShapeList(const TShapeOverlay& shape, bool add)
{
    QMutexLocker locker(&m_lock);
    if (add) {
        if (m_shapes.contains(shape))
            return false;
        m_shapes << shape;
    } else {
        m_shapes.removeOne(shape);
    }
    recomputeNeeded();
    return true;
}

void Overlays::setOverlayHandler(FrameOverlayHandler handler)
{
    QMutexLocker locker(&m_lock);
    m_overlayHandler = std::move(handler);
    recomputeNeeded();
}

void Overlays::setPixelsHandler(FramePixelsHandler handler)
{
    QMutexLocker locker(&m_lock);
    m_pixelsHandler = std::move(handler);
    m_pixelsHandlerSet = bool(m_pixelsHandler);
}

bool Overlays::drawBitmap(const QImage& bitmap, int left, int top, int width, int height) const
{
    // Only the thread inside this component's overlay handler has a frame.
    if (t_drawing.owner != this || !t_drawing.painter || bitmap.isNull())
        return false;
    t_drawing.painter->drawImage(QRect(left, top, width, height), bitmap);
    return true;
}

void Overlays::draw(QImage& frame, const TFrameInfo& info) const
{
    drawBuiltIn(frame, info);
    if (!m_pixelsHandlerSet)
        return;
    FramePixelsHandler pixels;
    {
        QMutexLocker locker(&m_lock);
        pixels = m_pixelsHandler;
    }
    if (pixels)
        pixels(info, frame);
}

void Overlays::drawBuiltIn(QImage& frame, const TFrameInfo& info) const
{
    if (!m_needed)
        return;
    QList<TOverlayItem> items;
    TOverlayCustomVars custom;
    TextOverlayStyle style;
    std::optional<TShapeOverlay> shape;
    QList<TShapeOverlay> shapes;
    FrameOverlayHandler handler;
    bool text = false;
    {
        QMutexLocker locker(&m_lock);
        text = m_textEnabled;
        items = m_items;
        custom = m_customVars;
        style = m_textStyle;
        if (m_shapeEnabled)
            shape = m_shape;
        shapes = m_shapes;
        handler = m_overlayHandler;
    }
    QPainter painter(&frame);
    if (shape)
        DrawShapeOverlay(painter, *shape);
    for (const TShapeOverlay& s : std::as_const(shapes))
        DrawShapeOverlay(painter, s);
    // Text needs the fonts of a graphical application.
    if (text && guiAvailable())
        DrawTextOverlay(painter, ExpandOverlayTemplate(items, info, custom, QDateTime::currentDateTime()), style);
    if (handler) {
        painter.save();
        t_drawing = {this, &painter};
        handler(info, painter);
        t_drawing = {};
        painter.restore();
    }
}

} // namespace velmar::video
