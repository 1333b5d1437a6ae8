#pragma once
// Values that other programs poke into user forms over the session bus: topic
// "UDFSERVICE" of the main program's service "Velmar2000", item the form name,
// data the values of the form's value controls in form order, separated by
// ",". The main program's event service hands these pokes here.
//
// A field longer than its control takes is cut to the control; a poke larger
// than kMaxUserFormPokeBytes is refused whole, and a zero byte ends the data
// (the text a sender meant), so no poke can make the program copy without
// bound.
//
// User-interface thread only.
#include "forms/UserFormWindows.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace velmar::forms {

inline constexpr const char* kUserFormDdeTopic = "UDFSERVICE";
inline constexpr const char* kUserFormDdeService = "Velmar2000";
inline constexpr int kMaxUserFormPokeBytes = 4096;

// The fields of poked data: one entry per field in order, the text after its
// leading blanks; an empty field is an empty text. Bytes that are UTF-8 are
// read as such, anything else as Latin-1.
std::vector<QString> SplitPokedFields(const QByteArray& data);

// Fills the window's value controls from the data and has it store the
// record. A non-empty field goes into its control (cut to the control's
// length), an empty one leaves it alone or lets an AutoUpdate control fill
// itself, and controls past the end of the data are left alone. True once
// the row is stored; false (the window as it was) when it is refused.
bool FillFromDde(UserFormWindow& window, const QByteArray& data);

// A poke on topic "UDFSERVICE": the first DDE-enabled form named by the item
// (any case) that has a window takes it. True once its row is stored; false
// when no form takes it or the record is refused (nothing stored).
bool UserFormDdePoke(const QString& item, const QByteArray& data);

// The same for any topic, as a DDE server's poke handler: false for topics
// other than "UDFSERVICE".
bool UserFormDdeHandler(const QString& topic, const QString& item, const QByteArray& data);

} // namespace velmar::forms
