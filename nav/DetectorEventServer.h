#pragma once
// DetectorEventServer: the main program's DDE service "Velmar2000", into
// which the detector programs (whistle, porpoise, click, seismic and right
// whale detectors) poke their packed records, and through which outside
// programs fill user forms (topic "UDFSERVICE").
//
// Each event record is decoded field by field (DetectorRecords.h), turned
// into a node of its recent list (a new one, or the existing node of the same
// event updated), linked to the newest GPS fix, and its row stored when one
// is due; only then is the poke answered, true once the row is committed and
// false when it could not be stored. What else the node sets going (the
// recorders, the map) is posted as a DetectionKey and runs from the event
// loop after the answer, so a slow or modal step there cannot hold the
// detector's call nor take further pokes inside this one. A record
// shorter than its layout, or with an impossible time or value, is refused:
// it creates nothing, the poke is answered false, and a message naming the
// item tells the operator.
//
// Started once per run by the main window (online and offline logging).
// User-interface thread only: pokes arrive inside its event loop.
#include "nav/RecentLists.h"
#include "platform/SystemTime.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace velmar::platform {
class DdeServer;
}

namespace velmar::nav {

inline constexpr const char* DdeServiceName = "Velmar2000";
inline constexpr const char* DdeTopicSystem = "System";
inline constexpr const char* DdeTopicEvents = "EventsService";
inline constexpr const char* DdeTopicUserForms = "UDFSERVICE";
// Acknowledged and ignored.
inline constexpr const char* DdeItemPorpoise = "Porpoise";

// Message box shown when the service cannot start.
inline constexpr const char* DdeStartFailedText = "Could not initilaise DDE";
inline constexpr const char* DdeStartFailedCaption = " Very Odd Error";
// Caption of the boxes that refuse a short record.
inline constexpr const char* InvalidRecordCaption = "Error";

// The box text that refuses a record of this kind ("Invalid Whistle data", ...).
QString InvalidRecordText(DetectionKind kind);

class DetectorEventServer : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        // Command 30057: poll the NMEA server now when the interval is due, so
        // the new node links to a fresh fix. Runs before the node is made.
        // Default: the poll the main window installs for the writers.
        std::function<void()> pollGpsIfDue;
        // A time read from the detector's computer clock, shifted into program
        // time (no change outside offline logging). Default ToProgramTime.
        std::function<void(platform::SystemTime*)> toProgramTime;
        // Stores a whistle event that a newer one closes (default
        // DbWriteWhistleEvent).
        std::function<void(const WHISTLEEVENT&)> writeWhistleEvent;
        // Stores the row of a new or updated node when one is due; false when
        // the row was due and could not be stored. Called inside the poke,
        // before it is answered. Unset: nothing is stored here.
        std::function<bool(DetectionKey)> store;
        // Receives each new or updated node once it is stored; called from
        // the event loop after the poke has been answered.
        std::function<void(DetectionKey)> post;
        // A message box with the stop icon; called from the event loop after
        // the poke has been answered. Default: a warning in the log.
        std::function<void(const QString& text, const QString& caption)> showError;
        // The system's default sound (an execute).
        std::function<void()> beep;
        // Pokes on topic "UDFSERVICE": the user forms' answer (true when
        // processed). Unset: not processed.
        std::function<bool(const QString& item, const QByteArray& data)> userFormPoke;
    };

    explicit DetectorEventServer(QObject* parent = nullptr);
    ~DetectorEventServer() override;

    // The server of this process, which the main window starts and stops.
    static DetectorEventServer& instance();

    Hooks hooks;

    // Registers the service. A second call while running returns true at
    // once. When the service cannot start, shows "Could not initilaise DDE"
    // and returns false; the program runs on without it.
    bool InitDde();
    void CloseDde();
    bool isRunning() const;

    // The answers to the bus's transactions (also called directly by tests).
    bool Connect(const QString& topic) const;
    bool Execute(const QString& topic, const QByteArray& command);
    // False: the item was not processed, its record was refused, or its
    // row could not be stored.
    bool Poke(const QString& topic, const QString& item, const QByteArray& data);

private:
    bool OnNewWhistles(const QByteArray& data);
    bool OnNewSeismic(const QByteArray& data);
    bool OnNewRCEvent(const QByteArray& data);
    bool OnPorpoiseEvent(const QByteArray& data);
    bool OnNewWhistleEvent(const QByteArray& data);
    bool OnRightWhaleEvent(const QByteArray& data);

    // Decodes the record, or queues the refusal box and returns nothing.
    template <class Record>
    std::optional<Record> Decode(const QByteArray& data, DetectionKind kind);
    // Poll GPS and shift the record's time stamp: steps 2 and 3 of every
    // accepted record.
    void Prepare(platform::SystemTime& stamp);
    // Stores the node's row (hooks.store) and posts the node; false when
    // the row could not be stored.
    bool StoreAndPost(DetectionKind kind, uint64_t serial);
    void Later(std::function<void()> work);
    // The refusal box of a record, shown once the poke is answered.
    void ShowRefusal(const QString& text);

    std::unique_ptr<platform::DdeServer> m_server;
};

} // namespace velmar::nav
