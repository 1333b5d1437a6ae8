#pragma once
// The NMEA server's main form: status bar, the three displays (scroll all,
// one of each, position) and the menus. The logic lives in NmeaServer; this
// form shows what it reports and hands it the operator's choices.
//
// User-interface thread only.
#include "nmeaserver/SentenceStore.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>

class QLabel;
class QTableWidget;
class QActionGroup;

namespace velmar::nmeaserver {

class NmeaServer;
class TPositionWindow;
class TSetTime;
class TDumpDialog;

class TTNMEAWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int DesignWidth = 696;
    static constexpr int DesignHeight = 480;

    explicit TTNMEAWindow(NmeaServer& server, QWidget* parent = nullptr);

    // Takes the display settings that the server read from the file: type,
    // bounds, font. The window opens where it was and as large as it was,
    // brought onto the screen it was on (or the first screen) when the file
    // was written for a larger one; without stored bounds, at its design
    // size where the screen has room for it.
    void applyDisplaySettings();
    // The saved bounds (frame position, inside size) made to fit the
    // screen's available area: no larger, moved in as far as needed.
    static QRect BoundsOnScreen(const QRect& saved, const QRect& available);
    void ShowDisplayMode();
    static constexpr int MinimiseDelayMs = 2000;
    static constexpr int RefreshIntervalMs = 500;

    TPositionWindow* positionWindow() const { return m_position; }
    TSetTime* setTimeForm() const { return m_setTime; }
    // Replaces the clock form (tests inject one with their own clock setter).
    void setSetTimeForm(TSetTime* form);
    // Brings the program to the front, restored (another copy was started).
    void bringToFront();
    // The session ends: settings written, readers stopped, the program ends,
    // without the question about connected clients.
    void endSession();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    void sentencesStored();
    void refresh();
    void scrollAll();
    void oneOfEach();
    void setDisplayType(int type);
    void chooseFont();
    void applyFont(const QFont& font, int colour);
    void udpOutput();
    void portSettings();
    void simulationSettings();
    void dumpSettings();
    void setSystemTime();
    void newRmc(const DataThing& entry);
    void showNewestRmc();
    void saveSettings();
    bool boundsAreNormal() const;

    NmeaServer& m_server;
    QLabel* m_status = nullptr;
    QLabel* m_connections = nullptr;
    QTableWidget* m_listAll = nullptr;
    QTableWidget* m_listOne = nullptr;
    TPositionWindow* m_position = nullptr;
    TSetTime* m_setTime = nullptr;
    TDumpDialog* m_dumpDialog = nullptr; // made once: it keeps what was typed
    QTimer m_minimiseTimer;
    // The lists and the position follow the sentences at most this often.
    QTimer m_refreshTimer;
    QElapsedTimer m_sinceRefresh;
    quint64 m_shownTotal = 0;   // sentences of the recent list already shown
    QByteArray m_newestRmcName; // an RMC came since the last refresh
    bool m_rmcSeen = false;
    QActionGroup* m_displayGroup = nullptr;
    int m_longestText = 0;
    bool m_ended = false;
};

} // namespace velmar::nmeaserver
