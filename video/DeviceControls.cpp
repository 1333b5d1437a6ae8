#include "DeviceControls.h"

#include "MediaFormats.h"
#include "VideoFormatLists.h"
#include "platform/RecordIO.h"

#include <algorithm>

#include <linux/videodev2.h>

namespace velmar::video {

namespace {
constexpr int recordFields = 6;
constexpr int fieldBytes = 4;
constexpr int noIndex = -1;

// Device properties of the tables, in table order; 0 where V4L2 has none.
constexpr quint32 qualityIds[videoQualityCount] = {
    V4L2_CID_BRIGHTNESS,
    V4L2_CID_CONTRAST,
    V4L2_CID_HUE,
    V4L2_CID_SATURATION,
    V4L2_CID_SHARPNESS,
    V4L2_CID_GAMMA,
    V4L2_CID_WHITE_BALANCE_TEMPERATURE,
    V4L2_CID_GAIN,
    0,
    V4L2_CID_BACKLIGHT_COMPENSATION,
};
// The automatic mode of a property, where the device has a switch for it.
constexpr quint32 qualityAutoIds[videoQualityCount] = {
    0, 0, V4L2_CID_HUE_AUTO, 0, 0, 0, V4L2_CID_AUTO_WHITE_BALANCE, V4L2_CID_AUTOGAIN, 0, 0,
};
constexpr quint32 cameraIds[cameraControlCount] = {
    V4L2_CID_PAN_ABSOLUTE,  V4L2_CID_TILT_ABSOLUTE,  0, V4L2_CID_ZOOM_ABSOLUTE, V4L2_CID_EXPOSURE_ABSOLUTE,
    V4L2_CID_IRIS_ABSOLUTE, V4L2_CID_FOCUS_ABSOLUTE,
};
constexpr quint32 cameraAutoIds[cameraControlCount] = {0, 0, 0, 0, V4L2_CID_EXPOSURE_AUTO, 0, V4L2_CID_FOCUS_AUTO};
constexpr quint32 flipIds[] = {V4L2_CID_HFLIP, V4L2_CID_VFLIP};

// The component's analog standards and the V4L2 standards each stands for.
struct StandardName {
    const char* name;
    quint64 bits;
};
constexpr StandardName standardNames[] = {
    {"NTSC M", V4L2_STD_NTSC_M},
    {"NTSC M J", V4L2_STD_NTSC_M_JP},
    {"NTSC 433", V4L2_STD_NTSC_443},
    {"PAL B", V4L2_STD_PAL_B | V4L2_STD_PAL_B1},
    {"PAL D", V4L2_STD_PAL_D | V4L2_STD_PAL_D1},
    {"PAL H", V4L2_STD_PAL_H},
    {"PAL I", V4L2_STD_PAL_I},
    {"PAL M", V4L2_STD_PAL_M},
    {"PAL N", V4L2_STD_PAL_N},
    {"PAL 60", V4L2_STD_PAL_60},
    {"SECAM B", V4L2_STD_SECAM_B},
    {"SECAM D", V4L2_STD_SECAM_D},
    {"SECAM G", V4L2_STD_SECAM_G},
    {"SECAM H", V4L2_STD_SECAM_H},
    {"SECAM K", V4L2_STD_SECAM_K},
    {"SECAM K1", V4L2_STD_SECAM_K1},
    {"SECAM L", V4L2_STD_SECAM_L},
    {"SECAM L1", V4L2_STD_SECAM_LC},
    {"PAL N COMBO", V4L2_STD_PAL_Nc},
};

quint64 bitsOfStandard(const QString& name)
{
    for (const StandardName& s : standardNames)
        if (name == QLatin1String(s.name))
            return s.bits;
    return 0;
}

// Physical connector types of the inputs.
enum : int { ptNone = 0, ptTuner = 1, ptComposite = 2, ptSVideo = 3, ptVideoDecoder = 12 };

struct Connector {
    int type;
    const char* name;
};
constexpr Connector connectorNames[] = {
    {1, "Tuner"},
    {2, "Composite"},
    {3, "SVideo"},
    {4, "RGB"},
    {5, "YRYBY"},
    {6, "Serial Digital"},
    {7, "Parallel Digital"},
    {8, "SCSI"},
    {9, "AUX"},
    {10, "1394"},
    {11, "USB"},
    {12, "Video Decoder"},
    {13, "Video Encoder"},
    {14, "SCART"},
    {15, "black"},
    {4096, "Audio Tuner"},
    {4097, "Audio Line"},
    {4098, "Audio Mic"},
    {4099, "Audio AES Digital"},
    {4100, "Audio SPDIF Digital"},
    {4101, "Audio SCSI"},
    {4102, "Audio AUX"},
    {4103, "Audio 1394"},
    {4104, "Audio USB"},
    {4105, "Audio Decoder"},
};

// Exposure's automatic switch is a menu: manual is one entry, automatic the others.
constexpr int exposureManual = V4L2_EXPOSURE_MANUAL;

const QString overrideRoot = QStringLiteral("\\Software\\Microsoft\\TV System Services\\TVAutoTune\\TS");
} // namespace

QString ConnectorName(int physicalType)
{
    for (const Connector& c : connectorNames)
        if (c.type == physicalType)
            return QString::fromLatin1(c.name);
    return {};
}

TDeviceControls::TDeviceControls(QObject* parent)
    : QObject(parent), m_quality(videoQualityCount), m_camera(cameraControlCount)
{
}

TDeviceControls::~TDeviceControls() = default;

const TControlRecord& TDeviceControls::record(const QVector<TControlRecord>& table, int property)
{
    static const TControlRecord none;
    return property >= 0 && property < table.size() ? table[property] : none;
}

void TDeviceControls::attach(std::unique_ptr<V4l2Device> device, bool readRanges)
{
    m_device = std::move(device);
    m_controls.clear();
    m_inputs.clear();
    m_standards.clear();
    m_standardNames.clear();
    m_scanning = false;
    if (!m_device)
        return;
    m_controls = m_device->controls();
    m_inputs = m_device->inputs();
    m_standards = m_device->standards();
    quint64 supported = 0;
    for (const V4l2Standard& s : std::as_const(m_standards))
        supported |= s.id;
    for (const StandardName& s : standardNames)
        if (supported & s.bits)
            m_standardNames << QString::fromLatin1(s.name);
    // The input stored for the device stays chosen while the device has it.
    const bool storedInput = m_videoInput >= 0 && m_videoInput < m_inputs.size() && !m_videoInputName.isEmpty()
                          && m_inputs[m_videoInput].name == m_videoInputName;
    int current = 0;
    if (!storedInput && m_device->getInput(current) && current >= 0 && current < m_inputs.size()) {
        m_videoInput = current;
        m_videoInputName = m_inputs[current].name;
    }
    // The standard stored for the device, else the one it uses now.
    const int stored = m_standardNames.indexOf(AnalogStandardNames(uint32_t(m_storedStandard)).value(0));
    if (stored >= 0) {
        m_standardIndex = stored;
        m_standard = bitsOfStandard(m_standardNames[stored]);
    } else if (m_device->getStandard(m_standard)) {
        for (int i = 0; i < m_standardNames.size(); ++i)
            if (bitsOfStandard(m_standardNames[i]) & m_standard) {
                m_standardIndex = i;
                break;
            }
    }
    if (readRanges) {
        ReadVideoQualityRanges();
        ReadCameraControlRanges();
    }
}

// ------------------------------------------------------------ stored values

QByteArray TDeviceControls::encodeTable(const QVector<TControlRecord>& table)
{
    platform::RecordWriter out(std::size_t(table.size() * recordFields * fieldBytes));
    for (const TControlRecord& r : table)
        for (const int v : {int(r.available), r.value, r.minimum, r.maximum, r.step, r.defaultValue})
            out << int32_t(v);
    return out.bytes();
}

bool TDeviceControls::decodeTable(const QByteArray& bytes, QVector<TControlRecord>& table)
{
    if (bytes.size() != table.size() * recordFields * fieldBytes)
        return false;
    platform::RecordReader in(bytes);
    for (TControlRecord& r : table) {
        int32_t f[recordFields];
        for (int32_t& v : f)
            in >> v;
        r = {f[0] != 0, f[1], f[2], f[3], f[4], f[5]};
    }
    return true;
}

void TDeviceControls::loadFrom(const TDeviceSettings& s)
{
    decodeTable(s.value("VideoQualityValues").toByteArray(), m_quality);
    decodeTable(s.value("CameraControlValues ").toByteArray(), m_camera);
    m_videoQualityAuto = s.value("VideoQualityAuto").toBool();
    m_cameraControlAuto = s.value("CameraControlAuto").toBool();
    m_videoInput = s.value("VideoInput").toInt();
    m_videoInputName = s.value("VideoInputName").toString();
    m_channel = s.value("TVChannel").toInt();
    m_countryCode = s.value("TVCountryCode").toInt();
    m_inputType = s.value("TVInputType").toInt();
    m_storedStandard = s.value("ANTVFormat").toInt();
}

void TDeviceControls::storeTo(TDeviceSettings& s) const
{
    s.setValue("VideoQualityValues", encodeTable(m_quality));
    s.setValue("CameraControlValues ", encodeTable(m_camera));
    s.setValue("VideoQualityAuto", m_videoQualityAuto);
    s.setValue("CameraControlAuto", m_cameraControlAuto);
    s.setValue("VideoInput", m_videoInput);
    s.setValue("VideoInputName", m_videoInputName);
    s.setValue("VideoInputs", VideoInputs());
    s.setValue("TVChannel", m_channel);
    s.setValue("TVCountryCode", m_countryCode);
    s.setValue("TVInputType", m_inputType);
    if (!m_standardNames.isEmpty())
        s.setValue("ANTVFormat", int(AnalogStandardFromName(m_standardNames.value(AnalogVideoStandard()))));
}

// ------------------------------------------------- quality and camera control

const V4l2Control* TDeviceControls::control(quint32 id) const
{
    if (id == 0)
        return nullptr;
    for (const V4l2Control& c : m_controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

bool TDeviceControls::hasControl(quint32 id) const
{
    return control(id) != nullptr;
}

bool TDeviceControls::HasStoredRanges() const
{
    for (const QVector<TControlRecord>* table : {&m_quality, &m_camera})
        for (const TControlRecord& r : *table)
            if (r.available)
                return true;
    return false;
}

bool TDeviceControls::GetIsCameraControlAvailable() const
{
    for (const quint32 id : cameraIds)
        if (hasControl(id))
            return true;
    return false;
}

bool TDeviceControls::GetIsVideoQualityAvailable() const
{
    for (const quint32 id : qualityIds)
        if (hasControl(id))
            return true;
    return false;
}

void TDeviceControls::readRanges(QVector<TControlRecord>& table, const quint32* ids, int count)
{
    for (int i = 0; i < count; ++i) {
        const V4l2Control* c = control(ids[i]);
        if (!c) {
            table[i].available = false;
            continue;
        }
        table[i].available = true;
        table[i].minimum = c->minimum;
        table[i].maximum = c->maximum;
        table[i].step = c->step;
        table[i].defaultValue = c->defaultValue;
        m_device->getControl(c->id, table[i].value);
    }
}

void TDeviceControls::ReadVideoQualityRanges()
{
    if (m_device && GetIsVideoQualityAvailable())
        readRanges(m_quality, qualityIds, videoQualityCount);
}

void TDeviceControls::ReadCameraControlRanges()
{
    if (m_device && GetIsCameraControlAvailable())
        readRanges(m_camera, cameraIds, cameraControlCount);
}

void TDeviceControls::setManual(quint32 id, quint32 autoId, int value)
{
    if (const V4l2Control* a = control(autoId))
        m_device->setControl(autoId, a->type == V4l2Control::Menu ? exposureManual : 0);
    m_device->setControl(id, value);
}

void TDeviceControls::applyTable(const QVector<TControlRecord>& table, const quint32* ids, const quint32* autoIds,
                                 int count, bool automatic)
{
    for (int i = 0; i < count; ++i) {
        if (!hasControl(ids[i]))
            continue;
        if (!automatic) {
            setManual(ids[i], autoIds[i], table[i].value);
            continue;
        }
        if (const V4l2Control* a = control(autoIds[i])) {
            int on = 1;
            if (a->type == V4l2Control::Menu) {
                // The first automatic entry the device offers.
                for (int v = a->minimum; v <= a->maximum; ++v)
                    if (v != exposureManual && !a->menu.value(v - a->minimum).isEmpty()) {
                        on = v;
                        break;
                    }
            }
            m_device->setControl(autoIds[i], on);
        }
        m_device->setControl(ids[i], table[i].defaultValue);
    }
}

void TDeviceControls::ApplyVideoQualityValues()
{
    if (m_videoQualitySettings && m_device && GetIsVideoQualityAvailable())
        applyTable(m_quality, qualityIds, qualityAutoIds, videoQualityCount, m_videoQualityAuto);
}

void TDeviceControls::ApplyCameraControlValues()
{
    if (m_cameraControlSettings && m_device && GetIsCameraControlAvailable())
        applyTable(m_camera, cameraIds, cameraAutoIds, cameraControlCount, m_cameraControlAuto);
}

void TDeviceControls::setVideoQualityAuto(bool on)
{
    if (on == m_videoQualityAuto)
        return;
    m_videoQualityAuto = on;
    ApplyVideoQualityValues();
}

void TDeviceControls::setCameraControlAuto(bool on)
{
    if (on == m_cameraControlAuto)
        return;
    m_cameraControlAuto = on;
    ApplyCameraControlValues();
}

bool TDeviceControls::SetCameraControl(int property, int value)
{
    if (property < cc_Pan || property > cc_Focus)
        return false;
    TControlRecord& r = m_camera[property];
    if (!r.available || value < r.minimum || value > r.maximum)
        return false;
    r.value = value;
    if (m_device && hasControl(cameraIds[property]))
        setManual(cameraIds[property], cameraAutoIds[property], value);
    return true;
}

bool TDeviceControls::SetVideoQuality(int property, int value)
{
    if (property < vq_Brightness || property > vq_BacklightCompensation)
        return false;
    TControlRecord& r = m_quality[property];
    if (!r.available || value < r.minimum || value > r.maximum)
        return false;
    r.value = value;
    if (m_device && hasControl(qualityIds[property]))
        setManual(qualityIds[property], qualityAutoIds[property], value);
    return true;
}

bool TDeviceControls::IsVideoControlModeAvailable(int mode) const
{
    return (mode == vc_FlipHorizontal || mode == vc_FlipVertical) && hasControl(flipIds[mode]);
}

bool TDeviceControls::SetVideoControlMode(TVideoControlSet modes)
{
    if (!m_videoControlSettings
        || !(IsVideoControlModeAvailable(vc_FlipHorizontal) || IsVideoControlModeAvailable(vc_FlipVertical)))
        return false;
    m_videoControlMode = modes;
    ApplyVideoControlMode();
    return true;
}

void TDeviceControls::ApplyVideoControlMode()
{
    if (!m_device || !m_videoControlSettings)
        return;
    for (const int mode : {vc_FlipHorizontal, vc_FlipVertical})
        if (IsVideoControlModeAvailable(mode))
            m_device->setControl(flipIds[mode], (m_videoControlMode >> mode) & 1);
}

// ------------------------------------------------------------------ decoder

bool TDeviceControls::VDECPutTVFormat(int format)
{
    if (!m_device || !IsAnalogVideoDecoderAvailable())
        return false;
    // The format is a bit of the component's standards.
    const quint64 bits = bitsOfStandard(AnalogStandardNames(uint32_t(format)).value(0));
    return bits != 0 && m_device->setStandard(bits);
}

bool TDeviceControls::VDECGetHorizontalLocked(int& locked)
{
    if (!m_device || !IsAnalogVideoDecoderAvailable())
        return false;
    const QList<V4l2Input> now = m_device->inputs();
    if (m_videoInput < 0 || m_videoInput >= now.size())
        return false;
    locked = now[m_videoInput].noHorizontalLock ? 0 : 1;
    return true;
}

// V4L2 has no switch for VCR locking or the decoder's output: the calls fail.
bool TDeviceControls::VDECPutVCRHorizontalLocking(int)
{
    return false;
}
bool TDeviceControls::VDECGetVCRHorizontalLocking(int&)
{
    return false;
}
bool TDeviceControls::VDECPutOutputEnable(int)
{
    return false;
}
bool TDeviceControls::VDECGetOutputEnable(int&)
{
    return false;
}

bool TDeviceControls::VDECGetNumberOfLines(int& lines)
{
    quint64 standard = 0;
    if (!m_device || !IsAnalogVideoDecoderAvailable() || !m_device->getStandard(standard))
        return false;
    lines = standard & V4L2_STD_525_60 ? 525 : 625;
    return true;
}

bool TDeviceControls::IsHorizontalSyncLocked()
{
    int locked = 0;
    return VDECGetHorizontalLocked(locked) && locked == 1;
}

QString TDeviceControls::AnalogVideoStandards() const
{
    return m_standardNames.join(QStringLiteral("\r\n"));
}

int TDeviceControls::AnalogVideoStandard() const
{
    return m_standardIndex >= 0 && m_standardIndex < m_standardNames.size() ? m_standardIndex : 0;
}

void TDeviceControls::ApplyAnalogVideoStandard()
{
    if (m_device && IsAnalogVideoDecoderAvailable())
        m_device->setStandard(bitsOfStandard(m_standardNames.value(AnalogVideoStandard())));
}

bool TDeviceControls::setAnalogVideoStandard(int index)
{
    if (m_standardNames.isEmpty()) {
        m_standard = 0;
        return true;
    }
    if (index < 0 || index >= m_standardNames.size()) {
        report(sevError, QStringLiteral("analog video standard index out of range"), e_index_out_of_range);
        return false;
    }
    m_standardIndex = index;
    m_standard = bitsOfStandard(m_standardNames[index]);
    if (m_device)
        m_device->setStandard(m_standard);
    emit refreshPreview(QStringLiteral("avs"));
    return true;
}

// ------------------------------------------------------------------- inputs

QString TDeviceControls::VideoInputs() const
{
    QStringList names;
    for (const V4l2Input& i : m_inputs)
        names << i.name;
    return names.join(QStringLiteral("\r\n"));
}

int TDeviceControls::VideoInputIndex(const QString& name) const
{
    QStringList names;
    for (const V4l2Input& i : m_inputs)
        names << i.name;
    return IndexOfName(names, name);
}

int TDeviceControls::AnalogVideoStandardIndex(const QString& name) const
{
    return IndexOfName(m_standardNames, name);
}

int TDeviceControls::InputPhysicalType(int index) const
{
    if (index < 0 || index >= m_inputs.size())
        return ptNone;
    const V4l2Input& in = m_inputs[index];
    if (in.isTuner)
        return ptTuner;
    const QString name = in.name.toLower().remove(QLatin1Char('-'));
    if (name.contains(QLatin1String("svideo")))
        return ptSVideo;
    if (name.contains(QLatin1String("composite")))
        return ptComposite;
    return ptNone;
}

int TDeviceControls::setVideoInput(int index)
{
    if (index < 0 || index > m_inputs.size()) {
        report(sevError, QStringLiteral("Video input index out of range"), e_index_out_of_range);
        return -1;
    }
    const bool changed = index != m_videoInput;
    m_videoInput = index;
    m_videoInputName = index < m_inputs.size() ? m_inputs[index].name : QString();
    if (m_device && index < m_inputs.size()) {
        if (!m_device->setInput(index))
            report(sevError, QStringLiteral("Cannot route video crossbar input"), e_failed_to_connect_crossbar_pin);
        else if (tunerSelected())
            TuneChannel(m_channel);
    }
    if (changed)
        emit videoDeviceSelected();
    return changed ? 1 : 0;
}

// The flat input list is a crossbar of every input onto one output, the decoder.
bool TDeviceControls::CrossbarGetPInBounds(int selector, int& inputs, int& outputs) const
{
    if (selector != cs_VideoCrossbar || !IsVideoCrossbarAvailable())
        return false;
    inputs = int(m_inputs.size());
    outputs = 1;
    return true;
}

bool TDeviceControls::CrossbarGetPinInfo(int selector, int direction, int index, int& related, int& physicalType,
                                         QString& name) const
{
    int inputs = 0;
    int outputs = 0;
    if (!CrossbarGetPInBounds(selector, inputs, outputs) || index < 0
        || index >= (direction == PINDIR_INPUT ? inputs : outputs))
        return false;
    related = noIndex;
    physicalType = direction == PINDIR_INPUT ? InputPhysicalType(index) : ptVideoDecoder;
    name = ConnectorName(physicalType);
    return true;
}

bool TDeviceControls::CrossbarCanConnectInput(int selector, int input, int output) const
{
    int inputs = 0;
    int outputs = 0;
    return CrossbarGetPInBounds(selector, inputs, outputs) && input >= 0 && input < inputs && output >= 0
        && output < outputs;
}

bool TDeviceControls::CrossbarConnectInput(int selector, int input, int output)
{
    if (!CrossbarCanConnectInput(selector, input, output) || !m_device->setInput(input))
        return false;
    m_videoInput = input;
    m_videoInputName = m_inputs[input].name;
    return true;
}

bool TDeviceControls::CrossbarGetInputConnected(int selector, int output, int& input) const
{
    int inputs = 0;
    int outputs = 0;
    return CrossbarGetPInBounds(selector, inputs, outputs) && output >= 0 && output < outputs
        && m_device->getInput(input);
}

// -------------------------------------------------------------------- tuner

int TDeviceControls::tunerInput() const
{
    for (int i = 0; i < m_inputs.size(); ++i)
        if (m_inputs[i].isTuner)
            return i;
    return noIndex;
}

bool TDeviceControls::tunerSelected() const
{
    return m_videoInput >= 0 && m_videoInput < m_inputs.size() && m_inputs[m_videoInput].isTuner;
}

bool TDeviceControls::tunerBlocked()
{
    if (!m_scanning)
        return false;
    report(sevError, QStringLiteral("TV commands not allowed during tv auto tuning"),
           e_tv_command_not_allowed_during_tv_tuning);
    return true;
}

QString TDeviceControls::overrideKey(int countryCode, int inputType)
{
    return overrideRoot + QString::number(countryCode + 99990000) + QLatin1Char('-')
         + QLatin1Char(inputType == TunerInputCable ? '1' : '0') + QLatin1Char('\\');
}

int TDeviceControls::overrideFrequency(int channel) const
{
    TRegistry2 reg;
    int hz = -1;
    if (reg.openKey(overrideKey(m_countryCode, m_inputType), false) && reg.readInteger(QString::number(channel), hz))
        return hz;
    return -1;
}

QList<int> TDeviceControls::channelsWithFrequency() const
{
    TRegistry2 reg;
    QList<int> channels;
    if (!reg.openKey(overrideKey(m_countryCode, m_inputType), false))
        return channels;
    for (const QString& name : reg.valueNames()) {
        bool ok = false;
        const int channel = name.toInt(&ok);
        if (ok)
            channels << channel;
    }
    std::sort(channels.begin(), channels.end());
    return channels;
}

bool TDeviceControls::TuneChannel(int channel)
{
    if (!m_device || !tunerSelected())
        return false;
    if (channel >= 0)
        m_channel = channel;
    const V4l2Input& in = m_inputs[m_videoInput];
    TTVChannelInfo info;
    info.Channel = m_channel;
    info.OverrideFrequency = overrideFrequency(m_channel);
    // There are no channel tables here: a channel is tuned at the frequency
    // the user gave for it.
    if (info.OverrideFrequency < 0) {
        report(sevWarning, QStringLiteral("no frequency given for tv channel ") + QString::number(m_channel),
               w_tv_tuner);
        return false;
    }
    const bool ok = m_device->setFrequency(in.tuner, quint32(info.OverrideFrequency));
    V4l2Tuner tuner;
    int locked = 0;
    info.SignalPresent = IsAnalogVideoDecoderAvailable() && VDECGetHorizontalLocked(locked)
                           ? locked == 1
                           : m_device->getTuner(in.tuner, tuner) && tuner.signal != 0;
    quint32 hz = 0;
    info.VideoFrequency = m_device->getFrequency(in.tuner, hz) ? int(hz) : 0;
    info.DefaultFrequency = info.VideoFrequency;
    m_channelInfo = info;
    emit tvChannelSelected(info);
    return ok;
}

void TDeviceControls::setTVChannel(int channel)
{
    m_channel = channel;
    if (m_device && IsTVTunerAvailable() && !tunerBlocked())
        TuneChannel(channel);
}

void TDeviceControls::setTVCountryCode(int code)
{
    m_countryCode = code;
    if (m_device && IsTVTunerAvailable() && !tunerBlocked())
        TuneChannel(-1);
}

void TDeviceControls::setTVTunerInputType(int type)
{
    if (type < TunerInputCable || type > TunerInputAntenna)
        return;
    m_inputType = type;
    if (m_device && IsTVTunerAvailable() && !tunerBlocked())
        TuneChannel(-1);
}

bool TDeviceControls::AMTVTunerPutChannel(int channel, int, int)
{
    return m_device && IsTVTunerAvailable() && !tunerBlocked() && TuneChannel(channel);
}

bool TDeviceControls::AMTVTunerGetChannel(int& channel, int& videoSub, int& audioSub)
{
    if (!m_device || !IsTVTunerAvailable() || tunerBlocked())
        return false;
    channel = m_channel;
    videoSub = audioSub = -1;
    return true;
}

bool TDeviceControls::AMTVTunerChannelMinMax(int& minimum, int& maximum)
{
    if (!m_device || !IsTVTunerAvailable() || tunerBlocked())
        return false;
    const QList<int> channels = channelsWithFrequency();
    if (channels.isEmpty())
        return false;
    minimum = channels.first();
    maximum = channels.last();
    return true;
}

bool TDeviceControls::AMTVTunerPutCountryCode(int code)
{
    if (!m_device || !IsTVTunerAvailable() || tunerBlocked())
        return false;
    m_countryCode = code;
    return true;
}

bool TDeviceControls::AMTVTunerGetCountryCode(int& code)
{
    if (!IsTVTunerAvailable() || (m_device && tunerBlocked()))
        return false;
    code = m_countryCode;
    return true;
}

bool TDeviceControls::AMTVTunerSignalPresent(int& strength)
{
    const int input = tunerInput();
    V4l2Tuner tuner;
    if (!m_device || input < 0 || tunerBlocked() || !m_device->getTuner(m_inputs[input].tuner, tuner))
        return false;
    strength = tuner.signal;
    return true;
}

bool TDeviceControls::AMTVTunerGetNumInputConnections(int& count)
{
    if (!m_device || !IsTVTunerAvailable() || tunerBlocked())
        return false;
    count = 0;
    for (const V4l2Input& in : std::as_const(m_inputs))
        count += in.isTuner ? 1 : 0;
    return true;
}

bool TDeviceControls::AMTVTunerPutInputType(int, int type)
{
    if (type < TunerInputCable || type > TunerInputAntenna)
        return false;
    m_inputType = type;
    return m_device && IsTVTunerAvailable() && !tunerBlocked();
}

bool TDeviceControls::AMTVTunerGetInputType(int, int& type)
{
    if (!IsTVTunerAvailable() || (m_device && tunerBlocked()))
        return false;
    type = m_inputType;
    return true;
}

bool TDeviceControls::AMTVTunerGetVideoFrequency(int& hz)
{
    const int input = tunerInput();
    quint32 f = 0;
    if (!m_device || input < 0 || tunerBlocked() || !m_device->getFrequency(m_inputs[input].tuner, f))
        return false;
    hz = int(f);
    return true;
}

bool TDeviceControls::AMTVTunerAutoTune(int channel, int& found)
{
    if (!m_device || !IsTVTunerAvailable() || tunerBlocked() || !TuneChannel(channel))
        return false;
    found = m_channelInfo.SignalPresent ? 1 : 0;
    return true;
}

bool TDeviceControls::TVGetMinMaxChannels(int& minimum, int& maximum)
{
    minimum = maximum = 0;
    int lo = 0;
    int hi = 0;
    if (m_scanning || !AMTVTunerChannelMinMax(lo, hi))
        return false;
    minimum = lo;
    maximum = hi;
    return true;
}

int TDeviceControls::TVSetChannelFrequencyOverride(int channel, int frequency)
{
    if (!m_device || !IsTVTunerAvailable())
        return -1;
    TRegistry2 reg;
    if (!reg.openKey(overrideKey(m_countryCode, m_inputType), true))
        return -1;
    int result = frequency;
    if (frequency == -1) {
        if (reg.valueExists(QString::number(channel)))
            reg.deleteValue(QString::number(channel));
    } else {
        reg.writeInteger(QString::number(channel), frequency);
    }
    reg.sync();
    if (tunerSelected())
        TuneChannel(-1);
    return result;
}

bool TDeviceControls::TVClearFrequencyOverrides()
{
    TRegistry2 reg;
    const QString key = overrideKey(m_countryCode, m_inputType);
    if (!reg.keyExists(key))
        return false;
    reg.deleteKey(key);
    reg.sync();
    return true;
}

bool TDeviceControls::TVStartAutoScan()
{
    if (m_scanning)
        return false;
    if (!IsTVTunerAvailable()) {
        report(sevError, QStringLiteral("no TV tuner!"), e_no_tv_tuner);
        return false;
    }
    if (!tunerSelected()) {
        report(sevError, QStringLiteral("TV tuner input not selected!"), e_tuner_input_not_selected);
        return false;
    }
    m_scanChannels = channelsWithFrequency();
    if (m_scanChannels.isEmpty()) {
        report(sevWarning, QStringLiteral("no frequency given for any tv channel"), w_tv_tuner);
        return false;
    }
    m_scanPosition = 0;
    m_stopRequested = false;
    m_scanning = true;
    emit tvChannelScanStarted(m_scanChannels.first(), m_scanChannels.last());
    return true;
}

bool TDeviceControls::TVStopAutoScan()
{
    if (!m_device)
        return false;
    if (!IsTVTunerAvailable()) {
        report(sevError, QStringLiteral("no TV tuner!"), e_no_tv_tuner);
        return false;
    }
    if (!m_scanning)
        return false;
    m_stopRequested = true;
    return true;
}

bool TDeviceControls::TVScanStep()
{
    if (!m_scanning)
        return false;
    if (!m_device || !tunerSelected()) {
        m_scanning = m_stopRequested = false;
        return false;
    }
    if (!m_stopRequested && m_scanPosition < m_scanChannels.size())
        TuneChannel(m_scanChannels[m_scanPosition]);
    ++m_scanPosition;
    if (m_stopRequested || m_scanPosition >= m_scanChannels.size()) {
        m_scanning = m_stopRequested = false;
        emit tvChannelScanCompleted();
        return false;
    }
    return true;
}

} // namespace velmar::video
