#pragma once
// TDeviceControls: what the component keeps of a capture device's hardware
// and passes on to it at once: picture adjustments (video quality), camera
// controls, the flip modes, the device's inputs (its crossbar: one flat list
// of inputs feeding one output), the analog standards of its decoder, and
// its TV tuner with the channel frequencies the user gives.
//
// The ranges and values are read from the device when it is bound and kept
// with the device settings; setters check against those ranges. A device
// without a capability answers "not available" (false, empty lists).
//
// Threads: made and used on the user-interface thread of its component.
#include "DeviceSettings.h"
#include "LogTypes.h"
#include "V4l2Device.h"

#include <QObject>
#include <QString>
#include <QVector>
#include <memory>

namespace velmar::video {

enum TCameraControl : int { cc_Pan, cc_Tilt, cc_Roll, cc_Zoom, cc_Exposure, cc_Iris, cc_Focus };
enum TVideoQuality : int {
    vq_Brightness,
    vq_Contrast,
    vq_Hue,
    vq_Saturation,
    vq_Sharpness,
    vq_Gamma,
    vq_WhiteBalance,
    vq_Gain,
    vq_ColorEnable,
    vq_BacklightCompensation
};
enum TVideoControl : int { vc_FlipHorizontal, vc_FlipVertical, vc_ExternalTriggerEnable, vc_Trigger };
// A set of TVideoControl values, as their flag bits (1, 2, 4, 8).
using TVideoControlSet = int;
enum TCrossbarSelector : int { cs_VideoCrossbar, cs_AudioCrossbar };
enum TPin_Direction : int { PINDIR_INPUT, PINDIR_OUTPUT };
enum TTunerInputType : int { TunerInputCable, TunerInputAntenna };

inline constexpr int cameraControlCount = 7;
inline constexpr int videoQualityCount = 10;

// One adjustment as the device offers it.
struct TControlRecord {
    bool available = false;
    int value = 0;
    int minimum = 0;
    int maximum = 0;
    int step = 0;
    int defaultValue = 0;
};

struct TTVChannelInfo {
    int Channel = 0;
    bool SignalPresent = false;
    int DefaultFrequency = -1;
    int OverrideFrequency = -1;
    int VideoFrequency = 0;
    int AudioFrequency = 0;
};

// The connector names of the inputs ("Tuner", "Composite", "SVideo", ...);
// empty for a type without a name.
QString ConnectorName(int physicalType);

class TDeviceControls : public QObject {
    Q_OBJECT
public:
    explicit TDeviceControls(QObject* parent = nullptr);
    ~TDeviceControls() override;

    // Binds a device (nullptr: none): reads its inputs, standards and tuner,
    // and with readRanges the ranges and values of its adjustments (a device
    // seen before keeps the values stored for it, applied when a graph is built).
    void attach(std::unique_ptr<V4l2Device> device, bool readRanges);
    // Whether the stored tables hold anything the device offered.
    bool HasStoredRanges() const;
    V4l2Device* device() const { return m_device.get(); }

    // Stored with the device: values, choices and the two tables (240 and 168 bytes).
    void loadFrom(const TDeviceSettings& settings);
    void storeTo(TDeviceSettings& settings) const;
    static QByteArray encodeTable(const QVector<TControlRecord>& table);
    static bool decodeTable(const QByteArray& bytes, QVector<TControlRecord>& table);

    // --- video quality and camera control ---
    bool VideoQualitySettings() const { return m_videoQualitySettings; }
    void setVideoQualitySettings(bool on) { m_videoQualitySettings = on; }
    bool CameraControlSettings() const { return m_cameraControlSettings; }
    void setCameraControlSettings(bool on) { m_cameraControlSettings = on; }
    bool VideoControlSettings() const { return m_videoControlSettings; }
    void setVideoControlSettings(bool on) { m_videoControlSettings = on; }
    bool VideoQualityAuto() const { return m_videoQualityAuto; }
    void setVideoQualityAuto(bool on);
    bool CameraControlAuto() const { return m_cameraControlAuto; }
    void setCameraControlAuto(bool on);

    bool GetIsCameraControlAvailable() const;
    bool GetIsVideoQualityAvailable() const;
    bool IsCameraControlSettingAvailable(int property) const { return record(m_camera, property).available; }
    bool IsVideoQualitySettingAvailable(int property) const { return record(m_quality, property).available; }
    int CameraControlMin(int p) const { return record(m_camera, p).minimum; }
    int CameraControlMax(int p) const { return record(m_camera, p).maximum; }
    int CameraControlStep(int p) const { return record(m_camera, p).step; }
    int CameraControlDefault(int p) const { return record(m_camera, p).defaultValue; }
    int GetCameraControl(int p) const { return record(m_camera, p).value; }
    int VideoQualityMin(int p) const { return record(m_quality, p).minimum; }
    int VideoQualityMax(int p) const { return record(m_quality, p).maximum; }
    int VideoQualityStep(int p) const { return record(m_quality, p).step; }
    int VideoQualityDefault(int p) const { return record(m_quality, p).defaultValue; }
    int GetVideoQuality(int p) const { return record(m_quality, p).value; }
    bool SetCameraControl(int property, int value);
    bool SetVideoQuality(int property, int value);

    void ReadVideoQualityRanges();
    void ReadCameraControlRanges();
    void ApplyVideoQualityValues();
    void ApplyCameraControlValues();

    bool IsVideoControlModeAvailable(int mode) const;
    bool SetVideoControlMode(TVideoControlSet modes);
    TVideoControlSet VideoControlMode() const { return m_videoControlMode; }
    void ApplyVideoControlMode();

    // --- analog video decoder ---
    bool IsAnalogVideoDecoderAvailable() const { return !m_standards.isEmpty(); }
    bool VDECPutTVFormat(int format);
    bool VDECGetHorizontalLocked(int& locked);
    bool VDECPutVCRHorizontalLocking(int locking);
    bool VDECGetVCRHorizontalLocking(int& locking);
    bool VDECGetNumberOfLines(int& lines);
    bool VDECPutOutputEnable(int enable);
    bool VDECGetOutputEnable(int& enable);
    bool IsHorizontalSyncLocked();

    QString AnalogVideoStandards() const;
    int AnalogVideoStandardsCount() const { return int(m_standardNames.size()); }
    int AnalogVideoStandard() const;
    // False (after its report) for an index outside the list.
    bool setAnalogVideoStandard(int index);
    // Gives the chosen standard to the decoder (when a graph is built).
    void ApplyAnalogVideoStandard();

    // --- inputs (the crossbar) ---
    QString VideoInputs() const;
    int VideoInputsCount() const { return int(m_inputs.size()); }
    int VideoInput() const { return m_videoInput; }
    QString VideoInputName() const { return m_videoInputName; }
    // -1 refused (reported), 0 stored as it was, 1 changed.
    int setVideoInput(int index);
    bool IsVideoCrossbarAvailable() const { return m_inputs.size() > 1 || tunerInput() >= 0; }
    bool IsAudioCrossbarAvailable() const { return false; }

    bool CrossbarGetPInBounds(int selector, int& inputs, int& outputs) const;
    bool CrossbarGetPinInfo(int selector, int direction, int index, int& related, int& physicalType,
                            QString& name) const;
    bool CrossbarCanConnectInput(int selector, int input, int output) const;
    bool CrossbarConnectInput(int selector, int input, int output);
    bool CrossbarGetInputConnected(int selector, int output, int& input) const;
    int InputPhysicalType(int index) const;
    // Name lookups with the patterns of the component ("*composite*", "S-VIDEO*"); -1 when none.
    int VideoInputIndex(const QString& name) const;
    int AnalogVideoStandardIndex(const QString& name) const;

    // --- TV tuner ---
    bool IsTVTunerAvailable() const { return tunerInput() >= 0; }
    bool IsTVAutoTuneRunning() const { return m_scanning; }
    int TVChannel() const { return m_channel; }
    void setTVChannel(int channel);
    int TVCountryCode() const { return m_countryCode; }
    void setTVCountryCode(int code);
    int TVTunerInputType() const { return m_inputType; }
    void setTVTunerInputType(int type);
    TTVChannelInfo TVChannelInfo() const { return m_channelInfo; }
    bool TVGetMinMaxChannels(int& minimum, int& maximum);
    bool AMTVTunerPutChannel(int channel, int videoSub, int audioSub);
    bool AMTVTunerGetChannel(int& channel, int& videoSub, int& audioSub);
    bool AMTVTunerChannelMinMax(int& minimum, int& maximum);
    bool AMTVTunerPutCountryCode(int code);
    bool AMTVTunerGetCountryCode(int& code);
    bool AMTVTunerSignalPresent(int& strength);
    bool AMTVTunerGetNumInputConnections(int& count);
    bool AMTVTunerPutInputType(int index, int type);
    bool AMTVTunerGetInputType(int index, int& type);
    bool AMTVTunerGetVideoFrequency(int& hz);
    bool AMTVTunerAutoTune(int channel, int& found);
    // The override key of a country and input type ("...\TS99990031-1\").
    static QString overrideKey(int countryCode, int inputType);
    int TVSetChannelFrequencyOverride(int channel, int frequency);
    bool TVClearFrequencyOverrides();
    // The scan over the channels that have a frequency, one per step.
    bool TVStartAutoScan();
    bool TVStopAutoScan();
    // One scan step; false once the scan has ended.
    bool TVScanStep();
    // Tunes the channel (defaults for -1); false when it cannot be tuned.
    bool TuneChannel(int channel);

signals:
    void log(int severity, const QString& message, int code);
    // The input or another choice that defines the device's picture changed.
    void videoDeviceSelected();
    void refreshPreview(const QString& reason);
    void tvChannelSelected(const TTVChannelInfo& info);
    void tvChannelScanStarted(int minChannel, int maxChannel);
    void tvChannelScanCompleted();

private:
    static const TControlRecord& record(const QVector<TControlRecord>& table, int property);
    void report(int severity, const QString& message, TLogType code) { emit log(severity, message, int(code)); }
    bool hasControl(quint32 id) const;
    const V4l2Control* control(quint32 id) const;
    void readRanges(QVector<TControlRecord>& table, const quint32* ids, int count);
    void applyTable(const QVector<TControlRecord>& table, const quint32* ids, const quint32* autoIds, int count,
                    bool automatic);
    void setManual(quint32 id, quint32 autoId, int value);
    bool tunerBlocked();
    int tunerInput() const;
    bool tunerSelected() const;
    QList<int> channelsWithFrequency() const;
    int overrideFrequency(int channel) const;

    std::unique_ptr<V4l2Device> m_device;
    QList<V4l2Control> m_controls;
    QList<V4l2Input> m_inputs;
    QList<V4l2Standard> m_standards;
    QStringList m_standardNames;
    QVector<TControlRecord> m_quality;
    QVector<TControlRecord> m_camera;
    bool m_videoQualitySettings = false;
    bool m_cameraControlSettings = false;
    bool m_videoControlSettings = false;
    bool m_videoQualityAuto = true;
    bool m_cameraControlAuto = true;
    TVideoControlSet m_videoControlMode = 0;
    int m_videoInput = 0;
    QString m_videoInputName;
    int m_standardIndex = 0;
    quint64 m_standard = 0;
    int m_storedStandard = 0; // the component's standard bit kept with the device

    int m_channel = 0;
    int m_countryCode = 0;
    int m_inputType = TunerInputCable;
    TTVChannelInfo m_channelInfo;
    bool m_scanning = false;
    bool m_stopRequested = false;
    QList<int> m_scanChannels;
    int m_scanPosition = 0;
};

} // namespace velmar::video
