#include "GrabberSettingsDialog.h"

#include "widgets/MessageBoxSeam.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velmar::camera {

TGrabberSettingsDlg::TGrabberSettingsDlg(QWidget* parent, const TGrabberSettings& settings)
    : QDialog(parent), m_edited(settings)
{
    setWindowTitle(QStringLiteral("Grabber Settings"));
    auto* column = new QVBoxLayout(this);
    auto* cameras = new QGroupBox(QStringLiteral("Cameras"), this);
    auto* camerasForm = new QFormLayout(cameras);
    m_cameras = new QSpinBox(cameras);
    m_cameras->setObjectName(QStringLiteral("nCameras"));
    m_cameras->setRange(1, MaxCamerasPerForm);
    m_cameras->setValue(std::clamp(settings.nCameras, 1, MaxCamerasPerForm));
    camerasForm->addRow(QStringLiteral("Number of Cameras on form"), m_cameras);
    column->addWidget(cameras);

    auto* timer = new QGroupBox(QStringLiteral("Timer"), this);
    auto* timerForm = new QFormLayout(timer);
    m_on = new QCheckBox(QStringLiteral("Grab images on timer"), timer);
    m_on->setChecked(settings.TimerOn);
    timerForm->addRow(m_on);
    m_interval = new QLineEdit(
        QString::number(settings.Interval, 'f', 2).remove(QRegularExpression(QStringLiteral("\\.?0+$"))), timer);
    m_interval->setObjectName(QStringLiteral("Interval"));
    timerForm->addRow(QStringLiteral("Interval (seconds)"), m_interval);
    m_random = new QCheckBox(QStringLiteral("Random"), timer);
    m_random->setChecked(settings.Random);
    timerForm->addRow(m_random);
    m_single = new QCheckBox(QStringLiteral("Single Frames"), timer);
    m_single->setChecked(settings.Single);
    timerForm->addRow(m_single);
    column->addWidget(timer);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

void TGrabberSettingsDlg::accept()
{
    bool ok = false;
    const double interval = m_interval->text().trimmed().toDouble(&ok);
    if (!ok || !(interval > 0)) {
        velmar::shell::ui::ShowMessageBox(
            this,
            QStringLiteral("'%1' is not a valid interval: it must be a number of seconds above 0.")
                .arg(m_interval->text()),
            windowTitle(), QMessageBox::Critical);
        return;
    }
    m_edited.nCameras = m_cameras->value();
    m_edited.TimerOn = m_on->isChecked();
    m_edited.Interval = interval;
    m_edited.Random = m_random->isChecked();
    m_edited.Single = m_single->isChecked();
    QDialog::accept();
}

} // namespace velmar::camera
