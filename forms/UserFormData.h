#pragma once
// A user form's data table: one row per stored record with its GPS cross
// reference (GpsIndex, GpsTime) and one column per value control, named by
// the control's DbTitle. Made or completed at start (DbCheckDataTable),
// written one record at a time, read back to preset a form or to browse and
// map the shown period, and exported as a semicolon-separated text file. Also
// the MenuCheck rows that keep each form's plot-menu ticks.
//
// Values travel as FormValues: one text per value row of the form
// (TUserFormInfo::ValueRows), in that order; a null text is "no value" and
// stores NULL.
//
// User-interface thread only; every statement runs on the main connection.
#include "forms/UserFormInfo.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace velmar::forms {

using FormValues = std::vector<QString>;

// The GPS fix a record refers to: Index in the form's GPS data set and its
// time text; index 0 is none.
struct GpsReference {
    int32_t index = 0;
    QString time;
};

// Results of DbStoreRecord.
inline constexpr int kStoreOk = 0;
inline constexpr int kStoreFailed = 4;

// Asks the main window to poll GPS now if due (its command 30057), so that a
// record is stored with the newest fix. Installed by the main window.
void setPollGpsHandler(std::function<void()> handler);

// The show-data check of GPS cross references of a data table against the
// form's GPS data set, installed by the part of the program that owns it.
void setDataTableGpsCheck(std::function<void(const QString& table, const QString& dataSet)> check);

// Inserts one record. The reference the form window took is used when its
// index is not 0, else the newest stored fix (GetLastGpsIndex). Values
// without text are left out (their columns stay NULL); texts are cut to the
// column width; time stamps are stored as "YYYY-MM-DD hh:mm:ss". A value its
// column cannot hold (a word for a number, a short beyond 32767, a date that
// does not read) stores nothing. Returns kStoreOk or kStoreFailed (reported,
// with a beep).
int DbStoreRecord(const TUserFormInfo& form, const FormValues& values, const GpsReference& taken, bool pollGps);

// The newest record's values of the rows that are not AutoClear (the other
// entries stay null); nullopt when no row was read or nothing is selected.
std::optional<FormValues> DbLoadLastValues(const TUserFormInfo& form);

// Load modes of BuildLoadQuery.
inline constexpr int kLoadShownPeriod = 1;
inline constexpr int kLoadBefore = 2;
// The SELECT of "Index", GpsIndex and the value columns; rows without a GPS
// fix (GpsTime of 1900) are never selected.
QString BuildLoadQuery(const TUserFormInfo& form, int mode, int firstGpsIndex, int lastGpsIndex);

struct LoadedRow {
    int32_t index = 0;
    int32_t gpsIndex = 0;
    FormValues values;
};
// The newest record before the shown period (GpsIndex below first), or
// nothing; a failed query is reported ("Error in UserForm->MakeEffortData").
std::optional<LoadedRow> DbLoadRowBefore(const TUserFormInfo& form, int firstGpsIndex);
// Progress of a load: (rows so far, total); (0, 0) at the end.
using LoadProgress = std::function<void(int done, int total)>;
// The records of the shown period (GpsIndex from first to last), ordered by
// GpsTime and Index. A failed query is reported and loads nothing.
std::vector<LoadedRow> DbLoadUserFormData(const TUserFormInfo& form, int firstGpsIndex, int lastGpsIndex,
                                          const LoadProgress& progress = {});

// Where a record lies, in signed degrees; the second position is the mirror
// side of a RELATIVE2 bearing (else the same as the first).
struct RecordPosition {
    double latitude = 0;
    double longitude = 0;
    double latitude2 = 0;
    double longitude2 = 0;
};
// What places a record: the fix (Index in the named data set), the optional
// time between fixes, the distance astern, and the range and bearing.
struct LocateRequest {
    QString dataSetTable;
    int32_t gpsIndex = 0;
    QString interpolationTime;   // the text of the interpolation control, empty when none
    double hydrophoneLength = 0; // nautical miles astern
    double range = 0;            // nautical miles
    double bearing = 0;          // degrees
    int bearingReference = 0;
};
// nullopt when the data set has no fix with that index.
using PositionLocator = std::function<std::optional<RecordPosition>(const LocateRequest&)>;

// Range and bearing of a record: the fixed ones where the form's RANGE and
// BEARING rows say FIXED, else the values of the controls they name.
LocateRequest LocateRequestFor(const TUserFormInfo& form, const FormValues& values);

// Reads the fix from the data-set table of the database and moves it by
// range and bearing (flat earth, bearings relative to the fix's heading
// where the reference says so). The interpolation time and distance astern
// need the track in memory; this locator places the record at its fix.
std::optional<RecordPosition> DbLocateRecord(const LocateRequest& request);

// The export file's heading and record lines (without line ends).
QString ExportHeading(const TUserFormInfo& form);
QString ExportLine(const TUserFormInfo& form, const LoadedRow& row, const std::optional<RecordPosition>& position);
// One field of the export: right-aligned in `width`, and quoted (with inner
// quotes doubled) when it holds the separator, a quote or a line end, so no
// value can shift the columns. The leading blank of the field goes inside
// the quotes, so a reader gets the same text either way.
QString ExportField(const QString& text, int width);

// Writes the heading and one line per loaded row, CRLF line ends. Reports
// "No Data loaded" for no rows and "Error Opening Output File" when the file
// cannot be written; false then.
bool ExportUserFormData(const TUserFormInfo& form, const std::vector<LoadedRow>& rows, const QString& path,
                        const PositionLocator& locator = DbLocateRecord);

// The plot-menu ticks of a form: "c" or "u" per menu item.
bool DbReadMenuCheck(const QString& formName, QString* text);
void DbWriteMenuCheck(const QString& formName, const QString& text);
void DbClearMenuChecks();

} // namespace velmar::forms
