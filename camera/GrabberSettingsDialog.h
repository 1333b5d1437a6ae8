#pragma once
// The settings dialog of a grabber form: how many cameras it holds (1 to 4)
// and its grab timer. It edits a copy: Cancel and the close box change
// nothing; an interval that is not a number above 0 keeps it open.
#include "CamSettings.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace velmar::camera {

class TGrabberSettingsDlg : public QDialog {
    Q_OBJECT
public:
    TGrabberSettingsDlg(QWidget* parent, const TGrabberSettings& settings);
    const TGrabberSettings& settings() const { return m_edited; }
    void accept() override;

private:
    TGrabberSettings m_edited;
    QSpinBox* m_cameras;
    QCheckBox* m_on;
    QLineEdit* m_interval;
    QCheckBox* m_random;
    QCheckBox* m_single;
};

} // namespace velmar::camera
