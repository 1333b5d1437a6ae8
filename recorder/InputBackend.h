#pragma once
// The input devices of a recorder by input kind. A device is a sound input
// of the shared input layer (sound/input/SoundInput.h, where it is said
// which thread calls what): the recorder thread makes, starts, polls, stops
// and destroys it, and drains its sample ring.
#include "sound/input/SampleRing.h"
#include "sound/input/SoundInput.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace velmar::recorder {

// Input kinds of the recording settings.
inline constexpr int KindSoundCard = 1;
inline constexpr int KindMeasurementBoard = 3;
inline constexpr int KindNiDaq = 5;
inline constexpr int KindPiped = 6;
inline constexpr int KindTapeMachine = 8;
inline constexpr int KindNiDaqMx = 10;
inline constexpr int KindAsio = 11;

// The recorder's names of the shared input layer's parts.
using AcquisitionSettings = sound::InputSettings;
using AskYesNo = sound::AskYesNo;
using InputBackend = sound::SoundInput;
using SampleRing = sound::SampleRing;

// Makes the backend of a kind; null for a kind that has none here.
using InputFactory = std::function<std::unique_ptr<InputBackend>(int kind)>;

// The real devices: PortAudio for sound cards, Pelvane's recorder pipe for
// piped data, a JACK server for the ASIO kind, the measurement boards and the
// tape machine through their libraries.
std::unique_ptr<InputBackend> MakeSystemInput(int kind);

// The sound cards PortAudio offers for input, in the order the settings
// page lists them (the device number is the position in this list).
struct SoundCardInfo {
    QString name;
    int maxChannels = 0;
};
std::vector<SoundCardInfo> ListSoundCards();

// The inputs besides sound cards and Pelvane's pipe: the JACK server (the
// ASIO kind), the measurement boards and the tape machine. A kind whose
// library is missing is listed once, with the reason it cannot be used.
struct OtherInputInfo {
    QString name;
    int kind = 0;
    int device = 0;
    int maxChannels = 0;
    QString unavailable; // empty when the input can be used
};
std::vector<OtherInputInfo> ListOtherInputs();

} // namespace velmar::recorder
