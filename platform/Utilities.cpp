#include "platform/Utilities.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QLocale>

#include <array>
#include <climits>

namespace velmar::platform {

namespace {

constexpr QChar Blank = u' ';

struct NamedColour {
    const char* name;
    int32_t value;
};

// Tried in this order, so an abbreviation selects the first name it begins.
constexpr std::array<NamedColour, 16> ColourNames{{
    {"Red", MakeColour(255, 0, 0)},
    {"Green", MakeColour(0, 255, 0)},
    {"Blue", MakeColour(0, 0, 255)},
    {"Cyan", MakeColour(0, 255, 255)},
    {"Magenta", MakeColour(255, 0, 255)},
    {"Yellow", MakeColour(255, 255, 0)},
    {"Black", MakeColour(0, 0, 0)},
    {"Grey", MakeColour(192, 192, 192)},
    {"Orange", MakeColour(225, 128, 0)},
    {"Pink", MakeColour(225, 128, 192)},
    {"Violet", MakeColour(128, 0, 255)},
    {"DkRed", MakeColour(128, 0, 0)},
    {"DkGreen", MakeColour(0, 128, 0)},
    {"DkBlue", MakeColour(0, 0, 128)},
    {"White", MakeColour(255, 255, 255)},
    {"Clear", ColourClear},
}};

struct NamedSymbol {
    const char* name;
    int symbol;
};

constexpr std::array<NamedSymbol, 23> SymbolNames{{
    {"Cross", SymbolCross},
    {"Cross2", SymbolCross2},
    {"Square", SymbolSquare},
    {"Triangle", SymbolTriangleUp},
    {"Circle", SymbolCircle},
    {"Diamond", SymbolDiamond},
    {"None", SymbolNone},
    {".", SymbolDot},
    {"O", SymbolCircle},
    {"X", SymbolCross2},
    {"+", SymbolCross},
    {"*", SymbolStar},
    {"STAR", SymbolStar},
    {"S", SymbolSquare},
    {"D", SymbolDiamond},
    {"V", SymbolTriangleDown},
    {"^", SymbolTriangleUp},
    {"<", SymbolTriangleLeft},
    {">", SymbolTriangleRight},
    {"p", SymbolPentagon},
    {"PENTAGRAM", SymbolPentagon},
    {"h", SymbolHexagon},
    {"HEXAGRAM", SymbolHexagon},
}};

constexpr QLatin1StringView RgbPrefix("RGB(");

// One "%d" as sscanf reads it: blanks skipped, an optional sign, digits.
// Values beyond int saturate (only their low byte is used anyway).
bool readInteger(const QString& text, qsizetype& pos, int& value)
{
    while (pos < text.size() && text[pos].isSpace())
        ++pos;
    qsizetype p = pos;
    bool negative = false;
    if (p < text.size() && (text[p] == u'-' || text[p] == u'+'))
        negative = text[p++] == u'-';
    const qsizetype digitsStart = p;
    long long v = 0;
    while (p < text.size() && text[p] >= u'0' && text[p] <= u'9') {
        v = std::min<long long>(v * 10 + (text[p].unicode() - u'0'), LLONG_MAX / 10);
        ++p;
    }
    if (p == digitsStart)
        return false;
    v = negative ? -v : v;
    value = int(std::clamp<long long>(v, INT_MIN, INT_MAX));
    pos = p;
    return true;
}

// "RGB(r,g,b)": numbers that are missing count as 0.
int32_t colourFromRgbText(const QString& text)
{
    int rgb[3] = {0, 0, 0};
    qsizetype pos = RgbPrefix.size();
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != u',')
                break;
            ++pos;
        }
        if (!readInteger(text, pos, rgb[i]))
            break;
    }
    return MakeColour(rgb[0], rgb[1], rgb[2]);
}

} // namespace

void TrimRight(QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == Blank)
        --end;
    text.truncate(end);
}

void TrimLeft(QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == Blank)
        ++start;
    text.remove(0, start);
}

void Trim(QString& text)
{
    TrimRight(text);
    TrimLeft(text);
}

int CompareNoCase(const QString& a, const QString& b)
{
    // A collator is costly to make and not safe to share between threads.
    thread_local QCollator collator = [] {
        QCollator c{QLocale::system()};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setIgnorePunctuation(false);
        return c;
    }();
    const int result = collator.compare(a, b);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

int32_t ColourFromName(QString& text)
{
    TrimRight(text);
    QString name = text;
    TrimLeft(name);
    if (name.isEmpty())
        return ColourNone;
    for (const NamedColour& colour : ColourNames) {
        const QLatin1StringView known(colour.name);
        if (name.size() <= known.size() && known.startsWith(name, Qt::CaseInsensitive))
            return colour.value;
    }
    if (name.size() > RgbPrefix.size() && name.startsWith(RgbPrefix, Qt::CaseInsensitive))
        return colourFromRgbText(name);
    return ColourNone;
}

int SymbolFromName(const QString& text)
{
    for (const NamedSymbol& entry : SymbolNames) {
        if (CompareNoCase(text, QLatin1StringView(entry.name)) == 0)
            return entry.symbol;
    }
    return SymbolNone;
}

int TextAlignFromLetter(const QString& text)
{
    if (text.isEmpty())
        return AlignUnknown;
    switch (text[0].toUpper().unicode()) {
    case u'B':
    case u'R': return AlignRightOrBottom;
    case u'C': return AlignCentre;
    case u'L':
    case u'T': return AlignLeftOrTop;
    default: return AlignUnknown;
    }
}

void InitSymbolDesc(SymbolDesc& desc, int32_t size, int32_t symbol, uint8_t filled, uint8_t lineFlag)
{
    desc = {size, symbol, filled, lineFlag};
}

QString FileNameTail(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 1; --i) {
        if (path[i] == u'/' || path[i] == u'\\')
            return path.mid(i + 1);
    }
    return path;
}

qint64 SumWavFileSizes(const QString& folder)
{
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return 0;
    qint64 total = 0;
    const auto files = dir.entryInfoList({QStringLiteral("*.wav")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& file : files)
        total += file.size();
    return total;
}

int CountSubFolders(const QString& folder, const QString& nameToSkip)
{
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return 0;
    int count = 0;
    const auto entries = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        // Only plain folders count, as the recorders' own day folders are.
        if (entry.isSymLink() || entry.isHidden() || !(entry.permissions() & QFileDevice::WriteOwner))
            continue;
        if (entry.fileName() == nameToSkip)
            continue;
        ++count;
    }
    return count;
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    const QString pattern = info.fileName();
    if (!pattern.contains(u'*') && !pattern.contains(u'?'))
        return info.exists() || info.isSymLink();
    const QDir dir = info.dir();
    return !dir.entryList({pattern}, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty();
}

bool WriteCrLf(QIODevice& file)
{
    return file.write("\r\n", 2) == 2;
}

} // namespace velmar::platform
