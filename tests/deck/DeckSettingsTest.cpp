// "TapeSet.dat": byte-exact round trips of its three records, and every kind
// of bad file a deck may find in the settings folder.
#include "deck/DeckSettings.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

using namespace velmar::deck;

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

template <typename T>
T le(const QByteArray& bytes, int offset)
{
    T v{};
    std::memcpy(&v, bytes.constData() + offset, sizeof(T));
    return v; // the test machines are little-endian, as the file
}

struct Variant {
    const char* legend;
    DeckSettingsFile settings;
};

std::vector<Variant> variants()
{
    std::vector<Variant> v;
    v.push_back({"defaults", {}});
    DeckSettingsFile s;
    s.deck.LeftMask = 0x3;
    s.deck.RightMask = 0xC;
    s.deck.ClickMask = 0xFFFFFFFF;
    s.deck.WhistleMask = 0;
    s.deck.PlaybackRate = 192000;
    s.deck.PlayAtFileRate = 0;
    s.deck.PlaybackDevice = -1;
    s.deck.setFolder(QStringLiteral("/home/survey/Sound Files/Leg 3 – Ærø"));
    s.deck.JoinTracks = 1;
    s.deck.InterTrackDelay = 2.5f;
    s.deck.Reserved[7] = 0x5A;
    s.deck.LastFileRate = 96000;
    s.deck.GainDb = -6.0f;
    s.deck.ListByPeriod = 1;
    s.filter = {FilterChebyshev, BandPass, 2000, 15000, 0.5f, 16, {}};
    s.filter.Reserved[19] = 1;
    s.display = {1, 80, 0, 0, 10, {}};
    v.push_back({"every field set", s});
    DeckSettingsFile longFolder;
    longFolder.deck.setFolder(QString(400, QChar(u'é')));
    v.push_back({"folder cut to its field", longFolder});
    return v;
}

} // namespace

TEST(DeckSettings, RecordsKeepTheirLayout)
{
    DeckSettingsFile s = variants()[1].settings;
    const QByteArray bytes = s.toBytes();
    ASSERT_EQ(bytes.size(), 1390);
    EXPECT_EQ(le<uint32_t>(bytes, 0), 0x3u);
    EXPECT_EQ(le<uint32_t>(bytes, 16), 192000u);
    EXPECT_EQ(uint8_t(bytes[20]), 0);
    EXPECT_EQ(le<int32_t>(bytes, 21), -1);
    EXPECT_EQ(bytes.mid(25, 8), QByteArray("/home/su"));
    EXPECT_EQ(uint8_t(bytes[285]), 1);
    EXPECT_EQ(le<float>(bytes, 286), 2.5f);
    EXPECT_EQ(uint8_t(bytes[290 + 7]), 0x5A);
    EXPECT_EQ(le<uint32_t>(bytes, 1306), 96000u);
    EXPECT_EQ(le<float>(bytes, 1310), -6.0f);
    EXPECT_EQ(uint8_t(bytes[1314]), 1);
    EXPECT_EQ(le<int16_t>(bytes, 1315), FilterChebyshev);
    EXPECT_EQ(le<int16_t>(bytes, 1317), BandPass);
    EXPECT_EQ(le<int32_t>(bytes, 1319), 2000);
    EXPECT_EQ(le<int32_t>(bytes, 1323), 15000);
    EXPECT_EQ(le<float>(bytes, 1327), 0.5f);
    EXPECT_EQ(le<int32_t>(bytes, 1331), 16);
    EXPECT_EQ(uint8_t(bytes[1359]), 1);
    EXPECT_EQ(le<int32_t>(bytes, 1360), 80);
    EXPECT_EQ(le<int32_t>(bytes, 1366), 10);
}

TEST(DeckSettings, WriteThenReadGivesTheSameBytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TapeSet.dat"));
    for (const Variant& v : variants()) {
        SCOPED_TRACE(v.legend);
        ASSERT_TRUE(WriteDeckSettings(v.settings, path).ok);
        DeckSettingsFile read;
        read.deck.LeftMask = 77; // everything must come from the file
        ASSERT_TRUE(ReadDeckSettings(read, path).ok);
        EXPECT_EQ(read, v.settings);
        EXPECT_EQ(readFile(path), v.settings.toBytes());
    }
    DeckSettingsFile cut = variants()[2].settings;
    EXPECT_EQ(cut.deck.folder().size(), 129); // 258 bytes of two-byte characters
}

TEST(DeckSettings, MissingFileGivesDefaultsAndClosingWritesAWholeFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TapeSet.dat"));
    DeckSettingsFile s;
    EXPECT_TRUE(ReadDeckSettings(s, path).ok);
    EXPECT_EQ(s, DeckSettingsFile{});
    EXPECT_TRUE(s.deck.folder().isEmpty());
    ASSERT_TRUE(WriteDeckSettings(s, path).ok);
    EXPECT_EQ(QFileInfo(path).size(), 1390);
}

TEST(DeckSettings, WritingKeepsTheTailOfALongerFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TapeSet.dat"));
    writeFile(path, QByteArray(1390, '\0') + QByteArray("tail of a newer program"));
    DeckSettingsFile s = variants()[1].settings;
    ASSERT_TRUE(WriteDeckSettings(s, path).ok);
    EXPECT_EQ(readFile(path), s.toBytes() + QByteArray("tail of a newer program"));
}

TEST(DeckSettings, BadFilesGiveDefaultsForTheBadRecords)
{
    const DeckSettingsFile good = variants()[1].settings;
    const QByteArray image = good.toBytes();
    auto withOrder = [&](int32_t order) {
        QByteArray b = image;
        std::memcpy(b.data() + 1331, &order, 4);
        return b;
    };
    QByteArray unterminated = image;
    std::memset(unterminated.data() + 25, 'A', 260);
    QByteArray nanGain = image;
    const uint32_t nan = 0x7FC00000;
    std::memcpy(nanGain.data() + 1310, &nan, 4);
    QByteArray noise(5000, '\0');
    QRandomGenerator random(7);
    for (char& c : noise)
        c = char(random.bounded(256));

    struct Case {
        const char* legend;
        QByteArray bytes;
        int deckKept, filterKept, displayKept; // 1 kept, 0 defaults, -1 either (but sound)
    } cases[] = {
        {"empty file", {}, false, false, false},
        {"five bytes", image.left(5), false, false, false},
        {"deck record only", image.left(1315), true, false, false},
        {"deck and filter records only (1359 bytes)", image.left(1359), true, false, false},
        {"one byte short", image.left(1389), true, false, false},
        {"folder without its terminator", unterminated, false, true, true},
        {"order 0", withOrder(0), true, false, true},
        {"negative order", withOrder(-5), true, false, true},
        {"order of a million", withOrder(1000000), true, false, true},
        {"gain that is not a number", nanGain, false, true, true},
        {"nonsense", noise, -1, -1, -1},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TapeSet.dat"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        writeFile(path, c.bytes);
        DeckSettingsFile s = good;
        ASSERT_TRUE(ReadDeckSettings(s, path).ok);
        if (c.deckKept >= 0) {
            EXPECT_EQ(s.deck, c.deckKept ? good.deck : DeckSettings{});
        }
        if (c.filterKept >= 0) {
            EXPECT_EQ(s.filter, c.filterKept ? good.filter : FilterSpec{});
        }
        if (c.displayKept >= 0) {
            EXPECT_EQ(s.display, c.displayKept ? good.display : FilterDisplaySettings{});
        }
        EXPECT_NE(std::memchr(s.deck.Folder.data(), 0, s.deck.Folder.size()), nullptr);
        EXPECT_GE(s.filter.Order, 1);
        EXPECT_LE(s.filter.Order, FilterSpec::MaxOrder);
    }
}

TEST(DeckSettings, AnUnreadableFileIsReportedAndChangesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TapeSet.dat"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("TapeSet.dat"))); // a folder in its place
    DeckSettingsFile s = variants()[1].settings;
    const DeckFileResult read = ReadDeckSettings(s, path);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.messageText, QStringLiteral("Error opening file %1").arg(path));
    EXPECT_EQ(read.messageCaption, QStringLiteral("Default File Open"));
    EXPECT_EQ(s, variants()[1].settings);
    EXPECT_FALSE(WriteDeckSettings(s, path).ok);
}
