#include "FrameOverlay.h"

#include <QPainter>

#include <algorithm>
#include <climits>

namespace velmar::video {

void DrawShapeOverlay(QPainter& painter, const TShapeOverlay& shape)
{
    if (!shape.visible)
        return;
    QRect box = shape.bounds;
    if (shape.penWidth != 0)
        box.setSize(QSize(box.width() - shape.penWidth + 1, box.height() - shape.penWidth + 1));
    if (shape.shape == stSquare || shape.shape == stRoundSquare || shape.shape == stCircle) {
        const int side = std::min(box.width(), box.height());
        box = QRect(box.left() + (box.width() - side) / 2, box.top() + (box.height() - side) / 2, side, side);
    }
    painter.save();
    painter.setPen(shape.penWidth > 0 ? QPen(shape.penColor, shape.penWidth) : QPen(Qt::NoPen));
    painter.setBrush(QBrush(shape.brushColor, shape.brushStyle));
    switch (shape.shape) {
    case stRectangle:
    case stSquare: painter.drawRect(box); break;
    case stRoundRect:
    case stRoundSquare: {
        const int corner = std::min(box.width(), box.height()) / 4;
        painter.drawRoundedRect(box, corner / 2.0, corner / 2.0);
        break;
    }
    case stEllipse:
    case stCircle: painter.drawEllipse(box); break;
    }
    painter.restore();
}

void DrawTextOverlay(QPainter& painter, const QString& line, const TextOverlayStyle& style)
{
    if (line.isEmpty())
        return;
    painter.save();
    painter.setFont(style.font);
    painter.setPen(style.color);
    const QRect area(QPoint(style.left, style.top), QPoint(std::max(style.left, style.right), INT_MAX / 2));
    int flags = Qt::TextWordWrap | Qt::AlignTop;
    flags |= style.align == tf_Center ? Qt::AlignHCenter : style.align == tf_Right ? Qt::AlignRight : Qt::AlignLeft;
    if (!style.transparent)
        painter.fillRect(painter.boundingRect(area, flags, line), style.background);
    painter.drawText(area, flags, line);
    painter.restore();
}

} // namespace velmar::video
