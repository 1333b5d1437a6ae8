#include "PreviewProcessing.h"

#include <algorithm>

namespace velmar::video {

namespace {
constexpr int maxSetting = 100;

double Scaled(int value)
{
    return std::clamp(value, -maxSetting, maxSetting) / double(maxSetting);
}
} // namespace

PreviewProcessing::Change PreviewProcessing::setDeinterlacing(TVideoDeinterlacing d)
{
    if (d < di_Disabled || d > di_FullSize || d == deinterlacing)
        return Unchanged;
    const bool halfSizeChanged = d == di_HalfSize || deinterlacing == di_HalfSize;
    deinterlacing = d;
    return halfSizeChanged ? NewGraph : Applied;
}

PreviewProcessing::Change PreviewProcessing::setRotation(TVideoRotation r)
{
    if (r < rt_0_deg || r > rt_270_deg_mirror || r == rotation)
        return Unchanged;
    rotation = r;
    return NewGraph;
}

bool PreviewProcessing::needsRgb() const
{
    return brightness != 0 || contrast != 0 || saturation != 0 || hue != 0 || grayScale || invertColors
        || (rotation % 2) == 1 || deinterlacing == di_HalfSize;
}

PreviewProcessing::Balance PreviewProcessing::balance() const
{
    return {Scaled(brightness), Scaled(hue), 1.0 + Scaled(contrast), 1.0 + Scaled(saturation)};
}

} // namespace velmar::video
