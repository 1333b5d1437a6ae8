#pragma once
// The GPS cross reference that every stored event carries (the Index and PC
// time of the newest stored GPS fix), and the INSERT text the writers share.
// The writers themselves are in store/EventWriters.h. User-interface thread
// only.
#include <QString>

#include <functional>

namespace velmar::store {

class TableDefinition;

// The time text that stands for "no GPS fix yet".
inline constexpr const char* kNoGpsTime = "1900-01-01 00:00:00";

// The Index of the newest stored GpsData row, and copies its PC time text
// ("YYYY-MM-DD hh:mm:ss") into time when given.
int GetLastGpsIndex(QString* time = nullptr);
// LastGpsIndex becomes 0; the time stays.
void ResetLastGpsIndex();
// LastGpsIndex becomes the largest Index of GpsData (0 for an empty table).
void DbReadLastGpsIndex();
// Both parts of the reference after a GPS fix was stored.
void SetLastGpsReference(int index, const QString& time);
// The time part alone (offline logging stamps effort with the computer's time).
void SetLastGpsTime(const QString& time);

// "INSERT INTO "name" ( "a" , "b"  ) VALUES (? ,  ? )" over every column
// that is not a COUNTER (the database numbers those).
QString DbBuildInsert(const TableDefinition& definition, const QString& tableName = QString());

// "Start" 1, "Stop" 2, "Crashed" 3, "Half" 4, else empty.
QString EffortStatusText(int status);

// What the writers ask of the main window: poll the GPS now when it is due
// (command 30057), synchronously, so that the cross reference is fresh; and
// the current listening-effort reason (50 characters). Installed by the main
// window; without them nothing is polled and the reason is empty.
void SetGpsPollRequest(std::function<void()> poll);
void SetListeningEffortReasonSource(std::function<QString()> source);
void RequestGpsPoll();
QString CurrentListeningEffortReason();

} // namespace velmar::store
