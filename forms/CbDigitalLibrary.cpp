#include "forms/CbDigitalLibrary.h"

#include <QLoggingCategory>
#include <QStringList>

#include <array>
#include <type_traits>

#include <dlfcn.h>

namespace velmar::forms {

namespace {

Q_LOGGING_CATEGORY(cbLog, "velmar.forms.board")

// The library's text buffers: ERRSTRLEN and BOARDNAMELEN.
constexpr std::size_t kErrorTextLength = 256;
constexpr std::size_t kBoardNameLength = 64;
// cbGetConfig: info type DIGITALINFO and item DIDEVTYPE.
constexpr int kDigitalInfo = 3;
constexpr int kDigitalDeviceType = 2;
// What a call answers when its entry point is missing: the library's
// BADBOARD.
constexpr int kNotBound = 1;

} // namespace

CbDigitalLibrary::CbDigitalLibrary(const QString& file)
{
    m_file = !file.isEmpty() ? file
        : qEnvironmentVariableIsSet(kCbLibraryVariable) ? qEnvironmentVariable(kCbLibraryVariable)
                                                         : QString::fromLatin1(kCbLibraryName);
    m_handle = dlopen(m_file.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        m_error = QString::fromLocal8Bit(dlerror());
        qCInfo(cbLog).noquote() << "no Measurement Computing library:" << m_error;
        return;
    }
    auto bind = [this](auto& fn, const char* name) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(m_handle, name));
        return fn != nullptr;
    };
    QStringList missing;
    if (!bind(m_configPort, "cbDConfigPort"))
        missing << QStringLiteral("cbDConfigPort");
    if (!bind(m_in, "cbDIn"))
        missing << QStringLiteral("cbDIn");
    if (!bind(m_bitOut, "cbDBitOut"))
        missing << QStringLiteral("cbDBitOut");
    if (!bind(m_errMsg, "cbGetErrMsg"))
        missing << QStringLiteral("cbGetErrMsg");
    bind(m_boardName, "cbGetBoardName");
    bind(m_getConfig, "cbGetConfig");
    m_loaded = missing.isEmpty();
    if (!m_loaded) {
        m_error = QStringLiteral("%1 lacks %2").arg(m_file, missing.join(QStringLiteral(", ")));
        qCWarning(cbLog).noquote() << m_error;
    } else {
        qCInfo(cbLog).noquote() << "Measurement Computing library bound from" << m_file;
    }
}

CbDigitalLibrary::~CbDigitalLibrary()
{
    if (m_handle)
        dlclose(m_handle);
}

int CbDigitalLibrary::DConfigPort(int board, int port, int direction)
{
    return m_configPort ? m_configPort(board, port, direction) : kNotBound;
}

int CbDigitalLibrary::DIn(int board, int port, uint16_t* value)
{
    unsigned short v = 0;
    const int code = m_in ? m_in(board, port, &v) : kNotBound;
    *value = uint16_t(v);
    return code;
}

int CbDigitalLibrary::DBitOut(int board, int port, int bit, uint16_t value)
{
    return m_bitOut ? m_bitOut(board, port, bit, value) : kNotBound;
}

QString CbDigitalLibrary::GetErrMsg(int code)
{
    std::array<char, kErrorTextLength> text{};
    if (!m_errMsg || m_errMsg(code, text.data()) != 0)
        return QStringLiteral("Error %1").arg(code);
    text.back() = 0;
    return QString::fromLocal8Bit(text.data());
}

QString CbDigitalLibrary::BoardName(int board)
{
    std::array<char, kBoardNameLength> name{};
    if (!m_boardName || m_boardName(board, name.data()) != 0)
        return {};
    name.back() = 0;
    return QString::fromLocal8Bit(name.data());
}

std::optional<int> CbDigitalLibrary::DigitalPortType(int board, int device)
{
    int value = 0;
    if (!m_getConfig || m_getConfig(kDigitalInfo, board, device, kDigitalDeviceType, &value) != 0)
        return std::nullopt;
    return value;
}

CbDigitalLibrary& LoadCbLibrary()
{
    static CbDigitalLibrary library;
    static const bool bound = [] {
        if (library.IsLoaded())
            setDigitalBoard(&library);
        return library.IsLoaded();
    }();
    (void)bound;
    return library;
}

} // namespace velmar::forms
