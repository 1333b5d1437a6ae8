#include "platform/Utilities.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmar::platform;

namespace {

struct TrimCase {
    const char* legend;
    const char* in;
    const char* right;
    const char* left;
    const char* both;
};

TEST(Utilities, TrimmingRemovesBlanksOnly)
{
    const TrimCase cases[] = {
        {"empty", "", "", "", ""},
        {"all blanks", "   ", "", "", ""},
        {"both sides", "  a b  ", "  a b", "a b  ", "a b"},
        {"tabs stay", "\ta\t ", "\ta\t", "\ta\t ", "\ta\t"},
        {"nothing to trim", "abc", "abc", "abc", "abc"},
    };
    for (const auto& c : cases) {
        QString r = c.in, l = c.in, b = c.in;
        TrimRight(r);
        TrimLeft(l);
        Trim(b);
        EXPECT_EQ(r, c.right) << c.legend;
        EXPECT_EQ(l, c.left) << c.legend;
        EXPECT_EQ(b, c.both) << c.legend;
    }
}

TEST(Utilities, CompareNoCase)
{
    EXPECT_EQ(CompareNoCase("abc", "ABC"), 0);
    EXPECT_EQ(CompareNoCase("abc", "abd"), -1);
    EXPECT_EQ(CompareNoCase("Abd", "abc"), 1);
    EXPECT_NE(CompareNoCase("Cross", "Cross2"), 0);
    EXPECT_NE(CompareNoCase("", "a"), 0);
}

struct ColourCase {
    const char* in;
    int32_t colour;
};

TEST(Utilities, ColourFromNameTable)
{
    const ColourCase cases[] = {
        {"Red", MakeColour(255, 0, 0)},
        {"GREEN", MakeColour(0, 255, 0)},
        {"G", MakeColour(0, 255, 0)},
        {"Gre", MakeColour(0, 255, 0)},
        {"Grey", MakeColour(192, 192, 192)},
        {"B", MakeColour(0, 0, 255)},
        {"Bla", MakeColour(0, 0, 0)},
        {"C", MakeColour(0, 255, 255)},
        {"Cl", ColourClear},
        {"clear", ColourClear},
        {"Dk", MakeColour(128, 0, 0)},
        {"dkblue", MakeColour(0, 0, 128)},
        {"Orange", MakeColour(225, 128, 0)},
        {"Pink", MakeColour(225, 128, 192)},
        {"Violet", MakeColour(128, 0, 255)},
        {"White", MakeColour(255, 255, 255)},
        {"Redd", ColourNone},   // longer than the name
        {"Purple", ColourNone}, // not in the table
        {"", ColourNone},
        {"   ", ColourNone},
        {"RGB(10,20,30)", MakeColour(10, 20, 30)},
        {"rgb( 1, 2, 3)", MakeColour(1, 2, 3)},
        {"RGB(10,20)", MakeColour(10, 20, 0)},
        {"RGB(256,257,-1)", MakeColour(0, 1, 255)}, // low bytes only
        {"RGB(x)", MakeColour(0, 0, 0)},
        {"RGB(", ColourNone},
    };
    for (const auto& c : cases) {
        QString text = c.in;
        EXPECT_EQ(ColourFromName(text), c.colour) << '"' << c.in << '"';
    }
}

TEST(Utilities, ColourFromNameTrimsOnlyTrailingBlanksOfTheCallersText)
{
    QString text = "  red  ";
    EXPECT_EQ(ColourFromName(text), MakeColour(255, 0, 0));
    EXPECT_EQ(text, "  red");
}

struct SymbolCase {
    const char* in;
    int symbol;
};

TEST(Utilities, SymbolFromNameTable)
{
    const SymbolCase cases[] = {
        {"Cross", 4}, {"cross2", 5},  {"SQUARE", 6},     {"Triangle", 7}, {"circle", 8},    {"Diamond", 9},
        {"None", 0},  {".", 10},      {"o", 8},          {"x", 5},        {"+", 4},         {"*", 11},
        {"star", 11}, {"s", 6},       {"d", 9},          {"v", 12},       {"^", 7},         {"<", 13},
        {">", 14},    {"P", 15},      {"pentagram", 15}, {"H", 16},       {"hexagram", 16}, {"", 0},
        {"Cros", 0},  {"Hexagon", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SymbolFromName(c.in), c.symbol) << '"' << c.in << '"';
}

TEST(Utilities, TextAlignFromLetter)
{
    const std::pair<const char*, int> cases[] = {
        {"bottom", AlignRightOrBottom},
        {"Right", AlignRightOrBottom},
        {"centre", AlignCentre},
        {"Left", AlignLeftOrTop},
        {"top", AlignLeftOrTop},
        {"middle", AlignUnknown},
        {"", AlignUnknown},
    };
    for (const auto& [in, align] : cases)
        EXPECT_EQ(TextAlignFromLetter(in), align) << in;
}

TEST(Utilities, FileNameTail)
{
    EXPECT_EQ(FileNameTail("/data/survey/20240703/rec001.wav"), "rec001.wav");
    EXPECT_EQ(FileNameTail("C:\\Recordings\\rec001.wav"), "rec001.wav");
    EXPECT_EQ(FileNameTail("rec001.wav"), "rec001.wav");
    EXPECT_EQ(FileNameTail("\\rec001.wav"), "\\rec001.wav");
    EXPECT_EQ(FileNameTail("folder/"), "");
}

class FolderHelpers : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    void makeFile(const QString& name, qint64 size)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(size));
    }
};

TEST_F(FolderHelpers, SumWavFileSizesCountsPastFourGigabytesAndKeepsTheCurrentFolder)
{
    const QString before = QDir::currentPath();
    makeFile("a.wav", 3'000'000'000LL); // sparse files: no disk space used
    makeFile("b.WAV", 2'000'000'000LL);
    makeFile("c.txt", 7);
    ASSERT_TRUE(QDir(dir.path()).mkdir("d.wav"));
    EXPECT_EQ(SumWavFileSizes(dir.path()), 5'000'000'000LL);
    EXPECT_EQ(SumWavFileSizes(path("missing")), 0);
    EXPECT_EQ(QDir::currentPath(), before);
}

TEST_F(FolderHelpers, CountSubFoldersCountsPlainFoldersOnly)
{
    QDir d(dir.path());
    for (const char* name : {"20240701", "20240702", "skip", ".hidden", "readonly"})
        ASSERT_TRUE(d.mkdir(name));
    QFile::setPermissions(path("readonly"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    makeFile("file", 1);
    ASSERT_TRUE(QFile::link(path("20240701"), path("link")));
    const QString before = QDir::currentPath();
    EXPECT_EQ(CountSubFolders(dir.path(), "skip"), 2);
    EXPECT_EQ(CountSubFolders(dir.path(), "Skip"), 3); // exact comparison
    EXPECT_EQ(CountSubFolders(path("missing"), ""), 0);
    EXPECT_EQ(QDir::currentPath(), before);
    QFile::setPermissions(path("readonly"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(FolderHelpers, FileExistsWithAndWithoutWildcards)
{
    makeFile("rec001.wav", 1);
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    EXPECT_TRUE(FileExists(path("rec001.wav")));
    EXPECT_TRUE(FileExists(path("sub")));
    EXPECT_TRUE(FileExists(path("*.wav")));
    EXPECT_TRUE(FileExists(path("REC00?.WAV")));
    EXPECT_FALSE(FileExists(path("*.aif")));
    EXPECT_FALSE(FileExists(path("rec002.wav")));
    EXPECT_FALSE(FileExists(""));
}

} // namespace
