#pragma once
// Small helpers shared across the main program: blank trimming and
// case-insensitive comparison of texts, the colour, symbol and alignment
// names that survey designers type into their definition tables, and the
// file and folder helpers of the recorders.
//
// Plain functions over values; safe from any thread. None of them changes
// the process's current folder.
#include <QString>

#include <cstdint>

class QIODevice;

namespace velmar::platform {

// Blanks are the blank character only (not tabs or line ends).
void TrimRight(QString& text);
void TrimLeft(QString& text);
void Trim(QString& text);

// Whole texts compared without regard to case in the system locale: -1, 0, 1.
int CompareNoCase(const QString& a, const QString& b);

// Colour values: red in the low byte, then green, then blue.
inline constexpr int32_t ColourNone = -1;  // empty or unreadable text
inline constexpr int32_t ColourClear = -2; // "Clear": transparent
constexpr int32_t MakeColour(int red, int green, int blue)
{
    return int32_t(uint32_t(red & 0xff) | (uint32_t(green & 0xff) << 8) | (uint32_t(blue & 0xff) << 16));
}

// A colour name, a leading part of one ("G" is Green, "Bla" Black; the
// first name in the table that begins with it wins), or "RGB(r,g,b)".
// Removes trailing blanks from the caller's text; leading blanks are skipped
// when matching but stay in the text.
int32_t ColourFromName(QString& text);

// Plot symbols of the map.
enum PlotSymbol : int {
    SymbolNone = 0,
    SymbolCross = 4,  // upright cross (+)
    SymbolCross2 = 5, // diagonal cross (x)
    SymbolSquare = 6,
    SymbolTriangleUp = 7,
    SymbolCircle = 8,
    SymbolDiamond = 9,
    SymbolDot = 10,  // one pixel in the pen's colour
    SymbolStar = 11, // six-pointed asterisk
    SymbolTriangleDown = 12,
    SymbolTriangleLeft = 13,
    SymbolTriangleRight = 14,
    SymbolPentagon = 15,
    SymbolHexagon = 16,
};

// A symbol name or one-character code, compared without regard to case;
// anything else is SymbolNone.
int SymbolFromName(const QString& text);

// Alignment codes of the static points' alignment columns.
inline constexpr int AlignLeftOrTop = 0;
inline constexpr int AlignRightOrBottom = 2;
inline constexpr int AlignCentre = 6;
inline constexpr int AlignUnknown = -1;
// From the first letter: B or R, C, L or T, in either case.
int TextAlignFromLetter(const QString& text);

// How a record is plotted: symbol size, symbol number, filled flag and a
// second flag that the map's drawing interprets.
struct SymbolDesc {
    int32_t size = 0;
    int32_t symbol = 0;
    uint8_t filled = 0;
    uint8_t lineFlag = 0;
    bool operator==(const SymbolDesc&) const = default;
};
void InitSymbolDesc(SymbolDesc& desc, int32_t size, int32_t symbol, uint8_t filled, uint8_t lineFlag);

// The part of a path after its last separator ("/" or "\"), or the whole
// path; a separator in the first position alone does not split.
QString FileNameTail(const QString& path);

// Bytes in the folder's "*.wav" files (any case), summed in 64 bits; 0 for a
// missing folder.
qint64 SumWavFileSizes(const QString& folder);

// Plain sub-folders of folder: not hidden, not read-only, not links, and not
// named nameToSkip (exact comparison). 0 for a missing folder.
int CountSubFolders(const QString& folder, const QString& nameToSkip);

// True when something exists at path; "*" and "?" in its last part match as
// wildcards (without regard to case).
bool FileExists(const QString& path);

// Writes a carriage return and a line feed; false when the write failed.
bool WriteCrLf(QIODevice& file);

} // namespace velmar::platform
