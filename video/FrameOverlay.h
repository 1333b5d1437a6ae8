#pragma once
// Drawing the overlays into a frame: the shapes the host chose and the text
// line expanded from the overlay template. Called on the thread that runs
// the frame (the streaming thread, or the capture step's thread); the values
// are copies taken for the frame.
#include "VideoTypes.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

namespace velmar::video {

struct TextOverlayStyle {
    int left = 0;
    int top = 0;
    int right = 320;
    TTextOverlayAlign align = tf_Left;
    QColor background = Qt::white;
    bool transparent = true;
    QFont font;
    QColor color = QColor(0, 255, 255); // aqua
};

enum TShapeType : int { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

// A shape drawn into the frames in place of a control on the host's form.
struct TShapeOverlay {
    TShapeType shape = stRectangle;
    QRect bounds;
    QColor penColor = Qt::black;
    int penWidth = 1;
    QColor brushColor = Qt::white;
    Qt::BrushStyle brushStyle = Qt::SolidPattern;
    bool visible = true;
    bool operator==(const TShapeOverlay&) const = default;
};

void DrawShapeOverlay(QPainter& painter, const TShapeOverlay& shape);
// Word-wrapped from (left, top) to `right`, unclipped below.
void DrawTextOverlay(QPainter& painter, const QString& line, const TextOverlayStyle& style);

} // namespace velmar::video
