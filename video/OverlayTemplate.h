#pragma once
// The text overlay's template language and the per-frame values it draws:
// "%name%" pairs in plain text, parsed once when the host sets the template
// and expanded for every frame. Pure functions; callable from any thread.
#include <QDateTime>
#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace velmar::video {

enum TOverlayKind : int {
    ok_Literal = 0,
    ok_TimeCode,
    ok_FrameCount,
    ok_Time100ns,
    ok_TimeSec,
    ok_TimeFull,
    ok_SysTime,
    ok_DvTime,
    ok_Custom0 // ok_Custom0 + digit, up to ok_Custom0 + 9
};

struct TOverlayItem {
    QString text; // literal text, or the date-time format of ok_SysTime/ok_DvTime
    int kind = ok_Literal;
    bool operator==(const TOverlayItem&) const = default;
};

// What a frame knows about itself, for the overlays and the host.
struct TFrameInfo {
    qint32 frameNumber = 0;
    qint64 frameTime = 0; // 100-ns units from the start of the run
    int hours = 0, minutes = 0, seconds = 0, hundredths = 0, totalMinutes = 0;
    bool timeCodePresent = false;
    int tcHours = 0, tcMinutes = 0, tcSeconds = 0, tcFrames = 0;
    bool dvDatePresent = false;
    int dvYear = 0, dvMonth = 0, dvDay = 0, dvHour = 0, dvMinute = 0, dvSecond = 0;
};

constexpr int overlayItemsMax = 40;
constexpr int overlayCustomVars = 10;
using TOverlayCustomVars = std::array<QString, overlayCustomVars>;

QList<TOverlayItem> ParseOverlayTemplate(const QString& text);
// The line drawn for one frame; `now` is the computer's local time.
QString ExpandOverlayTemplate(const QList<TOverlayItem>& items, const TFrameInfo& frame,
                              const TOverlayCustomVars& custom, const QDateTime& now);
// The template a new component shows.
QString DefaultOverlayTemplate();

// Frame number and time split into the clock fields.
TFrameInfo MakeFrameInfo(qint32 frameNumber, qint64 frameTime100ns);

// The DV recording date and time of a frame; none when the frame carries no
// date, its time of day is invalid or its month is beyond December.
std::optional<QDateTime> DvRecordingDateTime(const TFrameInfo& frame);

// Formats with the date-time letters hosts write in templates: d dd ddd dddd,
// m mm mmm mmmm (minutes after h), yy yyyy, h hh, n nn, s ss, z zzz, text in
// quotes kept as it is.
QString FormatOverlayDateTime(const QDateTime& when, const QString& format);

} // namespace velmar::video
