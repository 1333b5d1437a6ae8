#pragma once
// The Measurement Computing Universal Library, loaded at run time: the entry
// points the program calls (analog scans and readings, digital ports and
// bits, board names and configuration), the revision check, and the small
// routines the rest of the program uses. The library is a file of the
// machine, named by a setting ("libcbw.so" unless VELMAR_CB_LIBRARY names
// another); without it every routine answers its failure at once.
//
// The process has one library (TheCbLibrary), loaded at most once, at
// start-up on the user-interface thread; after that the routines may be
// called from any thread (the library's calls are the library's concern).
// Tests make libraries of their own.
#include <QString>

#include <cstdint>
#include <functional>

namespace velmar::sound {

// A message for the operator (text, caption); the caller decides how.
using BoardReport = std::function<void(const QString& text, const QString& caption)>;

// The library's buffer handle.
using CbBuffer = void*;

// Error codes the program tells apart.
inline constexpr int CbNoErrors = 0;
inline constexpr int CbBadRange = 30;
// Digital port types and directions the program uses.
inline constexpr int CbAuxPort = 1;
inline constexpr int CbFirstPortA = 10;
inline constexpr int CbDigitalOut = 1;
inline constexpr int CbDigitalIn = 2;
// Range code of a gain of 1 (and of any gain the table does not know).
inline constexpr int CbUnitRange = 1;
// The one revision the program works with.
inline constexpr float CbRequiredRevision = 5.0f;

struct CbEntryPoints {
    int (*cbGetRevision)(float* dllRevision, float* driverRevision) = nullptr;
    int (*cbAIn)(int board, int channel, int range, uint16_t* value) = nullptr;
    int (*cbAInScan)(int board, int lowChannel, int highChannel, int32_t count, int32_t* rate, int range,
                     CbBuffer buffer, int options) = nullptr;
    int (*cbDBitIn)(int board, int portType, int bit, uint16_t* value) = nullptr;
    int (*cbDBitOut)(int board, int portType, int bit, uint16_t value) = nullptr;
    int (*cbDConfigPort)(int board, int port, int direction) = nullptr;
    int (*cbDIn)(int board, int port, uint16_t* value) = nullptr;
    int (*cbErrHandling)(int reporting, int handling) = nullptr;
    int (*cbGetErrMsg)(int code, char* text) = nullptr;
    int (*cbGetStatus)(int board, int16_t* status, int32_t* count, int32_t* index) = nullptr;
    int (*cbStopBackground)(int board) = nullptr;
    int (*cbWinBufToArray)(CbBuffer buffer, uint16_t* data, int32_t first, int32_t count) = nullptr;
    CbBuffer (*cbWinBufAlloc)(int32_t points) = nullptr;
    int (*cbWinBufFree)(CbBuffer buffer) = nullptr;
    int (*cbGetConfig)(int infoType, int board, int device, int item, int* value) = nullptr;
    int (*cbToEngUnits)(int board, int range, uint16_t value, float* engineering) = nullptr;
    int (*cbGetBoardName)(int board, char* name) = nullptr;
};

class CbLibrary {
public:
    CbLibrary() = default;
    ~CbLibrary();
    CbLibrary(const CbLibrary&) = delete;
    CbLibrary& operator=(const CbLibrary&) = delete;

    // LoadCbLibrary: the first call loads `file` (the default name when
    // empty), checks the revision and binds the entry points; a revision
    // other than 5.0 is reported and the library released. Later calls
    // answer whether it is loaded, without loading again.
    bool Load(const QString& file, const BoardReport& report);
    bool CbIsLoaded() const { return m_handle != nullptr; }
    // Entry points; any may be null (an older library without it).
    const CbEntryPoints& Entry() const { return m_entry; }

    int CbGetResolution(int board) const;
    bool CbReadVoltage(int board, int channel, int gain, float* volts) const;
    bool CbReadDigitalInput(int board, int bit, uint16_t* value) const;
    bool CbWriteDigitalBit(int board, int bit, int value) const;
    // cbGetBoardName; empty without the library or the entry point.
    QString CbBoardName(int board) const;
    // cbGetErrMsg; the code as text when the library cannot say.
    QString CbErrorText(int code) const;

private:
    void* m_handle = nullptr;
    bool m_tried = false;
    CbEntryPoints m_entry;
};

// The program's gain to the library's range code.
int CbGainToRange(int gain);
// The library's name of a digital port type ("Unknown Port" for others).
QString CbPortName(int portType);
// The library's file: VELMAR_CB_LIBRARY, else "libcbw.so".
QString CbLibraryFile();

// The process's library (never loaded until LoadCbLibrary is called).
CbLibrary& TheCbLibrary();
bool LoadCbLibrary(const BoardReport& report);
inline bool CbIsLoaded()
{
    return TheCbLibrary().CbIsLoaded();
}

} // namespace velmar::sound
