#pragma once
// A stored font record (LOGFONT layout, settings/LogFont.h) as a display font
// and back: the main window's display font and the user forms' FONT rows use
// the same conversion.
#include "settings/LogFont.h"

#include <QFont>

namespace velmar::shell {

// The display font described by a stored font record.
QFont FontFromLogFont(const velmar::store::LogFont& lf);
// The record of a chosen font: base with the font's face, height (a point
// size is turned into pixels at pixelsPerInch), weight, italic, underline and
// strike-out; width 0 and the ANSI character set.
velmar::store::LogFont LogFontFromFont(const QFont& font, const velmar::store::LogFont& base, int pixelsPerInch = 96);

} // namespace velmar::shell
