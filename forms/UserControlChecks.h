#pragma once
// What a user-form control checks about its value, without any window: the
// characters an edit lets through as they are typed, the format check of a
// value before it is stored (with the operator's messages), the look-up code
// search, the Min/Max range check with its log row in UserFormErrors and its
// warning, and the hint shown for a row without one of its own.
//
// The form windows call these with the row and the text of the control, so
// every rule is tested without a display.
//
// User-interface thread only (the range check remembers the last control that
// failed, and logs into the survey database).
#include "forms/ControlTypeInfo.h"

#include <QString>

#include <functional>
#include <optional>

class QObject;

namespace velmar::forms {

// Results of ValidateValue.
enum ValidateCode : int {
    VALUE_OK = 0,
    VALUE_NONE = 1,
    VALUE_NOT_DATETIME = 2,
    VALUE_NOT_TIME = 3,
    VALUE_NOT_INTEGER = 4,
    VALUE_NOT_DECIMAL = 5,
    VALUE_NOT_LOOKUP = 6,
};

// Character filters of a user edit.
enum EntryFilter : int {
    FILTER_NONE = 0,
    FILTER_WHOLE = 1,   // digits and "-"
    FILTER_DECIMAL = 2, // digits, "." and "-"
};

inline constexpr const char* kDataFormatErrorCaption = "Data Format Error";
inline constexpr const char* kCannotStoreCaption = "Error - Cannot store data";
inline constexpr const char* kEntryErrorCaption = "Error";

// The hint of a row whose Hint is empty.
QString DefaultHint(int typeCode);

// The filter of the value edit of a type.
int EntryFilterOf(int typeCode);
// Characters the value edit takes: FieldLength - 1 for the plain edits, 10
// for a TIMESTAMP's date edit, 8 for a time, 5 for a look-up code; 0 for no
// edit (CHECKBOX).
int CharactersAccepted(const CONTROLTYPEINFO& row);
inline constexpr int kDateEditCharacters = 10;
inline constexpr int kTimeEditCharacters = 8;
inline constexpr int kLookupEditCharacters = 5;

// After a change of an edit's text: the text without its last character when
// the filter refuses that character, nothing when the text may stay.
std::optional<QString> FilterLastCharacter(int filter, const QString& text);

// The index of the look-up item whose code equals the text (blanks around it
// and case ignored; the empty item 0 never matches), -1 for none. canonical,
// when given, receives the item's code as the list writes it.
int FindLookupCode(const CONTROLTYPEINFO& row, const QString& text, QString* canonical = nullptr);

// Format checks of a whole or decimal number text (VALUE_OK or the code).
int ValidateWholeNumber(const QString& text);
int ValidateDecimalNumber(const QString& text);
// The format check of a control's value before a store: VALUE_NONE without a
// value, else VALUE_OK or the code of the fault.
int ValidateValue(const CONTROLTYPEINFO& row, const QString& value, bool hasValue);
// The message for codes 2 to 6 (shown with kDataFormatErrorCaption); empty
// for the others.
QString ValidationMessage(int code, const QString& value, const QString& title);
// A Required control without a value (shown with kCannotStoreCaption).
QString RequiredMessage(const QString& title);

// Messages of the checks made when the focus leaves a date or time edit.
QString InvalidDateMessage(const QString& text);
QString InvalidTimeMessage(const QString& text);

// Results of RangeViolation.
enum RangeViolationCode : int {
    RANGE_OK = 0,
    RANGE_TOO_LOW = 1,
    RANGE_TOO_HIGH = 2,
};
// INTEGER, SHORT, SINGLE and DOUBLE rows have Min/Max checks; no other type.
bool HasRangeCheck(int typeCode);
// The value against the row's bounds; a NULL bound does not apply. Whole
// numbers compare as whole numbers with the bounds cut to whole numbers.
int RangeViolation(const CONTROLTYPEINFO& row, const QString& value);
// "Value %s is %s for field %s\n %s" with the allowed range.
QString RangeMessage(const CONTROLTYPEINFO& row, const QString& value, int violation);

// Why a value is being checked: a store or entry the operator made, or a
// store that a timer, a GPS read or another program made with nobody at the
// form.
enum class CheckOrigin { Operator, Automatic };

// Shows the range warning with the form name as caption; false when the
// operator was told and the value is refused. The form windows install one
// that shows a box over the window; without one the data layer's message
// seam shows it.
using RangeWarning = std::function<void(QObject* owner, const QString& text, const QString& caption)>;
void setRangeWarning(RangeWarning warning);

// The range check of one control of a form. `control` identifies the
// control: the check remembers the last control that failed, and checking
// that same control again passes at once (and forgets it), so the warning
// does not repeat while the focus bounces back to it; the next check after
// that is a full one again.
bool CheckRange(const void* control, const CONTROLTYPEINFO& row, const QString& formName, const QString& value,
                bool hasValue, CheckOrigin origin, QObject* owner = nullptr);
// Logs the value into UserFormErrors, always; then by the "Pop up warnings"
// setting (0 never, 1 manual saves only, 2 always) accepts it silently or
// warns and refuses it. With "manual saves only" an automatic check accepts
// the value without a box: nobody is at the form to answer it.
bool ReportRange(const CONTROLTYPEINFO& row, const QString& formName, const QString& value, int violation,
                 CheckOrigin origin, QObject* owner = nullptr);
// Forgets the last failed control (a window that goes away).
void ForgetRangeFailure(const void* control = nullptr);

} // namespace velmar::forms
