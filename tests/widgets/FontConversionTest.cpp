// A stored font record and a display font: what one keeps, the other gives
// back, for the main window's display font and the forms' FONT rows alike.
#include "widgets/FontConversion.h"

#include <gtest/gtest.h>

using velmar::shell::FontFromLogFont;
using velmar::shell::LogFontFromFont;
using velmar::store::LogFont;

TEST(FontConversion, RecordToFontAndBackKeepsEveryStyle)
{
    struct Case {
        const char* name;
        int32_t height, weight;
        uint8_t italic, underline, strikeOut;
    };
    for (const Case& c : {Case{"plain", -13, 400, 0, 0, 0}, Case{"bold italic", -16, 700, 1, 0, 0},
                          Case{"underlined and struck", -11, 400, 0, 1, 1}}) {
        SCOPED_TRACE(c.name);
        LogFont lf;
        lf.lfHeight = c.height;
        lf.lfWeight = c.weight;
        lf.lfItalic = c.italic;
        lf.lfUnderline = c.underline;
        lf.lfStrikeOut = c.strikeOut;
        lf.lfFaceName.setText(QStringLiteral("Arial"));
        const QFont f = FontFromLogFont(lf);
        EXPECT_EQ(f.pixelSize(), -c.height);
        EXPECT_EQ(f.underline(), c.underline != 0);
        EXPECT_EQ(f.strikeOut(), c.strikeOut != 0);
        const LogFont back = LogFontFromFont(f, LogFont());
        EXPECT_EQ(back.lfHeight, c.height);
        EXPECT_EQ(back.lfWeight, c.weight);
        EXPECT_EQ(back.lfItalic, c.italic);
        EXPECT_EQ(back.lfUnderline, c.underline);
        EXPECT_EQ(back.lfStrikeOut, c.strikeOut);
        EXPECT_EQ(back.lfFaceName.text(), QStringLiteral("Arial"));
    }
    // A point size becomes pixels at the given resolution.
    QFont points(QStringLiteral("Arial"));
    points.setPointSizeF(9);
    EXPECT_EQ(LogFontFromFont(points, LogFont()).lfHeight, -12);
    EXPECT_EQ(LogFontFromFont(points, LogFont(), 120).lfHeight, -15);
}
