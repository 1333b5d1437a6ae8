#include "widgets/FontConversion.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace velmar::shell {

QFont FontFromLogFont(const velmar::store::LogFont& lf)
{
    QFont f(lf.lfFaceName.text());
    // Negative heights are character heights, positive ones cell heights;
    // Qt's pixel size is the nearer of the two.
    if (lf.lfHeight != 0)
        f.setPixelSize(std::abs(lf.lfHeight));
    if (lf.lfWeight > 0)
        f.setWeight(QFont::Weight(std::clamp(int(lf.lfWeight), 1, 1000)));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

velmar::store::LogFont LogFontFromFont(const QFont& font, const velmar::store::LogFont& base, int pixelsPerInch)
{
    velmar::store::LogFont lf = base;
    const int pixels = font.pixelSize() > 0 ? font.pixelSize()
                                            : int(std::lround(font.pointSizeF() * pixelsPerInch / 72.0));
    lf.lfHeight = -pixels;
    lf.lfWidth = 0;
    lf.lfWeight = int32_t(font.weight());
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
    lf.lfCharSet = 0; // ANSI only
    lf.lfFaceName.setText(font.family());
    return lf;
}

} // namespace velmar::shell
