#pragma once
// Pelvane's acquisition engine: the one device, the open pipes and the split
// of every block into the pipes' streams.
//
// The engine lives on the acquisition thread (AcquisitionThread moves it
// there) and every method must be called there; the user-interface thread
// reaches it through AcquisitionThread, and hears from it through the
// signals (queued). Nothing is shared between the threads: the engine keeps
// its own copy of the settings.
//
// States: 0 idle, 1 running, 2 starting, 3 stopping. The first pipe that opens
// starts the device, the last that closes stops it; a pipe opened while the
// device stops is fed once the device has started again.
#include "pipeserver/AcquisitionDevice.h"
#include "pipeserver/FanOut.h"
#include "pipeserver/PipeOutlet.h"

#include <QLoggingCategory>
#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace velmar::pipeserver {

Q_DECLARE_LOGGING_CATEGORY(lcEngine) // "velmar.pipeserver.engine"

enum AdcState : int { AdcIdle = 0, AdcRunning = 1, AdcStarting = 2, AdcStopping = 3 };
// Pipe states of the dialog's pipe lines.
enum PipeState : int { PipeIdle = 1, PipeFilling = 2, PipeError = 3, PipeStarting = 4 };

struct PipeCounters {
    bool open = false;
    qint64 writtenBytes = 0;
    qint64 droppedFrames = 0;
    qint64 droppedBytes = 0;
    qint64 pendingBytes = 0;
};

class AcquisitionEngine : public QObject, private DeviceEvents {
    Q_OBJECT
public:
    // Makes the device for a record, or nothing for a kind that has no
    // device here (the engine says so).
    using DeviceFactory = std::function<std::unique_ptr<AcquisitionDevice>(const PipeSettings&)>;
    using Clock = std::function<qint64()>; // milliseconds, steady

    AcquisitionEngine(DeviceFactory factory, Clock clock, QObject* parent = nullptr);
    ~AcquisitionEngine() override;

    void setSettings(const PipeSettings& settings);
    void openOutputPipe(uint32_t bit);
    void closeOutputPipe(uint32_t bit);
    int adcState() const { return m_state; }
    uint32_t openPipes() const { return m_openPipes; }
    PipeCounters counters(uint32_t bit) const;
    // Tick count of the last NI-DAQ buffer transfer: no such device here.
    qint64 lastFillTime() const { return 0; }
    // The rate the device found is in "PipeDat.dat" now: the pipes are fed
    // (until then they get nothing, so that no consumer reads samples whose
    // rate the file does not yet tell).
    void ratePublished();
    // Stops the device and closes every pipe (the program ends).
    void shutDown();

    // Splits a block among the open pipes and writes them (the device's
    // blocks come here; tests and the benchmark may call it too).
    void distributeBlock(const int16_t* samples, qsizetype count);

signals:
    void adcStateChanged(int state);
    void pipeStateChanged(uint bit, int state);
    void statusText(const QString& text);
    void message(const QString& text, const QString& caption);
    // The device runs at another rate than the settings say; the pipes are
    // held until ratePublished() (at once when nothing listens).
    void sampleRateFound(int sampleRate);

private:
    void deviceStarted(int sampleRate) override;
    void deviceStartFailed(const QString& text, const QString& caption) override;
    void deviceStopped(const QString& error) override;
    void deviceBlock(const int16_t* samples, qsizetype count) override;
    void deviceStatus(const QString& text) override;

    void setAdcState(int state);
    void startAcquisition();
    void stopAcquisition();
    void endPipe(int index);
    // Tells the dialog a pipe's state when it changed.
    void reportPipe(int index, int state);
    // Runs on the acquisition thread's next turn, for the device in use now.
    void later(std::function<void()> fn);

    DeviceFactory m_factory;
    Clock m_clock;
    PipeSettings m_settings;
    std::optional<StreamLayout> m_layout; // of the acquisition in progress
    std::unique_ptr<AcquisitionDevice> m_device;
    quint64 m_deviceGeneration = 0;
    int m_state = AdcIdle;
    bool m_holdForRate = false; // the device's rate is not yet published
    uint32_t m_openPipes = 0;
    int m_nextSlot = 0;
    std::array<std::unique_ptr<PipeOutlet>, PipeSettings::PipeCount> m_outlets;
    std::array<PipeCarry, PipeSettings::PipeCount> m_carries;
    std::array<PipeCounters, PipeSettings::PipeCount> m_closedCounters;
    std::array<int, PipeSettings::PipeCount> m_reportedState{};
};

} // namespace velmar::pipeserver
