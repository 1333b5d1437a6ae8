#pragma once
// The Measurement Computing Universal Library, bound at run time for what the
// button panels and the board pages call of it: the digital port functions
// (cbDConfigPort, cbDIn, cbDBitOut, cbGetErrMsg) and the board queries
// (cbGetBoardName, cbGetConfig). The library has no Linux version of its
// own; a library with these entry points can be named by
// VELMAR_CB_LIBRARY (or is looked for as "libcbw.so"). Without one nothing
// is bound and the external buttons and counters are not available.
//
// Load on the user-interface thread; the digital functions are then called
// by the external-button thread alone (ButtonDigitalIo.h).
#include "forms/ButtonDigitalIo.h"

#include <QString>

#include <memory>
#include <optional>

namespace velmar::forms {

inline constexpr const char* kCbLibraryVariable = "VELMAR_CB_LIBRARY";
inline constexpr const char* kCbLibraryName = "libcbw.so";

class CbDigitalLibrary : public DigitalBoard {
public:
    // Loads `file`, or the library named by VELMAR_CB_LIBRARY, or
    // "libcbw.so". IsLoaded() tells whether every digital entry point was
    // found; ErrorText() says why not.
    explicit CbDigitalLibrary(const QString& file = {});
    ~CbDigitalLibrary() override;
    CbDigitalLibrary(const CbDigitalLibrary&) = delete;
    CbDigitalLibrary& operator=(const CbDigitalLibrary&) = delete;

    bool IsLoaded() const { return m_loaded; }
    const QString& ErrorText() const { return m_error; }
    const QString& FileName() const { return m_file; }

    int DConfigPort(int board, int port, int direction) override;
    int DIn(int board, int port, uint16_t* value) override;
    int DBitOut(int board, int port, int bit, uint16_t value) override;
    QString GetErrMsg(int code) override;

    // cbGetBoardName; empty when the entry point or the board is missing.
    QString BoardName(int board);
    // cbGetConfig(DIGITALINFO, board, device, DIDEVTYPE).
    std::optional<int> DigitalPortType(int board, int device);

private:
    void* m_handle = nullptr;
    bool m_loaded = false;
    QString m_file;
    QString m_error;
    using ConfigPort = int (*)(int, int, int);
    using In = int (*)(int, int, unsigned short*);
    using BitOut = int (*)(int, int, int, unsigned short);
    using ErrMsg = int (*)(int, char*);
    using BoardNameFn = int (*)(int, char*);
    using GetConfig = int (*)(int, int, int, int, int*);
    ConfigPort m_configPort = nullptr;
    In m_in = nullptr;
    BitOut m_bitOut = nullptr;
    ErrMsg m_errMsg = nullptr;
    BoardNameFn m_boardName = nullptr;
    GetConfig m_getConfig = nullptr;
};

// Binds the library once for the program (setDigitalBoard) and returns it,
// loaded or not.
CbDigitalLibrary& LoadCbLibrary();

} // namespace velmar::forms
