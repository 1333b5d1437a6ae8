#pragma once
// A drawing of the map's windows for the clipboard: the same picture as SVG
// and as PNG in one entry, so that vector and bitmap programs both take it.
//
// User-interface thread only; the caller owns the data returned.
#include <QColor>
#include <QSize>
#include <QString>

#include <functional>

class QMimeData;
class QPainter;

namespace velmar::map {

// draw paints onto a device of the size, background already filled.
QMimeData* PictureMimeData(QSize size, const QString& description, const QColor& background,
                           const std::function<void(QPainter&)>& draw);

} // namespace velmar::map
