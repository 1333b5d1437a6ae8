#pragma once
// Helpers of the shell widget tests: draining posted calls, counting paints,
// sampling what a widget draws.
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QWidget>

namespace velmar::shell::test {

// Posted calls may post further calls (application -> main window -> child).
inline void Drain()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

inline QColor PixelAt(QWidget* w, int x, int y)
{
    return w->grab().toImage().pixelColor(x, y);
}

} // namespace velmar::shell::test
