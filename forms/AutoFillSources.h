#pragma once
// Where the self-filling controls of user forms take their values from,
// besides the program clock: the newest NMEA sentences of the NMEA server,
// the measurement board's analog and digital inputs (and the counter output
// lines), and the weather station. Each subsystem installs its part; until
// one does, every question answers "no value" and the control stays as it
// was.
//
// User-interface thread only. The installed object is not owned here and
// must outlive its installation (pass nullptr to remove it).
#include <QString>

#include <optional>

namespace velmar::forms {

class AutoFillSources {
public:
    virtual ~AutoFillSources() = default;

    // Field `position` of the newest sentence `sentence` ("NMEA String").
    virtual std::optional<double> nmeaFloat(const QString& sentence, int position);
    virtual std::optional<int> nmeaInt(const QString& sentence, int position);
    virtual std::optional<QString> nmeaString(const QString& sentence, int position);

    // One reading in volts of an analog channel of the board (type and
    // number of the settings), at a gain code.
    virtual std::optional<double> readVoltage(int boardType, int boardNumber, int channel, int gain);
    // One digital input line of the board: 0 or 1.
    virtual std::optional<int> readDigitalLine(int boardType, int boardNumber, int line);

    // Whether the counter board's library is loaded; pulses go nowhere without it.
    virtual bool boardLibraryBound();
    // `count` pulses on a digital output line of the counter board; false
    // when they could not be sent (no board output in this run).
    virtual bool requestDigitalOutput(int line, int count);

    // The newest value of a weather item (WeatherKeywordCode), as shown.
    virtual std::optional<QString> weatherValue(int item);
};

// Sources that answer what they know themselves and pass every other
// question on to the sources installed before them.
class ForwardingAutoFillSources : public AutoFillSources {
public:
    explicit ForwardingAutoFillSources(AutoFillSources& others) : m_others(others) {}

    std::optional<double> nmeaFloat(const QString& sentence, int position) override;
    std::optional<int> nmeaInt(const QString& sentence, int position) override;
    std::optional<QString> nmeaString(const QString& sentence, int position) override;
    std::optional<double> readVoltage(int boardType, int boardNumber, int channel, int gain) override;
    std::optional<int> readDigitalLine(int boardType, int boardNumber, int line) override;
    bool boardLibraryBound() override;
    bool requestDigitalOutput(int line, int count) override;
    std::optional<QString> weatherValue(int item) override;

    AutoFillSources& Others() { return m_others; }

private:
    AutoFillSources& m_others;
};

void setAutoFillSources(AutoFillSources* sources);
// The installed sources, or ones that have no value for anything.
AutoFillSources& autoFillSources();

} // namespace velmar::forms
