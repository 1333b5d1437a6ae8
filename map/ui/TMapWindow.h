#pragma once
// TMapWindow: the "Map" tab. It holds the GPS read-outs, the map buttons,
// the plot and the key, draws the corner coordinates and the scale bar
// around the plot, keeps the view, follows the ship as fixes arrive, and is
// the address of everything the rest of the program sends the map: new
// fixes and detections, redraw requests (message 1029), the arrow keys
// (1057), the show-data animation (1064) and its menu commands.
//
// User-interface thread only. The plot, the key and the menus are its
// children; what it reads of the program comes through MapWindowSources.
#include "map/MapDetections.h"
#include "map/MapKey.h"
#include "map/MapView.h"
#include "map/ui/TMapPlot.h"

#include <QPointer>
#include <QWidget>

#include <functional>

#include <QMenu>
class QMimeData;

namespace velmar::nav {
struct DetectionKey;
}

namespace velmar::map {

class TMapKey;

// Command ids of the map window.
inline constexpr int CmdZoomInMap = 30040;
inline constexpr int CmdZoomOutMap = 30041;
inline constexpr int CmdMapFile = 30011;
inline constexpr int CmdEffortLine = 30016;
inline constexpr int CmdMenuStyle = 30021;
inline constexpr int CmdCopyWindow = 22013;
inline constexpr int CmdPlotTrack = 31150;
inline constexpr int CmdPlotPorpoises = 31151;
inline constexpr int CmdPlotWhistles = 31152;
inline constexpr int CmdPlotSperms = 31153;
inline constexpr int CmdPlotGrid = 31154;
inline constexpr int CmdPlotHeard = 31158;
inline constexpr int CmdPlotMap = 31255;
inline constexpr int IdPlotOptions = 31258;
inline constexpr int IdFollowShip = 31259;

struct MapWindowSources {
    MapPlotSources plot;
    // The effort source (0 to 3, else a form), the effort form's control
    // and the user forms' key entries.
    std::function<int()> effortSource;
    std::function<std::optional<KeyEffortControl>()> effortControl;
    std::function<std::vector<KeyEntry>()> formKeyEntries;
    // Adds the user forms' plot menus; returns how many.
    std::function<int(QMenu* menu)> addUserFormPlotMenus;
    // Adds the things-heard form's plot menu ("&Things Heard", its first
    // item "Everything..." with the id CmdPlotHeard) when that form exists;
    // its other items toggle the form's species.
    std::function<void(QMenu* acousticDetections)> addHeardPlotMenu;
    // The "Display Settings" sheet with the one named page ("MapFileDialog",
    // "EffortDlg"); the menu-style dialog.
    std::function<void(QWidget* parent, const QString& page)> displaySettings;
    std::function<void(QWidget* parent)> menuStyleDialog;
};

class TMapWindow : public QWidget {
    Q_OBJECT
public:
    TMapWindow(QWidget* parent, MapWindowSources sources);
    ~TMapWindow() override;

    TMapPlot* Plot() const { return m_plot; }
    TMapKey* Key() const { return m_key; }
    MapView& View() { return m_view; }
    QMenu* PlotMenu() const { return m_plotMenu; }

    // Message 1026: a new fix of data set 0.
    void OnNewFix(const nav::GPSTHING* fix);
    // Message 1028: a new or updated detection, looked up by its key.
    void OnNewDetection(const nav::DetectionKey& key);
    // A stored user-form record: its area is drawn again.
    void PlotUserRecord(const nav::GPSTHING* fix, double bearing, double range);
    void Redraw(bool refit, bool reset);
    void BuildPlotMenu();
    // The map file was loaded: without a fix the view is fitted again.
    void CheckTrack();
    // A deck shows a time: the fix then in effect becomes the ship fix.
    void NewGpsFix(const platform::SystemTime& time);
    // The main window's read-outs on the map show a fix (none: no data).
    void ShowGpsData(const nav::GPSTHING* fix);
    void Command(int id);

    // The corner coordinates and the scale bar onto a device of the window's size.
    void DrawFrame(QPainter& painter, const QRect& client);
    // The whole window (frame, plot and key) for the clipboard.
    QMimeData* CopyData();
    void CopyWindow();
    // The follow-ship counter (tests).
    const FollowShipCounter& FollowShip() const { return m_follow; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    int RunMode() const;
    void Layout();
    void TogglePlotFlag(int id);
    void ToggleFollowShip(bool on);
    QRect PlotRect() const;
    KeyInputs MakeKeyInputs() const;
    std::vector<QColor> ContourPens() const;

    MapWindowSources m_sources;
    MapView m_view;
    TMapPlot* m_plot = nullptr;
    TMapKey* m_key = nullptr;
    QPointer<QMenu> m_plotMenu;
    FollowShipCounter m_follow;
    int m_charWidth = 8;
    int m_textHeight = 16;
    int m_rowHeight = 24;
    int m_controlsHeight = 0;
};

// The map window of a widget (itself or an ancestor), or null.
TMapWindow* FindMapWindow(QWidget* widget);

} // namespace velmar::map
