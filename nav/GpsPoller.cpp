#include "nav/GpsPoller.h"

#include "nav/GpsFixList.h"
#include "nav/ProgramLinks.h"
#include "platform/BusNames.h"
#include "platform/MessageBus.h"
#include "platform/RunMode.h"
#include "nav/EventWriters.h"
#include "settings/ProgramSettings.h"
#include "store/RecordWriters.h"

#include <QLoggingCategory>
#include <QScopedValueRollback>

namespace velmar::nav {

namespace {

Q_LOGGING_CATEGORY(gpsLog, "velmar.nav.gps")

constexpr uint64_t MillisecondsPerSecond = 1000;

QString nmeaBusName()
{
    return platform::ddeBusName(QString::fromLatin1(NmeaClient::Service));
}

GpsPoller::Hooks withDefaults(GpsPoller::Hooks h)
{
    if (!h.tickNow)
        h.tickNow = MonotonicMilliseconds;
    if (!h.storeFix)
        h.storeFix = StoreGpsFix;
    if (!h.lastGpsIndex)
        h.lastGpsIndex = [] { return int32_t(store::GetLastGpsIndex()); };
    if (!h.resetLastGpsIndex)
        h.resetLastGpsIndex = store::ResetLastGpsIndex;
    if (!h.startServer)
        h.startServer = [] { return StartProgram(store::ProgramNmea); };
    if (!h.userFormsStoreOnGps)
        h.userFormsStoreOnGps = [] {};
    if (!h.sentenceChoice)
        h.sentenceChoice = NmeaSentenceChoice::FromProgramSettings;
    if (!h.minInterval)
        h.minInterval = [] { return int(store::TheProgramSettings.MinInterval); };
    if (!h.runMode)
        h.runMode = [] { return platform::RunMode; };
    return h;
}

} // namespace

GpsPoller::GpsPoller(GpsReadout& readout, GpsFixList& fixes, QObject* parent)
    : GpsPoller(readout, fixes, Hooks{}, parent)
{
}

GpsPoller::GpsPoller(GpsReadout& readout, GpsFixList& fixes, Hooks hooks, QObject* parent)
    : QObject(parent), m_readout(readout), m_fixes(fixes), m_hooks(withDefaults(std::move(hooks)))
{
    m_client.messageBox = [this](const QString& text, const QString& caption) { m_readout.ShowMessage(text, caption); };
    connect(&platform::MessageBus::instance(), &platform::MessageBus::nameOwnerChanged, this,
            &GpsPoller::OnNameOwnerChanged);
}

GpsPoller::~GpsPoller() = default;

void GpsPoller::PollGpsIfDue()
{
    if (m_hooks.runMode() != platform::RunModeOnline) {
        m_hooks.resetLastGpsIndex();
        return;
    }
    const uint64_t now = m_hooks.tickNow();
    const uint64_t least = uint64_t(std::max(m_hooks.minInterval(), 0)) * MillisecondsPerSecond;
    if (m_lastPoll && now - *m_lastPoll < least)
        return;
    PollGps();
}

void GpsPoller::PollGps()
{
    // A record stored while this poll stores its own (the forms that store
    // with every reading) asks for a poll in turn: it takes this reading.
    if (m_polling)
        return;
    const QScopedValueRollback<bool> polling(m_polling, true);
    // Every poll counts for the interval, the one at start-up too: the
    // first record after it must not read the same fix again.
    m_lastPoll = m_hooks.tickNow();
    const quint32 mode = m_hooks.runMode();
    const uint32_t status = m_client.DdeGetNmeaStatus();
    if (status != NmeaOk)
        m_readout.ShowNmeaStatus(NmeaStatusText(status));
    if (status == NmeaNoProgram)
        ServerAbsent();
    if (status != NmeaOk) {
        m_readout.ShowGpsPanel(GpsPanelTextsFor(nullptr, mode));
        return;
    }

    const NmeaSentenceChoice choice = m_hooks.sentenceChoice();
    GpsFixData fix;
    uint32_t read = m_client.DdeGetGPSData(fix, choice);
    if (read == NmeaNoData) {
        // The conversation was dropped; one more try on a fresh one.
        fix = GpsFixData();
        read = m_client.DdeGetGPSData(fix, choice);
    }
    if (read != NmeaOk) {
        // Nothing was read: nothing is stored, and the panel says why.
        m_readout.ShowNmeaStatus(NmeaStatusText(read));
        m_readout.ShowGpsPanel(GpsPanelTextsFor(nullptr, mode));
        return;
    }

    GpsPanelTexts panel = GpsPanelTextsFor(&fix, mode);
    // A simulated ship stored as survey data must never pass unnoticed.
    if (m_client.DdeNmeaSimulating())
        panel.status = SimulatedGpsText();
    m_readout.ShowGpsPanel(panel);
    const bool stored = m_hooks.storeFix(fix);
    m_hooks.userFormsStoreOnGps();
    QString datum;
    const uint32_t datumCode = m_client.DdeGetMapDatum(datum);
    m_readout.ShowMapDatum(MapDatumText(datumCode, datum));

    if (fix.valid) {
        // A fix whose row could not be stored has no Index to point at.
        const GPSTHING* node = m_fixes.Append(fix, stored ? m_hooks.lastGpsIndex() : 0, 0);
        emit newFix(node);
    }
}

void GpsPoller::ServerAbsent()
{
    const uint64_t now = m_hooks.tickNow();
    if (m_lastServerStart && now - *m_lastServerStart < ServerStartBackoffMs)
        return;
    m_lastServerStart = now;
    // Watch before starting, so an appearance is never missed.
    platform::MessageBus::instance().watchName(nmeaBusName());
    m_awaitingServer = true;
    if (!m_hooks.startServer())
        qCWarning(gpsLog) << "the NMEA server could not be started";
}

void GpsPoller::OnNameOwnerChanged(const QString& busName, bool owned)
{
    if (!owned || !m_awaitingServer || busName != nmeaBusName())
        return;
    m_awaitingServer = false;
    // Poll from the event loop, not from inside the bus library's signal.
    QMetaObject::invokeMethod(
        this, [this] { PollGps(); }, Qt::QueuedConnection);
}

bool StoreGpsFix(const GpsFixData& fix)
{
    return store::DbWriteGpsData(fix);
}

} // namespace velmar::nav
