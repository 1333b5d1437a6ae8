#pragma once
// What a button press reaches outside its panel: the GPS poll, the program
// clock, the recorders, the camera forms, the board's digital outputs, the
// sound output, the user forms and the session bus. The
// program installs the real ones at start-up (BindButtonPanels); tests put
// fakes in. An empty entry makes its step of the press do nothing (no
// recorder, no grabber, nothing sent), and the press is stored all the same.
//
// User-interface thread only.
#include "platform/SystemTime.h"

#include <QString>

#include <functional>
#include <optional>

namespace velmar::forms {

struct ButtonDefinition;

// The user form a button row names in its Form column, as the panel sees it.
class ButtonLinkedForm {
public:
    virtual ~ButtonLinkedForm() = default;
    // Opens (or finds) the window of the form that takes a new record, writes
    // indexText into the control titled indexTitle and ctrlData into the one
    // titled dataTitle (an empty title names no control) and readies the
    // window for entry. False when the form has no such window.
    virtual bool FillFromButton(const QString& indexTitle, const QString& indexText, const QString& dataTitle,
                                const QString& ctrlData) = 0;
};

// The registered message of a press, between programs and between panels.
inline constexpr const char* kButtonMessageName = "VelmarButtonMessage";

struct ButtonPressPorts {
    // Command 30057 to the main window: poll GPS when it is due.
    std::function<void()> pollGps;
    // The program time of the press.
    std::function<platform::SystemTime()> programTime;
    // Starts a triggered recording of `seconds` on recorder number `recorder`
    // (from 0); the recording index, or nothing when there is no such recorder.
    std::function<std::optional<int>(int recorder, int seconds, const QString& reason)> triggerRecorder;
    // The grabber form of that number grabs; false when there is none.
    std::function<bool(int grabber, const QString& reason)> grab;
    // Queues a pulse on an output bit; false when it cannot be sent (no board,
    // a run mode without outputs).
    std::function<bool(int bit, int count, int pulseCode, int lengthMs)> requestDigitalOutput;
    // Plays a sound file; false with a reason when it cannot be played.
    std::function<bool(const QString& file, QString* error)> playSound;
    // The user form of that name (any case), or null.
    std::function<ButtonLinkedForm*(const QString& formName)> findUserForm;
    // Posts the message to every program of the suite.
    std::function<void(const QString& message, quint64 wParam, qint64 lParam)> broadcast;
};

// The process-wide ports. Defaults: the data layer's GPS poll request, the
// program clock and the session bus; the others empty.
ButtonPressPorts& buttonPressPorts();
// Back to the defaults (tests).
void ResetButtonPressPorts();

} // namespace velmar::forms
