#pragma once
// The writers that store what the program logs, one per fixed table. Each
// inserts one row from one record, stamped with a time and with the GPS cross
// reference (store/RecordWriters.h) as it stands at the insert.
//
// A writer never stops the program: a failed insert beeps, is logged and
// returns false, and the row is lost; nothing is retried. With no database
// open the writers return false at once, without a beep.
//
// User-interface thread only. (The Recordings rows are written by
// sound/RecordingWriter.h.)
#include "nav/DetectionRecords.h"
#include "nav/GpsFixData.h"
#include "platform/SystemTime.h"

#include <QString>

#include <sql.h>

namespace velmar::store {

// In offline logging, false until the program clock has a time (the operator
// pressed "Start Run" or a deck plays), with the operator told once per
// refused record: a record stored before would have no time. True in the
// other modes. Every writer of a timed record asks it first.
bool ProgramClockSetOrTell();
inline constexpr const char* kClockNotSetCaption = "Programme Clock Not Set";
inline constexpr const char* kClockNotSetText =
    "The programme clock has no time yet: type the start time and press \"Start Run\".\n\n"
    "The record has not been stored.";

// Stores a fix. Only when it is stored does the cross reference move: its
// Index becomes the one the database gave the row, its time the fix's PC time.
// A failed insert shows the fix ("DbWriteGpsData") and changes nothing.
bool DbWriteGpsData(const nav::GpsFixData& fix);
// A detector's or the listening effort's status change (program type bit 1,
// 2, 4 or 16; any other type stores nothing and beeps).
bool DbWriteEffort(int programType, int status);
bool DbWriteWhistle(const nav::WHISTLEDETECTION& whistle);
bool DbWriteWhistleEvent(const nav::WHISTLEEVENT& event);
bool DbWriteRightWhaleEvent(const nav::RWEVENT& event);
bool DbWriteQuintraEvent(const nav::RCEventBase& event);
bool DbWriteThingHeard(const nav::THINGHEARD& thing);
bool DbWriteSeismic(const nav::SEISMIC& seismic);
bool DbWritePorpoiseEvent(const nav::PorpoiseEvent& event);
// A ThingsHeard row holding only a comment (cut to 50 characters).
bool DbWriteHeardComment(const QString& text);
// Power 1 "On", 2 "Off", 3 "Unknown"; cable 1 "Connected", 2 "Disconnected",
// 3 "Unknown"; any other value repeats the previous row's text.
bool DbWriteHydrophoneState(int power, int cable);
// A comment (cut to 100 characters) with the recording it belongs to, if any.
bool DbWriteComment(const platform::SystemTime& time, const QString& comment, const QString& recording = QString());
bool DbWriteUserFormError(const QString& table, const QString& field, const QString& value);

} // namespace velmar::store
