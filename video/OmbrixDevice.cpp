// TOmbrix: the bound device's hardware (adjustments, inputs, standards,
// tuner), its dialogs and the motion detector's grid dialog.
#include "Ombrix.h"

#include "DeviceCatalogue.h"
#include "ProcessLog.h"
#include "SyncManager.h"

namespace velmar::video {

namespace {
VideoDialogs* g_dialogs = nullptr;
constexpr int tuningStepMs = 200;

// Dialogs after which a running preview is built again.
bool restartsPreview(TDialog dialog)
{
    switch (dialog) {
    case dlg_VideoCompressor:
    case dlg_AudioCompressor:
    case dlg_StreamConfig:
    case dlg_VfwFormat:
    case dlg_VfwSource:
    case dlg_vfwDisplay:
    case dlg_AudioDevice: return true;
    default: return false;
    }
}
// A compressor index is stored only when its catalogue has it.
void selectCompressor(TOmbrix& c, int& field, int index, TDevices* catalogue)
{
    if (index == field || !catalogue)
        return;
    const IndexReport check = CheckIndex(index, catalogue->count(), catalogue->title());
    if (check.reported)
        c.Report(true, check.severity, check.message, check.code);
    else
        field = index;
}
} // namespace

void SetVideoDialogs(VideoDialogs* dialogs)
{
    g_dialogs = dialogs;
}

void TOmbrix::connectDeviceControls()
{
    connect(m_controls, &TDeviceControls::log, this, [this](int severity, const QString& message, int code) {
        Report(true, severity, message, TLogType(code));
    });
    connect(m_controls, &TDeviceControls::videoDeviceSelected, this, &TOmbrix::OnVideoDeviceSelected);
    connect(m_controls, &TDeviceControls::refreshPreview, this, &TOmbrix::RefreshPreview);
    connect(m_controls, &TDeviceControls::tvChannelSelected, this, &TOmbrix::OnTVChannelSelected);
    connect(m_controls, &TDeviceControls::tvChannelScanStarted, this, &TOmbrix::OnTVChannelScanStarted);
    connect(m_controls, &TDeviceControls::tvChannelScanCompleted, this, &TOmbrix::OnTVChannelScanCompleted);
}

QString TOmbrix::BoundVideoDevicePath() const
{
    TDevices* catalogue = VideoDeviceCatalogue();
    const TCapDeviceInfo* entry = catalogue && m_devices.boundVideo >= 0 ? catalogue->entry(m_devices.boundVideo)
                                                                         : nullptr;
    return entry ? entry->path : QString();
}

void TOmbrix::bindDeviceControls()
{
    m_controls->loadFrom(m_devices.videoSettings);
    // A device seen before keeps the values stored for it until a graph applies them.
    const bool readRanges = !m_settings.values.storeDeviceSettings || !m_controls->HasStoredRanges();
    m_controls->attach(OpenV4l2Device(BoundVideoDevicePath()), readRanges);
    const struct {
        const char* name;
        bool value;
    } flags[] = {
        {"_IsCameraControlAvail", m_controls->GetIsCameraControlAvailable()},
        {"_IsVideoQualityAvail", m_controls->GetIsVideoQualityAvailable()},
        {"_IsVideoControlAvail", m_controls->IsVideoControlModeAvailable(vc_FlipHorizontal)
                                     || m_controls->IsVideoControlModeAvailable(vc_FlipVertical)},
        {"_IsVideoCrossbarAvail", m_controls->IsVideoCrossbarAvailable()},
        {"_IsTVTunerAvail", m_controls->IsTVTunerAvailable()},
        {"_IsAnalogVideoDecoderAvail", m_controls->IsAnalogVideoDecoderAvailable()},
    };
    for (const auto& f : flags) {
        m_devices.videoSettings.setValue(f.name, f.value);
        WriteLogYesNo(f.value, cfBlue, QString::fromLatin1(f.name + 1));
    }
}

void TOmbrix::applyDeviceControls()
{
    if (!m_controls->device())
        return;
    // The chosen input, and on a tuner input the chosen channel.
    if (m_controls->IsVideoCrossbarAvailable() && m_controls->VideoInput() < m_controls->VideoInputsCount()) {
        if (!m_controls->CrossbarConnectInput(cs_VideoCrossbar, m_controls->VideoInput(), 0))
            Report(true, sevError, QStringLiteral("Cannot route video crossbar input"),
                   e_failed_to_connect_crossbar_pin);
        else if (m_controls->IsTVTunerAvailable())
            m_controls->TuneChannel(-1);
    }
    m_controls->ApplyAnalogVideoStandard();
    if (m_settings.values.storeDeviceSettings && !m_devices.discovering) {
        m_controls->ApplyVideoQualityValues();
        m_controls->ApplyCameraControlValues();
        m_controls->ApplyVideoControlMode();
    }
}

bool TOmbrix::IsDialogAvailable(TDialog dialog) const
{
    switch (dialog) {
    case dlg_VideoDevice:
    case dlg_VideoCompressor:
    case dlg_AudioCompressor: return true;
    case dlg_StreamConfig: return m_settings.values.videoDevice >= 0 && !m_devices.isDV;
    case dlg_VideoCrossbar: return m_controls->IsVideoCrossbarAvailable();
    case dlg_TVTuner: return m_controls->IsTVTunerAvailable();
    case dlg_AudioDevice: {
        TDevices* audio = AudioDeviceCatalogue();
        return BootstrapDone() && audio && audio->count() > 0;
    }
    default:
        // Video for Windows dialogs, the audio crossbar and TV audio do not exist here.
        return false;
    }
}

bool TOmbrix::ShowDialog(TDialog dialog)
{
    if (dialog == dlg_StreamConfig && m_devices.isDV)
        return false;
    if (dialog == dlg_VfwFormat || dialog == dlg_VfwSource || dialog == dlg_vfwDisplay)
        return true; // a driver-model device has none of these: nothing to show
    if (!IsDialogAvailable(dialog))
        return !Report(true, sevWarning, QStringLiteral("no dialog for this device"), e_no_dialog_for_this_compressor);
    if (!g_dialogs)
        return !Report(true, sevWarning, QStringLiteral("no dialog in this program"), e_no_dialog_for_this_compressor);
    const bool wasPreviewing = m_currentState == cs_Preview;
    const bool confirmed = g_dialogs->showDeviceDialog(*this, dialog);
    if (confirmed && dialog == dlg_VideoDevice) {
        // The device counts as changed: what the dialog set is kept with it.
        m_controls->ReadVideoQualityRanges();
        m_controls->ReadCameraControlRanges();
        saveVideoSettings();
        emit OnVideoDeviceSelected();
    }
    if (confirmed && restartsPreview(dialog) && wasPreviewing)
        RefreshPreview(QStringLiteral("dlg"));
    return confirmed;
}

bool TOmbrix::MotionDetector_ShowGridDialog()
{
    if (!g_dialogs)
        return !Report(true, sevWarning, QStringLiteral("no dialog in this program"), e_no_dialog_for_this_compressor);
    return g_dialogs->showGridDialog(*this);
}

QObject* TOmbrix::MotionDetector_EnumGridDialogControls(bool restart)
{
    return g_dialogs ? g_dialogs->enumGridDialogControls(*this, restart) : nullptr;
}

void TOmbrix::setVideoCompressor(int index)
{
    selectCompressor(*this, m_videoCompressor, index, VideoCompressorCatalogue());
}

void TOmbrix::setAudioCompressor(int index)
{
    selectCompressor(*this, m_audioCompressor, index, AudioCompressorCatalogue());
}

int TOmbrix::ThirdPartyFilter_AddToList(int place, const QString& classId, const QString& name, bool enabled,
                                        bool saveState)
{
    QString duplicate;
    const int index = m_addedFilters.AddToList(place, classId, name, enabled, saveState, duplicate);
    if (index < 0 && !duplicate.isNull())
        Report(true, sevError, QStringLiteral("filter inserted more than 1 time: ") + duplicate,
               e_third_party_filter_already_inserted);
    return index;
}

bool TOmbrix::ThirdPartyFilter_ShowDialog(int place, int index)
{
    const TThirdPartyFilterEntry* entry = m_addedFilters.entry(place, index);
    if (!entry)
        return false;
    GstElement* filter = gst_element_factory_make(entry->classId.toUtf8().constData(), nullptr);
    if (!filter) {
        WriteLog(cfRed, QStringLiteral("cannot create filter ") + entry->classId);
        return false;
    }
    gst_object_ref_sink(filter);
    const QString stateKey = TRegistry2::rootKeyPath() + QStringLiteral("/ThirdPartyFilters/") + entry->classId;
    if (entry->saveState)
        LoadFilterState(filter, stateKey);
    if (!g_dialogs)
        Report(true, sevWarning, QStringLiteral("no dialog in this program"), e_no_dialog_for_this_compressor);
    else if (g_dialogs->showElementDialog(*this, filter, entry->name) && entry->saveState)
        SaveFilterState(filter, stateKey);
    gst_object_unref(filter);
    return true;
}

bool TOmbrix::TVStartAutoScan()
{
    if (m_controls->IsTVAutoTuneRunning())
        return false;
    if (!CheckState(as_Preview | 1, sevError, true))
        return false;
    if (!m_controls->TVStartAutoScan())
        return false;
    // One channel per step, on the component's thread.
    if (!m_tuningStep) {
        m_tuningStep = new QTimer(this);
        m_tuningStep->setInterval(tuningStepMs);
        connect(m_tuningStep, &QTimer::timeout, this, [this] { PostCommand(WMProcessContinueTVAutoScan); });
    }
    m_tuningStep->start();
    return true;
}

} // namespace velmar::video
