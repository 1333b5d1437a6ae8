#pragma once
// The wanted state of one of the component's two display windows (the main
// display and the dual display): active, embedded or floating, full screen,
// monitor, position and size. Every change is told to the component, which
// lays the windows out again. Only one of the two windows can be embedded,
// full screen or on the video port at a time.
//
// User-interface thread only.
#include <QChar>
#include <array>
#include <functional>

namespace velmar::video {

enum TVideoWindowNotify : int {
    vwActive,
    vwAutoSize,
    vwEmbedded,
    vwFullScreen,
    vwKeepAspectRatio,
    vwStayOnTop,
    vwMouseMovesWindow,
    vwVideoPortEnabled,
    vwMonitor,
    vwVideoWidth,
    vwVideoHeight,
    vwWidth,
    vwHeight,
    vwLeft,
    vwTop,
    vwLocation
};

class TVideoWindow {
public:
    using ChangeCallback = std::function<void(TVideoWindow& window, TVideoWindowNotify index, int value)>;

    TVideoWindow(int number, bool active, bool embedded, int videoWidth, int videoHeight, int left, int top, int width,
                 int height);

    int number() const { return m_number; }
    bool GetBool(TVideoWindowNotify index) const;
    int GetInt(TVideoWindowNotify index) const;
    void SetBool(TVideoWindowNotify index, bool value);
    void SetInt(TVideoWindowNotify index, int value);
    // Keeps a value without a notice (a window dragged by the user).
    void store(TVideoWindowNotify index, int value)
    {
        if (index >= vwMonitor && index <= vwTop)
            m_ints[size_t(index - vwMonitor)] = value;
    }
    // Always notifies, also when nothing changed.
    void SetLocation(int left, int top, int width, int height);

    void setPartner(TVideoWindow* partner) { m_partner = partner; }
    void setChangeCallback(ChangeCallback callback) { m_callback = std::move(callback); }
    bool needsLayout() const { return m_layoutMarker == -1; }
    void laidOut() { m_layoutMarker = 0; }
    QChar lastKey() const { return m_lastKey; }
    void setLastKey(QChar key) { m_lastKey = key; }

private:
    static constexpr int boolCount = vwVideoPortEnabled + 1;
    static constexpr int intCount = vwTop - vwMonitor + 1;
    int m_number;
    std::array<bool, boolCount> m_bools{};
    std::array<int, intCount> m_ints{};
    int m_layoutMarker = -1;
    QChar m_lastKey = QLatin1Char(' ');
    TVideoWindow* m_partner = nullptr;
    ChangeCallback m_callback;
};

} // namespace velmar::video
