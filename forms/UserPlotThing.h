#pragma once
// USERPLOTTHING: one record of a form with a plot menu as a map item: where
// it lies (from its GPS fix, range, bearing and time), its two labels (one
// per side for a both-sides bearing), and the plotted values that decide
// whether and in which colour and symbol the map draws it under the form's
// plot-menu ticks. Items are made after every store and for every loaded row,
// kept per form oldest first, and aged out by the main window.
//
// Also the effort colour of a value (the effort line of the effort form).
//
// The map is reached through UserPlotPort; without one the items are kept
// and nothing is drawn.
//
// User-interface thread only. Items belong to their form's list.
#include "forms/UserFormData.h"
#include "forms/UserFormInfo.h"
#include "nav/GpsGeometry.h"
#include "platform/SystemTime.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace velmar::forms {

// The colour of a value that shows no effort.
inline constexpr int32_t kNoEffortColour = platform::MakeColour(128, 128, 128);
// The effort state of a value that shows effort (a LOOKUP gives its item index).
inline constexpr int kEffortOn = 3;

// The effort colour and state of a control's value: LOOKUP by its item, the
// texts when not empty, the whole numbers from 1, the decimals when not 0;
// grey and state 0 otherwise.
int32_t EffortColourOf(const CONTROLTYPEINFO& row, const QString& value, bool hasValue, int* state);

struct UserPlotValue {
    const CONTROLTYPEINFO* row = nullptr;
    int32_t typeCode = 0;
    int lookupIndex = -1;         // LOOKUP: the item of the value, -1 for none
    std::optional<QString> value; // the number types and CHECKBOX
};

struct USERPLOTTHING {
    std::optional<float> range; // nautical miles
    std::optional<float> bearing;
    std::optional<float> heading;
    bool hasTime = false;
    platform::SystemTime time;
    QString label1;
    QString label2;
    int lineCount = 0;
    int widestLine = 0; // characters
    TUserFormInfo* form = nullptr;
    // The fix the record refers to, by its Index in the form's GPS data set
    // (0 when there was none); the positions are worked out when the item is
    // made, so no fix pointer is kept that a purge could free.
    int32_t gpsIndex = 0;
    nav::DetectionPosition position1;
    nav::DetectionPosition position2;
    uint64_t created = 0; // monotonic milliseconds, online logging only
    std::vector<UserPlotValue> plotValues;

    // Whether the map draws the item under the plot-menu ticks, and with
    // which colour and symbol.
    bool GetPlotStyle(int32_t* colour, int32_t* symbol) const;
    // Label 1 for n = 1, label 2 otherwise.
    const QString& GetLabel(int n) const;
};

// What the item is made from besides the form: the values of its value rows
// (ValueRows order, null for none), the fix (null when there is none) and,
// in show-data mode, the TIME values shown as "hh:mm:ss".
struct PlotThingSource {
    FormValues values;
    const nav::GPSTHING* fix = nullptr;
    uint64_t created = 0;
    bool showingData = false;
    double magneticVariation = 0;
};

// Makes the item and appends it to the form's list; the port hears of it.
USERPLOTTHING& AddUserPlotThing(TUserFormInfo& form, const PlotThingSource& source);
// The form's items, oldest first.
const std::vector<std::unique_ptr<USERPLOTTHING>>& UserPlotThings(const TUserFormInfo& form);
// For each form: with an age below the uptime, the items older than age
// milliseconds go, oldest first; age 0 drops them all, and the effort line
// too. Returns how many items went.
int PurgeUserPlotThings(uint64_t ageMs, uint64_t uptimeMs);
int ClearUserPlotThings();
// Forgets the form's items (the form is going).
void DropUserPlotThings(TUserFormInfo& form);

// The effort form: the first form named by the EffortForm setting (case
// ignored), when it has a row titled exactly as the EffortControl setting;
// else null.
TUserFormInfo* FindEffortForm();
// True when formName is the one the EffortForm setting names (case ignored,
// the one rule for the effort form everywhere); false for an empty setting.
bool IsEffortFormName(const QString& formName);
// Appends a change of effort at a GPS index. A new line starts with the
// oldest fix of the first data set, no colour, state 0. The change has state
// 1 and no colour unless the values (ValueRows order) hold the control titled
// EffortControl (case ignored): then that value's effort colour and state.
void AppendEffortSegment(TUserFormInfo& form, int32_t gpsIndex, const FormValues& values);

// The map's side: told of every new item (the main window's message 1072).
struct UserPlotPort {
    std::function<void(USERPLOTTHING& item)> itemAdded;
};
void setUserPlotPort(UserPlotPort port);

} // namespace velmar::forms
