#include "nmeaserver/SentenceStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmar::nmeaserver;
using velmar::platform::SystemTime;

namespace {

struct FakeClock {
    SystemTime now{2026, 12, 4, 10, 12, 0, 0, 0};
    void advance(int seconds) { now = SystemTime::fromTimePoint(now.toTimePoint() + std::chrono::seconds(seconds)); }
};

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(SentenceStore, NamesAndLineEnds)
{
    EXPECT_EQ(sentenceName("$GPRMC,1,2"), "GPRMC");
    EXPECT_EQ(sentenceName("!AIVDM,1,1,,A,x,0*5C"), "AIVDM");
    EXPECT_EQ(sentenceName("$PSRF150,1"), "PSRF150");
    EXPECT_EQ(sentenceName("$GPTXT"), "");
    EXPECT_EQ(sentenceName("$,1"), "");

    EXPECT_EQ(stripLineEnd("$GPGGA,1,2\r"), "$GPGGA,1,2");
    EXPECT_EQ(stripLineEnd("$GPGGA,1,2\r\n"), "$GPGGA,1,2");
    // An AIS line stored without its CR keeps its last checksum character.
    EXPECT_EQ(stripLineEnd("!AIVDM,1,1,,A,13aG,0*5C"), "!AIVDM,1,1,,A,13aG,0*5C");
}

TEST(SentenceStore, StoresNewestByExactNameAndFindsByType)
{
    FakeClock clock;
    SentenceStore store([&] { return clock.now; });

    auto r = store.StoreSentence("$GPR,1", "/dev/ttyS0");
    ASSERT_TRUE(r.entry);
    EXPECT_FALSE(r.known);
    r = store.StoreSentence("$GPRMC,2", "/dev/ttyS0");
    EXPECT_FALSE(r.known) << "a name that begins with a stored name is a name of its own";
    clock.advance(1);
    r = store.StoreSentence("$IIRMC,3", "/dev/ttyS1");
    r = store.StoreSentence("$GPRMC,4", "/dev/ttyS0");
    EXPECT_TRUE(r.known);
    EXPECT_EQ(r.entry->Text, "$GPRMC,4");
    EXPECT_EQ(r.entry->Received, clock.now);
    EXPECT_EQ(store.entries().size(), 3u);

    EXPECT_FALSE(store.StoreSentence("$GPTXT no comma", "/dev/ttyS0").entry);
    EXPECT_FALSE(store.StoreSentence("$0", "/dev/ttyS0").entry);
    EXPECT_EQ(store.entries().size(), 3u) << "text without a comma does not grow the store";

    // Newest name first; the index counts names in the order first seen.
    EXPECT_EQ(store.entries().front().Name, "IIRMC");
    EXPECT_EQ(store.entries().front().Index, 2);

    ASSERT_TRUE(store.FindSentence("RMC"));
    EXPECT_EQ(store.FindSentence("RMC")->Name, "IIRMC");
    EXPECT_EQ(store.FindSentence("GPRMC")->Text, "$GPRMC,4");
    EXPECT_FALSE(store.FindSentence("GPRM"));
    EXPECT_FALSE(store.FindSentence("GPR")); // a three-letter look-up is a type: GPR has none
    EXPECT_FALSE(store.FindSentence("rmc"));
    ASSERT_TRUE(store.findItem("gprmc"));
    EXPECT_EQ(store.findItem("gprmc")->Text, "$GPRMC,4");
    EXPECT_EQ(store.findItem("GPR")->Text, "$GPR,1");
    EXPECT_FALSE(store.findItem("GPRMCX"));

    store.clearSource("/dev/ttyS0");
    ASSERT_EQ(store.entries().size(), 1u);
    EXPECT_EQ(store.entries().front().Name, "IIRMC");
    store.ClearSentences();
    EXPECT_TRUE(store.entries().empty());
    EXPECT_FALSE(store.findItem("IIRMC"));
}

TEST(SentenceStore, DumpsEachNameOncePerIntervalFirstSentenceIncluded)
{
    QTemporaryDir dir;
    FakeClock clock;
    SentenceStore store([&] { return clock.now; });
    store.setDumpInfo({true, false, 30, dir.path()});

    for (int s = 0; s <= 61; ++s) {
        store.StoreSentence("$GPGGA,1", "p");
        if (s % 2 == 0)
            store.StoreSentence("$HEHDT,2", "p");
        clock.advance(1);
    }
    const QByteArray text = readFile(dir.path() + "/NMEA_20261210.asc");
    EXPECT_EQ(text.count("$GPGGA,1"), 3); // at 0, 30 and 60 s
    EXPECT_EQ(text.count("$HEHDT,2"), 3);
    EXPECT_TRUE(text.startsWith("2026-12-10 12:00:00,$GPGGA,1\r\n2026-12-10 12:00:00,$HEHDT,2\r\n"))
        << text.constData();
    EXPECT_TRUE(text.contains("2026-12-10 12:00:30,$GPGGA,1\r\n"));

    // Every sentence when all strings are dumped.
    QTemporaryDir all;
    SentenceStore every([&] { return clock.now; });
    every.setDumpInfo({true, true, 30, all.path()});
    for (int i = 0; i < 5; ++i)
        every.StoreSentence("$GPGGA,1", "p");
    EXPECT_EQ(readFile(DumpFile::pathFor(all.path(), clock.now)).count("\r\n"), 5);

    // Dumping off writes nothing.
    QTemporaryDir none;
    SentenceStore quiet([&] { return clock.now; });
    quiet.setDumpInfo({false, true, 30, none.path()});
    quiet.StoreSentence("$GPGGA,1", "p");
    EXPECT_TRUE(QDir(none.path()).isEmpty());
}

TEST(SentenceStore, DumpMovesToANewFileAtUtcMidnightAndSurvivesBadFolders)
{
    QTemporaryDir dir;
    FakeClock clock;
    clock.now = {2026, 12, 4, 31, 23, 59, 59, 500};
    SentenceStore store([&] { return clock.now; });
    const QString folder = dir.path() + "/dump"; // made on first use
    store.setDumpInfo({true, true, 30, folder});

    store.StoreSentence("$GPRMC,a", "p");
    clock.advance(1);
    store.StoreSentence("$GPRMC,b", "p");

    EXPECT_EQ(readFile(folder + "/NMEA_20261231.asc"), "2026-12-31 23:59:59,$GPRMC,a\r\n");
    EXPECT_EQ(readFile(folder + "/NMEA_20270101.asc"), "2027-01-01 00:00:00,$GPRMC,b\r\n");
    EXPECT_EQ(store.dumpFile().openPath(), folder + "/NMEA_20270101.asc");

    // A folder that cannot be made costs the lines, not the store.
    store.setDumpInfo({true, true, 30, dir.path() + "/missing/parent"});
    const auto r = store.StoreSentence("$GPRMC,c", "p");
    ASSERT_TRUE(r.entry);
    EXPECT_EQ(r.entry->Text, "$GPRMC,c");
    EXPECT_TRUE(store.dumpFile().openPath().isEmpty());
}
