#include "shell/BoardWiring.h"

#include "forms/AutoFillSources.h"
#include "forms/ButtonDefinition.h"
#include "forms/ButtonDigitalIo.h"
#include "nav/HydrophoneMonitor.h"
#include "shell/DetectorWiring.h"
#include "shell/ui/BoardLibrary.h"
#include "sound/boards/CbLibrary.h"
#include "sound/boards/NiDaqLibrary.h"
#include "widgets/MessageBoxSeam.h"

#include <QApplication>

namespace velmar::shell {
namespace {

// cbGetConfig: the digital devices' information, and a device's port type.
constexpr int CbDigitalInfo = 3;
constexpr int CbDigitalDeviceType = 2;
constexpr int BoardKindMeasurementComputing = 3;
constexpr int BoardKindNiDaq = 5;
constexpr int BoardKindNiDaqMx = 10;

void Report(const QString& text, const QString& caption)
{
    QApplication::beep();
    ui::ShowMessageBox(nullptr, text, caption, QMessageBox::Critical);
}

class BoundBoardLibrary final : public ui::BoardLibrary {
public:
    bool CbIsLoaded() override { return sound::CbIsLoaded(); }
    QString CbBoardName(int board) override { return sound::TheCbLibrary().CbBoardName(board); }
    int CbGetResolution(int board) override { return sound::TheCbLibrary().CbGetResolution(board); }
    std::optional<int> CbDigitalPortType(int board, int device) override
    {
        const sound::CbEntryPoints& cb = sound::TheCbLibrary().Entry();
        int type = 0;
        if (!sound::CbIsLoaded() || !cb.cbGetConfig
            || cb.cbGetConfig(CbDigitalInfo, board, device, CbDigitalDeviceType, &type) != sound::CbNoErrors)
            return std::nullopt;
        return type;
    }
    bool NiDaqIsLoaded() override { return sound::TheNiDaq(Report).NiDaqIsLoaded(); }
    std::optional<int> NiDeviceType(int device) override { return sound::TheNiDaq(Report).NiDeviceType(device); }
    QString NiBoardTypeName(int typeCode) override { return sound::TheNiDaq(Report).NiBoardTypeName(typeCode); }
    int NiBoardResolution(int device) override { return sound::TheNiDaq(Report).NiBoardResolution(device); }
    bool NiMxIsLoaded() override { return sound::TheNiDaqMx({}, Report).NiMxIsLoaded(); }
    std::optional<QString> NiMxDeviceName(int n) override { return sound::TheNiDaqMx({}, Report).NiMxDeviceName(n); }
};

class CbDigitalBoard final : public forms::DigitalBoard {
public:
    int DConfigPort(int board, int port, int direction) override
    {
        const auto& cb = sound::TheCbLibrary().Entry();
        return cb.cbDConfigPort ? cb.cbDConfigPort(board, port, direction) : Missing;
    }
    int DIn(int board, int port, uint16_t* value) override
    {
        const auto& cb = sound::TheCbLibrary().Entry();
        return cb.cbDIn ? cb.cbDIn(board, port, value) : Missing;
    }
    int DBitOut(int board, int port, int bit, uint16_t value) override
    {
        const auto& cb = sound::TheCbLibrary().Entry();
        return cb.cbDBitOut ? cb.cbDBitOut(board, port, bit, value) : Missing;
    }
    QString GetErrMsg(int code) override
    {
        return code == Missing ? QStringLiteral("The Universal Library lacks this digital function")
                               : sound::TheCbLibrary().CbErrorText(code);
    }

private:
    // Not one of the library's own codes.
    static constexpr int Missing = -1;
};

// The board's readings for the user forms; the rest goes to what was
// installed before.
class BoardFieldSources final : public forms::AutoFillSources {
public:
    explicit BoardFieldSources(forms::AutoFillSources& others) : m_others(others) {}

    std::optional<double> nmeaFloat(const QString& s, int p) override { return m_others.nmeaFloat(s, p); }
    std::optional<int> nmeaInt(const QString& s, int p) override { return m_others.nmeaInt(s, p); }
    std::optional<QString> nmeaString(const QString& s, int p) override { return m_others.nmeaString(s, p); }
    std::optional<double> readVoltage(int boardType, int boardNumber, int channel, int gain) override
    {
        float volts = 0;
        bool ok = false;
        if (boardType == BoardKindMeasurementComputing)
            ok = sound::TheCbLibrary().CbReadVoltage(boardNumber, channel, gain, &volts);
        else if (boardType == BoardKindNiDaq)
            ok = sound::TheNiDaq(Report).NiReadVoltage(boardNumber, channel, gain, &volts);
        else if (boardType == BoardKindNiDaqMx)
            ok = sound::TheNiDaqMx({}, Report).NiMxReadVoltage(boardNumber, channel, gain, &volts);
        else
            return m_others.readVoltage(boardType, boardNumber, channel, gain);
        return ok ? std::optional<double>(volts) : std::nullopt;
    }
    std::optional<int> readDigitalLine(int boardType, int boardNumber, int line) override
    {
        if (boardType == BoardKindMeasurementComputing) {
            uint16_t value = 0;
            return sound::TheCbLibrary().CbReadDigitalInput(boardNumber, line, &value) ? std::optional<int>(value != 0)
                                                                                       : std::nullopt;
        }
        if (boardType == BoardKindNiDaq) {
            int16_t state = 0;
            return sound::TheNiDaq(Report).NiReadDigitalLine(boardNumber, line, &state) ? std::optional<int>(state != 0)
                                                                                        : std::nullopt;
        }
        return m_others.readDigitalLine(boardType, boardNumber, line);
    }
    bool boardLibraryBound() override { return sound::CbIsLoaded() || m_others.boardLibraryBound(); }
    // Counter pulses take the road of a panel's pulses: the counter thread
    // times them and the external-button thread sets each level.
    bool requestDigitalOutput(int line, int count) override
    {
        return forms::RequestDigitalOutput(line, count, forms::PulseHiLo, 0);
    }
    std::optional<QString> weatherValue(int item) override { return m_others.weatherValue(item); }

private:
    forms::AutoFillSources& m_others;
};

// The hydrophone's power and cable lines read through the bound board.
class HydrophoneBoardInput final : public nav::DigitalInput {
public:
    explicit HydrophoneBoardInput(forms::AutoFillSources& fields) : m_fields(fields) {}
    bool Prepare(int boardType, int boardNumber, const std::vector<int>&) override
    {
        if (boardType == BoardKindMeasurementComputing)
            return sound::CbIsLoaded();
        if (boardType == BoardKindNiDaq)
            return sound::TheNiDaq(Report).NiDaqIsLoaded();
        return false;
    }
    std::optional<int> ReadLine(int boardType, int boardNumber, int line) override
    {
        return m_fields.readDigitalLine(boardType, boardNumber, line);
    }

private:
    forms::AutoFillSources& m_fields;
};

} // namespace

class BoardLibraryBinding final : public BoardLibraryService {
public:
    bool LoadBoardLibrary() override
    {
        static BoundBoardLibrary library;
        static CbDigitalBoard digital;
        static BoardFieldSources fields(forms::autoFillSources());
        const bool loaded = sound::LoadCbLibrary(Report);
        ui::setBoardLibrary(&library);
        forms::setDigitalBoard(loaded ? &digital : nullptr);
        forms::setAutoFillSources(&fields);
        static HydrophoneBoardInput hydrophone(fields);
        SetHydrophoneInput(&hydrophone);
        return loaded;
    }
};

BoardLibraryService& BindBoards()
{
    static BoardLibraryBinding binding;
    return binding;
}

} // namespace velmar::shell
