#pragma once
// Small conversions between media formats and the names the component shows
// its host: subtype names, bitmap compression codes, image sizes, the audio
// format table, analog video standards and DV transport modes, and the
// mapping between the component's format names and GStreamer caps.
//
// No GStreamer here: caps are handled as text. Pure functions, any thread.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace velmar::video {

// FOURCC of four characters, low byte first.
constexpr uint32_t fourCC(char a, char b, char c, char d)
{
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}
QString FourCCText(uint32_t code);

// The name of a subtype given as GUID text ("{E436EB7D-524F-...}" is "RGB24",
// a FOURCC subtype its four characters); empty for text that is no GUID.
QString SubtypeName(const QString& guidText);

// Bitmap compression codes of a bitmap header.
inline constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;
struct BitmapCompression {
    uint32_t compression = BI_RGB;
    int bitCount = 0;
};
// The compression and bit count a format name stands for; nothing for an
// unknown or empty name.
std::optional<BitmapCompression> CompressionFromName(const QString& name);

// Bytes of an image: rows padded to 32 bits, times |height|.
int64_t ImageSize(int width, int height, int bitCount);

// Audio formats: 0 af_default (22050 Hz, 16-bit, stereo), 1 .. 28 the seven
// rates 8000 .. 48000 Hz, each 8-bit mono, 8-bit stereo, 16-bit mono, 16-bit stereo.
inline constexpr int audioFormatCount = 29;
struct WaveFormat {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    int blockAlign = 0;
    int avgBytesPerSec = 0;
};
WaveFormat AudioFormatToWave(int audioFormat);
// "default" and one line per format 1 .. 28.
QStringList AudioFormatNames();

// Analog video standards: the bit of a name ("PAL B" is 0x10); an unknown
// name writes "ERROR: invalid tv format" to the process log and gives "NTSC M".
uint32_t AnalogStandardFromName(const QString& name);
QStringList AnalogStandardNames(uint32_t mask);

// DV transport: the mode a command sends (0 outside the table) and the name of a mode.
enum TDVCommand : int {
    dv_Play,
    dv_Stop,
    dv_Freeze,
    dv_Thaw,
    dv_Ff,
    dv_Rew,
    dv_Record,
    dv_RecordFreeze,
    dv_RecordStrobe,
    dv_StepFwd,
    dv_StepRev,
    dv_ModeShuttle,
    dv_PlayFastestFwd,
    dv_PlaySlowestFwd,
    dv_PlayFastestRev,
    dv_PlaySlowestRev
};
int DVCommandCode(int command);
QString DVModeName(int mode);

// The AVI multiplexer's master stream for the component's setting.
int MasterStreamIndex(int setting);
// The number under which a TV country's frequency overrides are stored.
int TunerKeyNumber(int countryCode);

// The text as a number, or the default (the locale's decimal separator applies).
double StrToFloatDef(const QString& text, double defaultValue);

// Format names and GStreamer caps.
//
// The component names formats as its hosts know them ("YUY2", "RGB24",
// "MJPG"); one caps structure of a device gives one name.
QString FormatNameOfCaps(const QString& mediaType, const QString& rawFormat);
// The caps text ("video/x-raw,format=YUY2") of a format name; empty when the
// name has no caps of its own.
QString CapsOfFormatName(const QString& name);
// DV FOURCCs ("dvsd", "dvhd", ...), compared without regard to case.
bool IsDVSubtype(const QString& name);

// Times: 100-ns units of the original interfaces become nanoseconds.
constexpr int64_t nanosecondsOf100ns(int64_t units)
{
    return units * 100;
}
// Frame duration in 100-ns units for a rate in hundredths of a frame per
// second (1500 = 15 fps), to the nearest whole number; 0 for a rate below 1.
int64_t AvgTimePerFrame(int rateHundredths);
// Rate in hundredths for a frame duration in 100-ns units; 0 for none.
int RateOfAvgTimePerFrame(int64_t avgTimePerFrame);

} // namespace velmar::video
