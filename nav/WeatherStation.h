#pragma once
// The Davis weather station, read once a minute on a thread of its own
// through the station maker's WeatherLink library, loaded at run time
// ("libweatherlink.so", or the file VELMAR_WEATHERLINK_LIBRARY names). The
// eight latest values are kept process-wide; the user forms' weather
// controls show them (FormatWeatherValue).
//
// Threads: LoadWeatherDll, WeatherStationWindow and FormatWeatherValue on
// the user-interface thread; ReadWeatherValues on the weather thread. The
// values and the port's open flag are atomic, so neither thread waits.
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>

class QThread;
class QTimer;

namespace velmar::nav {

// No value yet, or the station did not answer.
inline constexpr float WeatherNoValue = -101.0f;
// Reading period of the weather thread.
inline constexpr int WeatherReadPeriodMs = 60000;
inline constexpr int WeatherBaud = 2400;
inline constexpr const char* WeatherErrorCaption = "Weather Station Error";
inline constexpr const char* WeatherMissingCaption = "No routine";

// The library's entry points this program calls.
struct WeatherLinkApi {
    using OpenCommPortFn = short (*)(short port, int baud);
    using SetCommTimeoutValFn = short (*)(short, short);
    using SetUnitsFn = short (*)(char* units);
    using CloseCommPortFn = void (*)();
    using FloatFn = float (*)();
    using ShortFn = short (*)();
    OpenCommPortFn OpenCommPort = nullptr;
    SetCommTimeoutValFn SetCommTimeoutVal = nullptr;
    SetUnitsFn SetUnits = nullptr;
    CloseCommPortFn CloseCommPort = nullptr;
    FloatFn GetOutsideTemp = nullptr;
    FloatFn GetInsideTemp = nullptr;
    FloatFn GetBarometer = nullptr;
    FloatFn GetWindSpeed = nullptr;
    FloatFn GetTotalRain = nullptr;
    ShortFn GetInsideHumidity = nullptr;
    ShortFn GetOutsideHumidity = nullptr;
    ShortFn GetWindDirection = nullptr;
};

// Loads and binds the library on the first call (later calls only answer);
// true when it is loaded. Missing entry points are reported once, all in one
// message (`missing` receives the text; empty when none is missing), and are
// never called.
bool LoadWeatherDll(QString* missing = nullptr);
// Loads a given file instead (tests), forgetting any library bound before.
bool LoadWeatherDllFrom(const QString& file, QString* missing = nullptr);
const WeatherLinkApi& WeatherLink();

// The values (codes as WeatherKeywordCode: 1 outside temperature ... 8
// total rain).
struct WeatherValues {
    std::atomic<float> outsideTemp{WeatherNoValue};
    std::atomic<float> insideTemp{WeatherNoValue};
    std::atomic<float> barometer{WeatherNoValue};
    std::atomic<float> windSpeed{WeatherNoValue};
    std::atomic<float> totalRain{WeatherNoValue};
    std::atomic<int> insideHumidity{int(WeatherNoValue)};
    std::atomic<int> outsideHumidity{int(WeatherNoValue)};
    std::atomic<int> windDirection{int(WeatherNoValue)};
    std::atomic<bool> portOpen{false};
};
WeatherValues& TheWeatherValues();

// The latest value of a code as text ("%6.1f" for the real values, "%d" for
// the whole ones); nothing when the port is not open, the code is not 1 to 8
// or there is no value.
std::optional<QString> FormatWeatherValue(int code);

// Where the weather thread's messages go ("Can't set Davis Units" ...); set
// by the main program, default the log.
using WeatherMessageSink = void (*)(const QString& text, const QString& caption);
void SetWeatherMessageSink(WeatherMessageSink sink);

// Weather thread steps (weather thread only).
bool OpenWeatherStation(int port);
void CloseWeatherStation();
void ReadWeatherValues(int port);

// The thread that reads the station, with its timer; lives from switch-on to
// switch-off. Start on the user-interface thread; Begin starts the timer and
// reads at once; Stop ends the thread (closing the port) and waits for it.
class WeatherThread : public QObject {
    Q_OBJECT
public:
    explicit WeatherThread(int port, QObject* parent = nullptr);
    ~WeatherThread() override;
    void Begin(int periodMs = WeatherReadPeriodMs);
    void Stop();
    bool IsRunning() const;

private:
    int m_port;
    QThread* m_thread = nullptr;
    QObject* m_worker = nullptr;
};

} // namespace velmar::nav
