// The program log's lines and the level gauge's colours.
#include "deck/LogWriter.h"
#include "deck/ui/ColourGauge.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmar::deck;

TEST(LogWriter, LinesWithAndWithoutTime)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TapeLog.txt"));
    EXPECT_FALSE(WriteLogLine(QStringLiteral("before any log"), true));
    EXPECT_FALSE(QFile::exists(path));

    ASSERT_TRUE(OpenLogFile(path, false));
    EXPECT_TRUE(WriteLogLine(QStringLiteral("stamped"), true));
    EXPECT_TRUE(WriteLogLine(QStringLiteral("plain"), false));
    CloseLogFile();
    EXPECT_FALSE(WriteLogLine(QStringLiteral("after closing"), false));
    ASSERT_TRUE(OpenLogFile(path, true));
    EXPECT_TRUE(WriteLogLine(QStringLiteral("appended"), false));
    CloseLogFile();

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(f.readAll());
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d - stamped\r\nplain\r\nappended\r\n$"))
                    .match(text)
                    .hasMatch())
        << text.toStdString();

    EXPECT_FALSE(OpenLogFile(dir.filePath(QStringLiteral("no/such/folder/log.txt")), true));
    EXPECT_FALSE(WriteLogLine(QStringLiteral("nowhere"), false));
}

TEST(ColourGauge, LevelColoursByHeight)
{
    struct Case {
        const char* legend;
        int value;
        int redRows;   // rows of dark red at the top of the bar
        int levelRows; // rows of highlight below it
    } cases[] = {
        // 20 x 120 gauge, border 1: interior rows 1..118, H = 118, H / 6 = 19.
        {"minimum: all face", -60, 0, 0},
        {"maximum: red down to H/6, highlight below", 0, 18, 100},
        {"-10 dB stays below the red", -10, 0, 98},
        {"-5 dB reaches into the red", -5, 8, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        TColourGauge gauge(nullptr, 0);
        gauge.resize(20, 120);
        gauge.setRange(-60, 0);
        gauge.setValue(c.value);
        const QImage image = gauge.grab().toImage();
        int red = 0, level = 0, face = 0;
        for (int y = 1; y <= 118; ++y) {
            const QColor colour = image.pixelColor(10, y);
            red += colour == TColourGauge::overloadColour() ? 1 : 0;
            level += colour == TColourGauge::levelColour() ? 1 : 0;
            face += colour == TColourGauge::faceColour() ? 1 : 0;
        }
        EXPECT_EQ(red, c.redRows);
        EXPECT_EQ(level, c.levelRows);
        EXPECT_EQ(face, 118 - c.redRows - c.levelRows);
    }
}
