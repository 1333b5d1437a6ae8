#include "VideoWindow.h"

namespace velmar::video {

TVideoWindow::TVideoWindow(int number, bool active, bool embedded, int videoWidth, int videoHeight, int left, int top,
                           int width, int height)
    : m_number(number)
{
    m_bools[vwActive] = active;
    m_bools[vwAutoSize] = true;
    m_bools[vwEmbedded] = embedded;
    m_bools[vwKeepAspectRatio] = true;
    m_bools[vwMouseMovesWindow] = true;
    m_bools[vwVideoPortEnabled] = true;
    m_ints[vwVideoWidth - vwMonitor] = videoWidth;
    m_ints[vwVideoHeight - vwMonitor] = videoHeight;
    m_ints[vwLeft - vwMonitor] = left;
    m_ints[vwTop - vwMonitor] = top;
    m_ints[vwWidth - vwMonitor] = width;
    m_ints[vwHeight - vwMonitor] = height;
}

bool TVideoWindow::GetBool(TVideoWindowNotify index) const
{
    return index >= 0 && index < boolCount && m_bools[size_t(index)];
}

int TVideoWindow::GetInt(TVideoWindowNotify index) const
{
    return index >= vwMonitor && index <= vwTop ? m_ints[size_t(index - vwMonitor)] : 0;
}

void TVideoWindow::SetBool(TVideoWindowNotify index, bool value)
{
    if (index < 0 || index >= boolCount || m_bools[size_t(index)] == value)
        return;
    m_bools[size_t(index)] = value;
    const bool exclusive = index == vwEmbedded || index == vwFullScreen || index == vwVideoPortEnabled;
    if (value && exclusive && m_partner)
        m_partner->m_bools[size_t(index)] = false;
    if (index == vwEmbedded || index == vwFullScreen)
        m_layoutMarker = -1;
    if (m_callback)
        m_callback(*this, index, value ? 1 : 0);
}

void TVideoWindow::SetInt(TVideoWindowNotify index, int value)
{
    if (index < vwMonitor || index > vwTop || m_ints[size_t(index - vwMonitor)] == value)
        return;
    m_ints[size_t(index - vwMonitor)] = value;
    if (m_callback)
        m_callback(*this, index, value);
}

void TVideoWindow::SetLocation(int left, int top, int width, int height)
{
    m_ints[vwLeft - vwMonitor] = left;
    m_ints[vwTop - vwMonitor] = top;
    m_ints[vwWidth - vwMonitor] = width;
    m_ints[vwHeight - vwMonitor] = height;
    if (m_callback)
        m_callback(*this, vwLocation, 1);
}

} // namespace velmar::video
