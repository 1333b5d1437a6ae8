#include "shell/ui/SettingsChecks.h"

#include "shell/ui/ProgramSettingsPage.h"

#include <cmath>

namespace velmar::shell::ui {

using store::ProgramSettings;

namespace {

constexpr int TalkerChars = 2;
constexpr double MinEffortGapMinutes = 1.0;
constexpr double SecondsPerMinute = 60.0;
constexpr double MaxVariation = 180.0;
// strtod reads at most what the nav data edits hold.
constexpr int NavEditChars = 6;

QString caption()
{
    return QLatin1String(FormMessageCaption);
}

} // namespace

CheckedSettings CheckedSettings::Refuse(const QString& text, const QString& caption)
{
    return {std::nullopt, text, caption};
}

std::optional<int> WholeIntegerOf(const QString& text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

std::optional<double> WholeRealOf(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

QString NotAnInteger(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QString NotAReal(const QString& text)
{
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

// ---- zoom step

QString ZoomStepText(float step)
{
    return QString::number(double(step), 'f', 2);
}

CheckedSettings CheckZoomStep(const ProgramSettings& s, const QString& text)
{
    const std::optional<double> step = WholeRealOf(text);
    if (!step)
        return CheckedSettings::Refuse(NotAReal(text), caption());
    if (!(*step > 1.0))
        return CheckedSettings::Refuse(QStringLiteral("The zoom step must be greater than 1"), caption());
    ProgramSettings copy = s;
    copy.ZoomStep = float(*step);
    return CheckedSettings::Accept(copy);
}

// ---- menu style, error checking, flash warning type

CheckedSettings CheckMenuStyle(const ProgramSettings& s, bool popupBox)
{
    ProgramSettings copy = s;
    copy.LookupPopup = popupBox;
    return CheckedSettings::Accept(copy);
}

CheckedSettings CheckErrorChecking(const ProgramSettings& s, int when, int popups)
{
    const auto valid = [](int v) { return v >= 0 && v <= 2; };
    if (!valid(when))
        return CheckedSettings::Refuse(QStringLiteral("Choose when entries are checked"), caption());
    if (!valid(popups))
        return CheckedSettings::Refuse(QStringLiteral("Choose when warnings pop up"), caption());
    ProgramSettings copy = s;
    copy.FormErrorChecking = when;
    copy.FormErrorWarnings = popups;
    return CheckedSettings::Accept(copy);
}

CheckedSettings CheckFlashWarningType(const ProgramSettings& s, bool simple)
{
    ProgramSettings copy = s;
    copy.SimpleWarningTimes = simple;
    return CheckedSettings::Accept(copy);
}

// ---- GPS

GpsControlEntries GpsControlEntriesOf(const ProgramSettings& s)
{
    GpsControlEntries e;
    e.maxInterval = QString::number(s.MaxInterval);
    e.minInterval = QString::number(s.MinInterval);
    e.useRmc = s.GpsSentence != GpsSentenceGga;
    e.rmcTalker = s.RmcTalker.text();
    e.ggaTalker = s.GgaTalker.text();
    e.readHdt = s.ReadHdt;
    e.hdtTalker = s.HdtTalker.text();
    e.readHdm = s.ReadHdm;
    e.hdmTalker = s.HdmTalker.text();
    return e;
}

CheckedSettings CheckGpsControl(const ProgramSettings& s, const GpsControlEntries& e)
{
    const std::optional<int> maxInterval = WholeIntegerOf(e.maxInterval);
    if (!maxInterval)
        return CheckedSettings::Refuse(NotAnInteger(e.maxInterval), caption());
    const std::optional<int> minInterval = WholeIntegerOf(e.minInterval);
    if (!minInterval)
        return CheckedSettings::Refuse(NotAnInteger(e.minInterval), caption());
    // A zero or negative maximum would poll the NMEA server without pause.
    if (*maxInterval < 1)
        return CheckedSettings::Refuse(
            QStringLiteral("The maximum interval between GPS readings must be at least 1 second"), caption());
    if (*minInterval < 0 || *minInterval > *maxInterval)
        return CheckedSettings::Refuse(
            QStringLiteral("The minimum interval between GPS readings must be between 0 and the maximum "
                           "interval (%1 seconds)")
                .arg(*maxInterval),
            caption());
    ProgramSettings copy = s;
    copy.MaxInterval = *maxInterval;
    copy.MinInterval = *minInterval;
    copy.GpsSentence = uint8_t(e.useRmc ? GpsSentenceRmc : GpsSentenceGga);
    const QString& talker = e.useRmc ? e.rmcTalker : e.ggaTalker;
    if (talker.size() != TalkerChars)
        return CheckedSettings::Refuse(QStringLiteral("The talker of the %1 string must be exactly 2 characters")
                                           .arg(e.useRmc ? QStringLiteral("RMC") : QStringLiteral("GGA")),
                                       caption());
    (e.useRmc ? copy.RmcTalker : copy.GgaTalker).setText(talker);
    copy.HdtTalker.setText(e.hdtTalker.left(TalkerChars));
    copy.ReadHdt = e.readHdt;
    copy.HdmTalker.setText(e.hdmTalker.left(TalkerChars));
    copy.ReadHdm = e.readHdm;
    return CheckedSettings::Accept(copy);
}

// ---- effort line

int GetEffortSourceIndex(const ProgramSettings& s)
{
    const QString source = s.EffortForm.text();
    for (int i = 0; i < FixedEffortSources; ++i)
        if (source.compare(QLatin1String(EffortSourceNames[i]), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int GetEffortSourceIndex()
{
    return GetEffortSourceIndex(store::TheProgramSettings);
}

QString EffortGapText(int seconds)
{
    return QString::asprintf("%g", double(seconds) / SecondsPerMinute);
}

int EffortGapSeconds(const QString& minutes)
{
    const float value = float(LeadingRealOf(minutes, int(minutes.size())));
    const int truncated = int(double(value) * SecondsPerMinute);
    // "%g" keeps six digits: 100 s shows as 1.66667, which is 99.9998 s.
    // The text shown for a stored gap reads back as that gap.
    if (EffortGapText(truncated + 1) == minutes.trimmed())
        return truncated + 1;
    return truncated;
}

CheckedSettings CheckEffortLine(const ProgramSettings& s, const EffortLineEntries& e)
{
    if (LeadingRealOf(e.gap, int(e.gap.size())) < MinEffortGapMinutes)
        return CheckedSettings::Refuse(QStringLiteral("Maximum gap between points must be at least 1 minute"),
                                       caption());
    const int pen = LeadingIntegerOf(e.pen, 1);
    if (pen < MinPenWidth || pen > MaxPenWidth)
        return CheckedSettings::Refuse(QStringLiteral("Pen width must be between 1 and 9 pixels"), caption());
    ProgramSettings copy = s;
    copy.MaxEffortFixInterval = EffortGapSeconds(e.gap);
    copy.TrackPenWidth = pen;
    copy.EffortYes = e.colours;
    copy.EffortForm.setText(e.form.left(EffortNameChars));
    copy.EffortControl.setText(e.control.left(EffortNameChars));
    return CheckedSettings::Accept(copy);
}

bool EffortSourceChanged(const ProgramSettings& before, const ProgramSettings& after)
{
    return after.EffortYes
        && (before.EffortForm.text() != after.EffortForm.text()
            || before.EffortControl.text() != after.EffortControl.text());
}

// ---- nav data

CheckedSettings CheckNavData(const ProgramSettings& s, const QString& variation, bool nauticalMiles,
                             const QString& hydrophoneLength)
{
    const double v = LeadingRealOf(variation, NavEditChars);
    if (v < -MaxVariation || v > MaxVariation)
        return CheckedSettings::Refuse(QStringLiteral("Magentic variation must be between -180 and +180 degrees"),
                                       QLatin1String(NavDataErrorCaption));
    ProgramSettings copy = s;
    copy.MagneticVariation = float(v);
    copy.LengthUnits = nauticalMiles ? 1 : 2;
    copy.HydrophoneLength = float(LeadingRealOf(hydrophoneLength, NavEditChars));
    return CheckedSettings::Accept(copy);
}

// ---- contours

ProgramSettings ApplyContourChoice(const ProgramSettings& s, const std::vector<bool>& ticked)
{
    ProgramSettings copy = s;
    for (std::size_t i = 0; i <= ticked.size() && i < copy.ShowContour.size(); ++i)
        copy.ShowContour[i] = i < ticked.size() && ticked[i];
    return copy;
}

} // namespace velmar::shell::ui
