#include "nmeaserver/NmeaServer.h"

#include "settings/IniFile.h"
#include "nmeaserver/ReaderStatus.h"
#include "nmeaserver/SerialPortWorker.h"
#include "nmeaserver/ShipSimulator.h"

#include <QLoggingCategory>

#include <algorithm>

namespace velmar::nmeaserver {

Q_LOGGING_CATEGORY(lcServer, "velmar.nmeaserver")

namespace {
const QString DdeService = QStringLiteral("NMEA");
const QString StatusItem = QStringLiteral("Status");
// "1" while the simulator is on: clients show that the ship is not real.
const QString SimulatingItem = QStringLiteral("Simulating");
const QStringList Topics = {QStringLiteral("System"), QStringLiteral("strings"), QStringLiteral("Command")};

QByteArray withNul(QByteArray text)
{
    text.append('\0');
    return text;
}
} // namespace

NmeaServer::NmeaServer(SentenceStore::Clock clock, QObject* parent)
    : QObject(parent), m_store(std::move(clock)), m_simulator(std::make_unique<SerialThread>(SimulatorName)),
      m_dde(DdeService)
{
    m_dde.onConnect = [this](const QString& topic) { return ddeConnect(topic); };
    // The status bar counts the programs that talk to the server, not the
    // conversations they open and close as they poll.
    m_dde.onClientsChanged = [this](int clients) { SetDdeClients(clients); };
    m_dde.onRequest = [this](const QString& topic, const QString& item) { return ddeRequest(topic, item); };
    // Pokes are acknowledged and their data dropped; commands are refused.
    m_dde.onPoke = [](const QString&, const QString&, const QByteArray&) { return true; };
    m_dde.onExecute = [](const QString&, const QByteArray&) { return false; };
    m_simulatorFactory = [](const SIMSETTINGS& sim) -> ReaderWorker* { return new SimulatorWorker(sim); };
    m_restartTimer.setSingleShot(true);
    m_restartTimer.setInterval(RestartDelayMs);
    connect(&m_restartTimer, &QTimer::timeout, this, &NmeaServer::StartPorts);
    connectReader(*m_simulator);
}

void NmeaServer::connectReader(SerialThread& reader)
{
    connect(&reader, &SerialThread::sentencesReceived, this, &NmeaServer::OnSentences);
    connect(&reader, &SerialThread::statusChanged, this, &NmeaServer::OnPortStatus);
}

NmeaServer::~NmeaServer()
{
    shutDown();
}

void NmeaServer::initialise(const QStringList& presentPorts)
{
    IniFile file(settingsFilePath());
    file.load();
    m_settings.setPorts(presentPorts, file);
    m_settings.load(file);
    m_store.setDumpInfo(m_settings.Dump);

    m_readers.clear();
    m_sourceStatus.clear();
    m_sourceTexts.clear();
    for (const THREADDATA& port : m_settings.Ports) {
        auto reader = std::make_unique<SerialThread>(port.PortName);
        connectReader(*reader);
        m_readers.push_back(std::move(reader));
    }
    m_restartTimer.start();
}

bool NmeaServer::saveSettings(bool writeBounds)
{
    // Read first, so that keys we do not know and the stored bounds of a
    // maximised form stay as they are.
    IniFile file(settingsFilePath());
    file.load();
    m_settings.save(file, writeBounds);
    if (!file.save()) {
        qCWarning(lcServer) << "settings not written:" << file.path();
        return false;
    }
    return true;
}

void NmeaServer::StartPorts()
{
    if (!m_udp.isOpen() && m_settings.Udp.SendUDPData)
        m_udp.OpenUdp(m_settings.Udp.UDPPort);
    else if (m_udp.isOpen() && !m_settings.Udp.SendUDPData)
        m_udp.CloseUdp();

    if (m_settings.Sim.Simulate)
        m_simulator->Start(m_simulatorFactory ? [this] { return m_simulatorFactory(m_settings.Sim); }
                                              : SerialThread::WorkerFactory());
    else
        m_simulator->Stop();

    for (size_t i = 0; i < m_readers.size(); ++i) {
        const THREADDATA& port = m_settings.Ports[i];
        if (!port.Enable || m_settings.Sim.Simulate)
            m_readers[i]->Stop();
        else
            startReader(*m_readers[i], port);
    }
}

void NmeaServer::startReader(SerialThread& reader, const THREADDATA& port)
{
    const QString name = port.PortName;
    const int baud = port.BaudRate;
    const int timeoutMs = readTimeoutMs();
    reader.Start([=]() -> ReaderWorker* { return new SerialPortWorker(name, baud, timeoutMs); });
}

void NmeaServer::StopPorts(const std::optional<QString>& portName)
{
    m_simulator->Stop();
    for (const auto& reader : m_readers)
        if (!portName || reader->name() == *portName)
            reader->Stop();
}

void NmeaServer::applyPortSettings(bool writeBounds)
{
    m_store.ClearSentences();
    emit sentencesCleared();
    saveSettings(writeBounds);
    StartPorts();
}

void NmeaServer::applySimulationSettings(bool writeBounds)
{
    m_store.ClearSentences();
    emit sentencesCleared();
    saveSettings(writeBounds);
    StopPorts();
    m_restartTimer.start();
}

void NmeaServer::applyUdpSettings()
{
    if (m_settings.Udp.SendUDPData)
        m_udp.OpenUdp(m_settings.Udp.UDPPort);
    else
        m_udp.CloseUdp();
}

void NmeaServer::applyDumpSettings()
{
    m_store.setDumpInfo(m_settings.Dump);
}

void NmeaServer::shutDown()
{
    CloseNmeaDde();
    m_restartTimer.stop();
    StopPorts();
    m_store.dumpFile().close();
    m_udp.CloseUdp();
}

void NmeaServer::OnRawSentence(const QString& source, const QByteArray& text)
{
    const DataThing* rmc = handleSentence(source, text, m_store.now(), {});
    batchHandled(rmc);
}

void NmeaServer::OnSentences(const QString& source, const SentenceBatch& batch)
{
    // The clock is read (and converted to the calendar) once per batch; each
    // sentence is stamped with the moment it was read, which may lie a little
    // before the batch was handed on. The sentences of one read share it.
    const platform::SystemTime now = m_store.now();
    const auto nowPoint = now.toTimePoint();
    const SteadyTime steadyNow = std::chrono::steady_clock::now();
    SteadyTime lastRead;
    platform::SystemTime received = now;
    const DataThing* rmc = nullptr;
    for (size_t i = 0; i < batch.size(); ++i) {
        const SteadyTime readAt = batch.readAt(i);
        if (readAt != lastRead) {
            lastRead = readAt;
            const auto before = std::chrono::duration_cast<std::chrono::milliseconds>(steadyNow - readAt);
            received = readAt == SteadyTime{} || before.count() <= 0
                         ? now
                         : platform::SystemTime::fromTimePoint(nowPoint - before);
        }
        if (const DataThing* entry = handleSentence(source, QByteArrayView(batch[i].data(), qsizetype(batch[i].size())),
                                                    received, readAt))
            rmc = entry;
    }
    batchHandled(rmc);
}

void NmeaServer::batchHandled(const DataThing* newestRmc)
{
    emit sentencesStored();
    // Last, when the whole batch has gone out: the clock form may ask the
    // operator, and sentences that come meanwhile must follow these.
    if (newestRmc)
        emit rmcStored(*newestRmc);
}

const DataThing* NmeaServer::handleSentence(const QString& source, QByteArrayView text, const platform::SystemTime& now,
                                            SteadyTime readAt)
{
    if (text.isEmpty())
        return nullptr;
    // The datagram carries the sentence exactly as read.
    if (m_udp.isOpen())
        m_udp.send(text);
    if (text.size() < 2)
        return nullptr;
    const QByteArrayView stripped = withoutLineEnd(text);
    const SentenceStore::Stored stored = m_store.StoreSentence(stripped, source, now, readAt);
    if (!stored.entry)
        return nullptr;
    if (stored.known && !(m_lastStatusCode == StatusCollecting && m_lastStatusSource == source))
        OnPortStatus(source, StatusCollecting);
    m_recent.add(stripped, stored.entry->Name.size(), stored.entry->Received);
    return stored.entry->IsType("RMC") ? stored.entry : nullptr;
}

void NmeaServer::clearSource(const QString& source)
{
    m_store.clearSource(source);
    emit sentencesCleared();
}

void NmeaServer::OnPortStatus(const QString& source, int code)
{
    m_lastStatusSource = source;
    m_lastStatusCode = code;
    const bool simulating = source == SimulatorName;
    // Each port keeps its own state and text: an unplugged second instrument
    // must neither hide nor interrupt the GPS port that delivers.
    const QString text = statusText(code, source, simulating, m_settings.Sim.Initials);
    if (text.isEmpty())
        m_sourceTexts.erase(source);
    else
        m_sourceTexts[source] = text;
    QStringList texts;
    for (const auto& [name, shown] : m_sourceTexts)
        texts << shown;
    emit statusTextChanged(texts.join(QStringLiteral(" | ")));
    if (const auto value = statusValueAfter(code)) {
        m_statusValue = *value;
        m_sourceStatus[source] = *value;
    }

    switch (code) {
    case StatusPortError:
        // Only this port has stopped; it is tried again with the next start,
        // and the other ports read on.
        m_restartTimer.start();
        break;
    case StatusTimeOut:
    case StatusOverflow:
        clearSource(source);
        StopPorts(source);
        m_restartTimer.start();
        break;
    case StatusIdle: clearSource(source); break;
    default: break;
    }
}

bool NmeaServer::InitNmeaDde()
{
    if (m_dde.start())
        return true;
    qCWarning(lcServer) << "DDE service" << DdeService << "not available";
    return false;
}

void NmeaServer::CloseNmeaDde()
{
    m_dde.stop();
}

bool NmeaServer::ddeConnect(const QString& topic)
{
    for (const QString& t : Topics) {
        if (platform::ddeNamesEqual(t, topic))
            return true;
    }
    return false;
}

std::optional<QByteArray> NmeaServer::ddeRequest(const QString& /*topic*/, const QString& item) const
{
    if (platform::ddeNamesEqual(item, StatusItem)) {
        const QByteArray word = statusWord(statusValue());
        if (word.isEmpty())
            return std::nullopt;
        return withNul(word);
    }
    if (platform::ddeNamesEqual(item, SimulatingItem))
        return withNul(m_settings.Sim.Simulate ? "1" : "0");
    if (const DataThing* entry = m_store.findItem(item))
        return withNul(entry->Text);
    return std::nullopt;
}

int NmeaServer::statusValue() const
{
    for (const auto& [source, value] : m_sourceStatus)
        if (value == DdeStatusOK)
            return DdeStatusOK;
    return m_statusValue;
}

void NmeaServer::SetDdeClients(int clients)
{
    m_connections = std::max(0, clients);
    const QString format = m_connections == 1 ? QStringLiteral("%1 Connection") : QStringLiteral("%1 Connections");
    emit connectionsTextChanged(format.arg(m_connections));
}

} // namespace velmar::nmeaserver
