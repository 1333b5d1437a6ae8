#pragma once
// The NMEA server without its windows: the port readers and the simulator,
// the sentence path (UDP, store, dump files), the reaction to each reader
// state, the restart timer, the settings and the answers of the DDE service.
// The main form shows what it reports and edits its settings.
//
// Lives on the user-interface thread; the readers reach it through queued
// signals only, each carrying every sentence that waited (a reader hands them
// on a few times a second, each stamped with the moment it was read). The
// windows learn once per batch that sentences were stored, never once per
// sentence.
#include "nmeaserver/NmeaSettings.h"
#include "nmeaserver/SentenceStore.h"
#include "nmeaserver/SerialThread.h"
#include "nmeaserver/UdpOutput.h"
#include "platform/Dde.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace velmar::nmeaserver {

class NmeaServer : public QObject {
    Q_OBJECT
public:
    static constexpr int RestartDelayMs = 1000;

    explicit NmeaServer(SentenceStore::Clock clock = &platform::SystemTime::nowUtc, QObject* parent = nullptr);
    ~NmeaServer() override;

    // Builds the port list from the ports present and the settings file, reads
    // the file (the display font's values already in settings().Display serve
    // as its defaults), makes one reader per port and arms the restart timer:
    // the ports start one second later.
    void initialise(const QStringList& presentPorts);
    // Makes the simulator's worker from a copy of the simulation settings.
    using SimulatorFactory = std::function<ReaderWorker*(const SIMSETTINGS&)>;
    void setSimulatorFactory(SimulatorFactory factory) { m_simulatorFactory = std::move(factory); }
    NmeaSettings& settings() { return m_settings; }
    bool saveSettings(bool writeBounds);

    void StartPorts();
    // Stops the simulator and the reader of that port, or every reader.
    void StopPorts(const std::optional<QString>& portName = std::nullopt);
    // After new port settings: empty the store, write the file, start again.
    void applyPortSettings(bool writeBounds);
    // After new simulation settings: empty the store, write the file, stop
    // everything and start it all again a second later.
    void applySimulationSettings(bool writeBounds);
    // After the UDP dialog: open or close the output as SendUDPData says.
    void applyUdpSettings();
    void applyDumpSettings();
    // Program end: readers stopped, dump file and UDP output closed.
    void shutDown();

    // The DDE service "NMEA": claims its bus name; false when there is no
    // session bus or another server holds it (the program goes on without DDE).
    bool InitNmeaDde();
    void CloseNmeaDde();
    bool ddeConnect(const QString& topic);
    std::optional<QByteArray> ddeRequest(const QString& topic, const QString& item) const;
    int connectionCount() const { return m_connections; }
    // The number of programs on the bus that use the service.
    void SetDdeClients(int clients);

    // What the item "Status" answers: OK while any source delivers, else the
    // newest state of any source.
    int statusValue() const;
    const SentenceStore& store() const { return m_store; }
    const RecentSentences& recent() const { return m_recent; }
    const UdpOutput& udp() const { return m_udp; }
    bool restartPending() const { return m_restartTimer.isActive(); }

    // The sentence path and the reader states, public for the tests that
    // drive them without a port.
    void OnRawSentence(const QString& source, const QByteArray& text);
    void OnSentences(const QString& source, const SentenceBatch& batch);
    void OnPortStatus(const QString& source, int code);

signals:
    void statusTextChanged(const QString& text);
    void connectionsTextChanged(const QString& text);
    // After a batch of sentences: the store and recent() hold them.
    void sentencesStored();
    // The newest RMC sentence of a batch, after the batch (the clock form
    // times them).
    void rmcStored(const velmar::nmeaserver::DataThing& entry);
    void sentencesCleared();

private:
    // The stored entry when the sentence was an RMC, else null.
    const DataThing* handleSentence(const QString& source, QByteArrayView text, const platform::SystemTime& now,
                                    SteadyTime readAt);
    void batchHandled(const DataThing* newestRmc);
    void connectReader(SerialThread& reader);
    void startReader(SerialThread& reader, const THREADDATA& port);
    void clearSource(const QString& source);

    NmeaSettings m_settings;
    SentenceStore m_store;
    RecentSentences m_recent;
    // The last state given to OnPortStatus: a sentence that would give it
    // again changes nothing and costs nothing.
    QString m_lastStatusSource;
    int m_lastStatusCode = -1;
    UdpOutput m_udp;
    std::vector<std::unique_ptr<SerialThread>> m_readers; // one per port, same order
    std::unique_ptr<SerialThread> m_simulator;
    SimulatorFactory m_simulatorFactory;
    QTimer m_restartTimer;
    platform::DdeServer m_dde;
    int m_statusValue = 0;                    // the newest state of any source
    std::map<QString, int> m_sourceStatus;    // each source's own state
    std::map<QString, QString> m_sourceTexts; // each source's status-bar text
    int m_connections = 0;
};

} // namespace velmar::nmeaserver
