// Run-mode selection from the command line, and the program folder and help
// path taken from the program path.
#include "platform/ProgramFolder.h"
#include "platform/RunMode.h"

#include <gtest/gtest.h>

using namespace velmar::platform;

namespace {

struct RunModeCase {
    const char* legend;
    QStringList arguments;
    quint32 expected;
};

class RunModeSelection : public ::testing::TestWithParam<RunModeCase> {};

TEST_P(RunModeSelection, FirstMatchingArgumentDecides)
{
    EXPECT_EQ(RunModeFromArguments(GetParam().arguments), GetParam().expected) << GetParam().legend;
}

const QString prog = QStringLiteral("/opt/velmar/bin/Velmar");

INSTANTIATE_TEST_SUITE_P(
    Table, RunModeSelection,
    ::testing::Values(RunModeCase{"no arguments", {prog}, RunModeOnline}, RunModeCase{"empty list", {}, RunModeOnline},
                      RunModeCase{"-s", {prog, "-s"}, RunModeShowData},
                      RunModeCase{"-S upper case", {prog, "-S"}, RunModeShowData},
                      RunModeCase{"-p with more letters", {prog, "-playback"}, RunModeOffline},
                      RunModeCase{"-P upper case", {prog, "-P"}, RunModeOffline},
                      RunModeCase{"-t", {prog, "-t"}, RunModeAlterSettings},
                      RunModeCase{"-t then -s: first wins", {prog, "-t", "-s"}, RunModeAlterSettings},
                      RunModeCase{"non-matching then -p", {prog, "-x", "-p"}, RunModeOffline},
                      RunModeCase{"single dash matches nothing", {prog, "-"}, RunModeOnline},
                      RunModeCase{"empty argument skipped", {prog, "", "-s"}, RunModeShowData},
                      RunModeCase{"option without dash", {prog, "s"}, RunModeOnline},
                      RunModeCase{"program path itself is never an option", {"-s"}, RunModeOnline}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(ProgramFolder, SplitsAtLastSeparatorWhateverDots)
{
    struct Case {
        QString path;
        QString folder;
    };
    const Case cases[] = {
        {"/home/survey/velmar.2010/build.d/bin/Velmar", "/home/survey/velmar.2010/build.d/bin"},
        {"/opt/v.1.2/Velmar.bin", "/opt/v.1.2"},
        {"C:\\Program Files\\Velmar.2010\\Velmar.exe", "C:\\Program Files\\Velmar.2010"},
        {"/mixed\\old/Velmar", "/mixed\\old"},
        {"/Velmar", ""},
        {"Velmar", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgramFolderOf(c.path), c.folder) << c.path.toStdString();
}

TEST(ProgramFolder, SetProgramPathGivesFolderAndHelpPath)
{
    SetProgramPath(QStringLiteral("/srv/ship.data/v2.0/Velmar"));
    EXPECT_EQ(GetProgramFolder(), QStringLiteral("/srv/ship.data/v2.0"));
    EXPECT_EQ(GetHelpFilePath(), QStringLiteral("/srv/ship.data/v2.0/help/Velmar_2010_Help.html"));
}

} // namespace
