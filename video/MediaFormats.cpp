#include "MediaFormats.h"

#include "ProcessLog.h"

#include <QHash>
#include <QLocale>
#include <cmath>
#include <cstdlib>

namespace velmar::video {

namespace {
struct NamedBit {
    uint32_t bit;
    const char* name;
};
constexpr NamedBit analogStandards[] = {
    {0x1, "NTSC M"},       {0x2, "NTSC M J"},    {0x4, "NTSC 433"},     {0x10, "PAL B"},           {0x20, "PAL D"},
    {0x80, "PAL H"},       {0x100, "PAL I"},     {0x200, "PAL M"},      {0x400, "PAL N"},          {0x800, "PAL 60"},
    {0x1000, "SECAM B"},   {0x2000, "SECAM D"},  {0x4000, "SECAM G"},   {0x8000, "SECAM H"},       {0x10000, "SECAM K"},
    {0x20000, "SECAM K1"}, {0x40000, "SECAM L"}, {0x80000, "SECAM L1"}, {0x100000, "PAL N COMBO"},
};

struct DVMode {
    int mode;
    const char* name;
};
constexpr DVMode dvModes[] = {
    {4296, "play"},        {4297, "stop"},    {4298, "freeze"},        {4299, "thaw"},          {4300, "ff"},
    {4301, "rew"},         {4302, "record"},  {4904, "record freeze"}, {4303, "record strobe"}, {4304, "fwd"},
    {4905, "rev"},         {4305, "shuttle"}, {5029, "fastest fwd"},   {5030, "slowest fwd"},   {5031, "fastest rev"},
    {5032, "slowest rev"},
};

constexpr int audioRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
constexpr int defaultAudioRate = 22050;

// GStreamer raw formats and the names the component shows for them.
struct RawName {
    const char* raw;
    const char* name;
};
constexpr RawName rawNames[] = {
    {"YUY2", "YUY2"},   {"UYVY", "UYVY"},    {"YVYU", "YVYU"},    {"I420", "I420"},  {"YV12", "YV12"},
    {"NV12", "NV12"},   {"YUV9", "YUV9"},    {"YVU9", "YVU9"},    {"BGR", "RGB24"},  {"BGRx", "RGB32"},
    {"BGRA", "ARGB32"}, {"RGB16", "RGB565"}, {"RGB15", "RGB555"}, {"GRAY8", "Y800"}, {"RGB", "RGB"},
};
struct MediaName {
    const char* mediaType;
    const char* name;
};
constexpr MediaName mediaNames[] = {
    {"image/jpeg", "MJPG"},
    {"video/x-dv", "dvsd"},
    {"video/mpeg", "MPEG2"},
    {"video/x-h264", "H264"},
};
const char* const dvFourCCs[] = {"dvsd", "dvhd", "dvsl", "dv25", "dv50", "dvh1", "dvsc"};
} // namespace

QString FourCCText(uint32_t code)
{
    QString text;
    for (int i = 0; i < 4; ++i)
        text += QChar(char((code >> (8 * i)) & 0xFF));
    return text;
}

QString SubtypeName(const QString& guidText)
{
    if (guidText.size() <= 14 || !guidText.startsWith(QLatin1Char('{')) || guidText.at(9) != QLatin1Char('-'))
        return {};
    const QString first = guidText.mid(1, 8).toUpper();
    if (guidText.mid(10, 4).toUpper() == QLatin1String("524F")) {
        static const QHash<QString, QString> rgb{
            {"E436EB78", "RGB1"},   {"E436EB79", "RGB4"},  {"E436EB7A", "RGB8"},  {"E436EB7B", "RGB565"},
            {"E436EB7C", "RGB555"}, {"E436EB7D", "RGB24"}, {"E436EB7E", "RGB32"},
        };
        return rgb.value(first, QStringLiteral("RGB"));
    }
    const QString upper = guidText.toUpper();
    if (upper == QLatin1String("{E06D8026-DB46-11CF-B4D1-00805F6CBBEA}"))
        return QStringLiteral("MPEG2");
    if (upper == QLatin1String("{773C9AC0-3274-11D0-B724-00AA006C1A01}"))
        return QStringLiteral("ARGB32");
    QString name;
    for (int pos : {7, 5, 3, 1})
        name += QChar(char(guidText.mid(pos, 2).toInt(nullptr, 16)));
    return name;
}

std::optional<BitmapCompression> CompressionFromName(const QString& name)
{
    if (name.isEmpty())
        return std::nullopt;
    bool ok = false;
    if (name.startsWith(QLatin1String("RGB"))) {
        const int bits = name.mid(3).toInt(&ok);
        if (ok)
            return BitmapCompression{BI_RGB, bits};
    }
    if (name.startsWith(QLatin1String("BITF"))) {
        const int bits = name.mid(4).toInt(&ok);
        if (ok)
            return BitmapCompression{BI_BITFIELDS, bits};
    }
    static const QHash<QString, BitmapCompression> fixed{
        {"RLE8", {BI_RLE8, 8}},
        {"RLE4", {BI_RLE4, 4}},
        {"YUY2", {fourCC('Y', 'U', 'Y', '2'), 16}},
        {"UYVY", {fourCC('U', 'Y', 'V', 'Y'), 16}},
        {"YV12", {fourCC('Y', 'V', '1', '2'), 12}},
        {"IYUV", {fourCC('I', 'Y', 'U', 'V'), 12}},
        {"I420", {fourCC('I', '4', '2', '0'), 12}},
        // The design's driver code for this name is YUV9.
        {"YVU9", {fourCC('Y', 'U', 'V', '9'), 9}},
    };
    const auto it = fixed.find(name);
    if (it == fixed.end())
        return std::nullopt;
    return *it;
}

int64_t ImageSize(int width, int height, int bitCount)
{
    const int64_t rowWords = (int64_t(width) * bitCount + 31) / 32;
    return rowWords * 4 * std::llabs(int64_t(height));
}

WaveFormat AudioFormatToWave(int audioFormat)
{
    WaveFormat w;
    if (audioFormat >= 1 && audioFormat < audioFormatCount) {
        const int i = audioFormat - 1;
        w.sampleRate = audioRates[i / 4];
        w.bitsPerSample = (i % 4) < 2 ? 8 : 16;
        w.channels = (i % 2) == 0 ? 1 : 2;
    } else {
        w.sampleRate = defaultAudioRate;
        w.bitsPerSample = 16;
        w.channels = 2;
    }
    w.blockAlign = w.channels * w.bitsPerSample / 8;
    w.avgBytesPerSec = w.blockAlign * w.sampleRate;
    return w;
}

QStringList AudioFormatNames()
{
    QStringList names{QStringLiteral("default")};
    for (int f = 1; f < audioFormatCount; ++f) {
        const WaveFormat w = AudioFormatToWave(f);
        names << QStringLiteral("%1 Hz, %2-bit %3")
                     .arg(w.sampleRate)
                     .arg(w.bitsPerSample)
                     .arg(w.channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo"));
    }
    return names;
}

uint32_t AnalogStandardFromName(const QString& name)
{
    for (const NamedBit& s : analogStandards)
        if (name == QLatin1String(s.name))
            return s.bit;
    WriteLog(cfRed, QStringLiteral("ERROR: invalid tv format"));
    return 0x1;
}

QStringList AnalogStandardNames(uint32_t mask)
{
    QStringList names;
    for (const NamedBit& s : analogStandards)
        if (mask & s.bit)
            names << QString::fromLatin1(s.name);
    return names;
}

int DVCommandCode(int command)
{
    if (command < 0 || command >= int(std::size(dvModes)))
        return 0;
    return dvModes[command].mode;
}

QString DVModeName(int mode)
{
    if (mode == 0)
        return QStringLiteral("not in VCR mode");
    for (const DVMode& m : dvModes)
        if (m.mode == mode)
            return QString::fromLatin1(m.name);
    return QStringLiteral("not supported");
}

int MasterStreamIndex(int setting)
{
    if (setting == 1)
        return 1;
    if (setting == 2)
        return -1;
    return 0;
}

int TunerKeyNumber(int countryCode)
{
    return countryCode + 99990000;
}

double StrToFloatDef(const QString& text, double defaultValue)
{
    bool ok = false;
    const double v = QLocale().toDouble(text.trimmed(), &ok);
    return ok ? v : defaultValue;
}

QString FormatNameOfCaps(const QString& mediaType, const QString& rawFormat)
{
    if (mediaType == QLatin1String("video/x-raw")) {
        for (const RawName& r : rawNames)
            if (rawFormat == QLatin1String(r.raw))
                return QString::fromLatin1(r.name);
        return rawFormat;
    }
    for (const MediaName& m : mediaNames)
        if (mediaType == QLatin1String(m.mediaType))
            return QString::fromLatin1(m.name);
    return {};
}

QString CapsOfFormatName(const QString& name)
{
    const QString trimmed = name.trimmed();
    for (const RawName& r : rawNames)
        if (trimmed.compare(QLatin1String(r.name), Qt::CaseInsensitive) == 0)
            return QStringLiteral("video/x-raw,format=") + QLatin1String(r.raw);
    for (const MediaName& m : mediaNames)
        if (trimmed.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(m.mediaType);
    if (IsDVSubtype(trimmed))
        return QStringLiteral("video/x-dv");
    return {};
}

bool IsDVSubtype(const QString& name)
{
    const QString lower = name.trimmed().toLower();
    for (const char* dv : dvFourCCs)
        if (lower == QLatin1String(dv))
            return true;
    return false;
}

int64_t AvgTimePerFrame(int rateHundredths)
{
    if (rateHundredths < 1)
        return 0;
    return std::llround(1e9 / rateHundredths);
}

int RateOfAvgTimePerFrame(int64_t avgTimePerFrame)
{
    if (avgTimePerFrame <= 0)
        return 0;
    return int(std::llround(1e9 / double(avgTimePerFrame)));
}

} // namespace velmar::video
