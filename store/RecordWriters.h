#pragma once
// The GPS cross reference that every stored event carries, and the writers
// that store records into the survey database. User-interface thread only.
#include <QString>

namespace velmar::store {

// The time text that stands for "no GPS fix yet".
inline constexpr const char* kNoGpsTime = "1900-01-01 00:00:00";

// The Index of the newest stored GpsData row, and copies its PC time text
// ("YYYY-MM-DD hh:mm:ss") into time when given.
int GetLastGpsIndex(QString* time = nullptr);
// LastGpsIndex becomes 0; the time stays.
void ResetLastGpsIndex();
// LastGpsIndex becomes the largest Index of GpsData (0 for an empty table).
void DbReadLastGpsIndex();

} // namespace velmar::store
