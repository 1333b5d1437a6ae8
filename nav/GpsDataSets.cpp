#include "nav/GpsDataSets.h"

#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/SqlText.h"
#include "platform/Utilities.h"

#include <sqlext.h>

namespace velmar::nav {

namespace {

const char* const MainTable = "GpsData";
const char* const MainColour = "Grey";

struct DataSets {
    std::vector<GpsDataSet> list;
    bool read = false;
};

DataSets& dataSets()
{
    static DataSets d;
    return d;
}

GpsDataSet mainDataSet()
{
    GpsDataSet main;
    main.tableName = QString::fromLatin1(MainTable);
    QString colour = QString::fromLatin1(MainColour);
    main.lineColour = platform::ColourFromName(colour);
    return main;
}

QString trimmedText(const SQLCHAR* bytes, SQLLEN indicator)
{
    if (indicator == SQL_NULL_DATA)
        return {};
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(bytes)).trimmed();
    return text;
}

void readTable(std::vector<GpsDataSet>& list)
{
    const QString text = QStringLiteral("SELECT TableName, LineColour, EffortTable, EffortControl FROM GpsDataSets "
                                        "where Show = 'Y' ORDER By \"Order\"");
    store::SqlStatement statement(store::GetDbConnection());
    if (!statement.execDirect(text)) {
        store::DbMessage(store::DbOwnerWindow(), text, QStringLiteral("Error Reading GpsDataSets Table"));
        return;
    }
    constexpr SQLLEN Width = GpsDataSet::TextWidth;
    SQLCHAR table[Width] = {}, colour[Width] = {}, effortTable[Width] = {}, effortControl[Width] = {};
    SQLLEN indicators[4] = {};
    SQLBindCol(statement.handle(), 1, SQL_C_CHAR, table, Width, &indicators[0]);
    SQLBindCol(statement.handle(), 2, SQL_C_CHAR, colour, Width, &indicators[1]);
    SQLBindCol(statement.handle(), 3, SQL_C_CHAR, effortTable, Width, &indicators[2]);
    SQLBindCol(statement.handle(), 4, SQL_C_CHAR, effortControl, Width, &indicators[3]);
    while (store::sqlSucceeded(SQLFetch(statement.handle()))) {
        GpsDataSet set;
        set.tableName = trimmedText(table, indicators[0]);
        QString colourName = trimmedText(colour, indicators[1]);
        set.lineColour = platform::ColourFromName(colourName);
        set.effortTable = trimmedText(effortTable, indicators[2]);
        set.effortControl = trimmedText(effortControl, indicators[3]);
        list.push_back(set);
    }
}

} // namespace

const std::vector<GpsDataSet>& DbReadGpsDataSets(int* count)
{
    DataSets& d = dataSets();
    if (d.list.empty())
        d.list.push_back(mainDataSet());
    // Only a read from an open database counts: asked before the database
    // is open, the list is read again once it is.
    if (!d.read && store::GetDbConnection() != SQL_NULL_HDBC) {
        d.read = true;
        readTable(d.list);
    }
    if (count)
        *count = int(d.list.size());
    return d.list;
}

int FindGpsDataSet(const QString& name)
{
    QString wanted = name;
    platform::TrimRight(wanted);
    const std::vector<GpsDataSet>& list = DbReadGpsDataSets();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].tableName.compare(wanted, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void ForgetGpsDataSets()
{
    dataSets() = DataSets{};
}

} // namespace velmar::nav
