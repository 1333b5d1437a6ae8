#include "OverlayTemplate.h"

#include <QLocale>
#include <QStringList>

namespace velmar::video {

namespace {
constexpr qint64 ticksPerHundredth = 100000;

// Variables looked up by exact name, in the order the lookup tries them.
struct NamedVariable {
    const char* name;
    int kind;
};
constexpr NamedVariable namedVariables[] = {
    {"time_code", ok_TimeCode},   {"frame_count", ok_FrameCount}, {"time_full", ok_TimeFull},
    {"time_100ns", ok_Time100ns}, {"time_sec", ok_TimeSec},
};

TOverlayItem variableItem(const QString& name)
{
    for (const NamedVariable& v : namedVariables)
        if (name == QLatin1String(v.name))
            return {QString(), v.kind};
    const QString sysTime = QStringLiteral("sys_time[");
    const QString dvTime = QStringLiteral("dv_time[");
    if (name.startsWith(sysTime))
        return {name.mid(sysTime.size(), name.size() - sysTime.size() - 1), ok_SysTime};
    if (name.startsWith(dvTime))
        return {name.mid(dvTime.size(), name.size() - dvTime.size() - 1), ok_DvTime};
    if (name.size() == 7 && name.startsWith(QLatin1String("custom")) && name.at(6).isDigit()
        && name.at(6).unicode() < 128)
        return {QString(), ok_Custom0 + (name.at(6).unicode() - '0')};
    return {QLatin1Char('%') + name + QLatin1Char('%'), ok_Literal};
}

QString twoDigits(int v)
{
    return QString::asprintf("%.2d", v);
}
} // namespace

QList<TOverlayItem> ParseOverlayTemplate(const QString& text)
{
    QList<TOverlayItem> items;
    QString literal;
    QString name;
    bool inVariable = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('%')) {
            if (inVariable) {
                items.append(variableItem(name));
                name.clear();
            } else {
                items.append({literal, ok_Literal});
                literal.clear();
            }
            inVariable = !inVariable;
            if (items.size() == overlayItemsMax)
                return items;
        } else if (inVariable) {
            name += c;
        } else {
            literal += c;
        }
    }
    if (!inVariable && !literal.isEmpty())
        items.append({literal, ok_Literal});
    return items;
}

TFrameInfo MakeFrameInfo(qint32 frameNumber, qint64 frameTime100ns)
{
    TFrameInfo f;
    f.frameNumber = frameNumber;
    f.frameTime = frameTime100ns;
    const qint64 hundredthsTotal = frameTime100ns / ticksPerHundredth;
    const qint64 seconds = hundredthsTotal / 100;
    f.hundredths = int(hundredthsTotal % 100);
    f.totalMinutes = int(seconds / 60);
    f.seconds = int(seconds % 60);
    f.hours = f.totalMinutes / 60;
    f.minutes = f.totalMinutes % 60;
    return f;
}

std::optional<QDateTime> DvRecordingDateTime(const TFrameInfo& f)
{
    if (!f.dvDatePresent)
        return std::nullopt;
    if (f.dvHour < 0 || f.dvHour > 23 || f.dvMinute < 0 || f.dvMinute > 59 || f.dvSecond < 0 || f.dvSecond > 59)
        return std::nullopt;
    // A month beyond December names no month: nothing is drawn rather than
    // a date counted from whatever follows the month table.
    if (f.dvMonth < 0 || f.dvMonth > 12)
        return std::nullopt;
    QDate date(1899, 12, 30);
    if (f.dvMonth > 0) {
        // The day is added to the months before it without a check against
        // the month's length, so 31 February is 3 March.
        const QDate first(f.dvYear, f.dvMonth, 1);
        if (!first.isValid())
            return std::nullopt;
        date = first.addDays(f.dvDay - 1);
    }
    return QDateTime(date, QTime(f.dvHour, f.dvMinute, f.dvSecond));
}

QString FormatOverlayDateTime(const QDateTime& when, const QString& format)
{
    const QDate d = when.date();
    const QTime t = when.time();
    QString out;
    bool lastWasHour = false;
    const QString lower = format.toLower();
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = lower.at(i);
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype end = format.indexOf(format.at(i), i + 1);
            const qsizetype stop = end < 0 ? format.size() : end;
            out += format.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && lower.at(i + run) == c)
            ++run;
        switch (c.unicode()) {
        case 'd':
            out += run == 1 ? QString::number(d.day())
                 : run == 2 ? twoDigits(d.day())
                 : run == 3 ? QLocale::c().dayName(d.dayOfWeek(), QLocale::ShortFormat)
                            : QLocale::c().dayName(d.dayOfWeek(), QLocale::LongFormat);
            break;
        case 'm':
            if (lastWasHour && run <= 2)
                out += run == 1 ? QString::number(t.minute()) : twoDigits(t.minute());
            else
                out += run == 1 ? QString::number(d.month())
                     : run == 2 ? twoDigits(d.month())
                     : run == 3 ? QLocale::c().monthName(d.month(), QLocale::ShortFormat)
                                : QLocale::c().monthName(d.month(), QLocale::LongFormat);
            break;
        case 'y':
            out += run <= 2 ? twoDigits(d.year() % 100) : QString::number(d.year()).rightJustified(4, QLatin1Char('0'));
            break;
        case 'h': out += run == 1 ? QString::number(t.hour()) : twoDigits(t.hour()); break;
        case 'n': out += run == 1 ? QString::number(t.minute()) : twoDigits(t.minute()); break;
        case 's': out += run == 1 ? QString::number(t.second()) : twoDigits(t.second()); break;
        case 'z': out += run >= 3 ? QString::asprintf("%.3d", t.msec()) : QString::number(t.msec()); break;
        default: out += format.mid(i, run); break;
        }
        if (c != QLatin1Char(' ') && c != QLatin1Char(':'))
            lastWasHour = c == QLatin1Char('h');
        i += run;
    }
    return out;
}

QString ExpandOverlayTemplate(const QList<TOverlayItem>& items, const TFrameInfo& f, const TOverlayCustomVars& custom,
                              const QDateTime& now)
{
    QString line;
    QString time100ns;
    for (const TOverlayItem& item : items) {
        if (item.kind != ok_SysTime && item.kind != ok_DvTime)
            line += item.text;
        switch (item.kind) {
        case ok_TimeCode:
            if (f.timeCodePresent)
                line += QString::asprintf("%.2u:%.2u:%.2u:%.2u", unsigned(f.tcHours), unsigned(f.tcMinutes),
                                          unsigned(f.tcSeconds), unsigned(f.tcFrames));
            break;
        case ok_FrameCount: line += QString::number(f.frameNumber); break;
        case ok_Time100ns:
            if (time100ns.isEmpty())
                time100ns = QString::number(f.frameTime);
            line += time100ns;
            break;
        case ok_TimeSec:
            line += QString::asprintf("%d.%.2d", int(f.frameTime / ticksPerHundredth / 100), f.hundredths);
            break;
        case ok_TimeFull:
            line += QString::asprintf("%.2d:%.2d:%.2d %.2d", f.hours, f.minutes, f.seconds, f.hundredths);
            break;
        case ok_SysTime: line += FormatOverlayDateTime(now, item.text); break;
        case ok_DvTime:
            if (const auto dv = DvRecordingDateTime(f))
                line += FormatOverlayDateTime(*dv, item.text);
            break;
        default:
            if (item.kind >= ok_Custom0 && item.kind < ok_Custom0 + overlayCustomVars)
                line += custom[size_t(item.kind - ok_Custom0)];
            break;
        }
    }
    return line;
}

QString DefaultOverlayTemplate()
{
    return QStringList{QStringLiteral("Note: the date/time formats "),
                       QStringLiteral("can be easily modified."),
                       QString(),
                       QStringLiteral("system date/time: %sys_time[dd/mm/yy hh:nn:ss]%"),
                       QStringLiteral("DV time code: %time_code%"),
                       QStringLiteral("DV date/time: %dv_time[dd/mm/yy hh:nn:ss]%"),
                       QStringLiteral("frame count: %frame_count%"),
                       QStringLiteral("time (full): %time_full%"),
                       QStringLiteral("time (sec): %time_sec%"),
                       QStringLiteral("time (ns): %time_100ns%")}
        .join(QStringLiteral("\r\n"));
}

} // namespace velmar::video
