#pragma once
// The overlays of the video component: the text line from the overlay
// template, the host's shapes and the host's handlers, drawn into each frame.
// The settings change on the user-interface thread; draw runs on the thread
// of the frame (the streaming thread, or the capture step's) with copies
// taken under the overlay lock.
#include "FrameOverlay.h"
#include "OverlayTemplate.h"

#include <QImage>
#include <QList>
#include <QMutex>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>

class QPainter;

namespace velmar::video {

class Overlays {
public:
    // Draws on every frame after the built-in overlays.
    using FrameOverlayHandler = std::function<void(const TFrameInfo& info, QPainter& painter)>;
    // Changes the frame's pixels itself after the overlays.
    using FramePixelsHandler = std::function<void(const TFrameInfo& info, QImage& frame)>;

    Overlays();

    bool textEnabled() const;
    void setTextEnabled(bool on);
    QString text() const;
    void setText(const QString& text);
    TextOverlayStyle textStyle() const;
    // An alignment beyond right keeps the one before.
    void setTextStyle(const TextOverlayStyle& style);
    void setCustomVar(int index, const QString& text);
    std::optional<TShapeOverlay> shape() const;
    void setShape(const std::optional<TShapeOverlay>& shape);
    bool shapeEnabled() const;
    void setShapeEnabled(bool on);
    // False when the shape to add is in the list already.
    bool changeShapeList(const TShapeOverlay& shape, bool add);
    void setOverlayHandler(FrameOverlayHandler handler);
    void setPixelsHandler(FramePixelsHandler handler);
    // Only inside the overlay handler, on its thread.
    bool drawBitmap(const QImage& bitmap, int left, int top, int width, int height) const;

    // The built-in overlays, the overlay handler, then the pixels handler.
    void draw(QImage& frame, const TFrameInfo& info) const;

private:
    void drawBuiltIn(QImage& frame, const TFrameInfo& info) const;
    void recomputeNeeded();

    mutable QMutex m_lock;
    bool m_textEnabled = false;
    QString m_text;
    QList<TOverlayItem> m_items;
    TOverlayCustomVars m_customVars;
    TextOverlayStyle m_textStyle;
    std::optional<TShapeOverlay> m_shape;
    bool m_shapeEnabled = false;
    QList<TShapeOverlay> m_shapes;
    FrameOverlayHandler m_overlayHandler;
    FramePixelsHandler m_pixelsHandler;
    std::atomic<bool> m_pixelsHandlerSet{false};
    std::atomic<bool> m_needed{false};
};

} // namespace velmar::video
