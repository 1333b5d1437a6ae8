#pragma once
// The checks behind OK and Apply of the small settings forms and of the
// effort line, nav data and contours pages. Each takes the settings block as
// it stands and what the operator entered, and returns either the whole new
// block or the first failure's message: a form stores nothing until every
// value has passed, so a failed check never leaves half a form stored.
//
// Pure functions; any thread.
#include "settings/ProgramSettings.h"

#include <QString>

#include <optional>
#include <vector>

namespace velmar::shell::ui {

// The new block, or the message (and its caption) of the first value that
// failed; no block and no message never happens.
struct CheckedSettings {
    std::optional<store::ProgramSettings> block;
    QString message;
    QString caption;

    bool ok() const { return block.has_value(); }
    static CheckedSettings Accept(const store::ProgramSettings& s) { return {s, {}, {}}; }
    static CheckedSettings Refuse(const QString& text, const QString& caption);
};

// Caption of the forms' conversion messages and plain refusals.
inline constexpr const char* FormMessageCaption = "Velmar 2010";

// A whole integer or real number as the forms' edit boxes take it (blanks
// around it allowed, "." as decimal point); none for anything else.
std::optional<int> WholeIntegerOf(const QString& text);
std::optional<double> WholeRealOf(const QString& text);
// The messages for a text that is not a number.
QString NotAnInteger(const QString& text);
QString NotAReal(const QString& text);

// ---- "Zoom Step"

// How the edit shows the step ("0.00").
QString ZoomStepText(float step);
CheckedSettings CheckZoomStep(const store::ProgramSettings& s, const QString& text);

// ---- "Menu Style"

CheckedSettings CheckMenuStyle(const store::ProgramSettings& s, bool popupBox);

// ---- "GPS Settings"

inline constexpr int GpsSentenceRmc = 1;
inline constexpr int GpsSentenceGga = 2;

struct GpsControlEntries {
    QString maxInterval;
    QString minInterval;
    bool useRmc = true;
    QString rmcTalker;
    QString ggaTalker;
    bool readHdt = false;
    QString hdtTalker;
    bool readHdm = false;
    QString hdmTalker;
};

// The entries as the form shows the block.
GpsControlEntries GpsControlEntriesOf(const store::ProgramSettings& s);
// The intervals (maximum at least 1 s, minimum from 0 to the maximum), the
// sentence, its talker (exactly 2 characters; the other sentence's talker is
// kept as stored), then the heading talkers and flags.
CheckedSettings CheckGpsControl(const store::ProgramSettings& s, const GpsControlEntries& e);

// ---- "Error Checking"

// when, popups: 0 to 2, or -1 when no button of the group is selected.
CheckedSettings CheckErrorChecking(const store::ProgramSettings& s, int when, int popups);

// ---- "Flash Warning Type"

CheckedSettings CheckFlashWarningType(const store::ProgramSettings& s, bool simple);

// ---- "Effort Line"

// The four fixed effort sources, in list order (indexes 0 to 3).
inline constexpr const char* EffortSourceNames[] = {"Porpoise Detector", "Whistle Detector", "Quintra Click",
                                                    "Listening"};
inline constexpr int FixedEffortSources = 4;
// Longest text of a form or control name stored.
inline constexpr int EffortNameChars = 48;
inline constexpr int MinPenWidth = 1;
inline constexpr int MaxPenWidth = 9;

// The index 0 to 3 of the fixed source that the stored source names exactly
// (letter case counts); -1 for a user form or an empty source.
int GetEffortSourceIndex(const store::ProgramSettings& s);
int GetEffortSourceIndex();

// The gap as the page shows it: minutes, "%6g" without the padding.
QString EffortGapText(int seconds);
// The typed minutes as whole seconds, truncated; a text the page showed for
// a number of seconds reads back as exactly that number. Not a number: 0.
int EffortGapSeconds(const QString& minutes);

struct EffortLineEntries {
    QString gap; // minutes
    QString pen; // pixels
    bool colours = false;
    QString form;    // the form list's text
    QString control; // the control list's text
};

CheckedSettings CheckEffortLine(const store::ProgramSettings& s, const EffortLineEntries& e);
// Whether the map's effort colours come from another source than before:
// only with effort colours on, and only when the form or control differ.
bool EffortSourceChanged(const store::ProgramSettings& before, const store::ProgramSettings& after);

// ---- "Nav Data"

inline constexpr const char* NavDataErrorCaption = "Error";

// Both numbers are read as C's strtod reads them (text that is not a number
// is 0); the variation must lie from -180 to +180 degrees.
CheckedSettings CheckNavData(const store::ProgramSettings& s, const QString& variation, bool nauticalMiles,
                             const QString& hydrophoneLength);

// ---- "Select Contours"

// ticked: one entry per contour level of the loaded file, in level order.
// Sets the level flags from it and clears the flag after the last level.
store::ProgramSettings ApplyContourChoice(const store::ProgramSettings& s, const std::vector<bool>& ticked);

} // namespace velmar::shell::ui
