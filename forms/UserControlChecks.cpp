#include "forms/UserControlChecks.h"

#include "forms/ControlKeywords.h"
#include "platform/DateTimeText.h"
#include "store/DbMessages.h"
#include "nav/EventWriters.h"
#include "settings/ProgramSettings.h"

#include <cmath>
#include <cstdlib>

namespace velmar::forms {

namespace {

// "Pop up warnings" of the error-checking settings.
constexpr int kWarnNever = 0;
constexpr int kWarnManualOnly = 1;

const void* g_lastRangeFailure = nullptr;
RangeWarning g_rangeWarning;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int skipBlanks(const QString& text)
{
    int i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return i;
}

// The text read as a whole number the way the C library reads one: blanks,
// an optional sign, then digits up to the first other character.
long long leadingWholeNumber(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return std::strtoll(bytes.constData(), nullptr, 10);
}

double leadingDecimalNumber(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return std::strtod(bytes.constData(), nullptr);
}

bool isWholeNumberType(int typeCode)
{
    return typeCode == CT_INTEGER || typeCode == CT_SHORT;
}

} // namespace

QString DefaultHint(int typeCode)
{
    switch (typeCode) {
    case CT_TIMESTAMP: return QStringLiteral("Press F1 to update time and date automatically");
    case CT_LOOKUP: return QStringLiteral("Use the drop down arrow or press F4 for a list of possible options");
    case CT_NMEAFLOAT:
    case CT_NMEAINT:
    case CT_NMEACHAR: return QStringLiteral("Press F1 to update NMEA data");
    case CT_TIME: return QStringLiteral("Press F1 to update time automatically");
    case CT_ANALOG:
    case CT_DIGITAL: return QStringLiteral("Press F1 to update this field");
    case CT_DAVISWEATHER: return QStringLiteral("Press F1 to update Davis Weather Data");
    default: return QString();
    }
}

int EntryFilterOf(int typeCode)
{
    switch (typeCode) {
    case CT_INTEGER:
    case CT_SHORT:
    case CT_NMEAINT:
    case CT_DIGITAL: return FILTER_WHOLE;
    case CT_SINGLE:
    case CT_DOUBLE:
    case CT_NMEAFLOAT:
    case CT_ANALOG: return FILTER_DECIMAL;
    default: return FILTER_NONE;
    }
}

int CharactersAccepted(const CONTROLTYPEINFO& row)
{
    switch (row.typeCode) {
    case CT_TIMESTAMP: return kDateEditCharacters;
    case CT_TIME: return kTimeEditCharacters;
    case CT_LOOKUP: return kLookupEditCharacters;
    case CT_CHECKBOX: return 0;
    default: return std::max(0, row.FieldLength() - 1);
    }
}

std::optional<QString> FilterLastCharacter(int filter, const QString& text)
{
    if (filter == FILTER_NONE || text.isEmpty())
        return std::nullopt;
    const QChar last = text.back();
    const bool allowed = isDigit(last) || last == QLatin1Char('-')
                      || (filter == FILTER_DECIMAL && last == QLatin1Char('.'));
    if (allowed)
        return std::nullopt;
    return text.left(text.size() - 1);
}

int FindLookupCode(const CONTROLTYPEINFO& row, const QString& text, QString* canonical)
{
    const QString code = text.trimmed();
    if (code.isEmpty())
        return -1;
    for (std::size_t i = 1; i < row.lookup.size(); ++i) {
        if (row.lookup[i].code.compare(code, Qt::CaseInsensitive) == 0) {
            if (canonical)
                *canonical = row.lookup[i].code;
            return int(i);
        }
    }
    return -1;
}

int ValidateWholeNumber(const QString& text)
{
    const int first = skipBlanks(text);
    int digits = 0;
    for (int i = first; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('-') && i == first)
            continue;
        if (!isDigit(c))
            return VALUE_NOT_INTEGER;
        ++digits;
    }
    // Blanks alone, or a sign alone, are no number: the database would keep
    // the text in a number column.
    return digits > 0 ? VALUE_OK : VALUE_NOT_INTEGER;
}

int ValidateDecimalNumber(const QString& text)
{
    const int first = skipBlanks(text);
    int digits = 0;
    bool minus = false;
    bool point = false;
    for (int i = first; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('-')) {
            if (minus)
                return VALUE_NOT_DECIMAL;
            if (i != first)
                return VALUE_NOT_INTEGER;
            minus = true;
        } else if (c == QLatin1Char('.')) {
            if (point)
                return VALUE_NOT_DECIMAL;
            point = true;
        } else if (isDigit(c)) {
            ++digits;
        } else {
            return VALUE_NOT_DECIMAL;
        }
    }
    return digits > 0 ? VALUE_OK : VALUE_NOT_INTEGER;
}

int ValidateValue(const CONTROLTYPEINFO& row, const QString& value, bool hasValue)
{
    if (!hasValue)
        return VALUE_NONE;
    switch (row.typeCode) {
    case CT_TIMESTAMP: return platform::ReadDateTimeString(value) ? VALUE_OK : VALUE_NOT_DATETIME;
    case CT_LOOKUP: return FindLookupCode(row, value) >= 0 ? VALUE_OK : VALUE_NOT_LOOKUP;
    case CT_INTEGER:
    case CT_SHORT:
    case CT_NMEAINT: return ValidateWholeNumber(value);
    case CT_SINGLE:
    case CT_DOUBLE:
    case CT_NMEAFLOAT:
    case CT_ANALOG: return ValidateDecimalNumber(value);
    case CT_TIME: return platform::CheckTimeString(value) ? VALUE_OK : VALUE_NOT_TIME;
    default: return VALUE_OK;
    }
}

QString ValidationMessage(int code, const QString& value, const QString& title)
{
    const char* format = nullptr;
    switch (code) {
    case VALUE_NOT_DATETIME:
        format = "%1 is not a valid date time entry for %2\n\nDates and times must be in the format "
                 "YYYY-MM-DD HH:MM:SS";
        break;
    case VALUE_NOT_TIME: format = "%1 is not a valid time entry for %2\n\nTimes must be in the format HH:MM:SS"; break;
    case VALUE_NOT_INTEGER:
        format = "%1 is not a valid entry for %2\n\nInteger numbers may only contain a minius sign '-' and the "
                 "digits 0-9";
        break;
    case VALUE_NOT_DECIMAL:
        format = "%1 is not a valid entry for %2\n\nFloating point numbers may only contain a miinus sign '-', "
                 "the digits 0-9 and the decimal point '.' \nThey cannot contain the ',' character";
        break;
    case VALUE_NOT_LOOKUP:
        format = "%1 is not a valid lookup code for %2\n\nYou should select a valid entry from the list or "
                 "leave empty";
        break;
    default: return QString();
    }
    return QString::fromLatin1(format).arg(value, title);
}

QString RequiredMessage(const QString& title)
{
    return QStringLiteral("The Field %1 must be completed").arg(title);
}

QString InvalidDateMessage(const QString& text)
{
    return QStringLiteral("Invalid Date String '%1' - Use YYYY-MM-DD \nOR press F1 for current date").arg(text);
}

QString InvalidTimeMessage(const QString& text)
{
    return QStringLiteral("Invalid Time String '%1' - Use HH:MM:SS or HH:MM \nOR press F1 for current time").arg(text);
}

bool HasRangeCheck(int typeCode)
{
    return typeCode == CT_INTEGER || typeCode == CT_SHORT || typeCode == CT_SINGLE || typeCode == CT_DOUBLE;
}

int RangeViolation(const CONTROLTYPEINFO& row, const QString& value)
{
    if (!HasRangeCheck(row.typeCode))
        return RANGE_OK;
    const bool hasMin = !row.IsNull(COL_MINVALUE);
    const bool hasMax = !row.IsNull(COL_MAXVALUE);
    if (isWholeNumberType(row.typeCode)) {
        const long long v = leadingWholeNumber(value);
        if (hasMin && v < static_cast<long long>(row.MinValue))
            return RANGE_TOO_LOW;
        if (hasMax && v > static_cast<long long>(row.MaxValue))
            return RANGE_TOO_HIGH;
        return RANGE_OK;
    }
    // The bounds are single-precision columns: the typed number is compared
    // at that precision, so a value typed exactly as the bound (0.1) is
    // inside the range.
    const float v = static_cast<float>(leadingDecimalNumber(value));
    if (hasMin && !(v >= row.MinValue))
        return RANGE_TOO_LOW;
    if (hasMax && v > row.MaxValue)
        return RANGE_TOO_HIGH;
    return RANGE_OK;
}

QString RangeMessage(const CONTROLTYPEINFO& row, const QString& value, int violation)
{
    const bool hasMin = !row.IsNull(COL_MINVALUE);
    const bool hasMax = !row.IsNull(COL_MAXVALUE);
    const bool whole = isWholeNumberType(row.typeCode);
    auto bound = [whole](float b) {
        return whole ? QString::number(static_cast<long long>(b)) : QString::asprintf("%f", double(b));
    };
    QString range;
    if (hasMin && hasMax)
        range = QStringLiteral("between %1 and %2").arg(bound(row.MinValue), bound(row.MaxValue));
    else if (hasMin)
        range = QStringLiteral("greater than %1").arg(bound(row.MinValue));
    else if (hasMax)
        range = QStringLiteral("less than %1").arg(bound(row.MaxValue));
    const QString how = violation == RANGE_TOO_LOW ? QStringLiteral("too low") : QStringLiteral("too high");
    return QStringLiteral("Value %1 is %2 for field %3\n %4").arg(value, how, row.DbTitle, range);
}

void setRangeWarning(RangeWarning warning)
{
    g_rangeWarning = std::move(warning);
}

bool ReportRange(const CONTROLTYPEINFO& row, const QString& formName, const QString& value, int violation,
                 CheckOrigin origin, QObject* owner)
{
    store::DbWriteUserFormError(formName, row.DbTitle, value);
    const int warnings = store::TheProgramSettings.FormErrorWarnings;
    if (warnings == kWarnNever)
        return true;
    if (warnings == kWarnManualOnly && origin == CheckOrigin::Automatic)
        return true;
    const QString text = RangeMessage(row, value, violation);
    if (g_rangeWarning)
        g_rangeWarning(owner, text, formName);
    else
        store::DbMessage(owner, text, formName, store::DbIcon::Exclamation);
    return false;
}

bool CheckRange(const void* control, const CONTROLTYPEINFO& row, const QString& formName, const QString& value,
                bool hasValue, CheckOrigin origin, QObject* owner)
{
    if (control != nullptr && control == g_lastRangeFailure) {
        g_lastRangeFailure = nullptr;
        return true;
    }
    if (!hasValue) {
        g_lastRangeFailure = nullptr;
        return true;
    }
    const int violation = RangeViolation(row, value);
    if (violation == RANGE_OK || ReportRange(row, formName, value, violation, origin, owner)) {
        g_lastRangeFailure = nullptr;
        return true;
    }
    g_lastRangeFailure = control;
    return false;
}

void ForgetRangeFailure(const void* control)
{
    if (control == nullptr || control == g_lastRangeFailure)
        g_lastRangeFailure = nullptr;
}

} // namespace velmar::forms
