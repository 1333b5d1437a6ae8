#pragma once
// What the IO board pages ask of the measurement-board libraries
// (Measurement Computing Universal Library, NI-DAQ, NI-DAQmx). The sound
// subsystem binds the real libraries and installs its implementation; until
// then, and on a machine without them, the null library answers "not
// loaded", so the pages offer "No IO board" only.
//
// User-interface thread only. The installed library is not owned here.
#include <QString>

#include <optional>

namespace velmar::shell::ui {

class BoardLibrary {
public:
    virtual ~BoardLibrary() = default;

    virtual bool CbIsLoaded() { return false; }
    // cbGetBoardName; "Not Installed" or empty for no board.
    virtual QString CbBoardName(int) { return {}; }
    virtual int CbGetResolution(int) { return 12; }
    // cbGetConfig(DIGITALINFO, board, device, DIDEVTYPE): the port type of
    // digital device `device`, or nothing when the query fails.
    virtual std::optional<int> CbDigitalPortType(int, int) { return std::nullopt; }
    // The Universal Library's name of a digital port type code.
    virtual QString CbPortName(int portType);

    virtual bool NiDaqIsLoaded() { return false; }
    // Get_DAQ_Device_Info(device, 15300): the board type code, or nothing.
    virtual std::optional<int> NiDeviceType(int) { return std::nullopt; }
    virtual QString NiBoardTypeName(int typeCode) { return QString::number(typeCode); }
    virtual int NiBoardResolution(int) { return 16; }

    virtual bool NiMxIsLoaded() { return false; }
    // The name of device "Dev<n>", or nothing when it does not exist.
    virtual std::optional<QString> NiMxDeviceName(int) { return std::nullopt; }
};

// The installed library, or the null one.
BoardLibrary& boardLibrary();
void setBoardLibrary(BoardLibrary* library);

} // namespace velmar::shell::ui
