#pragma once
// The key of a HOTKEY row (and of a button panel's "Hot Key"): the Title
// names the key pressed together with Ctrl. One character names that key;
// two characters whose second is a digit n from 1 to 9 name the function key
// Fn. The key codes are the Windows virtual-key codes the design numbers hot
// keys by (F1 is 112); the hot-key service maps them to Qt keys.
//
// Pure functions; safe from any thread.
#include <QString>

namespace velmar::forms {

inline constexpr int kVkF1 = 112;

// The virtual-key code of the key a Title names, or 0 for no hot key. A
// single character gives the key that types it on a US keyboard (both "x"
// and "X" give the X key, "!" the 1 key); "F1" to "F9" give 112 to 120.
// "F10" (three characters), "F0", "Fx" and characters on no key give 0.
int HotKeyCodeFromText(const QString& text);

// The Qt key (a Qt::Key value) of a virtual-key code, or 0 when the code is
// no key this suite can offer as a shortcut.
int QtKeyFromHotKeyCode(int code);

} // namespace velmar::forms
