// The component's display settings, kept by its display part.
#include "Ombrix.h"
#include "PictureCodec.h"
#include "ProcessLog.h"

#include <QFile>

namespace velmar::video {

TDisplayForm* TOmbrix::DisplayForm(int window) const
{
    return m_display.form(window);
}

void TOmbrix::setBackgroundColor(const QColor& color)
{
    m_display.setBackground(color);
}

void TOmbrix::setColorKeyEnabled(bool on)
{
    if (on == m_display.colorKey())
        return;
    m_display.setColorKey(on);
    RefreshPreview(QStringLiteral("ColorKeyEnabled"));
}

void TOmbrix::SetColorKeys(quint32, quint32)
{
    // Frames are painted by the display windows; no overlay surface takes a
    // colour key.
    if (m_display.colorKey())
        Report(true, sevWarning, QStringLiteral("cannot use color key"), w_cannot_use_color_key);
}

void TOmbrix::setLogoDisplayed(bool on)
{
    if (!m_destroying)
        m_display.setLogoDisplayed(on);
}

bool TOmbrix::SetLogoFromImage(const QImage& image)
{
    return m_display.setLogo(image);
}

bool TOmbrix::SetLogoFromBMPFile(const QString& fileName)
{
    if (!QFile::exists(fileName))
        return false;
    return SetLogoFromImage(QImage(fileName, "BMP"));
}

bool TOmbrix::SetLogoFromJPEGFile(const QString& fileName)
{
    if (!QFile::exists(fileName))
        return false;
    return SetLogoFromImage(ReadJpegFile(fileName, nullptr));
}

bool TOmbrix::displaysWanted() const
{
    return m_settings.frozen.frozen && m_settings.frozen.display
        && (m_currentState == cs_Preview || m_currentState == cs_Recording || m_currentState == cs_Playback);
}

} // namespace velmar::video
