#include "nav/TrackStatistics.h"

#include "nav/GpsGeometry.h"
#include "platform/DateTimeText.h"

#include <chrono>

namespace velmar::nav {

namespace {

double legSeconds(const GpsFixData& from, const GpsFixData& to)
{
    return std::chrono::duration<double>(to.programTime.toTimePoint() - from.programTime.toTimePoint()).count();
}

// Adds the leg to the amount unless it is a gap.
void addLeg(const TrackPoint& from, const TrackPoint& to, TrackAmount& amount)
{
    const double dt = legSeconds(from.fix, to.fix);
    if (dt >= StatisticsGapSeconds)
        return;
    amount.miles += GpsLegDistance(to.fix, from.fix);
    amount.seconds += dt;
}

} // namespace

QStringList DetectorEffortCategories(int sourceIndex)
{
    static const char* const sources[] = {"Porpoise", "Whistle", "Quintra Click", "Listening"};
    if (sourceIndex < 0 || sourceIndex > 3)
        return {};
    const QString name = QString::fromLatin1(sources[sourceIndex]);
    return {QStringLiteral("Unknown"), QStringLiteral("%1 On Effort").arg(name),
            QStringLiteral("%1 Half Effort").arg(name), QStringLiteral("%1 Off Effort").arg(name)};
}

QStringList FormEffortCategories(const QString& controlName, const QStringList& lookupEntries, bool isLookup)
{
    QStringList names{QStringLiteral("Unknown")};
    if (isLookup) {
        names += lookupEntries.mid(1);
        return names;
    }
    names << QStringLiteral("%1 On Effort").arg(controlName) << QStringLiteral("%1 Off Effort").arg(controlName);
    return names;
}

TrackStatistics ComputeTrackStatistics(const std::vector<TrackPoint>& track, const std::vector<EffortMark>& effort,
                                       const QStringList& categories)
{
    TrackStatistics result;
    result.total.name = QStringLiteral("Total Track");
    for (std::size_t i = 0; i + 1 < track.size(); ++i)
        addLeg(track[i], track[i + 1], result.total);
    if (categories.isEmpty())
        return result;
    for (const QString& name : categories)
        result.categories.push_back(TrackAmount{name, 0, 0});
    if (track.empty())
        return result;

    const int count = int(result.categories.size());
    int category = 0;
    std::size_t record = 0;
    std::size_t fix = 0;
    while (true) {
        const int32_t limit = record < effort.size() ? effort[record].gpsIndex : track.back().index;
        while (fix + 1 < track.size()) {
            addLeg(track[fix], track[fix + 1], result.categories[std::size_t(category)]);
            ++fix;
            if (track[fix].index > limit)
                break;
        }
        if (fix + 1 >= track.size() || record >= effort.size())
            break;
        // A category the source does not have is booked as unknown.
        const int next = effort[record].category;
        category = next >= 0 && next < count ? next : 0;
        ++record;
    }
    return result;
}

QStringList StatisticsTexts(const TrackAmount& amount)
{
    return {QString::asprintf("%5.1f", amount.miles), QString::asprintf("%5.1f", amount.miles * KmPerNauticalMile),
            platform::FormatDuration(int(amount.seconds))};
}

QString StatisticsClipboardText(const TrackStatistics& statistics)
{
    QString text = QStringLiteral("             \tmiles \tkm   \tTime\n");
    auto line = [&text](const TrackAmount& amount) {
        const QStringList values = StatisticsTexts(amount);
        text += amount.name + QLatin1Char('\t') + values[0] + QLatin1Char('\t') + values[1] + QLatin1Char('\t')
              + values[2] + QLatin1Char('\n');
    };
    line(statistics.total);
    for (const TrackAmount& amount : statistics.categories)
        line(amount);
    return text;
}

} // namespace velmar::nav
