#pragma once
// TMapKey: the map's key in the left margin of the map window. It paints the
// entries of BuildKeyEntries (map/MapKey.h), each with a sample of how the
// plot draws it, and copies itself (SVG and PNG) from its context menu.
//
// User-interface thread only; a child of the map window.
#include "map/MapKey.h"

#include <QColor>
#include <QWidget>

#include <array>
#include <functional>

class QMimeData;
class QPainter;

namespace velmar::map {

class TMapKey : public QWidget {
    Q_OBJECT
public:
    // inputs gives what the map shows now; clickColours the plot's colours.
    TMapKey(QWidget* parent, std::function<KeyInputs()> inputs, std::function<std::vector<QColor>()> clickColours,
            std::function<std::vector<QColor>()> contourPens);

    std::vector<KeyEntry> Entries() const;
    // The key onto a device of that size, with a silver frame when asked.
    void DrawKey(QPainter& painter, const QRect& rect, bool frame);
    QMimeData* CopyData();
    void CopyKey();

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::function<KeyInputs()> m_inputs;
    std::function<std::vector<QColor>()> m_clickColours;
    std::function<std::vector<QColor>()> m_contourPens;
};

} // namespace velmar::map
