#pragma once
// The made-up instruments of a ship under way: GPS (RMC, GGA), gyro (HDT),
// magnetic compass (HDM), speed log (VHW) and an AIS receiver replaying a
// fixed table of traffic. The ship is dead-reckoned from the start position,
// speed and heading of the simulation settings.
//
// Pure logic, no thread and no clock of its own: SimulatorWorker drives it.
// Every sentence carries a checksum computed over its own fields and ends
// with CR LF.
#include "nmeaserver/Checksum.h"
#include "nmeaserver/NmeaSettings.h"
#include "nmeaserver/SerialThread.h"
#include "platform/SystemTime.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <functional>

class QTimer;

namespace velmar::nmeaserver {

inline constexpr int AisSentenceCount = 97;
extern const std::array<const char*, AisSentenceCount> AisSentences;

class ShipSimulator {
public:
    static constexpr int SentencesPerCycle = 6;
    static constexpr double MagneticVariation = 7.2; // added for HDM
    static constexpr double KilometresPerNauticalMile = 1.852;
    // An interval of 0 or below would post without pause; this is the least.
    static constexpr double MinimumInterval = 0.1;

    // random: a whole number 0..359 for the course while the speed is 0.
    explicit ShipSimulator(const SIMSETTINGS& settings, std::function<int()> random = {});

    // The sentences of one cycle at UTC time t, in the order they are sent:
    // RMC, HDT, HDM, GGA, VHW, and the next stored AIS line, each with its
    // CR LF. Then the ship
    // moves on by one interval.
    QList<QByteArray> cycle(const platform::SystemTime& t);

    double interval() const;
    double latitudeMinutes() const { return m_lat; }
    double longitudeMinutes() const { return m_lon; }
    const SIMSETTINGS& settings() const { return m_settings; }

private:
    SIMSETTINGS m_settings;
    std::function<int()> m_random;
    double m_lat = 0;   // minutes of arc, south negative
    double m_lon = 0;   // minutes of arc, west negative
    double m_north = 0; // minutes of latitude per second
    double m_east = 0;  // minutes of longitude per second, fixed for the start latitude
    int m_aisIndex = 0;
};

// The simulator's thread body: posts StatusSimulating, then one sentence every
// interval / 6, until stopped.
class SimulatorWorker : public ReaderWorker {
    Q_OBJECT
public:
    explicit SimulatorWorker(const SIMSETTINGS& settings);
    void start() override;
    void stop() override;

private:
    void tick();

    ShipSimulator m_ship;
    QList<QByteArray> m_pending;
    SentenceBatch m_batch;
    QTimer* m_timer = nullptr;
    bool m_ended = false;
};

} // namespace velmar::nmeaserver
