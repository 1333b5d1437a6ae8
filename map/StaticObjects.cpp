#include "map/StaticObjects.h"

#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/FixedSchema.h"
#include "settings/ProgramSettings.h"
#include "store/SqlText.h"
#include "platform/Utilities.h"

#include <sqlext.h>

#include <cstring>

namespace velmar::map {

namespace {

constexpr SQLLEN TextBuffer = StaticTextWidth + 1;

std::vector<StaticPointsGroup>& groups()
{
    static std::vector<StaticPointsGroup> list;
    return list;
}

QString TrimmedText(const SQLCHAR* bytes, SQLLEN indicator)
{
    if (indicator == SQL_NULL_DATA)
        return {};
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(bytes));
    platform::TrimRight(text);
    return text;
}

// Whether the group's table is there to read; a missing one is shown.
bool TableReady(QObject* owner, SQLHDBC connection, const QString& table, int kind)
{
    if (!store::DbTableExists(connection, table)) {
        store::DbMessage(owner, table, QStringLiteral("Static Line Table does not exist"));
        return false;
    }
    store::DbCheckUserTable(connection, table, kind);
    return true;
}

void ReadPoints(QObject* owner, SQLHDBC connection, const QString& table, StaticPointsGroup& group)
{
    if (!TableReady(owner, connection, table, store::kUserTableStaticPoints))
        return;
    // A row added without a Hide value is not hidden.
    const QString text = QStringLiteral("SELECT Latitude, Longitude,  Text, HTextALign, VTextAlign FROM %1 "
                                        "WHERE Hide = FALSE OR Hide IS NULL")
                             .arg(store::QuoteIdentifier(table));
    store::SqlStatement statement(connection);
    if (!statement.execDirect(text)) {
        store::DbMessage(owner, text, QStringLiteral("Error Reading Points Data Table"));
        return;
    }
    float latitude = 0, longitude = 0;
    SQLCHAR label[TextBuffer], hAlign[TextBuffer], vAlign[TextBuffer];
    SQLLEN ind[5] = {};
    SQLHSTMT h = statement.handle();
    SQLBindCol(h, 1, SQL_C_FLOAT, &latitude, 0, &ind[0]);
    SQLBindCol(h, 2, SQL_C_FLOAT, &longitude, 0, &ind[1]);
    SQLBindCol(h, 3, SQL_C_CHAR, label, TextBuffer, &ind[2]);
    SQLBindCol(h, 4, SQL_C_CHAR, hAlign, TextBuffer, &ind[3]);
    SQLBindCol(h, 5, SQL_C_CHAR, vAlign, TextBuffer, &ind[4]);
    for (;;) {
        latitude = longitude = 0;
        std::memset(label, 0, sizeof label);
        std::memset(hAlign, 0, sizeof hAlign);
        std::memset(vAlign, 0, sizeof vAlign);
        if (!store::sqlSucceeded(SQLFetch(h)))
            break;
        StaticItem item;
        item.latitude = ind[0] == SQL_NULL_DATA ? 0.0f : latitude;
        item.longitude = ind[1] == SQL_NULL_DATA ? 0.0f : longitude;
        item.code = group.symbol;
        item.lineColour = group.lineColour < 0 ? 0 : group.lineColour;
        item.fillColour = group.fillColour;
        item.size = group.size;
        item.text = TrimmedText(label, ind[2]);
        item.hAlign = platform::TextAlignFromLetter(TrimmedText(hAlign, ind[3]));
        item.vAlign = platform::TextAlignFromLetter(TrimmedText(vAlign, ind[4]));
        group.items.push_back(item);
    }
}

void ReadLines(QObject* owner, SQLHDBC connection, const QString& table, StaticPointsGroup& group)
{
    if (!TableReady(owner, connection, table, store::kUserTableStaticLines))
        return;
    const QString text = QStringLiteral("SELECT Latitude, Longitude,  LineStart FROM %1 ORDER BY \"Order\"")
                             .arg(store::QuoteIdentifier(table));
    store::SqlStatement statement(connection);
    if (!statement.execDirect(text)) {
        store::DbMessage(owner, text, QStringLiteral("Error Reading Points Data Table"));
        return;
    }
    float latitude = 0, longitude = 0;
    unsigned char lineStart = 0;
    SQLLEN ind[3] = {};
    SQLHSTMT h = statement.handle();
    SQLBindCol(h, 1, SQL_C_FLOAT, &latitude, 0, &ind[0]);
    SQLBindCol(h, 2, SQL_C_FLOAT, &longitude, 0, &ind[1]);
    SQLBindCol(h, 3, SQL_C_BIT, &lineStart, 0, &ind[2]);
    for (;;) {
        latitude = longitude = 0;
        lineStart = 0;
        if (!store::sqlSucceeded(SQLFetch(h)))
            break;
        StaticItem item;
        item.latitude = ind[0] == SQL_NULL_DATA ? 0.0f : latitude;
        item.longitude = ind[1] == SQL_NULL_DATA ? 0.0f : longitude;
        item.code = ind[2] != SQL_NULL_DATA && lineStart ? StaticLineStart : StaticLineContinue;
        item.lineColour = group.lineColour < 0 ? 0 : group.lineColour;
        item.fillColour = group.fillColour;
        group.items.push_back(item);
    }
}

} // namespace

int DbReadStaticObjects(QObject* owner)
{
    std::vector<StaticPointsGroup>& list = groups();
    list.clear();
    SQLHDBC connection = store::GetDbConnection();
    if (connection == SQL_NULL_HDBC)
        return 0;
    const QString text = QStringLiteral("SELECT Name, TableName, Type, Symbol, Size,  LineColour, Fillcolour, "
                                        "DrawFirst FROM StaticObjects ORDER By \"Order\"");
    store::SqlStatement statement(connection);
    if (!statement.execDirect(text)) {
        store::DbMessage(owner, text, QStringLiteral("Error Reading StaticObjects Table"));
        return 0;
    }
    SQLCHAR name[TextBuffer], table[TextBuffer], type[TextBuffer], symbol[TextBuffer], line[TextBuffer],
        fill[TextBuffer];
    SQLSMALLINT size = 0;
    unsigned char drawFirst = 0;
    SQLLEN ind[8] = {};
    SQLHSTMT h = statement.handle();
    SQLBindCol(h, 1, SQL_C_CHAR, name, TextBuffer, &ind[0]);
    SQLBindCol(h, 2, SQL_C_CHAR, table, TextBuffer, &ind[1]);
    SQLBindCol(h, 3, SQL_C_CHAR, type, TextBuffer, &ind[2]);
    SQLBindCol(h, 4, SQL_C_CHAR, symbol, TextBuffer, &ind[3]);
    SQLBindCol(h, 5, SQL_C_SSHORT, &size, 0, &ind[4]);
    SQLBindCol(h, 6, SQL_C_CHAR, line, TextBuffer, &ind[5]);
    SQLBindCol(h, 7, SQL_C_CHAR, fill, TextBuffer, &ind[6]);
    SQLBindCol(h, 8, SQL_C_BIT, &drawFirst, 0, &ind[7]);

    // The rows are read first: the groups' own tables are read on the same
    // connection, which the SQLite driver does not share with an open cursor.
    struct Row {
        QString name, table, type, symbol, line, fill;
        int size = 0;
        bool drawFirst = false;
    };
    std::vector<Row> rows;
    for (;;) {
        for (SQLCHAR* b : {name, table, type, symbol, line, fill})
            std::memset(b, 0, TextBuffer);
        size = 0;
        drawFirst = 0;
        if (!store::sqlSucceeded(SQLFetch(h)))
            break;
        rows.push_back({TrimmedText(name, ind[0]), TrimmedText(table, ind[1]), TrimmedText(type, ind[2]),
                        TrimmedText(symbol, ind[3]), TrimmedText(line, ind[5]), TrimmedText(fill, ind[6]),
                        ind[4] == SQL_NULL_DATA ? 0 : int(size), ind[7] != SQL_NULL_DATA && drawFirst != 0});
    }
    SQLFreeStmt(h, SQL_CLOSE);

    for (Row& row : rows) {
        QString tableName = row.table.isEmpty() ? row.name : row.table;
        if (tableName.isEmpty()) {
            store::DbMessage(owner, QStringLiteral("No Static Object Table Name"), QStringLiteral("Error"));
            continue;
        }
        StaticPointsGroup group;
        group.index = int32_t(list.size());
        group.name = row.name.left(StaticTextWidth);
        group.type = row.type.compare(QStringLiteral("POINTS"), Qt::CaseInsensitive) == 0 ? StaticPoints
                   : row.type.compare(QStringLiteral("LINES"), Qt::CaseInsensitive) == 0  ? StaticLines
                                                                                          : StaticOther;
        group.symbol = platform::SymbolFromName(row.symbol);
        group.size = row.size;
        group.lineColour = platform::ColourFromName(row.line);
        group.fillColour = platform::ColourFromName(row.fill);
        group.drawFirst = row.drawFirst;
        group.shown = group.index < StaticSavedGroups
                   && (uint32_t(store::TheProgramSettings.PlotStatics) >> group.index) & 1u;
        if (group.type == StaticPoints)
            ReadPoints(owner, connection, tableName, group);
        else if (group.type == StaticLines)
            ReadLines(owner, connection, tableName, group);
        list.push_back(std::move(group));
    }
    return int(list.size());
}

const std::vector<StaticPointsGroup>& StaticGroups()
{
    return groups();
}

bool ToggleStaticGroup(int commandId)
{
    const int n = commandId - StaticMenuFirstId;
    std::vector<StaticPointsGroup>& list = groups();
    if (n < 0 || n >= int(list.size()))
        return false;
    StaticPointsGroup& group = list[std::size_t(n)];
    group.shown = !group.shown;
    if (n < StaticSavedGroups) {
        const uint32_t bit = 1u << n;
        uint32_t mask = uint32_t(store::TheProgramSettings.PlotStatics);
        mask = group.shown ? (mask | bit) : (mask & ~bit);
        store::TheProgramSettings.PlotStatics = int32_t(mask);
    }
    return true;
}

} // namespace velmar::map
