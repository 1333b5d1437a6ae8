#pragma once
// Names of Velmar's input devices as the recorder settings show them: the
// name of an input kind, and the name of one device of a kind. Kind 6 (input
// piped from Pelvane) stands for the device kind in Pelvane's settings.
//
// The device lists come from the sound, board and ASIO layers through an
// InputDeviceCatalog, so that these rules need none of them. Callable from any
// thread with a catalog that is.
#include "settings/PipeSettings.h"

#include <QString>

#include <functional>
#include <optional>

namespace velmar::pipeserver {

struct InputDeviceCatalog {
    std::function<int()> soundCardCount;
    std::function<std::optional<QString>(int)> soundCardName; // nothing when the card cannot be asked
    std::function<std::optional<QString>(int)> boardName;     // nothing without the board library
    std::function<QString(int)> niBoardName;
    std::function<std::optional<QString>(int)> niMxDeviceName; // nothing without the NI-DAQmx library
    std::function<int()> asioDriverCount;
    std::function<QString(int)> asioDriverName;
};

// The kind's name ("Sound card", "ASIO Card", ...; kind 6 gets " (Piped)" after
// Pelvane's kind when that still fits). Nothing when the name would not fit a
// text of `size` characters with its terminator.
std::optional<QString> InputDeviceKindName(int kind, int size, const PipeSettings& pipeSettings = ThePipeSettings());

// The name of device `number` of a kind; nothing when it would not fit.
std::optional<QString> InputDeviceName(int kind, int number, int size, const InputDeviceCatalog& catalog,
                                       const PipeSettings& pipeSettings = ThePipeSettings());

// The longest ASIO driver name kept.
inline constexpr int AsioDriverNameSize = 50;

} // namespace velmar::pipeserver
