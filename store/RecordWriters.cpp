#include "RecordWriters.h"

#include "RecordReaders.h"
#include "SqlText.h"
#include "TableDefinition.h"

namespace velmar::store {

namespace {
struct WriterState {
    int lastGpsIndex = 0;
    QString lastGpsTime = QString::fromLatin1(kNoGpsTime);
    std::function<void()> gpsPoll;
    std::function<QString()> listeningReason;
};

WriterState& state()
{
    static WriterState s;
    return s;
}
} // namespace

int GetLastGpsIndex(QString* time)
{
    if (time)
        *time = state().lastGpsTime;
    return state().lastGpsIndex;
}

void ResetLastGpsIndex()
{
    state().lastGpsIndex = 0;
}

void DbReadLastGpsIndex()
{
    state().lastGpsIndex = DbGetLastValue(QStringLiteral("GpsData"), QStringLiteral("Index"));
}

void SetLastGpsReference(int index, const QString& time)
{
    state().lastGpsIndex = index;
    state().lastGpsTime = time;
}

void SetLastGpsTime(const QString& time)
{
    state().lastGpsTime = time;
}

QString DbBuildInsert(const TableDefinition& definition, const QString& tableName)
{
    QString columns;
    int placeholders = 0;
    const int count = definition.GetCount();
    for (int i = 0; i < count; ++i) {
        if (definition.GetColumnType(i) == u"COUNTER")
            continue;
        columns += QuoteIdentifier(definition.GetColumnName(i)) + QLatin1Char(' ');
        if (i != count - 1)
            columns += QStringLiteral(", ");
        ++placeholders;
    }
    QString text = QStringLiteral("INSERT INTO %1 ( ")
                       .arg(QuoteIdentifier(tableName.isEmpty() ? definition.GetName() : tableName));
    text += columns + QStringLiteral(" ) VALUES (");
    for (int i = 1; i < placeholders; ++i)
        text += QStringLiteral("? , ");
    text += QStringLiteral(" ? )");
    return text;
}

QString EffortStatusText(int status)
{
    switch (status) {
    case 1: return QStringLiteral("Start");
    case 2: return QStringLiteral("Stop");
    case 3: return QStringLiteral("Crashed");
    case 4: return QStringLiteral("Half");
    default: return QString();
    }
}

void SetGpsPollRequest(std::function<void()> poll)
{
    state().gpsPoll = std::move(poll);
}

void SetListeningEffortReasonSource(std::function<QString()> source)
{
    state().listeningReason = std::move(source);
}

void RequestGpsPoll()
{
    if (state().gpsPoll)
        state().gpsPoll();
}

QString CurrentListeningEffortReason()
{
    return state().listeningReason ? state().listeningReason() : QString();
}

} // namespace velmar::store
