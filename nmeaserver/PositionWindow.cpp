#include "nmeaserver/PositionWindow.h"

#include "nmea/NmeaAngle.h"

#include <QFontMetrics>
#include <QLabel>

#include <cmath>

namespace velmar::nmeaserver {

namespace {
constexpr int Margin = 10;
constexpr QChar DegreeSign(0xB0);
constexpr QChar MinuteSign(0xB4); // the acute accent stands for the minute sign

QString angleText(const char* format, float value, const char* hemisphere)
{
    return QString::asprintf(format, int(nmea::NmeaDegrees(value)), DegreeSign.unicode(),
                             double(nmea::NmeaMinutes(value)), MinuteSign.unicode(), hemisphere);
}
} // namespace

TPositionWindow::TPositionWindow(const SentenceStore& store, QWidget* parent) : QFrame(parent), m_store(store)
{
    setObjectName(QStringLiteral("PositionWindow"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setCursor(Qt::CrossCursor);
    QLabel** labels[] = {&lat_edit, &long_edit, &speed_edit, &heading_edit, &time_edit};
    const char* names[] = {"lat_edit", "long_edit", "speed_edit", "heading_edit", "time_edit"};
    for (int i = 0; i < 5; ++i) {
        *labels[i] = new QLabel(this);
        (*labels[i])->setObjectName(QLatin1String(names[i]));
    }
    FormResize();
}

QString TPositionWindow::latitudeText(const RmcFix& fix)
{
    return angleText("%2.2d%lc%06.3f%lc%s", fix.Latitude, fix.LatHemisphere);
}

QString TPositionWindow::longitudeText(const RmcFix& fix)
{
    return angleText("%3.3d%lc%06.3f%lc%s", fix.Longitude, fix.LonHemisphere);
}

QString TPositionWindow::speedText(const RmcFix& fix)
{
    return QString::asprintf("Speed:     %04.1f k", double(fix.Speed));
}

QString TPositionWindow::headingText(const RmcFix& fix)
{
    return QString::asprintf("Heading:  %03d ", int(std::lround(fix.Course)));
}

QString TPositionWindow::timeText(const RmcFix& fix)
{
    if (fix.NoTime)
        return QStringLiteral("No valid time in RMC String");
    return QStringLiteral("GMT:  ")
         + QString::asprintf("%2.2d/%2.2d/%2.2d", fix.Date / 10000, (fix.Date % 10000) / 100, fix.Date % 100)
         + QLatin1Char(' ')
         + QString::asprintf("%2.2d:%2.2d:%2.2d", fix.Time / 10000, (fix.Time % 10000) / 100, fix.Time % 100);
}

void TPositionWindow::ShowRmc(const DataThing* entry)
{
    if (!entry)
        entry = m_store.FindSentence("RMC");
    if (!entry) {
        lat_edit->setText(QStringLiteral("No RMC Data"));
        for (QLabel* l : {long_edit, speed_edit, heading_edit, time_edit})
            l->clear();
        return;
    }
    RmcFix fix = newRmcFix();
    if (!ParseRmc(fix, entry->Text))
        fix = newRmcFix();
    lat_edit->setText(latitudeText(fix));
    long_edit->setText(longitudeText(fix));
    speed_edit->setText(speedText(fix));
    heading_edit->setText(headingText(fix));
    time_edit->setText(timeText(fix));
}

void TPositionWindow::SetDisplayFont(const QFont& font)
{
    setFont(font);
    FormResize();
}

void TPositionWindow::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    FormResize();
}

void TPositionWindow::FormResize()
{
    // About the smaller of a fifteenth of the width and a quarter of the
    // height, so the longest line fits either way.
    const int w = width() / 15;
    const int q = height() / 4;
    int pixels = std::max(1, w < q / 2 ? 2 * w : q);
    QFont big = font();
    big.setPixelSize(pixels);
    QFont small = big;
    small.setPixelSize(std::max(1, pixels / 2));
    int top = Margin;
    for (QLabel* l : {lat_edit, long_edit, speed_edit, heading_edit, time_edit}) {
        const QFont& f = (l == lat_edit || l == long_edit) ? big : small;
        l->setFont(f);
        const int h = QFontMetrics(f).height() + 1;
        l->setGeometry(Margin, top, std::max(0, width() - Margin), h);
        top += h * 12 / 11;
    }
}

} // namespace velmar::nmeaserver
