#include "forms/ButtonPressLog.h"

#include "forms/ButtonPorts.h"
#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "nav/EventWriters.h"
#include "store/FixedSchema.h"
#include "store/RecordReaders.h"
#include "store/RecordWriters.h"
#include "store/SqlText.h"
#include "store/TableInserter.h"

#include <QLoggingCategory>

namespace velmar::forms {

namespace {
Q_LOGGING_CATEGORY(pressLog, "velmar.forms.buttons")
constexpr int kCodeWidth = 5;
} // namespace

ButtonPressLog::ButtonPressLog(const QString& logName) : m_name(logName)
{
    store::BuildFixedSchema();
    store::DbCheckUserTable(store::GetDbConnection(), m_name, store::kUserTableButtonData);
    m_pressIndex = store::DbGetLastValue(m_name, QStringLiteral("Index"));
}

ButtonPressLog::~ButtonPressLog() = default;

bool ButtonPressLog::Write(const platform::SystemTime& pressTime, const QString& code, bool external,
                           int recordingIndex)
{
    if (!store::ProgramClockSetOrTell())
        return false;
    if (const auto& poll = buttonPressPorts().pollGps)
        poll();
    QString gpsTime;
    const int gpsIndex = store::GetLastGpsIndex(&gpsTime);
    if (gpsTime.isEmpty())
        gpsTime = QString::fromLatin1(store::kNoGpsTime);
    if (!m_insert)
        m_insert = std::make_unique<store::TableInserter>(*store::FixedTableDefinition(QStringLiteral("ButtonData")),
                                                          m_name);
    m_insert->setInt("GpsIndex", gpsIndex);
    m_insert->setText("GPSTime", gpsTime);
    m_insert->setTime("DateTime", pressTime);
    m_insert->setText("Code", store::CutToWidth(code, kCodeWidth));
    m_insert->setBit("External", external);
    m_insert->setInt("RecordingIndex", recordingIndex);
    if (!store::sqlSucceeded(m_insert->execute())) {
        qCWarning(pressLog) << "press of" << code << "not stored in" << m_name << ":" << m_insert->lastError();
        store::DbBeep();
        return false;
    }
    ++m_pressIndex;
    return true;
}

} // namespace velmar::forms
