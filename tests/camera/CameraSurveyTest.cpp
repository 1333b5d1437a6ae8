// Velmar's camera back-ends on a fresh survey: the settings as rows of
// UDC_Settings, and the CameraGrabs row of a saved frame.
#include "camera/CameraGrabLog.h"
#include "camera/SurveySettingsStore.h"
#include "store/RecordWriters.h"
#include "tests/store/StoreTestSupport.h"

#include <QDateTime>

using namespace velmar::camera;
using namespace velmar::store;
using namespace velmar::store::test;

namespace {

class CameraSurveyTest : public OpenDbTest {
protected:
    QStringList query(const QString& sql)
    {
        CloseDB();
        const QStringList r = DirectDb(file).rows(sql);
        EXPECT_EQ(OpenDB(nullptr, file), kOpenDbOk);
        return r;
    }
};

TEST_F(CameraSurveyTest, SettingsRoundTripThroughTheSurveyRows)
{
    SurveySettingsStore store;
    TCamSettings written = DefaultCamSettings(1);
    written.grabSingle = true;
    written.grabPreSeconds = 2.5;
    written.outputDirectory = QStringLiteral("/data/frames");
    written.outputFormat = 1;
    SaveCamSettings(store, CamSettingsSection(0, 1), written);
    EXPECT_TRUE(store.flush());

    TCamSettings read = DefaultCamSettings(1);
    LoadCamSettings(store, CamSettingsSection(0, 1), read);
    EXPECT_TRUE(read.grabSingle);
    EXPECT_DOUBLE_EQ(read.grabPreSeconds, 2.5);
    EXPECT_EQ(read.outputDirectory, QStringLiteral("/data/frames"));
    EXPECT_EQ(read.outputFormat, 1);
    EXPECT_EQ(query(QStringLiteral("SELECT count(*) FROM \"UDC_Settings\" WHERE \"Section\" = 'Camera Grab Unit 0_1'")),
              QStringList{QStringLiteral("19")});
    EXPECT_EQ(query(QStringLiteral("SELECT \"Data\" FROM \"UDC_Settings\" WHERE \"Identifier\" = 'grabSingle'")),
              QStringList{QStringLiteral("true")});
}

TEST_F(CameraSurveyTest, AGrabRowCarriesTheReferenceAndCutsItsTexts)
{
    SetLastGpsReference(7, QStringLiteral("2010-12-03 08:14:00"));
    const QString longName = QStringLiteral("Cam_0_") + QString(60, QLatin1Char('x')) + QStringLiteral(".jpg");
    CameraGrabLog log;
    GrabRecord r;
    r.utcMs = QDateTime(QDate(2010, 12, 3), QTime(8, 14, 5, 250), Qt::UTC).toMSecsSinceEpoch();
    r.fileName = longName;
    r.grabberForm = 1;
    r.cameraNumber = 2;
    r.deviceName = QStringLiteral("Test Camera 0");
    r.width = 320;
    r.height = 240;
    r.message = QStringLiteral("Button ") + QString(60, QLatin1Char('B'));
    log.logGrab(r);

    const QStringList rows = query(QStringLiteral(
        "SELECT \"GpsIndex\", \"GPSTime\", \"DateTime\", \"FileName\", \"GrabberForm\", \"CameraNumber\", "
        "\"DeviceName\", \"Width\", \"Height\", \"Message\" FROM \"CameraGrabs\""));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0], QStringLiteral("7|2010-12-03 08:14:00|2010-12-03 08:14:05|%1|1|2|Test Camera 0|320|240|%2")
                           .arg(longName.left(50), r.message.left(50)));
}

} // namespace
