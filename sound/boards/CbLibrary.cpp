#include "sound/boards/CbLibrary.h"

#include <QLoggingCategory>

#include <dlfcn.h>

#include <cmath>

Q_LOGGING_CATEGORY(lcCb, "velmar.sound.boards.cb")

namespace velmar::sound {
namespace {

template <typename F>
void Bind(void* handle, F& fn, const char* name)
{
    fn = reinterpret_cast<F>(dlsym(handle, name));
    if (!fn)
        qCInfo(lcCb) << "the board library has no" << name;
}

} // namespace

CbLibrary::~CbLibrary()
{
    // Never released while the process runs: threads may still hold entry
    // points of the process's library. Test libraries go with their object.
    if (m_handle && this != &TheCbLibrary())
        dlclose(m_handle);
}

bool CbLibrary::Load(const QString& file, const BoardReport& report)
{
    if (m_tried)
        return CbIsLoaded();
    m_tried = true;
    const QString name = file.isEmpty() ? CbLibraryFile() : file;
    void* handle = dlopen(name.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        qCInfo(lcCb) << "no board library:" << dlerror();
        return false;
    }
    Bind(handle, m_entry.cbGetRevision, "cbGetRevision");
    float revision = 0, driver = 0;
    if (m_entry.cbGetRevision)
        m_entry.cbGetRevision(&revision, &driver);
    if (revision != CbRequiredRevision) {
        if (report)
            report(QString::asprintf(
                       "Computer Boards library version %4.1f installed. \nYou must upgrade to version %4.1f",
                       double(revision), double(CbRequiredRevision)),
                   QStringLiteral("Initialisation Error"));
        m_entry = {};
        dlclose(handle);
        return false;
    }
    Bind(handle, m_entry.cbAIn, "cbAIn");
    Bind(handle, m_entry.cbAInScan, "cbAInScan");
    Bind(handle, m_entry.cbDBitIn, "cbDBitIn");
    Bind(handle, m_entry.cbDBitOut, "cbDBitOut");
    Bind(handle, m_entry.cbDConfigPort, "cbDConfigPort");
    Bind(handle, m_entry.cbDIn, "cbDIn");
    Bind(handle, m_entry.cbErrHandling, "cbErrHandling");
    Bind(handle, m_entry.cbGetErrMsg, "cbGetErrMsg");
    Bind(handle, m_entry.cbGetStatus, "cbGetStatus");
    Bind(handle, m_entry.cbStopBackground, "cbStopBackground");
    Bind(handle, m_entry.cbWinBufToArray, "cbWinBufToArray");
    Bind(handle, m_entry.cbWinBufAlloc, "cbWinBufAlloc");
    Bind(handle, m_entry.cbWinBufFree, "cbWinBufFree");
    Bind(handle, m_entry.cbGetConfig, "cbGetConfig");
    Bind(handle, m_entry.cbToEngUnits, "cbToEngUnits");
    Bind(handle, m_entry.cbGetBoardName, "cbGetBoardName");
    m_handle = handle;
    return true;
}

int CbLibrary::CbGetResolution(int) const
{
    return 12;
}

bool CbLibrary::CbReadVoltage(int board, int channel, int gain, float* volts) const
{
    if (!CbIsLoaded() || !m_entry.cbAIn || !m_entry.cbToEngUnits)
        return false;
    const int range = CbGainToRange(gain);
    uint16_t raw = 0;
    const int error = m_entry.cbAIn(board, channel, range, &raw);
    if (error == CbNoErrors)
        return m_entry.cbToEngUnits(board, range, raw, volts) == CbNoErrors;
    // A board without this range: read again at unit gain.
    if (error == CbBadRange && range != CbUnitRange)
        return CbReadVoltage(board, channel, 1, volts);
    return false;
}

bool CbLibrary::CbReadDigitalInput(int board, int bit, uint16_t* value) const
{
    if (!CbIsLoaded() || !m_entry.cbDConfigPort || !m_entry.cbDBitIn)
        return false;
    m_entry.cbDConfigPort(board, CbFirstPortA, CbDigitalIn);
    return m_entry.cbDBitIn(board, CbFirstPortA, bit, value) == CbNoErrors;
}

bool CbLibrary::CbWriteDigitalBit(int board, int bit, int value) const
{
    if (!CbIsLoaded() || !m_entry.cbDBitOut)
        return false;
    return m_entry.cbDBitOut(board, CbAuxPort, bit, uint16_t(value)) == CbNoErrors;
}

QString CbLibrary::CbBoardName(int board) const
{
    if (!CbIsLoaded() || !m_entry.cbGetBoardName)
        return {};
    char name[64] = {};
    if (m_entry.cbGetBoardName(board, name) != CbNoErrors)
        return {};
    return QString::fromLocal8Bit(name);
}

QString CbLibrary::CbErrorText(int code) const
{
    char text[256] = {};
    if (CbIsLoaded() && m_entry.cbGetErrMsg && m_entry.cbGetErrMsg(code, text) == CbNoErrors && text[0])
        return QString::fromLocal8Bit(text);
    return QStringLiteral("Board error %1").arg(code);
}

int CbGainToRange(int gain)
{
    switch (gain) {
    case -1: return 15;
    case 0:
    case 1: return 1;
    case 2: return 0;
    case 4: return 2;
    case 5: return 14;
    case 10: return 4;
    case 20: return 6;
    case 40: return 12;
    case 50: return 13;
    case 100: return 7;
    case 200: return 8;
    case 1000: return 9;
    case 2000: return 10;
    default: return CbUnitRange;
    }
}

QString CbPortName(int portType)
{
    switch (portType) {
    case 1: return QStringLiteral("AUXPORT");
    case 10: return QStringLiteral("FIRSTPORTA");
    case 11: return QStringLiteral("FIRSTPORTB");
    case 14: return QStringLiteral("SECONDPORTA");
    case 15: return QStringLiteral("SECONDPORTB");
    case 18: return QStringLiteral("THIRDPORTA");
    case 19: return QStringLiteral("THIRDPORTB");
    case 22: return QStringLiteral("FOURTHPORTA");
    case 23: return QStringLiteral("FOURTHPORTB");
    case 26: return QStringLiteral("FIFTHPORTA");
    case 27: return QStringLiteral("FIFTHPORTB");
    case 30: return QStringLiteral("SIXTHPORTA");
    case 31: return QStringLiteral("SIXTHPORTB");
    case 34: return QStringLiteral("SEVENTHPORTA");
    case 35: return QStringLiteral("SEVENTHPORTB");
    case 38: return QStringLiteral("EIGHTHPORTA");
    case 39: return QStringLiteral("EIGHTHPORTB");
    default: return QStringLiteral("Unknown Port");
    }
}

QString CbLibraryFile()
{
    const QString named = qEnvironmentVariable("VELMAR_CB_LIBRARY");
    return named.isEmpty() ? QStringLiteral("libcbw.so") : named;
}

CbLibrary& TheCbLibrary()
{
    static CbLibrary library;
    return library;
}

bool LoadCbLibrary(const BoardReport& report)
{
    return TheCbLibrary().Load({}, report);
}

} // namespace velmar::sound
