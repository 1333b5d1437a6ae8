#include "nav/WeatherStation.h"

#include <QLoggingCategory>
#include <QThread>
#include <QTimer>

#include <dlfcn.h>

#include <cmath>

namespace velmar::nav {

namespace {

Q_LOGGING_CATEGORY(weatherLog, "velmar.nav.weather")

struct Library {
    bool tried = false;
    void* handle = nullptr;
    WeatherLinkApi api;
    QString missing;
};

Library& library()
{
    static Library l;
    return l;
}

WeatherMessageSink& sink()
{
    static WeatherMessageSink s = nullptr;
    return s;
}

void tell(const char* text, const char* caption)
{
    qCWarning(weatherLog).noquote() << caption << ":" << text;
    if (sink())
        sink()(QString::fromLatin1(text), QString::fromLatin1(caption));
}

template <class Fn>
void bindEntry(void* handle, const char* name, Fn& fn, QStringList& missing)
{
    fn = reinterpret_cast<Fn>(dlsym(handle, name));
    if (!fn)
        missing << QStringLiteral("Ext%1").arg(QLatin1String(name));
}

bool bind(const QStringList& names, QString* missing)
{
    Library& l = library();
    l.tried = true;
    for (const QString& name : names) {
        l.handle = dlopen(name.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
        if (l.handle)
            break;
    }
    if (!l.handle) {
        qCInfo(weatherLog) << "no weather-station library" << names;
        return false;
    }
    QStringList absent;
    WeatherLinkApi& a = l.api;
    bindEntry(l.handle, "OpenCommPort", a.OpenCommPort, absent);
    bindEntry(l.handle, "SetCommTimeoutVal", a.SetCommTimeoutVal, absent);
    bindEntry(l.handle, "SetUnits", a.SetUnits, absent);
    bindEntry(l.handle, "CloseCommPort", a.CloseCommPort, absent);
    bindEntry(l.handle, "GetOutsideTemp", a.GetOutsideTemp, absent);
    bindEntry(l.handle, "GetInsideTemp", a.GetInsideTemp, absent);
    bindEntry(l.handle, "GetBarometer", a.GetBarometer, absent);
    bindEntry(l.handle, "GetWindSpeed", a.GetWindSpeed, absent);
    bindEntry(l.handle, "GetTotalRain", a.GetTotalRain, absent);
    bindEntry(l.handle, "GetInsideHumidity", a.GetInsideHumidity, absent);
    bindEntry(l.handle, "GetOutsideHumidity", a.GetOutsideHumidity, absent);
    bindEntry(l.handle, "GetWindDirection", a.GetWindDirection, absent);
    l.missing = absent.join(QLatin1Char('\n'));
    if (!absent.isEmpty()) {
        const QByteArray text = l.missing.toLatin1();
        tell(text.constData(), WeatherMissingCaption);
    }
    if (missing)
        *missing = l.missing;
    return true;
}

void setAll(float value)
{
    WeatherValues& v = TheWeatherValues();
    v.outsideTemp = value;
    v.insideTemp = value;
    v.barometer = value;
    v.windSpeed = value;
    v.totalRain = value;
    v.insideHumidity = int(value);
    v.outsideHumidity = int(value);
    v.windDirection = int(value);
}

template <class Fn, class Value>
void readInto(Fn fn, std::atomic<Value>& into)
{
    if (fn)
        into = Value(fn());
}

} // namespace

bool LoadWeatherDll(QString* missing)
{
    Library& l = library();
    if (l.tried) {
        if (missing)
            *missing = l.missing;
        return l.handle != nullptr;
    }
    const QString file = qEnvironmentVariable("VELMAR_WEATHERLINK_LIBRARY");
    return bind(file.isEmpty() ? QStringList{QStringLiteral("libweatherlink.so.1"), QStringLiteral("libweatherlink.so")}
                               : QStringList{file},
                missing);
}

bool LoadWeatherDllFrom(const QString& file, QString* missing)
{
    Library& l = library();
    // A test's stand-in stays loaded: its functions may still be bound.
    l = Library();
    return bind({file}, missing);
}

const WeatherLinkApi& WeatherLink()
{
    return library().api;
}

WeatherValues& TheWeatherValues()
{
    static WeatherValues v;
    return v;
}

void SetWeatherMessageSink(WeatherMessageSink s)
{
    sink() = s;
}

std::optional<QString> FormatWeatherValue(int code)
{
    const WeatherValues& v = TheWeatherValues();
    if (!v.portOpen)
        return std::nullopt;
    auto real = [](float value) -> std::optional<QString> {
        if (value == WeatherNoValue)
            return std::nullopt;
        return QString::asprintf("%6.1f", double(value));
    };
    auto whole = [](int value) -> std::optional<QString> {
        if (value == int(WeatherNoValue))
            return std::nullopt;
        return QString::number(value);
    };
    switch (code) {
    case 1: return real(v.outsideTemp);
    case 2: return real(v.insideTemp);
    case 3: return whole(v.outsideHumidity);
    case 4: return whole(v.insideHumidity);
    case 5: return real(v.barometer);
    case 6: return real(v.windSpeed);
    case 7: return whole(v.windDirection);
    case 8: return real(v.totalRain);
    default: return std::nullopt;
    }
}

bool OpenWeatherStation(int port)
{
    WeatherValues& v = TheWeatherValues();
    if (v.portOpen)
        return true;
    const WeatherLinkApi& a = WeatherLink();
    if (!a.OpenCommPort || a.OpenCommPort(short(port), WeatherBaud) != 1)
        return false;
    if (!a.SetCommTimeoutVal || a.SetCommTimeoutVal(100, 100) != 1)
        tell("Can't set Comm Timeout interval", WeatherErrorCaption);
    char units[4] = {1, 1, 2, 1};
    if (!a.SetUnits || a.SetUnits(units) != 1) {
        tell("Can't set Davis Units", WeatherErrorCaption);
        // Closed, so that the next try a minute later opens it afresh.
        if (a.CloseCommPort)
            a.CloseCommPort();
        return false;
    }
    v.portOpen = true;
    return true;
}

void CloseWeatherStation()
{
    WeatherValues& v = TheWeatherValues();
    if (!v.portOpen)
        return;
    if (WeatherLink().CloseCommPort)
        WeatherLink().CloseCommPort();
    v.portOpen = false;
}

void ReadWeatherValues(int port)
{
    setAll(WeatherNoValue);
    if (!OpenWeatherStation(port))
        return;
    const WeatherLinkApi& a = WeatherLink();
    WeatherValues& v = TheWeatherValues();
    readInto(a.GetOutsideTemp, v.outsideTemp);
    readInto(a.GetInsideTemp, v.insideTemp);
    readInto(a.GetBarometer, v.barometer);
    readInto(a.GetWindSpeed, v.windSpeed);
    readInto(a.GetTotalRain, v.totalRain);
    readInto(a.GetInsideHumidity, v.insideHumidity);
    readInto(a.GetOutsideHumidity, v.outsideHumidity);
    readInto(a.GetWindDirection, v.windDirection);
}

WeatherThread::WeatherThread(int port, QObject* parent)
    : QObject(parent), m_port(port), m_thread(new QThread), m_worker(new QObject)
{
    setAll(WeatherNoValue);
    m_thread->setObjectName(QStringLiteral("weather"));
    auto* timer = new QTimer(m_worker);
    m_worker->moveToThread(m_thread);
    QObject::connect(timer, &QTimer::timeout, m_worker, [port] { ReadWeatherValues(port); });
    QObject::connect(m_thread, &QThread::finished, m_worker, [] { CloseWeatherStation(); });
    QObject::connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
}

WeatherThread::~WeatherThread()
{
    Stop();
    delete m_thread;
}

void WeatherThread::Begin(int periodMs)
{
    if (!IsRunning())
        return;
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, periodMs, port = m_port] {
        if (auto* timer = worker->findChild<QTimer*>())
            timer->start(periodMs);
        ReadWeatherValues(port);
    });
}

void WeatherThread::Stop()
{
    if (!m_thread->isRunning())
        return;
    m_thread->quit();
    m_thread->wait();
}

bool WeatherThread::IsRunning() const
{
    return m_thread->isRunning();
}

} // namespace velmar::nav
