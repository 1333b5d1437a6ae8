#include "LogFont.h"

#include "platform/RecordIO.h"

namespace velmar::store {

std::array<uint8_t, LogFont::ByteSize> LogFont::toBytes() const
{
    std::array<uint8_t, ByteSize> out{};
    uint8_t* p = out.data();
    for (int32_t v : {lfHeight, lfWidth, lfEscapement, lfOrientation, lfWeight}) {
        platform::storeLe(p, v);
        p += 4;
    }
    for (uint8_t v :
         {lfItalic, lfUnderline, lfStrikeOut, lfCharSet, lfOutPrecision, lfClipPrecision, lfQuality, lfPitchAndFamily})
        *p++ = v;
    std::memcpy(p, lfFaceName.bytes.data(), FaceSize);
    return out;
}

LogFont LogFont::fromBytes(const uint8_t* p)
{
    LogFont f;
    for (int32_t* v : {&f.lfHeight, &f.lfWidth, &f.lfEscapement, &f.lfOrientation, &f.lfWeight}) {
        *v = platform::loadLe<int32_t>(p);
        p += 4;
    }
    for (uint8_t* v : {&f.lfItalic, &f.lfUnderline, &f.lfStrikeOut, &f.lfCharSet, &f.lfOutPrecision, &f.lfClipPrecision,
                       &f.lfQuality, &f.lfPitchAndFamily})
        *v = *p++;
    std::memcpy(f.lfFaceName.bytes.data(), p, FaceSize);
    return f;
}

LogFont LogFont::defaultDisplayFont()
{
    constexpr int32_t NormalWeight = 400;        // FW_NORMAL
    constexpr uint8_t VariablePitchSwiss = 0x22; // VARIABLE_PITCH | FF_SWISS
    LogFont f;
    f.lfHeight = 12;
    f.lfWeight = NormalWeight;
    f.lfPitchAndFamily = VariablePitchSwiss;
    f.lfFaceName.setText(QStringLiteral("Sans Serif"));
    return f;
}

} // namespace velmar::store
