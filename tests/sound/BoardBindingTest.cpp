// The board libraries' bindings over stand-in libraries built by the tests:
// revision checks, the gain-to-range table and the error 30 retry, the
// digital ports, the NI-DAQ board tables and readings, loading at most once;
// and the sample formats, the tape machine's pulse timing.
#include "sound/SampleConversion.h"
#include "sound/boards/CbLibrary.h"
#include "sound/boards/NiDaqLibrary.h"
#include "sound/boards/TapeMachine.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace velmar::sound;

namespace {

QStringList LogLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

struct Reports {
    QStringList said;
    BoardReport report()
    {
        return [this](const QString& text, const QString& caption) { said << caption + ": " + text; };
    }
};

} // namespace

TEST(CbLibraryTest, OnlyRevisionFiveBindsAndTheOthersAreToldToUpgrade)
{
    const struct {
        const char* revision;
        bool loads;
    } rows[] = {{"5.0", true}, {"4.9", false}, {"5.5", false}};
    for (const auto& row : rows) {
        qputenv("STANDIN_CB_REVISION", row.revision);
        Reports r;
        CbLibrary lib;
        EXPECT_EQ(lib.Load(QStringLiteral(STANDIN_CB), r.report()), row.loads) << row.revision;
        EXPECT_EQ(lib.CbIsLoaded(), row.loads);
        if (row.loads) {
            EXPECT_TRUE(r.said.isEmpty());
        } else {
            EXPECT_EQ(r.said, QStringList{QStringLiteral("Initialisation Error: Computer Boards library version %1 "
                                                         "installed. \nYou must upgrade to version  5.0")
                                              .arg(QString::fromLatin1(row.revision), 4)});
            float volts = 0;
            EXPECT_FALSE(lib.CbReadVoltage(0, 0, 1, &volts)) << "nothing is called unbound";
        }
        // A second load neither loads again nor reports again.
        EXPECT_EQ(lib.Load(QStringLiteral(STANDIN_CB), r.report()), row.loads);
        EXPECT_LE(r.said.size(), 1);
    }
    qunsetenv("STANDIN_CB_REVISION");
    CbLibrary missing;
    Reports r;
    EXPECT_FALSE(missing.Load(QStringLiteral("/nonexistent/libcbw.so"), r.report()));
    EXPECT_TRUE(r.said.isEmpty()) << "a missing library is silent";
}

TEST(CbLibraryTest, ReadingsTakeTheRangeOfTheGainAndRetryRefusedRangesAtUnitGain)
{
    CbLibrary lib;
    ASSERT_TRUE(lib.Load(QStringLiteral(STANDIN_CB), {}));
    // The stand-in reads 3 V + range x 100.
    const struct {
        int gain;
        int range;
    } rows[] = {{-1, 15}, {0, 1},   {1, 1},   {2, 0},   {4, 2},   {5, 14},   {7, 1},    {10, 4},
                {20, 6},  {40, 12}, {50, 13}, {100, 7}, {200, 8}, {1000, 1}, {2000, 10}};
    for (const auto& row : rows) {
        float volts = 0;
        ASSERT_TRUE(lib.CbReadVoltage(0, 2, row.gain, &volts)) << row.gain;
        EXPECT_FLOAT_EQ(volts, 3.0f + float(row.range) * 100.0f) << "gain " << row.gain;
    }
    EXPECT_EQ(CbGainToRange(1000), 9) << "refused by the board, then read at unit gain above";
    float volts = 0;
    EXPECT_FALSE(lib.CbReadVoltage(1, 0, 1, &volts)) << "any other error";
    EXPECT_EQ(CbPortName(1), "AUXPORT");
    EXPECT_EQ(CbPortName(39), "EIGHTHPORTB");
    EXPECT_EQ(CbPortName(12), "Unknown Port");
    EXPECT_EQ(lib.CbBoardName(0), "PCI-DAS1602/16");
    EXPECT_EQ(lib.CbErrorText(7), "Stand-in board error 7");
}

TEST(CbLibraryTest, DigitalInputsReadPortAAndOutputsSetAuxiliaryBits)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("cb.log");
    qputenv("STANDIN_CB_LOG", log.toLocal8Bit());
    CbLibrary lib;
    ASSERT_TRUE(lib.Load(QStringLiteral(STANDIN_CB), {}));
    uint16_t value = 9;
    ASSERT_TRUE(lib.CbReadDigitalInput(0, 3, &value));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(lib.CbWriteDigitalBit(0, 5, 1));
    EXPECT_FALSE(lib.CbWriteDigitalBit(2, 5, 1)) << "a refused bit";
    qunsetenv("STANDIN_CB_LOG");
    EXPECT_EQ(LogLines(log), (QStringList{"config 0 10 2", "in 0 10 3", "out 0 1 5 1", "out 2 1 5 1"}));
    CbLibrary unbound;
    EXPECT_FALSE(unbound.CbWriteDigitalBit(0, 5, 1));
    EXPECT_FALSE(unbound.CbReadDigitalInput(0, 3, &value));
}

TEST(NiDaqLibraryTest, BoardTablesReadingsAndOneLoad)
{
    Reports r;
    NiDaqLibrary lib(QStringLiteral(STANDIN_NIDAQ), r.report());
    EXPECT_TRUE(lib.NiDaqIsLoaded());
    EXPECT_TRUE(lib.NiDaqIsLoaded());
    // The stand-in lacks one entry point: said once, at the one load.
    EXPECT_EQ(r.said, QStringList{"LoadNiDLL Error !: No ext_DIG_In_Line"});
    r.said.clear();

    EXPECT_EQ(lib.NiBoardName(1), "AT_MIO_16E_1");
    EXPECT_EQ(lib.NiBoardName(2), "No Installed NI Board");
    EXPECT_EQ(lib.NiBoardResolution(1), 12);
    EXPECT_EQ(lib.NiBoardResolution(2), 0) << "not installed";
    float volts = 0;
    ASSERT_TRUE(lib.NiReadVoltage(1, 0, 1, &volts));
    EXPECT_NEAR(volts, 4.998, 0.001);
    ASSERT_TRUE(lib.NiReadVoltage(1, 0, -1, &volts));
    EXPECT_NEAR(volts, 9.995, 0.001);
    EXPECT_FALSE(lib.NiReadVoltage(1, 16, 1, &volts)) << "channels 0 to 15";
    qputenv("STANDIN_NI_TYPE", "39"); // family 6: gains 1, 2, 10, 100
    EXPECT_FALSE(lib.NiReadVoltage(1, 0, 5, &volts));
    EXPECT_EQ(lib.NiBoardResolution(1), 16);
    qputenv("STANDIN_NI_TYPE", "999");
    EXPECT_EQ(lib.NiBoardName(1), "NatInst _ 999");
    EXPECT_EQ(lib.NiBoardName(1), "NatInst _ 999");
    EXPECT_EQ(r.said, QStringList{"Unknown NI board: NatInst _ 999"}) << "shown once per process";
    qunsetenv("STANDIN_NI_TYPE");
    int16_t state = 0;
    EXPECT_FALSE(lib.NiReadDigitalLine(1, 0, &state)) << "without DIG_In_Line";

    const struct {
        int type;
        const char* name;
        int bits;
        int family;
    } tables[] = {{7, "PC_DIO_24", 1, 0},          {13, "PC_LPM_16", 0, 1},   {25, "AT_MIO_16E_2", 12, 5},
                  {202, "PCI_MIO_16XE_50", 16, 6}, {233, "NI_4451", 0, 8},    {330, "NI_6222PXI", 16, 10},
                  {353, "NI_6733PXI", 0, 9},       {367, "PCI_6014", 16, 12}, {210, "PXI_6011E", 16, 11}};
    for (const auto& t : tables) {
        EXPECT_EQ(NiBoardTableName(t.type), QString::fromLatin1(t.name)) << t.type;
        EXPECT_EQ(NiBoardTableResolution(t.type), t.bits) << t.type;
        EXPECT_EQ(NiGainTableFamily(t.type), t.family) << t.type;
    }
    EXPECT_FALSE(NiBoardTableName(999));
    EXPECT_TRUE(NiGainAllowed(8, -20));
    EXPECT_FALSE(NiGainAllowed(0, 1));

    NiDaqLibrary none({});
    EXPECT_FALSE(none.NiDaqIsLoaded());
    EXPECT_EQ(none.NiBoardName(1), "No NIDaq DLL");
    EXPECT_EQ(none.NiBoardTypeName(25), "NIDaq not installed");
    EXPECT_EQ(none.NiBoardResolution(1), 16);
    EXPECT_TRUE(none.NiDaqGainValid(1, 5));
    EXPECT_FALSE(none.NiReadVoltage(1, 0, 1, &volts));
}

TEST(NiDaqMxLibraryTest, DeviceNamesAndOneLoadAlsoWhenItFailed)
{
    Reports r;
    NiDaqMxLibrary lib(QStringLiteral(STANDIN_DAQMX), r.report());
    ASSERT_TRUE(lib.NiMxIsLoaded());
    const QStringList first = r.said;
    EXPECT_TRUE(lib.NiMxIsLoaded());
    EXPECT_EQ(r.said, first) << "loaded and reported once";
    EXPECT_TRUE(first.contains("NI mx DLL Error: No function DAQmxGetReadRawDataWidth"))
        << first.join('\n').toStdString();
    EXPECT_EQ(lib.NiMxDeviceName(1), "PCI-6221 (mx)");
    EXPECT_FALSE(lib.NiMxDeviceName(3));
    EXPECT_EQ(lib.NiMxResolution(1), 16);
    EXPECT_EQ(lib.NiMxResolution(3), 0);
    EXPECT_EQ(lib.NiMxResolution(10), 0);

    NiDaqMxLibrary missing(QStringLiteral("/nonexistent/libnidaqmx.so"));
    EXPECT_FALSE(missing.NiMxIsLoaded());
    EXPECT_FALSE(missing.NiMxIsLoaded());
    EXPECT_FALSE(missing.NiMxDeviceName(1));
    EXPECT_EQ(missing.NiMxResolution(1), 16);
    float volts = 0;
    EXPECT_FALSE(missing.NiMxReadVoltage(1, 0, 1, &volts));
}

TEST(SampleConversionTest, EveryDriverFormatBecomesClampedSixteenBits)
{
    const float floats[] = {0.0f, 0.5f, -1.0f, 1.0f, 1.7f, -3.0f};
    int16_t out[6] = {};
    ASSERT_TRUE(ConvertSamples(AsioFloat32LSB, floats, 6, out, 1));
    EXPECT_EQ(std::vector<int16_t>(out, out + 6), (std::vector<int16_t>{0, 16384, -32768, 32767, 32767, -32768}));

    const struct {
        const char* legend;
        int type;
        std::vector<unsigned char> bytes;
        int16_t expected;
    } rows[] = {
        {"int16 LSB", AsioInt16LSB, {0x34, 0x12}, 0x1234},
        {"int16 MSB", AsioInt16MSB, {0x12, 0x34}, 0x1234},
        {"int24 LSB", AsioInt24LSB, {0xFF, 0x34, 0x92}, int16_t(0x9234)},
        {"int32 LSB", AsioInt32LSB, {0x00, 0x00, 0x00, 0x40}, 0x4000},
        {"int32 MSB", AsioInt32MSB, {0xC0, 0x00, 0x00, 0x00}, int16_t(0xC000)},
        {"int32 with 24 bits", AsioInt32LSB24, {0x00, 0x00, 0x40, 0x00}, 0x4000},
        {"int32 with 16 bits", AsioInt32LSB16, {0x00, 0x80, 0xFF, 0xFF}, int16_t(0x8000)},
        {"float32 MSB", AsioFloat32MSB, {0x3F, 0x00, 0x00, 0x00}, 16384},
        {"float64 LSB over range", AsioFloat64LSB, {0, 0, 0, 0, 0, 0, 0x00, 0x40}, 32767},
    };
    for (const auto& row : rows) {
        int16_t s = 0;
        ASSERT_TRUE(ConvertSamples(row.type, row.bytes.data(), 1, &s, 1)) << row.legend;
        EXPECT_EQ(s, row.expected) << row.legend;
    }
    // Interleaving: every second slot.
    const int16_t pair[] = {1, 2};
    int16_t frames[4] = {9, 9, 9, 9};
    ASSERT_TRUE(ConvertSamples(AsioInt16LSB, pair, 2, frames + 1, 2));
    EXPECT_EQ(std::vector<int16_t>(frames, frames + 4), (std::vector<int16_t>{9, 1, 9, 2}));
    EXPECT_FALSE(ConvertSamples(7, pair, 2, frames, 1)) << "a format nobody knows is refused, not silence";
    EXPECT_EQ(FloatToSample(std::nan("")), 0);
}

TEST(TapeMachineTest, StartAndStopPulsesOnTheInjectedClock)
{
    int now = 0;
    QStringList steps;
    TapeMachine machine(
        [&](int bit, int value) {
            steps << QStringLiteral("%1 ms bit %2 = %3").arg(now).arg(bit).arg(value);
            return true;
        },
        [&](int ms) { now += ms; });
    ASSERT_TRUE(machine.Start([&] { steps << QStringLiteral("%1 ms running").arg(now); }));
    EXPECT_EQ(steps, (QStringList{"0 ms bit 4 = 1", "100 ms bit 5 = 1", "100 ms running", "600 ms bit 5 = 0",
                                  "600 ms bit 4 = 0"}));
    steps.clear();
    ASSERT_TRUE(machine.Stop([&] { steps << QStringLiteral("%1 ms stopped").arg(now); }));
    EXPECT_EQ(steps, (QStringList{"600 ms bit 6 = 1", "600 ms stopped", "1100 ms bit 6 = 0"}));

    TapeMachine refused([](int, int) { return false; }, [](int) {});
    EXPECT_FALSE(refused.Start());
}
