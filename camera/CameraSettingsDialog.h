#pragma once
// The settings dialog of one camera unit ("CameraSettings"): the device, its
// size and input, the frame rate, the display scale, the storage format and
// audio on the page "Video Input"; grab rate, RGB format, single frames,
// buffer times and the output folder on the page "Frame Grabbing".
//
// It edits a copy of the unit's settings: OK hands the checked values to
// the unit, Cancel and the close box leave the unit's settings as they
// were. A grab rate of 0 or less, negative pre or post seconds, a number
// that does not convert, or an output folder that cannot be created keep
// the dialog open with a message. Choosing another camera switches the
// unit's component to it at once; the unit applies its settings again when
// the dialog closes, whatever the answer.
#include "CamSettings.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;

namespace velmar::camera {

// The sizes and inputs of one video device, and whether it is a DV source.
struct CameraDeviceLists {
    QStringList sizes;
    QStringList inputs;
    bool digitalVideo = false;
};

// What the dialog asks of the camera's video component.
class CameraDevices {
public:
    virtual ~CameraDevices() = default;
    virtual QStringList videoDevices() = 0;
    virtual QStringList audioDevices() = 0;
    // The lists of the device the component holds now.
    virtual CameraDeviceLists currentLists() = 0;
    // The component takes the device at once; its lists.
    virtual CameraDeviceLists selectDevice(int index) = 0;
};

class TCameraSettings : public QDialog {
    Q_OBJECT
public:
    TCameraSettings(QWidget* parent, const TCamSettings& settings, CameraDevices& devices);

    // The edited settings; the values the unit should take after OK.
    const TCamSettings& settings() const { return m_edited; }

    void accept() override;

private:
    void FillSizesAndInputs(const CameraDeviceLists& lists, int size, int input);
    void ShowDependentControls();
    void VideoDeviceChange(int index);
    bool ReadControls();

    CameraDevices& m_devices;
    TCamSettings m_edited;
    bool m_digitalVideo = false;
    QComboBox* m_device;
    QComboBox* m_videoSize;
    QComboBox* m_videoInputs;
    QLineEdit* m_frameRate;
    QCheckBox* m_dvReduceFrameRate;
    QComboBox* m_displayScale;
    QComboBox* m_outputFormat;
    QSlider* m_jpegQuality;
    QCheckBox* m_grabAudio;
    QComboBox* m_audioDevice;
    QCheckBox* m_clipboard;
    QLineEdit* m_grabFrameRate;
    QComboBox* m_rgbFormat;
    QCheckBox* m_singleFrame;
    QCheckBox* m_fullRate;
    QLineEdit* m_preSample;
    QLineEdit* m_postSample;
    QLineEdit* m_outputInitials;
    QLineEdit* m_outputDirectory;
    QWidget* m_selectDirectory;
};

} // namespace velmar::camera
