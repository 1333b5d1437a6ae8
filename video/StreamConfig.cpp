#include "StreamConfig.h"

#include "MediaFormats.h"

namespace velmar::video {

namespace {
constexpr int hundredths = 100;

bool rateFits(const CapsEntry& e, int rate)
{
    // A device that states no rate takes whatever it is given.
    if (e.minRate == 0 && e.maxRate == 0)
        return true;
    return rate >= e.minRate && rate <= e.maxRate;
}

bool sizeFits(const CapsEntry& e, VideoSize s)
{
    return s.width >= e.minSize.width && s.width <= e.maxSize.width && s.height >= e.minSize.height
        && s.height <= e.maxSize.height;
}

QString capsOf(const QString& format, VideoSize size, int rate)
{
    QString caps = CapsOfFormatName(format);
    if (caps.isEmpty())
        return {};
    return caps
         + QStringLiteral(",width=%1,height=%2,framerate=%3").arg(size.width).arg(size.height).arg(RateFraction(rate));
}
} // namespace

QString RateFraction(int rateHundredths)
{
    if (rateHundredths % hundredths == 0)
        return QString::number(rateHundredths / hundredths) + QStringLiteral("/1");
    return QString::number(rateHundredths) + QStringLiteral("/100");
}

QString ChooseSubtype(const QStringList& subtypes, int index, bool frameGrabberOn)
{
    if (subtypes.isEmpty())
        return {};
    if (index < 0 || index >= subtypes.size())
        index = 0;
    if (index == 0 && frameGrabberOn) {
        for (const QString& s : subtypes) {
            const QString t = s.trimmed().toUpper();
            if (t.contains(QLatin1String("RGB")) && t != QLatin1String("RGB"))
                return s.trimmed();
        }
    }
    return subtypes.at(index).trimmed();
}

StreamChoice ChooseStreamCaps(const QList<CapsEntry>& formats, const QString& subtype, VideoSize size,
                              int rateHundredths)
{
    const int rate = rateHundredths < 1 ? defaultRateHundredths : rateHundredths;
    const bool sized = size.width >= 1 && size.height >= 1;
    if (sized) {
        for (const CapsEntry& e : formats)
            if (e.formatName == subtype && e.size == size && e.minSize == size && e.maxSize == size
                && rateFits(e, rate))
                return {1, capsOf(subtype, size, rate)};
        // Editing the format: another subtype is kept when the chosen one has
        // no caps of its own, the size may lie anywhere in a range.
        for (const CapsEntry& e : formats) {
            const bool sameFormat = subtype.isEmpty() || e.formatName == subtype;
            if (sameFormat && sizeFits(e, size) && rateFits(e, rate)) {
                const QString caps = capsOf(e.formatName, size, rate);
                if (!caps.isEmpty())
                    return {2, caps};
            }
        }
    }
    for (const CapsEntry& e : formats)
        if (rateFits(e, rate) && (e.minRate != 0 || e.maxRate != 0))
            return {3, QStringLiteral("video/x-raw,framerate=%1").arg(RateFraction(rate))};
    return {};
}

} // namespace velmar::video
