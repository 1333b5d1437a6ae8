// The recorder's devices by input kind.
#include "recorder/BoardInputs.h"
#include "recorder/PipedInput.h"
#include "sound/input/JackInput.h"
#include "sound/input/PortAudioInput.h"

namespace velmar::recorder {
namespace {
constexpr int MaxBoards = 16;
constexpr int MaxAsioChannels = 32;
constexpr int MaxBoardChannels = 16;
constexpr int MaxTapeChannels = 2;
} // namespace

std::unique_ptr<InputBackend> MakeSystemInput(int kind)
{
    switch (kind) {
    case KindSoundCard: return std::make_unique<sound::PortAudioInput>(QStringLiteral("Error starting Soundcard"));
    case KindPiped: return std::make_unique<PipedInput>();
    case KindAsio:
        return std::make_unique<sound::JackInput>(QStringLiteral("Velmar"), QString(), QStringLiteral("ASIO (JACK)"));
    case KindMeasurementBoard: return std::make_unique<MeasurementBoardInput>();
    case KindNiDaq: return std::make_unique<NiDaqInput>();
    case KindTapeMachine: return std::make_unique<TapeMachineInput>();
    case KindNiDaqMx:
        // The recorder's thread has no NI-DAQmx scan of its own: Pelvane
        // samples these devices and pipes them to the recorder.
        return std::make_unique<UnavailableInput>(NiDaqMxRecorderText(), QStringLiteral("NI-DAQmx"));
    default: return nullptr;
    }
}

std::vector<SoundCardInfo> ListSoundCards()
{
    std::vector<SoundCardInfo> list;
    for (const sound::InputCard& card : sound::InputCards())
        list.push_back({card.hostApi.isEmpty() ? card.name : QStringLiteral("%1: %2").arg(card.hostApi, card.name),
                        card.maxChannels});
    return list;
}

std::vector<OtherInputInfo> ListOtherInputs()
{
    std::vector<OtherInputInfo> list;
    list.push_back({sound::JackInput::driverName(), KindAsio, 0, MaxAsioChannels, {}});
    const sound::CbLibrary& cb = sound::TheCbLibrary();
    bool boards = false;
    for (int board = 0; cb.CbIsLoaded() && board < MaxBoards; ++board) {
        const QString name = cb.CbBoardName(board);
        if (name.isEmpty() || name == QStringLiteral("Not Installed"))
            continue;
        boards = true;
        list.push_back({name, KindMeasurementBoard, board, MaxBoardChannels, {}});
        list.push_back({QStringLiteral("Tape machine on %1").arg(name), KindTapeMachine, board, MaxTapeChannels, {}});
    }
    if (!boards) {
        const QString why = cb.CbIsLoaded() ? QStringLiteral("No Measurement Computing board is installed.")
                                            : CbUnavailableText();
        list.push_back({QStringLiteral("Measurement Computing board (not available)"), KindMeasurementBoard, 0,
                        MaxBoardChannels, why});
        list.push_back({QStringLiteral("Tape machine (not available)"), KindTapeMachine, 0, MaxTapeChannels, why});
    }
    sound::NiDaqLibrary& ni = sound::TheNiDaq();
    bool niBoards = false;
    for (int device = 1; ni.NiDaqIsLoaded() && device < MaxBoards; ++device) {
        if (!ni.NiDeviceType(device))
            continue;
        niBoards = true;
        list.push_back({ni.NiBoardName(device), KindNiDaq, device, sound::NiDaqScanChannels, {}});
    }
    if (!niBoards)
        list.push_back({QStringLiteral("NI-DAQ board (not available)"), KindNiDaq, 1, sound::NiDaqScanChannels,
                        ni.NiDaqIsLoaded() ? QStringLiteral("No NI-DAQ board is installed.") : NiDaqUnavailableText()});
    list.push_back(
        {QStringLiteral("NI-DAQmx device (through Pelvane)"), KindNiDaqMx, 1, MaxBoardChannels, NiDaqMxRecorderText()});
    return list;
}

} // namespace velmar::recorder
