#pragma once
// Reading stored records back. User-interface thread only.
#include <QString>

namespace velmar::store {

// The newest value of a column: the first row of the table ordered by
// orderColumn (default "Index") descending, or with takeMaximum the largest
// value of all rows. Texts count as the number they begin with; 0 for an
// empty table or when the query fails (which is shown). One row comes back
// from the database whatever the table's size.
int DbGetLastValue(const QString& table, const QString& column, const QString& orderColumn = QString(),
                   bool takeMaximum = false);

} // namespace velmar::store
