#include "nav/DetectorEventServer.h"

#include "platform/Dde.h"
#include "platform/ProgramClock.h"
#include "nav/EventWriters.h"
#include "store/RecordWriters.h"

#include <QLoggingCategory>
#include <QMetaObject>

namespace velmar::nav {

Q_LOGGING_CATEGORY(lcEvents, "velmar.nav.events")

using platform::ddeNamesEqual;

QString InvalidRecordText(DetectionKind kind)
{
    switch (kind) {
    case KindWhistle: return QStringLiteral("Invalid Whistle data");
    case KindSeismic: return QStringLiteral("Invalid Seismic data");
    case KindClickEvent: return QStringLiteral("Invalid Quintra Click Event data");
    case KindPorpoiseEvent: return QStringLiteral("Invalid Porpoise Event data");
    case KindWhistleEvent: return QStringLiteral("Invalid Whistle Event data");
    case KindRightWhaleEvent: return QStringLiteral("Invalid Right Whale Event data");
    case KindThingHeard: break;
    }
    return QString();
}

DetectorEventServer::DetectorEventServer(QObject* parent) : QObject(parent)
{
    hooks.pollGpsIfDue = store::RequestGpsPoll;
    hooks.writeWhistleEvent = [](const WHISTLEEVENT& event) { store::DbWriteWhistleEvent(event); };
}

DetectorEventServer::~DetectorEventServer()
{
    CloseDde();
}

DetectorEventServer& DetectorEventServer::instance()
{
    static DetectorEventServer server;
    return server;
}

bool DetectorEventServer::InitDde()
{
    if (isRunning())
        return true;
    auto server = std::make_unique<platform::DdeServer>(QString::fromLatin1(DdeServiceName));
    server->onConnect = [this](const QString& topic) { return Connect(topic); };
    server->onExecute = [this](const QString& topic, const QByteArray& command) { return Execute(topic, command); };
    server->onPoke = [this](const QString& topic, const QString& item, const QByteArray& data) {
        return Poke(topic, item, data);
    };
    if (!server->start()) {
        // Shown now: there is no poke to answer first.
        const QString text = QString::fromLatin1(DdeStartFailedText);
        const QString caption = QString::fromLatin1(DdeStartFailedCaption);
        if (hooks.showError)
            hooks.showError(text, caption);
        else
            qCWarning(lcEvents) << caption.trimmed() << text;
        return false;
    }
    m_server = std::move(server);
    return true;
}

void DetectorEventServer::CloseDde()
{
    if (m_server)
        m_server->stop();
    m_server.reset();
}

bool DetectorEventServer::isRunning() const
{
    return m_server && m_server->isRunning();
}

bool DetectorEventServer::Connect(const QString& topic) const
{
    for (const char* known : {DdeTopicSystem, DdeTopicEvents, DdeTopicUserForms})
        if (ddeNamesEqual(topic, QString::fromLatin1(known)))
            return true;
    return false;
}

bool DetectorEventServer::Execute(const QString&, const QByteArray&)
{
    // Commands are not interpreted; the beep tells whoever sent one.
    if (hooks.beep)
        hooks.beep();
    return true;
}

bool DetectorEventServer::Poke(const QString& topic, const QString& item, const QByteArray& data)
{
    // Form pokes belong to the user forms only, whatever their item is called.
    if (ddeNamesEqual(topic, QString::fromLatin1(DdeTopicUserForms)))
        return hooks.userFormPoke ? hooks.userFormPoke(item, data) : false;
    if (!ddeNamesEqual(topic, QString::fromLatin1(DdeTopicSystem))
        && !ddeNamesEqual(topic, QString::fromLatin1(DdeTopicEvents)))
        return false;

    const auto is = [&item](const char* name) { return ddeNamesEqual(item, QString::fromLatin1(name)); };
    if (is(DdeItemPorpoise))
        return true;
    // A refused record is answered false: nothing of it was kept.
    if (is(NewWhistlesRecord::ItemName))
        return OnNewWhistles(data);
    if (is(NewSeismicRecord::ItemName))
        return OnNewSeismic(data);
    if (is(NewRCEventRecord::ItemName))
        return OnNewRCEvent(data);
    if (is(PorpoiseEventRecord::ItemName))
        return OnPorpoiseEvent(data);
    if (is(NewWhistleEventRecord::ItemName))
        return OnNewWhistleEvent(data);
    if (is(RightWhaleEventRecord::ItemName))
        return OnRightWhaleEvent(data);
    return false;
}

template <class Record>
std::optional<Record> DetectorEventServer::Decode(const QByteArray& data, DetectionKind kind)
{
    std::optional<Record> record = Record::decode(data);
    const QString item = QString::fromLatin1(Record::ItemName);
    if (!record) {
        qCWarning(lcEvents) << "refused" << Record::ItemName << "of" << data.size() << "bytes, needs" << Record::Size;
        ShowRefusal(InvalidRecordText(kind)
                    + QStringLiteral(": \"%1\" of %2 bytes, needs %3").arg(item).arg(data.size()).arg(Record::Size));
    } else if (!HasPossibleTimes(*record)) {
        qCWarning(lcEvents) << "refused" << Record::ItemName << "with an impossible time";
        ShowRefusal(InvalidRecordText(kind) + QStringLiteral(": impossible time in \"%1\"").arg(item));
        record.reset();
    } else if (!record->valuesValid()) {
        qCWarning(lcEvents) << "refused" << Record::ItemName << ": a value is no number or out of range";
        ShowRefusal(InvalidRecordText(kind) + QStringLiteral(": a value out of range in \"%1\"").arg(item));
        record.reset();
    }
    return record;
}

void DetectorEventServer::ShowRefusal(const QString& text)
{
    Later([this, text] {
        if (hooks.showError)
            hooks.showError(text, QString::fromLatin1(InvalidRecordCaption));
    });
}

void DetectorEventServer::Prepare(platform::SystemTime& stamp)
{
    if (hooks.pollGpsIfDue)
        hooks.pollGpsIfDue();
    // Every record's own time stamp moves alike, so events and the whistles
    // and seismic reports that belong to them stay in step.
    if (hooks.toProgramTime)
        hooks.toProgramTime(&stamp);
    else
        platform::ToProgramTime(&stamp);
}

void DetectorEventServer::Later(std::function<void()> work)
{
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

bool DetectorEventServer::StoreAndPost(DetectionKind kind, uint64_t serial)
{
    const DetectionKey key{kind, serial};
    // The row is committed before the answer says the record is kept.
    const bool stored = !hooks.store || hooks.store(key);
    if (!stored)
        qCWarning(lcEvents) << "could not store the record of kind" << int(kind) << "; the poke is answered false";
    Later([this, key] {
        if (hooks.post)
            hooks.post(key);
    });
    return stored;
}

bool DetectorEventServer::OnNewWhistles(const QByteArray& data)
{
    auto record = Decode<NewWhistlesRecord>(data, KindWhistle);
    if (!record)
        return false;
    Prepare(record->pcTime);
    return StoreAndPost(KindWhistle, NewWhistleDetection(*record, NewestFix())->serial);
}

bool DetectorEventServer::OnNewSeismic(const QByteArray& data)
{
    auto record = Decode<NewSeismicRecord>(data, KindSeismic);
    if (!record)
        return false;
    Prepare(record->pcTime);
    return StoreAndPost(KindSeismic, NewSeismic(*record, NewestFix())->serial);
}

bool DetectorEventServer::OnNewRCEvent(const QByteArray& data)
{
    auto record = Decode<NewRCEventRecord>(data, KindClickEvent);
    if (!record)
        return false;
    Prepare(record->eventTime);
    RCEvent* event = FindRCEvent(*record);
    if (event)
        RCEvent::Update(event, *record);
    else
        event = NewRCEvent(*record, NewestFix());
    return StoreAndPost(KindClickEvent, event->serial);
}

bool DetectorEventServer::OnPorpoiseEvent(const QByteArray& data)
{
    auto record = Decode<PorpoiseEventRecord>(data, KindPorpoiseEvent);
    if (!record)
        return false;
    Prepare(record->eventStart);
    PorpoiseEvent* event = FindPorpoiseEvent(*record);
    if (event)
        PorpoiseEvent::Update(event, *record);
    else
        event = NewPorpoiseEvent(*record, NewestFix());
    return StoreAndPost(KindPorpoiseEvent, event->serial);
}

bool DetectorEventServer::OnNewWhistleEvent(const QByteArray& data)
{
    auto record = Decode<NewWhistleEventRecord>(data, KindWhistleEvent);
    if (!record)
        return false;
    Prepare(record->eventStart);
    WHISTLEEVENT* event = FindWhistleEvent(*record);
    if (event) {
        WHISTLEEVENT::Update(event, *record);
    } else {
        CloseOpenWhistleEvent(hooks.writeWhistleEvent);
        event = NewWhistleEvent(*record, NewestFix());
    }
    return StoreAndPost(KindWhistleEvent, event->serial);
}

bool DetectorEventServer::OnRightWhaleEvent(const QByteArray& data)
{
    auto record = Decode<RightWhaleEventRecord>(data, KindRightWhaleEvent);
    if (!record)
        return false;
    Prepare(record->eventStart);
    return StoreAndPost(KindRightWhaleEvent, NewRightWhaleEvent(*record, NewestFix())->serial);
}

} // namespace velmar::nav
