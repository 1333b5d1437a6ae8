#include "settings/ProgramSettings.h"

#include "platform/Folders.h"
#include "platform/RecordIO.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace velmar::store;
using velmar::platform::loadLe;

namespace {

const uint8_t* raw(const QByteArray& b)
{
    return reinterpret_cast<const uint8_t*>(b.constData());
}

QString textAt(const QByteArray& b, int offset)
{
    return QString::fromLatin1(b.constData() + offset);
}

bool writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readRaw(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A block unlike the defaults in many fields, as a season of use leaves it.
ProgramSettings usedBlock()
{
    ProgramSettings s;
    s.DatabasePath.setText(QStringLiteral("/data/surveys/Skagerrak 2026.sqlite"));
    s.ProgramPaths[5].setText(QStringLiteral("/opt/velmar/NMEA"));
    s.MaxInterval = 20;
    s.MapMargin = 12.5f;
    s.PlotWhistles = true;
    s.ProgramAutoControl = {3, 1, 0, 2, 3, 1};
    s.DisplayLogFont.lfHeight = -15;
    s.MapFile.setText(QStringLiteral("/data/maps/Kattegat.asc"));
    s.ShowContour[7] = true;
    s.DetectorsPosition = 2;
    s.NGrabbers = 3;
    s.StartTime = {2028, 2, 2, 29, 6, 30, 0, 0};
    s.EndTime = {2028, 3, 3, 1, 18, 0, 0, 0};
    s.EffortYes = true;
    s.EffortForm.setText(QStringLiteral("Effort"));
    s.EffortControl.setText(QStringLiteral("Status"));
    s.HydrophoneLength = 250.0f;
    s.MagneticVariation = -3.25f;
    s.RestartMode = 3;
    s.GpsSentence = 2;
    s.GgaTalker.setText(QStringLiteral("GN"));
    s.ReadHdm = true;
    s.FirstRunPending = false;
    return s;
}

} // namespace

TEST(ProgramSettings, FieldsFollowOneAnotherWithoutGaps)
{
    EXPECT_EQ(ProgramSettingsLayoutFault(), -1);
    EXPECT_EQ(ProgramSettings().toBytes().size(), 4289);
}

TEST(ProgramSettings, FieldsLieAtTheirStoredOffsets)
{
    const QByteArray b = usedBlock().toBytes();
    const uint8_t* d = raw(b);
    // Literal offsets of the stored layout, so that a wrong constant shows.
    EXPECT_EQ(textAt(b, 1680), QStringLiteral("/data/surveys/Skagerrak 2026.sqlite"));
    EXPECT_EQ(textAt(b, 1960), QStringLiteral("Microsoft Access Driver (*.mdb)"));
    EXPECT_EQ(textAt(b, 5 * 280), QStringLiteral("/opt/velmar/NMEA"));
    EXPECT_EQ(loadLe<int32_t>(d + 2592), 20);
    EXPECT_EQ(loadLe<int32_t>(d + 2596), 5);
    EXPECT_FLOAT_EQ(loadLe<float>(d + 2600), 12.5f);
    EXPECT_EQ(d[2608], 1);
    EXPECT_EQ(loadLe<int32_t>(d + 2611), 3);
    EXPECT_EQ(loadLe<int32_t>(d + 2631), 1);
    EXPECT_EQ(loadLe<int32_t>(d + 2644), -15);
    EXPECT_EQ(textAt(b, 2644 + 28), QStringLiteral("Sans Serif"));
    EXPECT_EQ(textAt(b, 2704), QStringLiteral("/data/maps/Kattegat.asc"));
    EXPECT_EQ(d[2984], 1);
    EXPECT_EQ(d[2991], 1);
    EXPECT_EQ(d[3605], 0);
    EXPECT_EQ(d[3606], 2);
    EXPECT_EQ(d[3609], 3);
    EXPECT_EQ(loadLe<int32_t>(d + 3618), 48000);
    EXPECT_EQ(textAt(b, 3624), QStringLiteral("C:\\AutorecFiles"));
    EXPECT_EQ(loadLe<uint16_t>(d + 3986), 2028);
    EXPECT_EQ(loadLe<uint16_t>(d + 3986 + 6), 29);
    EXPECT_EQ(loadLe<uint16_t>(d + 4002 + 2), 3);
    EXPECT_EQ(textAt(b, 4024), QStringLiteral("Effort"));
    EXPECT_EQ(textAt(b, 4074), QStringLiteral("Status"));
    EXPECT_FLOAT_EQ(loadLe<float>(d + 4128), 250.0f);
    EXPECT_FLOAT_EQ(loadLe<float>(d + 4132), -3.25f);
    EXPECT_EQ(loadLe<int32_t>(d + 4148), 3);
    EXPECT_EQ(loadLe<int32_t>(d + 4153), 300);
    EXPECT_FLOAT_EQ(loadLe<float>(d + 4170), 2.0f);
    EXPECT_EQ(d[4174], 2);
    EXPECT_EQ(textAt(b, 4175), QStringLiteral("GN"));
    EXPECT_EQ(textAt(b, 4178), QStringLiteral("GP"));
    EXPECT_EQ(loadLe<int32_t>(d + 4209), 5);
    EXPECT_EQ(loadLe<int32_t>(d + 4214), 100);
    EXPECT_EQ(loadLe<uint16_t>(d + 4221), 6);
    EXPECT_EQ(textAt(b, 4223), QStringLiteral("HE"));
    EXPECT_EQ(textAt(b, 4227), QStringLiteral("HC"));
    EXPECT_EQ(d[4230], 1);
}

TEST(ProgramSettings, FirstRunWritesTheDefaults)
{
    const QString path = ProgramSettingsFilePath();
    QFile::remove(path);
    TheProgramSettings.RestartMode = 2; // whatever the record held stays
    QString error = QStringLiteral("stale");
    EXPECT_FALSE(ReadProgramSettings(&error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(TheProgramSettings.RestartMode, 2);

    // What the start-up does with a false result.
    TheProgramSettings = ProgramSettings();
    ASSERT_TRUE(WriteProgramSettings(&error)) << error.toStdString();
    EXPECT_EQ(readRaw(path), ProgramSettings().toBytes());

    TheProgramSettings.RestartMode = 4;
    ASSERT_TRUE(ReadProgramSettings(&error));
    EXPECT_EQ(TheProgramSettings, ProgramSettings());
    EXPECT_TRUE(TheProgramSettings.FirstRunPending);
}

TEST(ProgramSettings, RoundTripKeepsEveryByte)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Velmar2000.dat"));
    QByteArray stored = usedBlock().toBytes();
    // Bytes behind the null of a text and in the reserved tail, as the old
    // program leaves them, must survive too.
    stored.replace(1680 + 200, 5, "junk!");
    stored.replace(4231, 4, "\x01\x02\x03\x04");
    ASSERT_TRUE(writeRaw(path, stored));

    ProgramSettings s;
    ASSERT_TRUE(ReadProgramSettingsFile(path, s));
    EXPECT_EQ(s.DatabasePath.text(), QStringLiteral("/data/surveys/Skagerrak 2026.sqlite"));
    QFile::remove(path);
    ASSERT_TRUE(WriteProgramSettingsFile(path, s));
    EXPECT_EQ(readRaw(path), stored);
}

TEST(ProgramSettings, ShortFileIsRefusedAndLongFileReadToItsBlock)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("block.dat"));
    const QByteArray block = usedBlock().toBytes();

    ASSERT_TRUE(writeRaw(path, block.left(4288)));
    ProgramSettings s;
    s.NGrabbers = 9;
    QString error;
    EXPECT_FALSE(ReadProgramSettingsFile(path, s, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(s.NGrabbers, 9); // a refused file changes nothing

    ASSERT_TRUE(writeRaw(path, QByteArray()));
    EXPECT_FALSE(ReadProgramSettingsFile(path, s));

    ASSERT_TRUE(writeRaw(path, block + QByteArray(5000 - 4289, '\x7f')));
    ASSERT_TRUE(ReadProgramSettingsFile(path, s));
    EXPECT_EQ(s, usedBlock());
}

TEST(ProgramSettings, ZeroFieldsOfOlderLayoutsGetDefaults)
{
    ProgramSettings old = usedBlock();
    old.GpsSentence = 0;
    old.GgaTalker.setText(QStringLiteral("GN"));
    old.RmcTalker.setText(QStringLiteral("II"));
    old.HdtTalker.setText(QString());
    old.HdmTalker.setText(QString());
    old.MaxEffortFixInterval = 0;
    old.ZoomStep = 1.0f;
    old.ButtonCountRate = 0;
    old.ButtonSampleRate = 0;
    old.DiskWarningHours = 0;

    ProgramSettings s;
    ASSERT_TRUE(s.fromBytes(old.toBytes()));
    EXPECT_EQ(s.GpsSentence, 1);
    EXPECT_EQ(s.GgaTalker.text(), QStringLiteral("GP"));
    EXPECT_EQ(s.RmcTalker.text(), QStringLiteral("GP"));
    EXPECT_EQ(s.HdtTalker.text(), QStringLiteral("HE"));
    EXPECT_TRUE(s.HdmTalker.isEmpty()); // only the HDT talker gets one
    EXPECT_EQ(s.MaxEffortFixInterval, 300);
    EXPECT_FLOAT_EQ(s.ZoomStep, 2.0f);
    EXPECT_EQ(s.ButtonCountRate, 5);
    EXPECT_EQ(s.ButtonSampleRate, 100);
    EXPECT_EQ(s.DiskWarningHours, 6);
    EXPECT_EQ(s.RestartMode, 3);
}

TEST(ProgramSettings, DamagedBlockReadsSafely)
{
    const ProgramSettings defaults;
    std::mt19937 random(2026);
    std::vector<QByteArray> damaged{QByteArray(4289, '\xff'), QByteArray(4289, '\x02')};
    for (int i = 0; i < 20; ++i) {
        QByteArray b(4289, '\0');
        for (char& c : b)
            c = char(random());
        damaged.push_back(b);
    }
    for (const QByteArray& b : damaged) {
        ProgramSettings s;
        ASSERT_TRUE(s.fromBytes(b));
        EXPECT_LT(s.DatabasePath.view().size(), 280u);
        EXPECT_LT(s.MapFile.view().size(), 280u);
        EXPECT_LT(s.EffortForm.view().size(), 50u);
        EXPECT_LT(s.DisplayLogFont.lfFaceName.view().size(), 32u);
        EXPECT_EQ(s.HdtTalker.view().size() < 3u, true);
        for (const auto& p : s.ProgramPaths)
            EXPECT_LT(p.view().size(), 280u);
        EXPECT_LE(s.DetectorsPosition, 2);
        EXPECT_LE(s.TimesAdjacent, 2);
        EXPECT_TRUE(s.GpsSentence == 1 || s.GpsSentence == 2);
        EXPECT_TRUE(s.LengthUnits == 1 || s.LengthUnits == 2);
        EXPECT_GE(s.RestartMode, 0);
        EXPECT_LE(s.RestartMode, 4);
        EXPECT_GE(s.TrackPenWidth, 1);
        EXPECT_LE(s.TrackPenWidth, 9);
        EXPECT_GE(s.WeatherPort, 1);
        EXPECT_LE(s.WeatherPort, 4);
        EXPECT_LE(s.FormErrorChecking, 2);
        EXPECT_LE(s.FormErrorWarnings, 2);
        EXPECT_GT(s.ZoomStep, 1.0f);
        EXPECT_TRUE(std::isfinite(s.MapMargin));
        EXPECT_LE(std::abs(s.MagneticVariation), 180.0f);
        for (int32_t a : s.ProgramAutoControl)
            EXPECT_TRUE(a >= 0 && a <= 3);
        // The repaired block is stored and read again unchanged.
        ProgramSettings again;
        ASSERT_TRUE(again.fromBytes(s.toBytes()));
        EXPECT_EQ(again, s);
    }
    // A flag byte that is neither 0 nor 1 takes the default.
    QByteArray b = defaults.toBytes();
    b[2604] = 7;
    b[2606] = 7;
    ProgramSettings s;
    ASSERT_TRUE(s.fromBytes(b));
    EXPECT_TRUE(s.PlotGrid);
    EXPECT_FALSE(s.PlotPorpoises);
}

TEST(ProgramSettings, FailedOpenIsReported)
{
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("not-a-folder"));
    ASSERT_TRUE(writeRaw(blocker, "x"));
    QString error;
    EXPECT_FALSE(WriteProgramSettingsFile(blocker + QStringLiteral("/Velmar2000.dat"), ProgramSettings(), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Error opening file "))) << error.toStdString();

    // A file that exists but cannot be opened is reported; a missing one is not.
    ProgramSettings s;
    EXPECT_FALSE(ReadProgramSettingsFile(dir.path(), s, &error));
    EXPECT_EQ(error, QStringLiteral("Error opening file %1").arg(dir.path()));
}

TEST(ProgramSettings, ProgramTypeIndexTable)
{
    const std::pair<int, int> rows[] = {{1, 0}, {2, 1},  {4, 2},  {16, 3},  {32, 4},
                                        {8, 5}, {0, -1}, {3, -1}, {64, -1}, {-1, -1}};
    for (auto [bit, index] : rows)
        EXPECT_EQ(ProgramTypeIndex(bit), index) << bit;
}

TEST(ProgramSettings, FindProgramFileKeepsOrReplacesThePath)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("Tavlin"));
    ASSERT_TRUE(writeRaw(existing, "#!"));
    ProgramSettings::Path path;
    path.setText(existing);
    EXPECT_TRUE(FindProgramFile(path, QStringLiteral("Tavlin")));
    EXPECT_EQ(path.text(), existing);

    // Configured file gone, nothing beside the program either: path stays.
    path.setText(QStringLiteral("C:\\Programs\\Tavlin.exe"));
    const QString name = QStringLiteral("velmar-test-program-%1").arg(QCoreApplication::applicationPid());
    EXPECT_FALSE(FindProgramFile(path, name));
    EXPECT_EQ(path.text(), QStringLiteral("C:\\Programs\\Tavlin.exe"));

    // The program beside our executable is found.
    const QString beside = velmar::platform::executableFolder() + QLatin1Char('/') + name;
    ASSERT_TRUE(writeRaw(beside, "#!"));
    EXPECT_TRUE(FindProgramFile(path, name));
    EXPECT_EQ(path.text(), beside);
    QFile::remove(beside);
}
