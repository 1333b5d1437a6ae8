#include "widgets/DavisPortDlg.h"

#include "settings/ProgramSettings.h"
#include "widgets/MessageBoxSeam.h"
#include "widgets/MyControls.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace velmar::shell::ui {

using store::TheProgramSettings;

DavisPortDlg::DavisPortDlg(QWidget* parent) : SettingsPage(QStringLiteral("Davis WeatherStation"), parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Weather Station Serial Port"), this);
    auto* form = new QFormLayout(group);
    m_switch = new QCheckBox(QStringLiteral("Collect Davis weather station data"), group);
    SetControlId(m_switch, DavisSwitchId);
    m_port = new QLineEdit(group);
    SetControlId(m_port, DavisPortEditId);
    m_port->setMaxLength(1);
    form->addRow(m_switch);
    form->addRow(QStringLiteral("Serial Port number"), m_port);
    layout->addWidget(group);
    layout->addStretch();

    m_switch->setChecked(TheProgramSettings.CollectWeather);
    m_port->setText(QString::number(TheProgramSettings.WeatherPort));
    connect(m_switch, &QCheckBox::clicked, this, [this] {
        EnablePort();
        Changed();
    });
    connect(m_port, &QLineEdit::textEdited, this, &SettingsPage::Changed);
    EnablePort();
}

void DavisPortDlg::EnablePort()
{
    m_port->setEnabled(m_switch->isChecked());
}

bool DavisPortDlg::StoreSettings()
{
    const bool on = m_switch->isChecked();
    int port = TheProgramSettings.WeatherPort;
    if (on) {
        bool ok = false;
        port = m_port->text().trimmed().toInt(&ok);
        if (!ok || port < 1 || port > 4) {
            ShowMessageBox(this, QString::fromLatin1(DavisPortMessage), Title(), QMessageBox::Warning);
            return false;
        }
    }
    TheProgramSettings.CollectWeather = on;
    TheProgramSettings.WeatherPort = port;
    return true;
}

bool DavisPortDlg::SaveSettings()
{
    QString error;
    if (store::WriteProgramSettings(&error))
        return true;
    ShowMessageBox(this, error, Title(), QMessageBox::Warning);
    return false;
}

} // namespace velmar::shell::ui
