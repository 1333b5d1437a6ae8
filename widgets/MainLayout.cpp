#include "widgets/MainLayout.h"

#include <algorithm>

namespace velmar::shell {

namespace {

constexpr unsigned Online = 1;
constexpr unsigned ShowData = 2;
constexpr unsigned Offline = 3;
constexpr int Margin = 8;
constexpr int Gap = 3;

// Windows rectangles: left, top, exclusive right and bottom.
QRect Ltrb(int l, int t, int r, int b)
{
    return QRect(l, t, r - l, b - t);
}

} // namespace

int LeftMargin(int detectorDisplay, int detectorPanelWidth)
{
    return detectorDisplay == DetectorsDownLeftSide ? detectorPanelWidth + Margin : Margin;
}

ClockStripGeometry LayoutClockStrip(unsigned runMode, int timesOption, int M, FontCells f, int labelWidth)
{
    const int h = f.h;
    const int w = f.w;
    const int H = f.ControlHeight();
    const int L = std::max(8 * w, labelWidth);
    ClockStripGeometry g;
    int rowTop = h + 11;
    const int x0 = M + 10;
    g.label1 = QRect(x0, rowTop, L, H);
    g.edit1 = QRect(g.label1.x() + L + Gap, rowTop, 26 * w, H);

    const bool secondPair = runMode == ShowData || (runMode == Online && timesOption != TimesGmtOnly);
    const bool sameRow = runMode != Online || timesOption == TimesAdjacentOption;
    if (secondPair) {
        // The second label starts clear of the first box.
        int x = g.edit1.x() + g.edit1.width() + Gap;
        if (!sameRow) {
            x = x0;
            rowTop += H + Gap;
        }
        g.label2 = QRect(x, rowTop, L, H);
        g.edit2 = QRect(x + L + Gap, rowTop, 26 * w, H);
    }
    if (runMode == Offline) {
        g.startRun = QRect(g.edit1.x() + 27 * w + 6, rowTop, 16 * w, H);
        g.stopRun = QRect(g.startRun->x() + 18 * w, rowTop, 16 * w, H);
    }
    // The box goes round every clock control: wide whenever a second pair or
    // the run buttons share the first row.
    const bool wide = (secondPair && sameRow) || runMode == Offline;
    const int extra = L - 8 * w;
    const int boxWidth = wide ? 68 * w + 49 + 2 * extra : 34 * w + 23 + extra;
    g.groupBox = QRect(M, 8, boxWidth, (rowTop + H + 6) - 8);
    g.topControlsOrigin = QPoint(M + boxWidth + Gap, 8);
    g.tabTop = rowTop + H + 14;
    return g;
}

MainLayoutGeometry LayoutMainWindow(const MainLayoutInput& in)
{
    const int H = in.font.ControlHeight();
    const int clientRight = in.client.width();
    const int clientBottom = in.client.height();
    const bool bottomRow = in.bottomControls && in.runMode == Online;
    MainLayoutGeometry g;

    int tabBottom = clientBottom - 4;
    if (bottomRow)
        tabBottom -= H + Gap;
    g.tabControl = Ltrb(in.leftMargin, in.tabTop, clientRight - Margin, tabBottom);

    const int warnWidth = 30 * in.font.w + 30;
    g.firstWarning = Ltrb(clientRight - Margin - warnWidth, 8, clientRight - Margin, 8 + in.font.h);

    g.page = g.tabControl;
    g.page.setTop(g.tabControl.top() + in.tabRows * (in.tabHeaderHeight + 1) + 5);

    g.grabber = QRect(g.tabControl.left() + 2, g.tabControl.top() + in.tabHeaderHeight + 2, g.page.width(),
                      g.page.height());

    const int lightTop = in.lightArea.top() + (in.lightArea.height() - TrafficLightHeight) / 2;
    g.trafficLight = QRect(in.lightArea.right() + 1 - in.trafficLightWidth, lightTop, in.trafficLightWidth,
                           TrafficLightHeight);

    g.map = Ltrb(g.tabControl.left() + 8, g.tabControl.top() + in.tabHeaderHeight + 8,
                 g.tabControl.left() + g.tabControl.width() - 8, g.tabControl.top() + g.tabControl.height() - 5);

    if (bottomRow) {
        const int bottom = clientBottom - 4;
        const int top = bottom - H;
        int right = clientRight - Margin;
        auto next = [&](int width) {
            QRect r = Ltrb(right - width, top, right, bottom);
            right -= width + Gap;
            return r;
        };
        g.cable = next(22 * in.font.w);
        g.power = next(22 * in.font.w);
        g.mapDatum = next(18 * in.font.w);
        g.nmea = next(18 * in.font.w);
    }
    return g;
}

QRect CentreIn(const QRect& page, QSize size, bool keepInside)
{
    int x = page.x() + (page.width() - size.width()) / 2;
    int y = page.y() + (page.height() - size.height()) / 2;
    if (keepInside) {
        x = std::max(x, page.x());
        y = std::max(y, page.y());
    }
    return QRect(QPoint(x, y), size);
}

TabKeyResult EvaluateTabKey(int key, int mainTab, int mainCount, int subTab, int subCount)
{
    TabKeyResult r{mainTab, subCount > 0 ? subTab : -1, false};
    if (subCount > 0) {
        if (key == VkPrior && subTab > 0) {
            r.subTab = subTab - 1;
            r.subMoved = true;
        } else if (key == VkNext && subTab < subCount - 1) {
            r.subTab = subTab + 1;
            r.subMoved = true;
        }
        if (r.subMoved)
            return r;
    }
    if (mainCount <= 0)
        return r;
    if (key == VkPrior)
        r.mainTab = std::max(mainTab - 1, 0);
    else if (key == VkNext)
        r.mainTab = std::min(mainTab + 1, mainCount - 1);
    return r;
}

} // namespace velmar::shell
