// The real Velmar, offscreen, on a survey with a button panel and a user
// form: the panel's start-up default press (the same queued command a click
// posts) stores its row, fills the linked form and is heard on the bus by
// another program. The form's filled values are made visible by storing the
// form through its bus input, which leaves the filled fields alone.
#include "forms/UserFormDdeInput.h"
#include "platform/Dde.h"
#include "platform/MessageBus.h"
#include "store/DbConnection.h"
#include "store/FixedSchema.h"
#include "store/SqlText.h"
#include "tests/store/StoreTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using velmar::platform::DdeClient;
using velmar::platform::MessageBus;
using velmar::store::test::DirectDb;

constexpr int kBoundMs = 60000;

QString BinDir()
{
    return QString::fromLocal8Bit(qgetenv("VELMAR_BIN_DIR"));
}

bool Exec(const QString& sql)
{
    velmar::store::SqlStatement s(velmar::store::GetDbConnection());
    return s.execDirect(sql);
}

const char* const kFormDefinition =
    "CREATE TABLE \"UDF_Sightings\" (\"Order\" SMALLINT PRIMARY KEY, \"Type\" VARCHAR(50), \"Title\" VARCHAR(50), "
    "\"PostTitle\" VARCHAR(50), \"DbTitle\" VARCHAR(50), \"Default\" VARCHAR(50), \"Length\" SMALLINT, "
    "\"Height\" SMALLINT, \"Topic\" VARCHAR(50), \"MinValue\" REAL, \"MaxValue\" REAL, \"NMEA String\" VARCHAR(50), "
    "\"NMEA Position\" SMALLINT, \"ADC Channel\" SMALLINT, \"ADC Gain\" SMALLINT, \"Analog Multiply\" REAL, "
    "\"Analog Add\" REAL, \"Required\" BIT, \"ReadOnly\" BIT, \"AutoUpdate\" SMALLINT, \"AutoClear\" BIT, "
    "\"ForceGps\" BIT, \"Plot\" BIT, \"Hint\" VARCHAR(100), \"Colour\" VARCHAR(20), \"Send Control Name\" VARCHAR(50), "
    "\"Control on Subform\" VARCHAR(50), \"Get Control Data\" VARCHAR(50))";

// The survey: the blank database, a tab form "Sightings" that takes bus
// input, and a panel "Watch" whose default button is linked to the form and
// broadcasts code 5.
void MakeSurvey(const QString& file)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
    ASSERT_TRUE(QFile::copy(BinDir() + QStringLiteral("/BlankVelmar._sqlite"), file));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_EQ(velmar::store::OpenDB(nullptr, file), velmar::store::kOpenDbOk);
    ASSERT_TRUE(Exec(QLatin1String(kFormDefinition)));
    for (const char* row : {
             "(1, 'INTEGER', 'Press', 0)",
             "(2, 'CHAR', 'What', 20)",
             "(3, 'INTEGER', 'Count', 0)",
             "(4, 'DDEENABLE', '', 0)",
         })
        ASSERT_TRUE(
            Exec(QStringLiteral("INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\", \"Title\", \"Length\") VALUES ")
                 + QLatin1String(row)));
    ASSERT_TRUE(velmar::store::DbCheckUserTable(velmar::store::GetDbConnection(), QStringLiteral("UDB_Watch"),
                                                velmar::store::kUserTableButtonForm));
    ASSERT_TRUE(Exec(QStringLiteral(
        "INSERT INTO \"UDB_Watch\" (\"Order\", \"Type\", \"Name\", \"Code\", \"Hot Key\", \"Form\", \"Button Index\", "
        "\"Form Ctrl\", \"Ctrl Data\", \"Broadcast\", \"Default\") "
        "VALUES (1, 'BUTTON', 'Sighting', 'SIGHT', 'S', 'sightings', 'Press', 'What', 'dolphin', 5, 1)")));
    ASSERT_TRUE(Exec(QStringLiteral(
        "INSERT INTO \"UDB_Watch\" (\"Order\", \"Type\", \"Name\", \"Code\") VALUES (2, 'BUTTON', 'Other', 'OTH')")));
    velmar::store::CloseDB();
}

struct Heard {
    QString message;
    quint64 w;
    qint64 l;
    bool operator==(const Heard&) const = default;
};

TEST(ButtonPanelEndToEnd, DefaultPressIsStoredFillsTheFormAndIsHeard)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    MakeSurvey(survey);
    if (testing::Test::HasFatalFailure())
        return;

    MessageBus& bus = MessageBus::instance();
    ASSERT_TRUE(bus.connected());
    std::vector<Heard> heard;
    QObject::connect(&bus, &MessageBus::broadcastReceived, [&](const QString& m, quint64 w, qint64 l) {
        if (m == QLatin1String("VelmarButtonMessage"))
            heard.push_back({m, w, l});
    });

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELMAR_HOME"), home.path());
    env.insert(QStringLiteral("VELMAR_ACCEPT_SHEETS"), QStringLiteral("1"));
    env.insert(QStringLiteral("VELMAR_NO_MODAL"), QStringLiteral("1"));
    // Only a backstop: the test ends the program itself once it has seen
    // the press.
    env.insert(QStringLiteral("VELMAR_QUIT_AFTER_MS"), QStringLiteral("120000"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess velmar;
    velmar.setProcessEnvironment(env);
    velmar.setProcessChannelMode(QProcess::MergedChannels);
    velmar.start(BinDir() + QStringLiteral("/Velmar"), {});
    ASSERT_TRUE(velmar.waitForStarted(kBoundMs));

    // The broadcast follows the stored row and the filled form.
    (void)QTest::qWaitFor([&] { return heard.size() >= 2 || velmar.state() == QProcess::NotRunning; }, kBoundMs);
    EXPECT_EQ(heard, (std::vector<Heard>{{QStringLiteral("VelmarButtonMessage"), 5, 1},
                                         {QStringLiteral("VelmarButtonMessage"), 5, 2}}))
        << velmar.readAll().toStdString();

    // Store the form: empty fields leave the button's values in place.
    DdeClient client{QLatin1String(velmar::forms::kUserFormDdeService)};
    EXPECT_TRUE(
        client.poke(QLatin1String(velmar::forms::kUserFormDdeTopic), QStringLiteral("Sightings"), ",,3", kBoundMs));

    velmar.terminate(); // ends as the operator's close does
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
    const std::string output = velmar.readAll().toStdString();
    EXPECT_EQ(velmar.exitStatus(), QProcess::NormalExit) << output;

    DirectDb db(survey);
    ASSERT_TRUE(db.ok());
    const QStringList presses = db.rows(
        QStringLiteral("SELECT \"Index\", \"GpsIndex\", \"GPSTime\", \"Code\", \"External\", \"RecordingIndex\", "
                       "length(\"DateTime\") FROM \"Watch\""));
    EXPECT_EQ(presses, QStringList{QStringLiteral("1|0|1900-01-01 00:00:00|SIGHT|0|0|19")}) << output;
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Press\", \"What\", \"Count\" FROM \"Sightings\"")),
              QStringList{QStringLiteral("1|dolphin|3")})
        << output;
}

} // namespace
