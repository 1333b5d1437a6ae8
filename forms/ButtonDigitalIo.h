#pragma once
// The measurement board's digital ports as the button panels use them:
// external switches on the input port press panel buttons, and presses (and
// user-form counters) set output bits or send pulse trains on the output
// port.
//
// Two threads, as the board wants: the external-button thread alone calls
// the board's digital functions (it polls the input port on a timer and sets
// output bits on request), and the counter thread times pulse trains and
// hands every level to the external-button thread, so that output requests
// from all sources are served one at a time and the user-interface thread
// never waits for a pulse.
//
// The board library is bound at run time by the sound side of the program
// (setDigitalBoard); while none is bound, every function here does nothing
// and the threads end at once.
//
// Threads: the functions at namespace level are for the user-interface
// thread. ExternalButtonIo and PulseTrain are plain objects used by the
// threads and by tests.
#include "platform/MessageIds.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace velmar::forms {

// The digital functions of the Measurement Computing Universal Library.
// Each returns the library's error code, 0 for none.
class DigitalBoard {
public:
    virtual ~DigitalBoard() = default;
    virtual int DConfigPort(int board, int port, int direction) = 0;
    virtual int DIn(int board, int port, uint16_t* value) = 0;
    virtual int DBitOut(int board, int port, int bit, uint16_t value) = 0;
    virtual QString GetErrMsg(int code) = 0;
};

// Directions of DConfigPort, as the library numbers them.
inline constexpr int kDigitalOut = 1;
inline constexpr int kDigitalIn = 2;

// The board whose library is bound, or null. Not owned; it must outlive the
// threads.
DigitalBoard* digitalBoard();
void setDigitalBoard(DigitalBoard* board);

// The messages of the two threads are in platform/MessageIds.h.

// The board settings of the "Buttons" section, copied when a thread starts.
struct ButtonBoardSettings {
    int32_t deviceType = 0; // 3 = a Measurement Computing board
    int32_t deviceNumber = 0;
    int32_t inputPort = 0;
    int32_t outputPort = 0;
    int32_t sampleRate = 0;
    int32_t countRate = 0;
    static ButtonBoardSettings FromProgramSettings();
};
inline constexpr int32_t kMeasurementComputingBoard = 3;

// Poll period of the input port: 1000 / rate ms, 10 ms for a rate of 0, at
// least 1 ms.
int PollPeriodMs(int sampleRate);
// The default half period of a pulse: (1000 / rate) / 2 ms. A rate below 1
// (the settings page can store 0) counts as 1 Hz rather than dividing by it.
int DefaultHalfPeriodMs(int countRate);

// What the threads tell the operator: a message box with the stop icon,
// owned by the main window or without owner.
using BoardReport = std::function<void(const QString& text, const QString& caption, bool ownedByMainWindow)>;

inline constexpr const char* kExternalButtonErrorCaption = "External button Error";
inline constexpr const char* kOutputBitErrorCaption = "Error - unable to set output bit";
inline constexpr const char* kExternalButtonsUnavailableText =
    "External buttons are not available: no Measurement Computing board library is loaded.";

// The external-button thread's work on the board. Each of the two reports
// (input and output) is made once per object, that is once per run of the
// thread.
class ExternalButtonIo {
public:
    struct Change {
        int bit;
        int level;
        bool operator==(const Change&) const = default;
    };

    ExternalButtonIo(DigitalBoard& board, const ButtonBoardSettings& settings, uint32_t mask, BoardReport report);

    // Configures both ports and reads the input once as the last state.
    void Configure();
    // One poll: the masked bits that changed since the last state, in
    // rising bit order. A read error is reported (once) and changes nothing.
    std::vector<Change> Poll();
    // Sets one output bit; false on an error (reported once).
    bool SetDigitalOutputBit(int bit, int value);

    uint16_t LastState() const { return m_last; }

private:
    void ReportOnce(bool& shown, int code, const QString& what, const QString& caption, bool owned);

    DigitalBoard& m_board;
    ButtonBoardSettings m_settings;
    uint32_t m_mask;
    BoardReport m_report;
    uint16_t m_last = 0;
    bool m_inputErrorShown = false;
    bool m_outputErrorShown = false;
};

// One request of the counter thread: the levels it sets, in order, with the
// wait after each.
struct PulseStep {
    int bit;
    int value;
    int waitMs;
    bool operator==(const PulseStep&) const = default;
};
// The steps of a counter-thread message (kMsgPulses..., kMsgSetBit...):
// wParam = bit << 16 plus the count, lParam = the half period (0: the
// default). Other messages give no step.
std::vector<PulseStep> PulseTrain(unsigned message, uint64_t wParam, int64_t lParam, int countRate);

// The external-button thread. Starts only with a Measurement Computing board
// set, a library bound and in online or offline logging. The changes it
// sees are handed to `deliver` on the user-interface thread.
using ExternalInputDelivery = std::function<void(int bit, int level)>;
void StartButtonThread(uint32_t mask, ExternalInputDelivery deliver, BoardReport report);
// Ends the thread (waits for it) and starts it again with the new settings.
void RestartButtonThread(uint32_t mask, ExternalInputDelivery deliver, BoardReport report);
void StopButtonThread();
bool ButtonThreadRunning();
// Queues one output bit for the external-button thread; false when no board
// library is bound or that thread does not run (nothing was queued). Used by
// the counter thread and the recorders.
bool PostDigitalOutput(int board, int bit, int value);

// What the counter thread shows while it sends more than two pulses: the
// progress box opened (position -1), moved to a position, closed (position
// == count). Called on the user-interface thread.
using CounterProgress = std::function<void(int position, int count)>;
inline constexpr int kProgressBoxAboveCount = 2;
inline constexpr const char* kCounterProgressCaption = "Setup External Counters";

// The counter thread (started by the main window in the logging modes).
void StartCounterThread(CounterProgress progress = {});
bool CounterThreadRunning();
void QuitCounterThread();
bool WaitCounterThread(int ms);
// A pulse request of a press or a user-form counter: type 1 set high, 2 set
// low, 3 pulses high then low, 4 low then high; a length of 0 takes the
// default half period. False when no board library is bound or the counter
// thread or the external-button thread is not running (the request would be
// lost).
bool RequestDigitalOutput(int bit, int count, int type, int lengthMs);

} // namespace velmar::forms
