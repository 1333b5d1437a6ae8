#include "DateTimeText.h"

#include <QByteArray>
#include <QDebug>
#include <QFileInfo>
#include <QLoggingCategory>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

namespace velmar::platform {

namespace {

Q_LOGGING_CATEGORY(lcTimeText, "velmar.sound.timetext")

constexpr int SecondsPerDay = 86400;
// Days from 1 January 1970 back to day 0 of OLE dates, 30 December 1899.
constexpr int64_t OleEpochDays = -25569;
constexpr int MinOleYear = 100;
constexpr int MaxOleYear = 9999;
// OLE dates of 1 January 100 and of the last second of 9999.
constexpr double MinVariantTime = -657434.0;
constexpr double MaxVariantTime = 2958466.0;

const char* const MonthNames[12] = {"Jan",  "Feb", "March", "April", "May", "June",
                                    "July", "Aug", "Sept",  "Oct",   "Nov", "Dec"};
constexpr int MonthNotFound = 13;

const QString MixedWordText = QStringLiteral("Mixing of Numbers and Characters - confused");
const QString MixedWordCaption = QStringLiteral("Error in InterpretTimeString");

std::atomic<DateTextMessageHandler> messageHandler{nullptr};

void report(const QString& text, const QString& caption)
{
    if (DateTextMessageHandler h = messageHandler.load())
        h(text, caption);
    else
        qCWarning(lcTimeText).noquote() << caption << ":" << text;
}

bool isLeapYear(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// Days since 1 January 1970 of a proleptic Gregorian date; days beyond the
// month's end simply run on into the next month.
int64_t daysFromCivil(int64_t y, int m, int64_t d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}

bool convertible(const SystemTime& t)
{
    return t.wMonth >= 1 && t.wMonth <= 12 && t.wYear >= MinOleYear && t.wYear <= MaxOleYear;
}

// Whole seconds since 1970 of a convertible time, milliseconds ignored.
int64_t linearSeconds(const SystemTime& t)
{
    return daysFromCivil(t.wYear, t.wMonth, t.wDay) * SecondsPerDay + int64_t(t.wHour) * 3600 + int64_t(t.wMinute) * 60
         + t.wSecond;
}

SystemTime fromLinearSeconds(int64_t s)
{
    int64_t days = s / SecondsPerDay;
    int64_t rest = s % SecondsPerDay;
    if (rest < 0) {
        rest += SecondsPerDay;
        --days;
    }
    int y = 0, m = 0, d = 0;
    civilFromDays(days, y, m, d);
    SystemTime t;
    t.wYear = uint16_t(y);
    t.wMonth = uint16_t(m);
    t.wDay = uint16_t(d);
    t.wDayOfWeek = uint16_t(((days % 7) + 11) % 7); // 1 January 1970 was a Thursday
    t.wHour = uint16_t(rest / 3600);
    t.wMinute = uint16_t(rest / 60 % 60);
    t.wSecond = uint16_t(rest % 60);
    return t;
}

// A minimal scanner with the semantics of the C scan formats the stored and
// typed texts were designed for, independent of the locale.
class Scan {
public:
    explicit Scan(std::string_view s) : m_s(s) {}

    // %hu / %2hu: blanks skipped, an optional sign and at least one digit,
    // within width characters; wraps to 16 bits as the C library does.
    bool readUShort(uint16_t& out, std::size_t width = SIZE_MAX)
    {
        bool negative = false;
        uint64_t v = 0;
        if (!readNumber(width, negative, v))
            return false;
        out = uint16_t(negative ? 0 - v : v);
        return true;
    }

    // %d: blanks skipped, an optional sign and at least one digit.
    bool readInt(int& out)
    {
        bool negative = false;
        uint64_t v = 0;
        if (!readNumber(SIZE_MAX, negative, v))
            return false;
        const int64_t s = negative ? -int64_t(v) : int64_t(v);
        out = int(std::clamp<int64_t>(s, INT_MIN, INT_MAX));
        return true;
    }

    // %*c: any one character.
    bool skipAnyChar()
    {
        if (m_i >= m_s.size())
            return false;
        ++m_i;
        return true;
    }

    // %*[ ]: one or more spaces.
    bool skipSpaces()
    {
        const std::size_t start = m_i;
        while (m_i < m_s.size() && m_s[m_i] == ' ')
            ++m_i;
        return m_i > start;
    }

    // A literal character of the format.
    bool literal(char c)
    {
        if (m_i < m_s.size() && m_s[m_i] == c) {
            ++m_i;
            return true;
        }
        return false;
    }

    // A blank of the format: any run of white space, possibly empty.
    void skipWhite()
    {
        while (m_i < m_s.size() && isWhite(m_s[m_i]))
            ++m_i;
    }

private:
    static bool isWhite(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    bool readNumber(std::size_t width, bool& negative, uint64_t& v)
    {
        skipWhite();
        std::size_t i = m_i;
        const std::size_t end = width >= m_s.size() - i ? m_s.size() : i + width;
        if (i < end && (m_s[i] == '+' || m_s[i] == '-')) {
            negative = m_s[i] == '-';
            ++i;
        }
        const std::size_t digits = i;
        for (; i < end && isDigit(m_s[i]); ++i)
            v = std::min<uint64_t>(v * 10 + uint64_t(m_s[i] - '0'), uint64_t(1) << 40);
        if (i == digits)
            return false;
        m_i = i;
        return true;
    }

    std::string_view m_s;
    std::size_t m_i = 0;
};

// %hu%*c%2hu%*c%2hu: year, month and day with any one separator. False
// when the scan stopped before the day.
bool scanDashedDate(Scan& s, SystemTime& t)
{
    return s.readUShort(t.wYear) && s.skipAnyChar() && s.readUShort(t.wMonth, 2) && s.skipAnyChar()
        && s.readUShort(t.wDay, 2);
}

// %2hu%*c%2hu (one colon) or %2hu%*c%2hu%*c%2hu (two).
void scanClock(std::string_view text, int colons, SystemTime& t)
{
    Scan s(text);
    if (s.readUShort(t.wHour, 2) && s.skipAnyChar() && s.readUShort(t.wMinute, 2) && colons == 2)
        s.skipAnyChar() && s.readUShort(t.wSecond, 2);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The text as 8-bit characters, leading blanks skipped; nothing when it is
// empty or all blank.
std::optional<std::string> trimmedLeft(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    qsizetype i = 0;
    while (i < bytes.size() && isBlank(bytes[i]))
        ++i;
    if (i == bytes.size())
        return std::nullopt;
    return std::string(bytes.constData() + i, std::size_t(bytes.size() - i));
}

// 1 or 2 for a text with that many ':' (a clock "hh:mm" or "hh:mm:ss"),
// else 0.
int clockColons(const std::string& text)
{
    const int colons = int(std::count(text.begin(), text.end(), ':'));
    return colons == 1 || colons == 2 ? colons : 0;
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

int leadingNumber(std::string_view s)
{
    Scan scan(s);
    int v = 0;
    scan.readInt(v);
    return v;
}

// "8 Dec 2010", "Dec 8 2010", "Dec 8": up to three words of letters and
// digits. False (after the message) when a word mixes letters and digits.
// A missing year stays 0.
bool readDateWords(std::string_view text, SystemTime& t)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (words.size() < 3 && i < text.size()) {
        while (i < text.size() && !isAsciiLetter(text[i]) && !isAsciiDigit(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && (isAsciiLetter(text[i]) || isAsciiDigit(text[i])))
            ++i;
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    for (std::string_view w : words) {
        const bool letters = std::any_of(w.begin(), w.end(), isAsciiLetter);
        const bool digits = std::any_of(w.begin(), w.end(), isAsciiDigit);
        if (letters && digits) {
            report(MixedWordText, MixedWordCaption);
            return false;
        }
    }
    auto word = [&](std::size_t n) { return n < words.size() ? words[n] : std::string_view(); };
    const bool dayFirst = !words.empty() && isAsciiDigit(words[0][0]);
    const std::string_view dayWord = dayFirst ? word(0) : word(1);
    const std::string_view monthWord = dayFirst ? word(1) : word(0);
    t.wDay = uint16_t(leadingNumber(dayWord));
    t.wMonth = uint16_t(MonthFromName(QString::fromLatin1(monthWord.data(), qsizetype(monthWord.size()))));
    t.wYear = uint16_t(leadingNumber(word(2)));
    return true;
}

uint16_t centuryOf(uint16_t year)
{
    if (year >= 100)
        return year;
    return uint16_t(year + (year > 49 ? 1900 : 2000));
}

} // namespace

// --- OLE dates --------------------------------------------------------------

bool SystemTimeToVariantTime(const SystemTime& time, double& variantTime)
{
    if (!convertible(time))
        return false;
    const int64_t days = daysFromCivil(time.wYear, time.wMonth, time.wDay) - OleEpochDays;
    const double fraction = double(int64_t(time.wHour) * 3600 + int64_t(time.wMinute) * 60 + time.wSecond)
                          / SecondsPerDay;
    // Hours beyond 23 and the like run on into the following days.
    const double whole = double(days) + std::floor(fraction);
    const double dayFraction = fraction - std::floor(fraction);
    variantTime = whole >= 0 ? whole + dayFraction : whole - dayFraction;
    return true;
}

bool VariantTimeToSystemTime(double variantTime, SystemTime& time)
{
    // Before day 0 the whole days count backwards and the fraction forwards,
    // so the first day of the year 100 reaches down to MinVariantTime - 1.
    if (!(variantTime > MinVariantTime - 1 && variantTime < MaxVariantTime))
        return false;
    const double days = std::trunc(variantTime);
    int64_t secondOfDay = std::llround(std::fabs(variantTime - days) * SecondsPerDay);
    const int64_t linear = (int64_t(days) + OleEpochDays) * SecondsPerDay + secondOfDay;
    const SystemTime t = fromLinearSeconds(linear);
    if (t.wYear < MinOleYear || t.wYear > MaxOleYear)
        return false;
    time = t;
    return true;
}

// --- Formatters -------------------------------------------------------------

QString FormatTimeStamp(const SystemTime& t)
{
    return QString::asprintf("%4.4d-%2.2d-%2.2d %2.2d:%2.2d:%2.2d", int(t.wYear), int(t.wMonth), int(t.wDay),
                             int(t.wHour), int(t.wMinute), int(t.wSecond));
}

QString FormatDateString(const SystemTime& time, double shiftSeconds, int style)
{
    if (time.wMonth == 0)
        return QString();
    const SystemTime t = shiftSeconds != 0 ? AddSecondsToTime(time, shiftSeconds) : time;
    switch (style) {
    case 1:
        return QString::asprintf("%2.2d %s %4d", int(t.wDay), MonthName(t.wMonth).toLatin1().constData(), int(t.wYear));
    case 2: return QString::asprintf("%2.2d/%2.2d/%4.4d", int(t.wDay), int(t.wMonth), int(t.wYear));
    case 3: return QString::asprintf("%4.4d-%2.2d-%2.2d", int(t.wYear), int(t.wMonth), int(t.wDay));
    default: return QStringLiteral("No format !");
    }
}

QString FormatTimeString(const SystemTime& time, double shiftSeconds)
{
    if (time.wMonth == 0)
        return QString();
    const SystemTime t = shiftSeconds != 0 ? AddSecondsToTime(time, shiftSeconds) : time;
    return QString::asprintf("%2.2d:%2.2d:%2.2d", int(t.wHour), int(t.wMinute), int(t.wSecond));
}

QString FormatDuration(int seconds)
{
    if (seconds < 0)
        return QStringLiteral("-");
    if (seconds < 3600)
        return QString::asprintf("%2.2d:%2.2d", seconds / 60, seconds % 60);
    return QString::asprintf("%d:%2.2d:%2.2d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

QString FormatSecondsHms(int seconds)
{
    return QString::asprintf("%2.2d:%2.2d:%2.2d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

QString FormatSecondsMs(double seconds)
{
    const double whole = std::floor(seconds);
    const int64_t n = int64_t(whole);
    // A hair above the product keeps 0.3 s from showing as 299 ms because
    // 0.3 has no exact binary form.
    const int ms = std::min(999, int((seconds - whole) * 1000.0 + 1e-6));
    const QString text = QString::asprintf("%2.2d:%2.2d.%3.3d", int(n / 60 % 60), int(n % 60), ms);
    const int64_t hours = n / 3600;
    if (hours > 0)
        return QString::asprintf("%2.2d", int(hours)) + text;
    return text;
}

std::optional<QString> TimeTextFromFileName(const QString& path)
{
    constexpr int TailLength = 10; // hhmmss and a four-character extension
    constexpr int LongNameLength = 17;
    constexpr int DateBeforeTail = 7; // yymmdd and the '_'

    QString full = path;
    full.replace(QLatin1Char('\\'), QLatin1Char('/'));
    full = QFileInfo(full).absoluteFilePath();
    const qsizetype slash = full.lastIndexOf(QLatin1Char('/'));
    const QByteArray file = full.mid(slash + 1).toUtf8();
    const QByteArray folder = full.left(std::max<qsizetype>(slash, 0)).toUtf8();

    const qsizetype underscore = file.lastIndexOf('_');
    const qsizetype tailStart = underscore < 0 ? 0 : underscore + 1;
    if (file.size() - tailStart != TailLength)
        return std::nullopt;
    const int hhmmss = leadingNumber(std::string_view(file.constData() + tailStart, TailLength));

    int date = 0;
    if (file.size() >= LongNameLength) {
        const qsizetype at = tailStart - DateBeforeTail;
        date = leadingNumber(std::string_view(file.constData() + at, std::size_t(file.size() - at)));
    } else {
        qsizetype start = folder.size();
        while (start > 0 && isAsciiDigit(folder[start - 1]))
            --start;
        const qsizetype digits = folder.size() - start;
        if (digits != 6 && digits != 8)
            return std::nullopt;
        date = leadingNumber(std::string_view(folder.constData() + start, std::size_t(digits)));
    }

    int year = date / 10000;
    const int month = date / 100 % 100;
    const int day = date % 100;
    if (year < 50)
        year += 2000;
    else if (year < 100)
        year += 1900;
    // A month without a name is no date.
    if (month < 1 || month > 12)
        return std::nullopt;
    return QString::asprintf("%2.2d %s %4d %2.2d:%2.2d:%2.2d", day, MonthNames[month - 1], year, hhmmss / 10000,
                             hhmmss / 100 % 100, hhmmss % 100);
}

// --- Arithmetic and checks --------------------------------------------------

SystemTime AddSecondsToTime(const SystemTime& time, double seconds)
{
    if (!convertible(time) || !std::isfinite(seconds))
        return time;
    const double f = std::fmod(seconds, 1.0);
    const double whole = f >= 0.5 ? seconds - 1 : seconds;
    SystemTime out = fromLinearSeconds(linearSeconds(time) + std::llround(whole));
    out.wMilliseconds = f > 0 ? uint16_t(f * 1000.0) : 0;
    return out;
}

double SecondsBetween(const SystemTime& a, const SystemTime& b)
{
    // Whole seconds, so that equal times give exactly 0 and no rounding of
    // the OLE dates creeps in. A time that is no date counts as day 0 of OLE
    // dates, as an unconverted date would.
    const int64_t oleDayZero = OleEpochDays * SecondsPerDay;
    const int64_t sa = convertible(a) ? linearSeconds(a) : oleDayZero;
    const int64_t sb = convertible(b) ? linearSeconds(b) : oleDayZero;
    return double(sa - sb);
}

int SecondsOfDay(const SystemTime& t)
{
    return int(t.wHour) * 3600 + int(t.wMinute) * 60 + int(t.wSecond);
}

int DaysInMonth(int monthIndex, int year)
{
    static constexpr int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (monthIndex < 0 || monthIndex > 11)
        return 0;
    return Days[monthIndex] + (monthIndex == 1 && isLeapYear(year) ? 1 : 0);
}

bool CheckSystemTime(const SystemTime& t)
{
    constexpr int OldestYear = 1950;
    return t.wYear > OldestYear && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1
        && t.wDay <= DaysInMonth(t.wMonth - 1, t.wYear) && t.wHour <= 23 && t.wMinute <= 59 && t.wSecond <= 59;
}

int MonthFromName(const QString& word)
{
    if (word.size() < 3)
        return MonthNotFound;
    const QString head = word.left(3);
    for (int m = 0; m < 12; ++m)
        if (head.compare(QLatin1String(MonthNames[m], 3), Qt::CaseInsensitive) == 0)
            return m + 1;
    return MonthNotFound;
}

QString MonthName(int month)
{
    if (month < 1 || month > 12)
        return QString();
    return QString::fromLatin1(MonthNames[month - 1]);
}

// --- Parsers ----------------------------------------------------------------

SystemTime ParseTimeStamp(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    Scan s(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    SystemTime t;
    // %*[ ] then the clock; the first field missing ends the scan.
    scanDashedDate(s, t) && s.skipSpaces() && s.readUShort(t.wHour, 2) && s.skipAnyChar() && s.readUShort(t.wMinute, 2)
        && s.skipAnyChar() && s.readUShort(t.wSecond, 2);
    return t;
}

bool ReadDateTimeString(const QString& text, SystemTime* out)
{
    constexpr int FirstYear = 1990;
    constexpr int LastYear = 2090;
    constexpr int TwoDigitYears = 90;

    const QByteArray bytes = text.toUtf8();
    Scan s(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    int v[6] = {0, 0, 0, 0, 0, 0};
    int n = 0;
    // "%d-%d-%d %d:%d:%d"
    const char separators[6] = {0, '-', '-', ' ', ':', ':'};
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            if (separators[i] == ' ')
                s.skipWhite();
            else if (!s.literal(separators[i]))
                break;
        }
        if (!s.readInt(v[i]))
            break;
        ++n;
    }
    if (n < 3)
        return false;
    int year = v[0];
    if (year < TwoDigitYears)
        year += 2000;
    const int month = v[1], day = v[2], hour = v[3], minute = v[4], second = v[5];
    if (year < FirstYear || year > LastYear || month < 1 || month > 12 || day < 1 || day > DaysInMonth(month - 1, year)
        || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return false;
    if (out) {
        out->wYear = uint16_t(year);
        out->wMonth = uint16_t(month);
        out->wDay = uint16_t(day);
        out->wHour = uint16_t(hour);
        out->wMinute = uint16_t(minute);
        out->wSecond = uint16_t(second);
        out->wMilliseconds = 0;
    }
    return true;
}

bool CheckTimeString(const QString& text)
{
    const std::optional<std::string> t = trimmedLeft(text);
    const int colons = t ? clockColons(*t) : 0;
    if (colons == 0)
        return false;
    SystemTime clock;
    scanClock(*t, colons, clock);
    return clock.wHour <= 23 && clock.wMinute <= 59 && clock.wSecond <= 59;
}

bool InterpretDateString(const QString& text, SystemTime* out, int* kind)
{
    SystemTime result;
    const std::optional<std::string> t = trimmedLeft(text);
    if (!t)
        return false;
    if (t->find(':') != std::string::npos)
        return false;
    if (t->find('-') != std::string::npos) {
        Scan s(*t);
        scanDashedDate(s, result);
        if (kind)
            *kind = DateKindDashes;
    } else if (t->find('/') != std::string::npos) {
        if (kind)
            *kind = DateKindSlashes;
        return false;
    } else if (t->find_first_of(" \t") != std::string::npos) {
        if (!readDateWords(*t, result))
            return false;
        result.wYear = result.wYear == 0 ? SystemTime::nowUtc().wYear : centuryOf(result.wYear);
        if (kind)
            *kind = DateKindWords;
    }
    if (!out)
        return false;
    *out = result;
    return CheckSystemTime(result);
}

bool InterpretTimeString(const QString& text, SystemTime* out)
{
    SystemTime result;
    const std::optional<std::string> t = trimmedLeft(text);
    const int colons = t ? clockColons(*t) : 0;
    if (colons == 0)
        return false;
    const std::size_t firstColon = t->find(':');
    const std::size_t blank = t->find_last_of(" \t", firstColon);
    if (blank == std::string::npos)
        return false; // a time without a date
    const std::string_view whole(*t);
    scanClock(whole.substr(blank + 1), colons, result);
    const std::string_view datePart = whole.substr(0, blank + 1);
    if (t->find('-') != std::string::npos) {
        Scan s(datePart);
        scanDashedDate(s, result);
    } else if (t->find('/') != std::string::npos) {
        return false;
    } else {
        if (!readDateWords(datePart, result))
            return false;
        result.wYear = centuryOf(result.wYear);
    }
    if (!out)
        return false;
    *out = result;
    return CheckSystemTime(result);
}

void SetDateTextMessageHandler(DateTextMessageHandler handler)
{
    messageHandler.store(handler);
}

} // namespace velmar::platform
