#pragma once
// National Instruments boards through their libraries, loaded at run time on
// the first question whether they are present: the traditional NI-DAQ
// library (device kind 5) and NI-DAQmx (kind 10). Each library binds the
// entry points the program calls; the NI-DAQ board-type tables (names,
// resolutions, gain families) and the single readings of user forms and
// external switches sit on top.
//
// Traditional NI-DAQ has no library for this system: unless
// VELMAR_NIDAQ_LIBRARY names a file it is simply not present. NI-DAQmx is
// "libnidaqmx.so.1" (or "libnidaqmx.so"), or the file VELMAR_NIDAQMX_LIBRARY
// names.
//
// The process has one of each (TheNiDaq, TheNiDaqMx), loaded at most once
// and never released. Loading and the readings run on the thread that uses
// the board (the user-interface thread, or one acquisition thread);
// tests make libraries of their own.
#include "sound/boards/CbLibrary.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

namespace velmar::sound {

// Information code of Get_DAQ_Device_Info for the board type.
inline constexpr int NiDeviceTypeCode = 15300;
// NI-DAQ scans at most this many channels (the scan lists' length).
inline constexpr int NiDaqScanChannels = 8;

struct NiDaqEntryPoints {
    int16_t (*Get_DAQ_Device_Info)(int16_t device, uint32_t infoType, uint32_t* value) = nullptr;
    int16_t (*Init_DA_Brds)(int16_t device, int16_t* boardCode) = nullptr;
    int16_t (*AI_Configure)(int16_t device, int16_t channel, int16_t inputMode, int16_t inputRange, int16_t polarity,
                            int16_t driveAIS) = nullptr;
    int16_t (*Timeout_Config)(int16_t device, int32_t ticks) = nullptr;
    int16_t (*DAQ_Rate)(double rate, int16_t units, int16_t* timebase, uint16_t* interval) = nullptr;
    int16_t (*DAQ_DB_Config)(int16_t device, int16_t on) = nullptr;
    int16_t (*DAQ_DB_HalfReady)(int16_t device, int16_t* ready, int16_t* status) = nullptr;
    int16_t (*SCAN_Setup)(int16_t device, int16_t count, const int16_t* channels, const int16_t* gains) = nullptr;
    int16_t (*SCAN_Start)(int16_t device, int16_t* buffer, uint32_t count, int16_t timebase, uint16_t interval,
                          int16_t scanTimebase, uint16_t scanInterval) = nullptr;
    int16_t (*DAQ_Clear)(int16_t device) = nullptr;
    int16_t (*DAQ_DB_Transfer)(int16_t device, int16_t* buffer, uint32_t* points, int16_t* status) = nullptr;
    int16_t (*AI_Read)(int16_t device, int16_t channel, int16_t gain, int16_t* reading) = nullptr;
    int16_t (*DIG_Line_Config)(int16_t device, int16_t port, int16_t line, int16_t direction) = nullptr;
    int16_t (*DIG_In_Line)(int16_t device, int16_t port, int16_t line, int16_t* state) = nullptr;
};

class NiDaqLibrary {
public:
    // `file`: the library to load on first use (empty: none, as here).
    explicit NiDaqLibrary(QString file, BoardReport report = {});
    ~NiDaqLibrary();
    NiDaqLibrary(const NiDaqLibrary&) = delete;
    NiDaqLibrary& operator=(const NiDaqLibrary&) = delete;

    // Loads on the first call only.
    bool NiDaqIsLoaded();
    const NiDaqEntryPoints& Entry() const { return m_entry; }

    // The board type code of a device, or nothing.
    std::optional<int> NiDeviceType(int device);
    QString NiBoardTypeName(int typeCode);
    QString NiBoardName(int device);
    int NiGainFamily(int typeCode);
    bool NiDaqGainValid(int device, int gainCode);
    int NiBoardResolution(int device);
    bool NiReadVoltage(int device, int channel, int gainCode, float* volts);
    bool NiReadDigitalLine(int device, int line, int16_t* state);

private:
    QString m_file;
    BoardReport m_report;
    void* m_handle = nullptr;
    bool m_tried = false;
    bool m_unknownBoardShown = false;
    bool m_analogFlagsCleared = false;
    bool m_digitalFlagsCleared = false;
    std::array<bool, 16> m_analogConfigured{};
    std::array<bool, 16> m_digitalConfigured{};
    NiDaqEntryPoints m_entry;
};

// The board-type tables, without a library.
std::optional<QString> NiBoardTableName(int typeCode);
int NiBoardTableResolution(int typeCode);
int NiGainTableFamily(int typeCode);
bool NiGainAllowed(int family, int gainCode);
// 0.5 for gain code -1, else the code itself.
double NiGainFactor(int gainCode);

using TaskHandle = void*;

struct NiDaqMxEntryPoints {
    int32_t (*DAQmxGetDevProductType)(const char* device, char* data, uint32_t size) = nullptr;
    int32_t (*DAQmxGetReadRawDataWidth)(TaskHandle, uint32_t*) = nullptr;
    int32_t (*DAQmxGetReadNumChans)(TaskHandle, uint32_t*) = nullptr;
    int32_t (*DAQmxCreateTask)(const char* name, TaskHandle* task) = nullptr;
    int32_t (*DAQmxCreateAIVoltageChan)(TaskHandle, const char* physical, const char* name, int32_t terminal,
                                        double min, double max, int32_t units, const char* scale) = nullptr;
    int32_t (*DAQmxStartTask)(TaskHandle) = nullptr;
    int32_t (*DAQmxStopTask)(TaskHandle) = nullptr;
    int32_t (*DAQmxClearTask)(TaskHandle) = nullptr;
    int32_t (*DAQmxGetErrorString)(int32_t code, char* text, uint32_t size) = nullptr;
    int32_t (*DAQmxSetAIRngLow)(TaskHandle, const char* channel, double) = nullptr;
    int32_t (*DAQmxSetAIRngHigh)(TaskHandle, const char* channel, double) = nullptr;
    int32_t (*DAQmxCfgSampClkTiming)(TaskHandle, const char* source, double rate, int32_t edge, int32_t mode,
                                     uint64_t samples) = nullptr;
    int32_t (*DAQmxGetReadAvailSampPerChan)(TaskHandle, uint32_t*) = nullptr;
    int32_t (*DAQmxReadRaw)(TaskHandle, int32_t scans, double timeout, void* data, uint32_t bytes, int32_t* read,
                            int32_t* bytesPerSample, uint32_t* reserved) = nullptr;
    int32_t (*DAQmxGetAIResolution)(TaskHandle, const char* channel, double*) = nullptr;
    int32_t (*DAQmxReadAnalogScalarF64)(TaskHandle, double timeout, double* value, uint32_t* reserved) = nullptr;
};

inline constexpr int NiMxDevices = 10;
inline constexpr int32_t NiMxReferenced = 10083;
inline constexpr int32_t NiMxDifferential = 10106;
inline constexpr int32_t NiMxVolts = 10348;

class NiDaqMxLibrary {
public:
    // `file`: the library to load on first use (empty: the Linux names).
    explicit NiDaqMxLibrary(QString file, BoardReport report = {});
    ~NiDaqMxLibrary();
    NiDaqMxLibrary(const NiDaqMxLibrary&) = delete;
    NiDaqMxLibrary& operator=(const NiDaqMxLibrary&) = delete;

    // Loads (and fills the device table) on the first call only.
    bool NiMxIsLoaded();
    const NiDaqMxEntryPoints& Entry() const { return m_entry; }
    // Entry points the library lacks; it still counts as loaded.
    QStringList Missing() const { return m_missing; }
    QString ErrorText(int32_t code) const;

    std::optional<QString> NiMxDeviceName(int n);
    int NiMxResolution(int n);
    bool NiMxReadVoltage(int device, int channel, int gainCode, float* volts);
    bool NiMxGainValid(int device, int gainCode);
    // The library's text of an error, under the failing call's name.
    void NiMxError(int32_t code, const QString& caption);

private:
    QString m_file;
    BoardReport m_report;
    void* m_handle = nullptr;
    bool m_tried = false;
    std::array<int, NiMxDevices> m_resolution{};
    QStringList m_missing;
    NiDaqMxEntryPoints m_entry;
};

// The process's libraries; `file` and `report` count on the first call only.
NiDaqLibrary& TheNiDaq(const BoardReport& report = {});
NiDaqMxLibrary& TheNiDaqMx(const QString& file = {}, const BoardReport& report = {});

} // namespace velmar::sound
