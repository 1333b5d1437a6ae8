#include "sound/boards/NiDaqLibrary.h"

#include <QLoggingCategory>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

Q_LOGGING_CATEGORY(lcNi, "velmar.sound.boards.ni")

namespace velmar::sound {
namespace {

struct BoardName {
    int code;
    const char* name;
};

constexpr BoardName BoardNames[] = {
    {7, "PC_DIO_24"},
    {8, "AT_DIO_32F"},
    {12, "PC_DIO_96"},
    {13, "PC_LPM_16"},
    {15, "AT_AO_6"},
    {25, "AT_MIO_16E_2"},
    {26, "AT_AO_10"},
    {32, "NEC_MIO_16E_4"},
    {35, "DAQCard_DIO_24"},
    {36, "AT_MIO_16E_10"},
    {37, "AT_MIO_16DE_10"},
    {38, "AT_MIO_64E_3"},
    {39, "AT_MIO_16XE_50"},
    {40, "NEC_AI_16E_4"},
    {41, "NEC_MIO_16XE_50"},
    {42, "NEC_AI_16XE_50"},
    {44, "AT_MIO_16E_1"},
    {50, "AT_MIO_16XE_10"},
    {51, "AT_AI_16XE_10"},
    {52, "DAQCard_AI_16XE_50"},
    {53, "DAQCard_AI_16E_4"},
    {65, "PC_DIO_24_PnP"},
    {66, "PC_DIO_96_PnP"},
    {67, "AT_DIO_32HS"},
    {68, "DAQCard_6533"},
    {75, "DAQPad_6507"},
    {76, "DAQPad_6020E"},
    {88, "DAQCard_6062E"},
    {89, "DAQCard_6715"},
    {90, "DAQCard_6023E"},
    {91, "DAQCard_6024E"},
    {200, "PCI_DIO_96"},
    {201, "PCI_"},
    {202, "PCI_MIO_16XE_50"},
    {203, "PCI_5102"},
    {204, "PCI_MIO_16XE_10"},
    {205, "PCI_MIO_16E_1"},
    {206, "PCI_MIO_16E_4"},
    {207, "PXI_6070E"},
    {208, "PXI_6040E"},
    {209, "PXI_6030E"},
    {210, "PXI_6011E"},
    {211, "PCI_DIO_32HS"},
    {215, "PXI_6533"},
    {216, "PCI_6534"},
    {218, "PXI_6534"},
    {220, "PCI_6031E"},
    {221, "PCI_6032E"},
    {222, "PCI_6033E"},
    {223, "PCI_6071E"},
    {232, "PCI_6602"},
    {233, "NI_4451"},
    {234, "NI_4452"},
    {235, "NI_4551"},
    {236, "NI_4552"},
    {237, "PXI_6602"},
    {240, "PXI_6508"},
    {241, "PCI_6110"},
    {244, "PCI_6111"},
    {256, "PCI_6503"},
    {257, "PXI_6503"},
    {258, "PXI_6071E"},
    {259, "PXI_6031E"},
    {261, "PCI_6711"},
    {262, "PCI_6711a"},
    {263, "PCI_6713"},
    {264, "PXI_6713"},
    {265, "PCI_6704"},
    {266, "PXI_6704"},
    {267, "PCI_6023E"},
    {268, "PXI_6023E"},
    {269, "PCI_6024E"},
    {270, "PXI_6024E"},
    {271, "PCI_6025E"},
    {272, "PXI_6025E"},
    {273, "PCI_6052E"},
    {274, "PXI_6052E"},
    {275, "DAQPad_6070E"},
    {276, "DAQPad_6052E"},
    {285, "PCI_6527"},
    {286, "PXI_6527"},
    {303, "PCI_6601"},
    {311, "PCI_6703"},
    {314, "PCI_6034E"},
    {315, "PXI_6034E"},
    {316, "PCI_6035E"},
    {317, "PXI_6035E"},
    {318, "PXI_6703"},
    {319, "PXI_6608"},
    {321, "NI_4454"},
    {327, "PCI_6608"},
    {329, "NI_6222"},
    {330, "NI_6222PXI"},
    {331, "NI_6224"},
    {332, "DAQPad_6052E USB"},
    {335, "NI_4472"},
    {338, "PCI_6115"},
    {339, "PXI_6115"},
    {340, "PCI_6120"},
    {341, "PXI_6120"},
    {342, "NI_4472PCI"},
    {348, "DAQCard_6036E"},
    {349, "NI_6731"},
    {350, "NI_6733"},
    {351, "NI_6731PXI"},
    {352, "NI_6733PXI"},
    {353, "NI_6733PXI"},
    {354, "BoardName"},
    {361, "DAQPad_6052BNC"},
    {366, "PCI_6013"},
    {367, "PCI_6014"},
};

// Codes as single values and inclusive ranges.
struct Codes {
    std::initializer_list<std::pair<int, int>> ranges;
    bool has(int code) const
    {
        return std::any_of(ranges.begin(), ranges.end(),
                           [code](const auto& r) { return code >= r.first && code <= r.second; });
    }
};

const Codes DigitalBoards{{{7, 8}, {12, 12}, {65, 67}}};
const Codes NoAnalogInput{{{13, 13},   {15, 15},   {26, 26},   {35, 35},   {68, 68},   {75, 75},   {89, 89},
                           {200, 201}, {203, 203}, {211, 211}, {215, 216}, {218, 218}, {232, 237}, {240, 241},
                           {244, 244}, {256, 258}, {261, 266}, {285, 286}, {303, 303}, {311, 311}, {318, 319},
                           {321, 321}, {327, 327}, {335, 335}, {342, 342}, {349, 354}}};
const Codes TwelveBits{{{25, 25},
                        {32, 32},
                        {36, 38},
                        {40, 40},
                        {44, 44},
                        {53, 53},
                        {76, 76},
                        {88, 88},
                        {90, 91},
                        {205, 208},
                        {223, 223},
                        {267, 272},
                        {275, 275}}};

struct GainFamily {
    int family;
    Codes boards;
    std::initializer_list<int> gains;
};

const GainFamily GainFamilies[] = {
    {1, {{{13, 13}, {256, 256}}}, {1}},
    {4, {{{32, 32}, {37, 37}, {40, 40}, {44, 44}, {50, 50}, {205, 209}, {258, 259}}}, {-1, 1, 2, 5, 10, 20, 50, 100}},
    {5, {{{25, 25}, {36, 36}, {38, 38}, {51, 51}, {204, 204}, {220, 223}, {314, 315}}}, {1, 2, 5, 10, 20, 50, 100}},
    {6, {{{39, 39}, {41, 42}, {52, 52}, {202, 202}}}, {1, 2, 10, 100}},
    {7,
     {{{53, 53}, {68, 68}, {75, 76}, {88, 91}, {267, 276}, {316, 317}, {332, 332}, {348, 348}, {361, 361}}},
     {-1, 1, 10, 100}},
    {8, {{{233, 236}}}, {0, 10, 20, 30, 40, 50, 60, -10, -20}},
    {9, {{{321, 321}, {335, 335}, {342, 342}, {353, 353}}}, {0}},
    {10, {{{329, 331}}}, {-10, -3, -1, 1, 10, 50}},
    {11, {{{210, 210}, {244, 244}, {338, 341}}}, {-2, -1, 1, 2, 5, 10, 20, 50}},
    {12, {{{366, 367}}}, {-1, 1, 10, 100}},
};

constexpr int AiRange = 10;
constexpr double FullScaleVolts = 10.0;
constexpr double MxFullScaleVolts = 5.0;
constexpr double MxReadTimeout = 0.1;

template <typename F>
bool Bind(void* handle, F& fn, const char* name)
{
    fn = reinterpret_cast<F>(dlsym(handle, name));
    return fn != nullptr;
}

} // namespace

std::optional<QString> NiBoardTableName(int typeCode)
{
    for (const BoardName& b : BoardNames)
        if (b.code == typeCode)
            return QString::fromLatin1(b.name);
    return std::nullopt;
}

int NiBoardTableResolution(int typeCode)
{
    if (DigitalBoards.has(typeCode))
        return 1;
    if (NoAnalogInput.has(typeCode))
        return 0;
    if (TwelveBits.has(typeCode))
        return 12;
    return 16;
}

int NiGainTableFamily(int typeCode)
{
    for (const GainFamily& f : GainFamilies)
        if (f.boards.has(typeCode))
            return f.family;
    return 0;
}

bool NiGainAllowed(int family, int gainCode)
{
    for (const GainFamily& f : GainFamilies)
        if (f.family == family)
            return std::find(f.gains.begin(), f.gains.end(), gainCode) != f.gains.end();
    return false;
}

double NiGainFactor(int gainCode)
{
    return gainCode == -1 ? 0.5 : double(gainCode);
}

// ---- NI-DAQ ----

NiDaqLibrary::NiDaqLibrary(QString file, BoardReport report) : m_file(std::move(file)), m_report(std::move(report))
{
}

NiDaqLibrary::~NiDaqLibrary()
{
    if (m_handle && this != &TheNiDaq())
        dlclose(m_handle);
}

bool NiDaqLibrary::NiDaqIsLoaded()
{
    if (!m_tried) {
        m_tried = true;
        if (!m_file.isEmpty())
            m_handle = dlopen(m_file.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
        if (m_handle) {
            const auto bind = [this](auto& fn, const char* name) {
                if (!Bind(m_handle, fn, name) && m_report)
                    m_report(QStringLiteral("No ext_") + QLatin1String(name), QStringLiteral("LoadNiDLL Error !"));
            };
            bind(m_entry.Get_DAQ_Device_Info, "Get_DAQ_Device_Info");
            bind(m_entry.Init_DA_Brds, "Init_DA_Brds");
            bind(m_entry.AI_Configure, "AI_Configure");
            bind(m_entry.Timeout_Config, "Timeout_Config");
            bind(m_entry.DAQ_Rate, "DAQ_Rate");
            bind(m_entry.DAQ_DB_Config, "DAQ_DB_Config");
            bind(m_entry.DAQ_DB_HalfReady, "DAQ_DB_HalfReady");
            bind(m_entry.SCAN_Setup, "SCAN_Setup");
            bind(m_entry.SCAN_Start, "SCAN_Start");
            bind(m_entry.DAQ_Clear, "DAQ_Clear");
            bind(m_entry.DAQ_DB_Transfer, "DAQ_DB_Transfer");
            bind(m_entry.AI_Read, "AI_Read");
            bind(m_entry.DIG_Line_Config, "DIG_Line_Config");
            bind(m_entry.DIG_In_Line, "DIG_In_Line");
        } else {
            qCInfo(lcNi) << "no NI-DAQ library";
        }
    }
    return m_handle != nullptr;
}

std::optional<int> NiDaqLibrary::NiDeviceType(int device)
{
    if (!NiDaqIsLoaded() || !m_entry.Get_DAQ_Device_Info)
        return std::nullopt;
    uint32_t type = 0;
    if (m_entry.Get_DAQ_Device_Info(int16_t(device), NiDeviceTypeCode, &type) != 0)
        return std::nullopt;
    return int(type);
}

QString NiDaqLibrary::NiBoardTypeName(int typeCode)
{
    if (!NiDaqIsLoaded())
        return QStringLiteral("NIDaq not installed");
    if (const auto name = NiBoardTableName(typeCode))
        return *name;
    const QString text = QStringLiteral("NatInst _ %1").arg(typeCode);
    if (!m_unknownBoardShown) {
        m_unknownBoardShown = true;
        if (m_report)
            m_report(text, QStringLiteral("Unknown NI board"));
    }
    return text;
}

QString NiDaqLibrary::NiBoardName(int device)
{
    if (!NiDaqIsLoaded())
        return QStringLiteral("No NIDaq DLL");
    if (const auto type = NiDeviceType(device))
        return NiBoardTypeName(*type);
    return QStringLiteral("No Installed NI Board");
}

int NiDaqLibrary::NiGainFamily(int typeCode)
{
    return NiDaqIsLoaded() ? NiGainTableFamily(typeCode) : 1;
}

bool NiDaqLibrary::NiDaqGainValid(int device, int gainCode)
{
    if (!NiDaqIsLoaded())
        return true;
    const auto type = NiDeviceType(device);
    return type && NiGainAllowed(NiGainTableFamily(*type), gainCode);
}

int NiDaqLibrary::NiBoardResolution(int device)
{
    if (!NiDaqIsLoaded())
        return 16;
    const auto type = NiDeviceType(device);
    return type ? NiBoardTableResolution(*type) : 0;
}

bool NiDaqLibrary::NiReadVoltage(int device, int channel, int gainCode, float* volts)
{
    if (!NiDaqIsLoaded() || !NiDaqGainValid(device, gainCode))
        return false;
    const int bits = NiBoardResolution(device);
    if (!m_analogFlagsCleared) {
        m_analogConfigured.fill(false);
        m_analogFlagsCleared = true;
    }
    if (channel < 0 || channel >= int(m_analogConfigured.size()) || !m_entry.AI_Read)
        return false;
    if (!m_analogConfigured[std::size_t(channel)] && m_entry.AI_Configure) {
        m_entry.AI_Configure(int16_t(device), int16_t(channel), 0, AiRange, 0, 0);
        m_analogConfigured[std::size_t(channel)] = true;
    }
    int16_t reading = 0;
    m_entry.AI_Read(int16_t(device), int16_t(channel), int16_t(gainCode), &reading);
    *volts = float(double(reading) / std::ldexp(1.0, bits) / NiGainFactor(gainCode) * FullScaleVolts);
    return true;
}

bool NiDaqLibrary::NiReadDigitalLine(int device, int line, int16_t* state)
{
    if (!NiDaqIsLoaded())
        return false;
    if (!m_digitalFlagsCleared) {
        m_digitalConfigured.fill(false);
        m_digitalFlagsCleared = true;
    }
    if (line < 0 || line >= int(m_digitalConfigured.size()) || !m_entry.DIG_In_Line)
        return false;
    if (!m_digitalConfigured[std::size_t(line)] && m_entry.DIG_Line_Config) {
        m_entry.DIG_Line_Config(int16_t(device), 0, int16_t(line), 0);
        m_digitalConfigured[std::size_t(line)] = true;
    }
    m_entry.DIG_In_Line(int16_t(device), 0, int16_t(line), state);
    return true;
}

// ---- NI-DAQmx ----

NiDaqMxLibrary::NiDaqMxLibrary(QString file, BoardReport report) : m_file(std::move(file)), m_report(std::move(report))
{
}

NiDaqMxLibrary::~NiDaqMxLibrary()
{
    if (m_handle && this != &TheNiDaqMx())
        dlclose(m_handle);
}

bool NiDaqMxLibrary::NiMxIsLoaded()
{
    if (m_tried)
        return m_handle != nullptr;
    m_tried = true;
    const QStringList names = m_file.isEmpty() ? QStringList{"libnidaqmx.so.1", "libnidaqmx.so"} : QStringList{m_file};
    for (const QString& name : names)
        if ((m_handle = dlopen(name.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL)))
            break;
    if (!m_handle) {
        qCInfo(lcNi) << "no NI-DAQmx library:" << names;
        return false;
    }
    const auto bind = [this](auto& fn, const char* name) {
        if (Bind(m_handle, fn, name))
            return;
        m_missing << QString::fromLatin1(name);
        if (m_report)
            m_report(QStringLiteral("No function ") + QLatin1String(name), QStringLiteral("NI mx DLL Error"));
    };
    bind(m_entry.DAQmxGetDevProductType, "DAQmxGetDevProductType");
    bind(m_entry.DAQmxGetReadRawDataWidth, "DAQmxGetReadRawDataWidth");
    bind(m_entry.DAQmxGetReadNumChans, "DAQmxGetReadNumChans");
    bind(m_entry.DAQmxCreateTask, "DAQmxCreateTask");
    bind(m_entry.DAQmxCreateAIVoltageChan, "DAQmxCreateAIVoltageChan");
    bind(m_entry.DAQmxStartTask, "DAQmxStartTask");
    bind(m_entry.DAQmxStopTask, "DAQmxStopTask");
    bind(m_entry.DAQmxClearTask, "DAQmxClearTask");
    bind(m_entry.DAQmxGetErrorString, "DAQmxGetErrorString");
    bind(m_entry.DAQmxSetAIRngLow, "DAQmxSetAIRngLow");
    bind(m_entry.DAQmxSetAIRngHigh, "DAQmxSetAIRngHigh");
    bind(m_entry.DAQmxCfgSampClkTiming, "DAQmxCfgSampClkTiming");
    bind(m_entry.DAQmxGetReadAvailSampPerChan, "DAQmxGetReadAvailSampPerChan");
    bind(m_entry.DAQmxReadRaw, "DAQmxReadRaw");
    bind(m_entry.DAQmxGetAIResolution, "DAQmxGetAIResolution");
    bind(m_entry.DAQmxReadAnalogScalarF64, "DAQmxReadAnalogScalarF64");
    // The device table: Dev0 to Dev9, 16 bits each where present.
    for (int n = 0; n < NiMxDevices; ++n) {
        char text[50] = {};
        m_resolution[std::size_t(n)] = m_entry.DAQmxGetDevProductType
                                            && m_entry.DAQmxGetDevProductType(
                                                   QByteArray("Dev" + QByteArray::number(n)).constData(), text,
                                                   sizeof text)
                                                   >= 0
                                         ? 16
                                         : 0;
    }
    return true;
}

QString NiDaqMxLibrary::ErrorText(int32_t code) const
{
    char text[256] = {};
    if (m_entry.DAQmxGetErrorString)
        m_entry.DAQmxGetErrorString(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

std::optional<QString> NiDaqMxLibrary::NiMxDeviceName(int n)
{
    if (!NiMxIsLoaded() || !m_entry.DAQmxGetDevProductType)
        return std::nullopt;
    char text[50] = {};
    if (m_entry.DAQmxGetDevProductType(QByteArray("Dev" + QByteArray::number(n)).constData(), text, sizeof text) < 0)
        return std::nullopt;
    return QString::fromLocal8Bit(text) + QStringLiteral(" (mx)");
}

int NiDaqMxLibrary::NiMxResolution(int n)
{
    if (!NiMxIsLoaded())
        return 16;
    if (n < 0 || n >= NiMxDevices)
        return 0;
    return m_resolution[std::size_t(n)];
}

bool NiDaqMxLibrary::NiMxReadVoltage(int device, int channel, int gainCode, float* volts)
{
    const NiDaqMxEntryPoints& e = m_entry;
    if (!NiMxIsLoaded() || !e.DAQmxCreateTask || !e.DAQmxClearTask || !e.DAQmxCreateAIVoltageChan || !e.DAQmxSetAIRngLow
        || !e.DAQmxSetAIRngHigh || !e.DAQmxReadAnalogScalarF64)
        return false;
    TaskHandle task = nullptr;
    if (e.DAQmxCreateTask("", &task) < 0)
        return false;
    const double g = NiGainFactor(gainCode);
    const QByteArray physical = QStringLiteral("Dev%1/ai%2").arg(device).arg(channel).toLatin1();
    double value = 0;
    const bool ok = e.DAQmxCreateAIVoltageChan(task, physical.constData(), "", NiMxReferenced, -MxFullScaleVolts / g,
                                               MxFullScaleVolts / g, NiMxVolts, nullptr)
                     >= 0
                 && e.DAQmxSetAIRngLow(task, physical.constData(), -MxFullScaleVolts / g) >= 0
                 && e.DAQmxSetAIRngHigh(task, physical.constData(), MxFullScaleVolts / g) >= 0
                 && e.DAQmxReadAnalogScalarF64(task, MxReadTimeout, &value, nullptr) >= 0;
    *volts = float(value);
    e.DAQmxClearTask(task);
    return ok;
}

bool NiDaqMxLibrary::NiMxGainValid(int device, int gainCode)
{
    const NiDaqMxEntryPoints& e = m_entry;
    if (!NiMxIsLoaded())
        return true;
    TaskHandle task = nullptr;
    if (!e.DAQmxCreateTask || e.DAQmxCreateTask("", &task) < 0)
        return false;
    const double g = NiGainFactor(gainCode);
    const QByteArray physical = QStringLiteral("Dev%1/ai0").arg(device).toLatin1();
    double value = 0;
    if (e.DAQmxCreateAIVoltageChan)
        e.DAQmxCreateAIVoltageChan(task, physical.constData(), "", NiMxDifferential, -MxFullScaleVolts / g,
                                   MxFullScaleVolts / g, NiMxVolts, nullptr);
    const bool ok = e.DAQmxSetAIRngLow && e.DAQmxSetAIRngHigh && e.DAQmxReadAnalogScalarF64
                 && e.DAQmxSetAIRngLow(task, physical.constData(), -MxFullScaleVolts / g) >= 0
                 && e.DAQmxSetAIRngHigh(task, physical.constData(), MxFullScaleVolts / g) >= 0
                 && e.DAQmxReadAnalogScalarF64(task, MxReadTimeout, &value, nullptr) >= 0;
    if (e.DAQmxClearTask)
        e.DAQmxClearTask(task);
    return ok;
}

void NiDaqMxLibrary::NiMxError(int32_t code, const QString& caption)
{
    const QString text = ErrorText(code);
    if (!text.isEmpty() && m_report)
        m_report(text, caption.isEmpty() ? QStringLiteral("NI MX Error") : caption);
}

NiDaqLibrary& TheNiDaq(const BoardReport& report)
{
    static NiDaqLibrary library(qEnvironmentVariable("VELMAR_NIDAQ_LIBRARY"), report);
    return library;
}

NiDaqMxLibrary& TheNiDaqMx(const QString& file, const BoardReport& report)
{
    static NiDaqMxLibrary library(file.isEmpty() ? qEnvironmentVariable("VELMAR_NIDAQMX_LIBRARY") : file, report);
    return library;
}

} // namespace velmar::sound
