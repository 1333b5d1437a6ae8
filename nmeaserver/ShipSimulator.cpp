#include "nmeaserver/ShipSimulator.h"

#include "nmeaserver/ReaderStatus.h"

#include <QRandomGenerator>
#include <QString>
#include <QTimer>

#include <cmath>
#include <numbers>

namespace velmar::nmeaserver {

namespace {
constexpr double MinutesPerDegree = 60.0;
constexpr double SecondsPerHour = 3600.0;
constexpr double FullCircle = 360.0;

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}
double degrees(double radians)
{
    return radians * 180.0 / std::numbers::pi;
}

double intoCircle(double a)
{
    a = std::fmod(a, FullCircle);
    return a < 0 ? a + FullCircle : a;
}

// ddmm.mmm of a signed number of minutes.
double nmeaValue(double minutes)
{
    const double d = std::fabs(minutes);
    const double whole = std::floor(d / MinutesPerDegree);
    return whole * 100.0 + (d - whole * MinutesPerDegree);
}

// Every line ends as a real instrument's does, so listeners that wait for
// the line feed (gpsd, a terminal, a logger) take each sentence at once.
constexpr char LineEnd[] = "\r\n";

// The sentence with its checksum and line end.
QByteArray finish(const QString& fields)
{
    const QByteArray body = fields.toLatin1();
    return body + '*' + nmeaChecksum(body) + LineEnd;
}

const char* talker(const QString& initials)
{
    static thread_local QByteArray text;
    text = initials.toLatin1();
    return text.constData();
}
} // namespace

ShipSimulator::ShipSimulator(const SIMSETTINGS& settings, std::function<int()> random)
    : m_settings(settings), m_random(std::move(random))
{
    if (!m_random)
        m_random = [] { return int(QRandomGenerator::global()->bounded(360)); };
    m_lat = double(settings.Latitude) * MinutesPerDegree;
    m_lon = double(settings.Longitude) * MinutesPerDegree;
    const double v = double(settings.Speed) / SecondsPerHour;
    const double a = radians(90.0 - double(settings.Heading));
    m_north = std::sin(a) * v;
    m_east = std::cos(a) * v / std::cos(radians(double(settings.Latitude)));
}

double ShipSimulator::interval() const
{
    return std::max(double(m_settings.Interval), MinimumInterval);
}

QList<QByteArray> ShipSimulator::cycle(const platform::SystemTime& t)
{
    const double dt = interval();
    const double latValue = nmeaValue(m_lat);
    const double lonValue = nmeaValue(m_lon);
    const char ns = m_lat > 0 ? 'N' : 'S';
    const char ew = m_lon >= 0 ? 'E' : 'W';

    const double dx = m_east * std::cos(radians(m_lat / MinutesPerDegree)) * dt;
    const double dy = m_north * dt;
    double course = m_settings.Speed > 0 ? 90.0 - degrees(std::atan2(dy, dx)) : double(m_random());
    if (course < 0)
        course += FullCircle;
    const double speed = std::sqrt(dx * dx + dy * dy) * SecondsPerHour / dt;
    const double h = intoCircle(double(m_settings.Heading));
    const double m = intoCircle(h + MagneticVariation);

    QList<QByteArray> out;
    out << finish(
        QString::asprintf("$%2sRMC,%2.2d%2.2d%2.2d,A,%08.3f,%c,%09.3f,%c,%04.1f,%3.3d,%2.2d%2.2d%2.2d,0.0,R,S",
                          talker(m_settings.Initials), t.wHour, t.wMinute, t.wSecond, latValue, ns, lonValue, ew, speed,
                          int(course), t.wDay, t.wMonth, t.wYear % 100));
    out << finish(QString::asprintf("$%2sHDT,%05.1f,T", talker(m_settings.HDTInitials), h));
    out << finish(QString::asprintf("$%2sHDM,%05.1f,M", talker(m_settings.HDMInitials), m));
    out << finish(QString::asprintf("$%2sGGA,%2.2d%2.2d%2.2d,%08.3f,%c,%09.3f,%c,1,04,24.4,19.7,M,,,,0000",
                                    talker(m_settings.Initials), t.wHour, t.wMinute, t.wSecond, latValue, ns, lonValue,
                                    ew));
    out << finish(QString::asprintf("$SDVHW,%d,T,%d,M,%3.1f,N,%3.1f,K,", int(h), int(m), speed,
                                    speed * KilometresPerNauticalMile));
    out << QByteArray(AisSentences[size_t(m_aisIndex)]) + LineEnd;
    m_aisIndex = (m_aisIndex + 1) % AisSentenceCount;

    m_lat += m_north * dt;
    m_lon += m_east * dt;
    return out;
}

SimulatorWorker::SimulatorWorker(const SIMSETTINGS& settings) : m_ship(settings)
{
}

void SimulatorWorker::start()
{
    reportStatus(StatusSimulating);
    m_timer = new QTimer(this);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(int(m_ship.interval() * 1000.0 / ShipSimulator::SentencesPerCycle));
    connect(m_timer, &QTimer::timeout, this, &SimulatorWorker::tick);
    m_timer->start();
    tick();
}

void SimulatorWorker::tick()
{
    if (m_ended)
        return;
    if (m_pending.isEmpty())
        m_pending = m_ship.cycle(platform::SystemTime::nowUtc());
    const QByteArray next = m_pending.takeFirst();
    m_batch.append(std::string_view(next.constData(), size_t(next.size())), std::chrono::steady_clock::now());
    // Paced by its own timer, a few sentences a second: handed on at once.
    deliver(m_batch, std::chrono::steady_clock::duration::zero());
}

void SimulatorWorker::stop()
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_timer) {
        m_timer->stop();
        m_timer->deleteLater();
        m_timer = nullptr;
    }
    reportStatus(StatusIdle);
    emit finished();
}

} // namespace velmar::nmeaserver
