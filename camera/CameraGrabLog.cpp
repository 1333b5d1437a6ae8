#include "CameraGrabLog.h"

#include "store/DbMessages.h"
#include "store/FixedSchema.h"
#include "store/RecordWriters.h"
#include "store/SqlText.h"
#include "store/TableInserter.h"

#include <QDateTime>
#include <QLoggingCategory>

namespace velmar::camera {

namespace {
Q_LOGGING_CATEGORY(grabLog, "velmar.camera.grabs")
constexpr int kTextWidth = 50;
} // namespace

CameraGrabLog::CameraGrabLog()
{
    store::BuildFixedSchema();
}

CameraGrabLog::~CameraGrabLog() = default;

void CameraGrabLog::logGrab(const GrabRecord& r)
{
    if (!m_insert)
        m_insert = std::make_unique<store::TableInserter>("CameraGrabs");
    QString gpsTime;
    const int gpsIndex = store::GetLastGpsIndex(&gpsTime);
    if (gpsTime.isEmpty())
        gpsTime = QString::fromLatin1(store::kNoGpsTime);
    m_insert->setInt("GpsIndex", gpsIndex);
    m_insert->setText("GPSTime", gpsTime);
    m_insert->setText("DateTime",
                      QDateTime::fromMSecsSinceEpoch(r.utcMs, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    m_insert->setText("FileName", store::CutToWidth(r.fileName, kTextWidth));
    m_insert->setInt("GrabberForm", r.grabberForm);
    m_insert->setInt("CameraNumber", r.cameraNumber);
    m_insert->setText("DeviceName", store::CutToWidth(r.deviceName, kTextWidth));
    m_insert->setInt("Width", r.width);
    m_insert->setInt("Height", r.height);
    m_insert->setText("Message", store::CutToWidth(r.message, kTextWidth));
    if (store::sqlSucceeded(m_insert->execute())) {
        m_failing = false;
        return;
    }
    if (m_failing)
        return;
    m_failing = true;
    qCWarning(grabLog).noquote() << "grab of" << r.fileName << "not stored in CameraGrabs:" << m_insert->lastError();
    store::DbBeep();
}

} // namespace velmar::camera
