#include "StoreTestSupport.h"

#include "store/DbIniFile.h"
#include "settings/ProgramSettings.h"
#include "store/ProgramSettingsDb.h"

#include <QLocale>

using namespace velmar::store;
using namespace velmar::store::test;

namespace {

class DbIniFileTest : public OpenDbTest {
protected:
    // The settings rows as stored, read past the layer under test.
    QStringList rows()
    {
        CloseDB();
        DirectDb db(file);
        const QStringList r = db.rows(
            QStringLiteral("SELECT \"Index\", \"Section\", \"Identifier\", \"Data\" FROM \"UDC_Settings\" ORDER BY 1"));
        EXPECT_EQ(OpenDB(nullptr, file), kOpenDbOk);
        return r;
    }
};

} // namespace

TEST_F(DbIniFileTest, AMissingValueIsAddedWithItsDefault)
{
    {
        TDbIniFile ini;
        ASSERT_TRUE(ini.isValid());
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("Map"), QStringLiteral("Zoom"), 5), 5);
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("Map"), QStringLiteral("Zoom"), 7), 5);
        EXPECT_EQ(ini.ReadString(QStringLiteral("Map"), QStringLiteral("Title"), QStringLiteral("North Sea")),
                  QStringLiteral("North Sea"));
        EXPECT_TRUE(ini.ReadBool(QStringLiteral("Map"), QStringLiteral("Grid"), true));
        EXPECT_DOUBLE_EQ(ini.ReadFloat(QStringLiteral("Map"), QStringLiteral("Scale"), 0.25), 0.25);
    }
    EXPECT_EQ(rows(), (QStringList{"1|Map|Zoom|5", "2|Map|Title|North Sea", "3|Map|Grid|true", "4|Map|Scale|0.25"}));
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(u'\n').toStdString();
}

TEST_F(DbIniFileTest, KeysMatchWithoutRegardToCaseOrTrailingBlanks)
{
    ASSERT_TRUE(exec(QStringLiteral(
        "INSERT INTO \"UDC_Settings\" (\"Section\", \"Identifier\", \"Data\") VALUES "
        "('map  ', 'mapfile', 'coast.map  '), ('Flags', 'A', 'TRUE'), ('Flags', 'B', 'yes'), "
        "('Twice', 'Key', 'first'), ('Twice', 'KEY', 'second'), ('Num', 'N', '42 knots'), ('Num', 'Bad', 'abc')")));
    {
        TDbIniFile ini;
        EXPECT_EQ(ini.ReadString(QStringLiteral("Map"), QStringLiteral("MapFile"), QString()),
                  QStringLiteral("coast.map"));
        EXPECT_TRUE(ini.ReadBool(QStringLiteral("Flags"), QStringLiteral("A"), false));
        EXPECT_FALSE(ini.ReadBool(QStringLiteral("Flags"), QStringLiteral("B"), true));
        EXPECT_EQ(ini.ReadString(QStringLiteral("Twice"), QStringLiteral("key"), QString()), QStringLiteral("first"));
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("Num"), QStringLiteral("N"), 0), 42);
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("Num"), QStringLiteral("Bad"), 9), 0);
        EXPECT_DOUBLE_EQ(ini.ReadFloat(QStringLiteral("Num"), QStringLiteral("Bad"), 1.5), 1.5);
        char buffer[5];
        ini.ReadStringBuf(QStringLiteral("Map"), QStringLiteral("MapFile"), buffer, sizeof buffer, QString());
        EXPECT_STREQ(buffer, "coas");
    }
    EXPECT_EQ(rows().size(), 7); // nothing added
}

// Only "true" reads as true. A row holding anything but "true" or "false"
// (a "1" typed into the table) reads as false and says so in the log, once
// per row however often it is read.
TEST_F(DbIniFileTest, ABoolNeitherTrueNorFalseReadsFalseAndIsLoggedOncePerRow)
{
    ASSERT_TRUE(exec(QStringLiteral(
        "INSERT INTO \"UDC_Settings\" (\"Section\", \"Identifier\", \"Data\") VALUES "
        "('PLOT', 'PlotTrack', '1'), ('Shown', 'Grid', 'True'), ('Shown', 'Key', 'FALSE'), ('Shown', 'Coast', 'on'), "
        "('Shown', 'Blank', '')")));
    static QStringList logged;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& m) { logged << m; });
    const struct {
        const char* section;
        const char* identifier;
        bool value;
    } cases[] = {{"Plot", "PlotTrack", false},
                 {"Shown", "Grid", true},
                 {"Shown", "Key", false},
                 {"Shown", "Coast", false},
                 {"Shown", "Blank", false}};
    for (int pass = 0; pass < 2; ++pass) {
        TDbIniFile ini;
        for (const auto& c : cases)
            EXPECT_EQ(ini.ReadBool(QLatin1String(c.section), QLatin1String(c.identifier), !c.value), c.value)
                << c.section << "/" << c.identifier << " pass " << pass;
    }
    qInstallMessageHandler(previous);

    ASSERT_EQ(logged.size(), 3) << logged.join(u'\n').toStdString();
    EXPECT_TRUE(logged[0].contains(QStringLiteral("PlotTrack")) && logged[0].contains(QStringLiteral("\"1\"")))
        << logged[0].toStdString();
    EXPECT_TRUE(logged[1].contains(QStringLiteral("Coast")) && logged[1].contains(QStringLiteral("\"on\"")))
        << logged[1].toStdString();
    EXPECT_TRUE(logged[2].contains(QStringLiteral("Blank"))) << logged[2].toStdString();
    // The rows stay as they were typed.
    EXPECT_EQ(rows().size(), 5);
}

TEST_F(DbIniFileTest, WritesUpdateInPlaceAndSurviveReopening)
{
    {
        TDbIniFile ini;
        EXPECT_TRUE(ini.WriteString(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("1")));
        EXPECT_TRUE(ini.WriteString(QStringLiteral("B"), QStringLiteral("y"), QStringLiteral("2")));
        EXPECT_TRUE(ini.WriteString(QStringLiteral("a"), QStringLiteral("X"), QStringLiteral("3")));
        // A write right after an add changes that row and no other.
        EXPECT_TRUE(ini.AddKey(QStringLiteral("C"), QStringLiteral("z"), QStringLiteral("4")));
        EXPECT_TRUE(ini.WriteInteger(QStringLiteral("C"), QStringLiteral("z"), 5));
        EXPECT_TRUE(ini.WriteString(QStringLiteral("Long"), QStringLiteral("text"), QString(300, u'w')));
        velmar::platform::SystemTime t{2026, 12, 4, 10, 13, 5, 9, 0};
        EXPECT_TRUE(ini.WriteTime(QStringLiteral("ShowData"), QStringLiteral("StartTime"), t));
    }
    CloseDB();
    ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
    {
        TDbIniFile ini;
        EXPECT_EQ(ini.ReadString(QStringLiteral("a"), QStringLiteral("x"), QString()), QStringLiteral("3"));
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("C"), QStringLiteral("z"), 0), 5);
        EXPECT_EQ(ini.ReadString(QStringLiteral("Long"), QStringLiteral("text"), QString()), QString(255, u'w'));
        const auto t = ini.ReadTime(QStringLiteral("ShowData"), QStringLiteral("StartTime"), {});
        EXPECT_EQ(t.wYear, 2026);
        EXPECT_EQ(t.wSecond, 9);
    }
    const QStringList r = rows();
    ASSERT_EQ(r.size(), 5);
    EXPECT_EQ(r[0], QStringLiteral("1|a|X|3"));
    EXPECT_EQ(r[2], QStringLiteral("3|C|z|5"));
}

TEST_F(DbIniFileTest, RealsUseAPointUnderACommaLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    {
        TDbIniFile ini;
        EXPECT_TRUE(ini.WriteFloat(QStringLiteral("EffortLine"), QStringLiteral("HydrophoneLength"), 250.5));
        EXPECT_TRUE(ini.WriteString(QStringLiteral("EffortLine"), QStringLiteral("Old"), QStringLiteral("3,75")));
        EXPECT_DOUBLE_EQ(ini.ReadFloat(QStringLiteral("EffortLine"), QStringLiteral("HydrophoneLength"), 0), 250.5);
        EXPECT_DOUBLE_EQ(ini.ReadFloat(QStringLiteral("EffortLine"), QStringLiteral("Old"), 0), 3.75);
        // A 32-bit field's value is written as the float it is.
        EXPECT_TRUE(ini.WriteFloat(QStringLiteral("EffortLine"), QStringLiteral("Single"), 0.1f));
        EXPECT_EQ(float(ini.ReadFloat(QStringLiteral("EffortLine"), QStringLiteral("Single"), 0)), 0.1f);
    }
    EXPECT_EQ(TDbIniFile::RealText(0.1f), QStringLiteral("0.1"));
    EXPECT_EQ(TDbIniFile::RealText(1e-300), QStringLiteral("1e-300"));
    EXPECT_EQ(TDbIniFile::RealText(2.0 / 3.0), QStringLiteral("0.666666666666667"));
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(rows().first(), QStringLiteral("1|EffortLine|HydrophoneLength|250.5"));
}

TEST_F(DbIniFileTest, WithoutADatabaseReadsGiveDefaultsAndWritesFail)
{
    CloseDB();
    TDbIniFile ini;
    EXPECT_FALSE(ini.isValid());
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("A"), QStringLiteral("b"), 3), 3);
    EXPECT_FALSE(ini.WriteInteger(QStringLiteral("A"), QStringLiteral("b"), 4));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Error in Form Definition Table"));
}

TEST_F(DbIniFileTest, TheBlocksMirroredFieldsRoundTrip)
{
    const ProgramSettings saved = TheProgramSettings;
    TheProgramSettings.MapFile.setText(QStringLiteral("/maps/home.map"));
    LoadSettingsFromDb();
    // A database without the key empties the map file; every key is added.
    EXPECT_TRUE(TheProgramSettings.MapFile.isEmpty());
    EXPECT_EQ(rows().size(), 68);

    TheProgramSettings.MapFile.setText(QStringLiteral("/maps/minch.map"));
    TheProgramSettings.ShowContour[29] = false;
    TheProgramSettings.NGrabbers = 3;
    TheProgramSettings.MagneticVariation = -4.5f;
    TheProgramSettings.EffortForm.setText(QStringLiteral("Effort"));
    TheProgramSettings.EndTime = {2026, 6, 0, 1, 12, 30, 0, 0};
    SaveSettingsToDb();
    TheProgramSettings = ProgramSettings();
    LoadSettingsFromDb();
    EXPECT_EQ(TheProgramSettings.MapFile.text(), QStringLiteral("/maps/minch.map"));
    EXPECT_FALSE(TheProgramSettings.ShowContour[29]);
    EXPECT_EQ(TheProgramSettings.NGrabbers, 3);
    EXPECT_EQ(TheProgramSettings.MagneticVariation, -4.5f);
    EXPECT_EQ(TheProgramSettings.EffortForm.text(), QStringLiteral("Effort"));
    EXPECT_EQ(TheProgramSettings.EndTime.wHour, 12);
    EXPECT_EQ(TheProgramSettings.EndTime.wMinute, 30);
    EXPECT_EQ(rows().size(), 68);
    EXPECT_TRUE(sink.messages.empty());
    TheProgramSettings = saved;
}

TEST_F(DbIniFileTest, SerialLineSettingsRoundTrip)
{
    const SerialLineSettings defaults;
    const SerialLineSettings read = ReadSerialSettings(QStringLiteral("Panel COM3"), defaults);
    EXPECT_EQ(read, defaults);
    EXPECT_EQ(rows().size(), 4);
    const SerialLineSettings chosen{4800, 2, 7, 2};
    WriteSerialSettings(QStringLiteral("Panel COM3"), chosen);
    EXPECT_EQ(ReadSerialSettings(QStringLiteral("panel com3"), defaults), chosen);
    EXPECT_EQ(rows().size(), 4);
}
