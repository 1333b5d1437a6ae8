// The real Velmar with the board library's stand-in: a switch on input bit 3
// presses the panel's button (its press log row says External 1), and the
// press's output bit goes out through the counter and external-button
// threads to the board.
#include "store/FixedSchema.h"
#include "tests/shell/EndToEndSurvey.h"
#include "tests/shell/ScriptedVelmar.h"
#include "tests/store/StoreTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using velmar::shell::test::ExecSql;
using velmar::shell::test::OpenBlankSurvey;
using velmar::shell::test::StartScriptedVelmar;
using velmar::store::test::DirectDb;

constexpr int kBoundMs = 60000;

void MakeSurvey(const QString& file)
{
    OpenBlankSurvey(file);
    if (testing::Test::HasFatalFailure())
        return;
    ASSERT_TRUE(velmar::store::DbCheckUserTable(velmar::store::GetDbConnection(), QStringLiteral("UDB_Ext"),
                                                velmar::store::kUserTableButtonForm));
    ASSERT_TRUE(ExecSql(QStringLiteral(
        "INSERT INTO \"UDB_Ext\" (\"Order\", \"Type\", \"Name\", \"Code\", \"External\", \"OutputChannel\", "
        "\"PulseType\") VALUES (1, 'BUTTON', 'Switch', 'SW', 3, 5, 'GOHI')")));
    for (const char* row : {"('Buttons', 'ButtonDeviceType', '3')", "('Buttons', 'ButtonInputPort', '10')",
                            "('Buttons', 'ButtonOutputPort', '11')", "('Buttons', 'ButtonSampleRate', '100')",
                            "('Buttons', 'ButtonCountRate', '10')"})
        ASSERT_TRUE(
            ExecSql(QStringLiteral("INSERT INTO \"UDC_Settings\" (\"Section\", \"Identifier\", \"Data\") VALUES ")
                    + QLatin1String(row)));
    velmar::store::CloseDB();
}

TEST(ExternalButtonsEndToEnd, SwitchPressesTheButtonAndItsOutputBitIsSet)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString survey = QDir(home.path()).filePath(QStringLiteral("data/Survey.sqlite"));
    MakeSurvey(survey);
    if (testing::Test::HasFatalFailure())
        return;
    const QString log = QDir(home.path()).filePath(QStringLiteral("board.log"));
    const QString input = QDir(home.path()).filePath(QStringLiteral("board.in"));
    auto setInput = [&](int value) {
        QFile f(input);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(QByteArray::number(value)) > 0;
    };

    // The switch is open (bit 3 high) until the panels and both threads are
    // up, then closed for good. The counter thread starts before the panels,
    // and the external-button thread after them: once that thread has read
    // the port twice (its first reading, then its first poll), all are up.
    ASSERT_TRUE(setInput(0x8));
    QProcess velmar;
    StartScriptedVelmar(velmar, home.path(),
                        {{QStringLiteral("VELMAR_CB_LIBRARY"), QStringLiteral(CB_STANDIN)},
                         {QStringLiteral("STANDIN_CB_DIN"), input},
                         {QStringLiteral("STANDIN_CB_LOG"), log}});
    if (testing::Test::HasFatalFailure())
        return;

    auto logLines = [&](const QString& kind) {
        QFile f(log);
        QStringList lines;
        if (f.open(QIODevice::ReadOnly))
            for (const QString& line : QString::fromLatin1(f.readAll()).split(u'\n', Qt::SkipEmptyParts))
                if (line.startsWith(kind + u' '))
                    lines << line;
        return lines;
    };
    // The output bits the board was given: "out board port bit value" lines.
    auto outputLines = [&] {
        QStringList bits;
        for (const QString& line : logLines(QStringLiteral("out")))
            bits << line.section(u' ', 3);
        return bits;
    };
    QByteArray output;
    (void)QTest::qWaitFor(
        [&] {
            output += velmar.readAll();
            return logLines(QStringLiteral("din")).size() >= 2 || velmar.state() == QProcess::NotRunning;
        },
        kBoundMs);
    ASSERT_TRUE(setInput(0));
    (void)QTest::qWaitFor(
        [&] {
            output += velmar.readAll();
            return !outputLines().isEmpty() || velmar.state() == QProcess::NotRunning;
        },
        kBoundMs);
    velmar.terminate();
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));
    output += velmar.readAll();

    EXPECT_EQ(outputLines(), QStringList{QStringLiteral("5 1")}) << output.toStdString();
    DirectDb db(survey);
    ASSERT_TRUE(db.ok());
    EXPECT_EQ(db.rows(QStringLiteral("SELECT \"Code\", \"External\" FROM \"Ext\"")),
              QStringList{QStringLiteral("SW|1")})
        << output.toStdString();
}

} // namespace
