#include "RecordWriters.h"

#include "RecordReaders.h"

namespace velmar::store {

namespace {
struct GpsReference {
    int lastGpsIndex = 0;
    QString lastGpsTime = QString::fromLatin1(kNoGpsTime);
};

GpsReference& reference()
{
    static GpsReference r;
    return r;
}
} // namespace

int GetLastGpsIndex(QString* time)
{
    if (time)
        *time = reference().lastGpsTime;
    return reference().lastGpsIndex;
}

void ResetLastGpsIndex()
{
    reference().lastGpsIndex = 0;
}

void DbReadLastGpsIndex()
{
    reference().lastGpsIndex = DbGetLastValue(QStringLiteral("GpsData"), QStringLiteral("Index"));
}

} // namespace velmar::store
