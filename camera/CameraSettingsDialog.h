#pragma once
// The settings dialog of one camera unit. It edits a copy of the unit's
// settings: OK hands the checked values to the unit, Cancel and the close
// box leave the unit's settings as they were. A grab rate of 0 or less,
// negative pre or post seconds, a number that does not convert, or an output
// folder that cannot be created keep the dialog open with a message.
#include "CamSettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace velmar::camera {

class TCameraSettings : public QDialog {
    Q_OBJECT
public:
    // `devices`: the names of the video devices, in catalogue order.
    TCameraSettings(QWidget* parent, const TCamSettings& settings, const QStringList& devices);

    // The edited settings; the values the unit should take after OK.
    const TCamSettings& settings() const { return m_edited; }

    void accept() override;

private:
    bool ReadControls();
    void ShowDependentControls();

    TCamSettings m_edited;
    QComboBox* m_device;
    QComboBox* m_outputFormat;
    QSpinBox* m_jpegQuality;
    QCheckBox* m_clipboard;
    QLineEdit* m_grabFrameRate;
    QCheckBox* m_singleFrame;
    QCheckBox* m_fullRate;
    QLineEdit* m_preSample;
    QLineEdit* m_postSample;
    QLineEdit* m_outputInitials;
    QLineEdit* m_outputDirectory;
};

} // namespace velmar::camera
