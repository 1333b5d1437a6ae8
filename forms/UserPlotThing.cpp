#include "forms/UserPlotThing.h"

#include "forms/ControlKeywords.h"
#include "forms/UserControlChecks.h"
#include "nav/GpsFixData.h"
#include "nav/GpsFixList.h"
#include "settings/ProgramSettings.h"
#include "platform/DateTimeText.h"

#include <QStringList>

#include <algorithm>
#include <cstdlib>

namespace velmar::forms {

namespace {

UserPlotPort g_port;

const QString kCrlf = QStringLiteral("\r\n");

bool isWholeType(int type)
{
    return type == CT_INTEGER || type == CT_SHORT || type == CT_NMEAINT || type == CT_COUNTER || type == CT_DIGITAL;
}

bool isDecimalType(int type)
{
    return type == CT_SINGLE || type == CT_DOUBLE || type == CT_NMEAFLOAT || type == CT_ANALOG;
}

// A value as a whole number the way the C library reads one: leading blanks,
// a sign and digits; anything else ends it.
long wholeOf(const QString& text)
{
    return std::strtol(text.trimmed().toLatin1().constData(), nullptr, 10);
}

double decimalOf(const QString& text)
{
    return std::strtod(text.trimmed().toLatin1().constData(), nullptr);
}

// The value of the control titled `title` (case ignored), or nothing.
std::optional<QString> valueTitled(const TUserFormInfo& form, const FormValues& values, const QString& title)
{
    if (title.isEmpty())
        return std::nullopt;
    const auto rows = form.ValueRows();
    for (std::size_t i = 0; i < rows.size() && i < values.size(); ++i)
        if (rows[i]->Title.compare(title, Qt::CaseInsensitive) == 0) {
            if (values[i].isNull() || values[i].trimmed().isEmpty())
                return std::nullopt;
            return values[i];
        }
    return std::nullopt;
}

// One line of the label for a value, or nothing when the value gives none.
std::optional<QString> labelLine(const CONTROLTYPEINFO& row, const QString& value, bool showingData)
{
    const QString title = row.Title;
    switch (row.typeCode) {
    case CT_LOOKUP: {
        const int item = FindLookupCode(row, value.section(QLatin1Char(' '), 0, 0));
        if (item < 0)
            return std::nullopt;
        return QStringLiteral("%1 : %2").arg(title, row.lookup[std::size_t(item)].text);
    }
    case CT_TIMESTAMP:
    case CT_INTEGER:
    case CT_SHORT:
    case CT_SINGLE:
    case CT_DOUBLE:
    case CT_NMEAFLOAT:
    case CT_NMEAINT:
    case CT_CHAR:
    case CT_COUNTER:
    case CT_ANALOG:
    case CT_DIGITAL: {
        QString line;
        if (!title.isEmpty())
            line = QStringLiteral("%1 : ").arg(title);
        QString shown = value;
        if (row.typeCode == CT_CHAR) {
            while (shown.endsWith(QLatin1Char(' ')))
                shown.chop(1);
        }
        line += shown;
        if (!row.PostTitle.isEmpty())
            line += QStringLiteral(" %1").arg(row.PostTitle);
        return line;
    }
    case CT_TIME: {
        QString shown = value;
        if (showingData && value.contains(QLatin1Char('-')))
            shown = platform::FormatTimeString(platform::ParseTimeStamp(value), 0);
        return QStringLiteral("%1 : %2").arg(title, shown);
    }
    case CT_CHECKBOX:
        return QStringLiteral("%1 : %2").arg(title, value.trimmed() == QLatin1String("1") ? QStringLiteral("true")
                                                                                          : QStringLiteral("false"));
    default: return std::nullopt;
    }
}

} // namespace

int32_t EffortColourOf(const CONTROLTYPEINFO& row, const QString& value, bool hasValue, int* state)
{
    *state = 0;
    const int type = row.typeCode;
    bool effort = false;
    if (type == CT_LOOKUP) {
        const int item = hasValue ? FindLookupCode(row, value.section(QLatin1Char(' '), 0, 0)) : -1;
        if (item < 0)
            return kNoEffortColour;
        *state = item;
        return row.lookup[std::size_t(item)].colour;
    }
    if (type == CT_TIMESTAMP || type == CT_NMEACHAR || type == CT_CHAR || type == CT_TIME || type == CT_DAVISWEATHER)
        effort = hasValue && !value.isEmpty();
    else if (type == CT_INTEGER || type == CT_SHORT || type == CT_NMEAINT || type == CT_COUNTER || type == CT_CHECKBOX)
        effort = hasValue && wholeOf(value) >= 1;
    else if (type == CT_SINGLE || type == CT_DOUBLE || type == CT_NMEAFLOAT)
        effort = hasValue && decimalOf(value) != 0;
    if (!effort)
        return kNoEffortColour;
    *state = kEffortOn;
    return row.colourValue;
}

bool USERPLOTTHING::GetPlotStyle(int32_t* colour, int32_t* symbol) const
{
    *colour = 0;
    *symbol = 0;
    if (form && form->HasPlotAll && form->PlotSelected) {
        *colour = form->PlotColour;
        return true;
    }
    for (const UserPlotValue& v : plotValues) {
        const CONTROLTYPEINFO& row = *v.row;
        if (v.typeCode == CT_LOOKUP) {
            if (v.lookupIndex < 0 || std::size_t(v.lookupIndex) >= row.lookup.size() || row.lookup.empty())
                continue;
            const LookupItem& item = row.lookup[std::size_t(v.lookupIndex)];
            if (row.lookup[0].plotSelected || item.plotSelected) {
                *colour = item.colour;
                *symbol = item.symbol;
                return true;
            }
        } else if (v.typeCode == CT_CHECKBOX) {
            // A plotted check box decides alone: ticked records are drawn,
            // the others are not.
            if (row.plotSelected)
                return v.value && v.value->trimmed() == QLatin1String("1");
        } else if (row.plotSelected && v.value) {
            const bool nonZero = isWholeType(v.typeCode)   ? wholeOf(*v.value) != 0
                               : isDecimalType(v.typeCode) ? decimalOf(*v.value) != 0
                                                           : false;
            if (nonZero) {
                *colour = row.colourValue;
                return true;
            }
        }
    }
    return false;
}

const QString& USERPLOTTHING::GetLabel(int n) const
{
    return n == 1 ? label1 : label2;
}

USERPLOTTHING& AddUserPlotThing(TUserFormInfo& form, const PlotThingSource& source)
{
    auto item = std::make_unique<USERPLOTTHING>();
    item->form = &form;
    item->created = source.created;
    item->gpsIndex = source.fix ? source.fix->Index : 0;
    const FormValues& values = source.values;

    if (form.BearingReference == BEARING_FIXED)
        item->bearing = form.FixedBearing;
    else if (const auto b = valueTitled(form, values, form.BearingControl))
        item->bearing = float(decimalOf(*b));
    if (form.RangeSource == RANGE_FROM_CONTROL) {
        if (const auto r = valueTitled(form, values, form.RangeControl))
            item->range = float(RangeToMiles(decimalOf(*r), form.RangeUnits));
    } else if (form.RangeSource == RANGE_FIXED) {
        item->range = form.FixedRange;
    }
    if (const auto h = valueTitled(form, values, form.HeadingControl))
        item->heading = float(decimalOf(*h));
    if (form.InterpolateGps) {
        if (const auto t = valueTitled(form, values, form.InterpolationControl)) {
            platform::SystemTime time;
            if (platform::ReadDateTimeString(t->trimmed(), &time)) {
                item->hasTime = true;
                item->time = time;
            }
        }
    }

    std::optional<double> range, bearing;
    if (item->range)
        range = *item->range;
    if (item->bearing)
        bearing = *item->bearing;
    item->position1 = nav::GpsLocateDetection(source.fix, item->hasTime ? &item->time : nullptr, form.HydrophoneLength,
                                              range, bearing, form.BearingReference, source.magneticVariation,
                                              &item->position2);

    QStringList body{form.FormName};
    const auto rows = form.ValueRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CONTROLTYPEINFO& row = *rows[i];
        const QString value = i < values.size() ? values[i] : QString();
        const bool hasValue = !value.isNull() && !value.isEmpty();
        if (hasValue)
            if (const auto line = labelLine(row, value, source.showingData))
                body << *line;
        if (!row.Plot)
            continue;
        UserPlotValue plotted;
        plotted.row = &row;
        plotted.typeCode = row.typeCode;
        if (row.typeCode == CT_LOOKUP)
            plotted.lookupIndex = hasValue ? FindLookupCode(row, value.section(QLatin1Char(' '), 0, 0)) : -1;
        else if ((isWholeType(row.typeCode) || isDecimalType(row.typeCode) || row.typeCode == CT_CHECKBOX) && hasValue)
            plotted.value = value;
        item->plotValues.push_back(std::move(plotted));
    }
    const QString bodyText = body.join(kCrlf);
    item->label1 = QStringLiteral("%1, %2").arg(nav::FormatLatitude(item->position1.latitude),
                                                nav::FormatLongitude(item->position1.longitude))
                 + kCrlf + bodyText;
    item->label2 = QStringLiteral("%1, %2").arg(nav::FormatLatitude(item->position2.latitude),
                                                nav::FormatLongitude(item->position2.longitude))
                 + kCrlf + bodyText;
    const QStringList lines = item->label1.split(kCrlf);
    item->lineCount = int(lines.size());
    for (const QString& line : lines)
        item->widestLine = std::max(item->widestLine, int(line.size()));

    form.PlotThings.push_back(std::move(item));
    USERPLOTTHING& added = *form.PlotThings.back();
    if (g_port.itemAdded)
        g_port.itemAdded(added);
    return added;
}

const std::vector<std::unique_ptr<USERPLOTTHING>>& UserPlotThings(const TUserFormInfo& form)
{
    return form.PlotThings;
}

int PurgeUserPlotThings(uint64_t ageMs, uint64_t uptimeMs)
{
    int dropped = 0;
    for (TUserFormInfo* form : UserFormList()) {
        auto& items = form->PlotThings;
        if (ageMs == 0) {
            dropped += int(items.size());
            items.clear();
            form->EffortSegments.clear();
            continue;
        }
        if (ageMs >= uptimeMs)
            continue;
        // Items are made in time order: the old ones are a run at the front.
        const auto firstYoung = std::find_if(items.begin(), items.end(), [&](const auto& item) {
            return uptimeMs - std::min(item->created, uptimeMs) < ageMs;
        });
        dropped += int(firstYoung - items.begin());
        items.erase(items.begin(), firstYoung);
    }
    return dropped;
}

int ClearUserPlotThings()
{
    return PurgeUserPlotThings(0, 0);
}

void DropUserPlotThings(TUserFormInfo& form)
{
    form.PlotThings.clear();
}

bool IsEffortFormName(const QString& formName)
{
    const QString name = store::TheProgramSettings.EffortForm.text();
    return !name.isEmpty() && formName.compare(name, Qt::CaseInsensitive) == 0;
}

TUserFormInfo* FindEffortForm()
{
    for (TUserFormInfo* form : UserFormList())
        if (IsEffortFormName(form->FormName))
            return form->FindRowByTitle(store::TheProgramSettings.EffortControl.text()) ? form : nullptr;
    return nullptr;
}

void AppendEffortSegment(TUserFormInfo& form, int32_t gpsIndex, const FormValues& values)
{
    auto& line = form.EffortSegments;
    if (line.empty()) {
        const nav::GPSTHING* oldest = nav::GetFirstGpsFix(0);
        line.push_back(EffortSegment{oldest ? oldest->Index : 0, 0, 0});
    }
    EffortSegment segment{gpsIndex, 0, 1};
    const QString control = store::TheProgramSettings.EffortControl.text();
    const auto rows = form.ValueRows();
    for (std::size_t i = 0; i < rows.size() && i < values.size(); ++i) {
        if (control.isEmpty() || rows[i]->Title.compare(control, Qt::CaseInsensitive) != 0)
            continue;
        int state = 0;
        segment.colour = EffortColourOf(*rows[i], values[i], !values[i].isEmpty(), &state);
        segment.state = state;
        break;
    }
    line.push_back(segment);
}

void setUserPlotPort(UserPlotPort port)
{
    g_port = std::move(port);
}

} // namespace velmar::forms
