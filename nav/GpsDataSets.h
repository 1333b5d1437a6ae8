#pragma once
// The GPS data sets the map draws: entry 0 is always the main table
// "GpsData" in grey; the rows of the table GpsDataSets marked to be shown
// follow, in their order. Read from the open survey database at first use
// and kept for the run.
//
// User-interface thread only.
#include "nav/GpsFixData.h"

#include <QString>

#include <vector>

namespace velmar::nav {

// The data sets. The table is read at the first call made while a database
// is open; a read error shows the statement ("Error Reading GpsDataSets
// Table") and leaves the list at entry 0. count, when given, receives the
// number of entries.
const std::vector<GpsDataSet>& DbReadGpsDataSets(int* count = nullptr);

// The number of the data set with that table name (trailing blanks removed,
// case ignored); -1 when there is none.
int FindGpsDataSet(const QString& name);

// Forgets the list, so the next call reads it again (a new database in tests).
void ForgetGpsDataSets();

} // namespace velmar::nav
