#include "nmeaserver/UdpOutputDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmar::nmeaserver {

TUDPOut::TUDPOut(QWidget* owner, UdpSettings& settings) : QDialog(owner), m_settings(settings)
{
    setWindowTitle(QStringLiteral("UDP Output"));
    auto* group = new QGroupBox(QStringLiteral("UDP Output"));
    m_send = new QCheckBox(QStringLiteral("Send UDP data"));
    m_send->setObjectName(QStringLiteral("sendUDPData"));
    m_send->setChecked(settings.SendUDPData);
    m_port = new QLineEdit(QString::number(settings.UDPPort));
    m_port->setObjectName(QStringLiteral("udpPort"));
    auto* form = new QFormLayout(group);
    form->addRow(m_send);
    form->addRow(QStringLiteral("channel"), m_port);

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (okButtonClick())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_send, &QCheckBox::clicked, this, &TUDPOut::sendUDPDataClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    sendUDPDataClick();
}

void TUDPOut::sendUDPDataClick()
{
    m_port->setEnabled(m_send->isChecked());
}

bool TUDPOut::okButtonClick()
{
    // A port outside 16 bits used to wrap round to another port silently.
    const auto port = parseUdpPort(m_port->text());
    if (!port) {
        QMessageBox::warning(
            this, QStringLiteral("Error"),
            QStringLiteral("'%1' is not a UDP port: enter a number from 1 to 65535").arg(m_port->text()));
        return false;
    }
    m_settings.SendUDPData = m_send->isChecked();
    m_settings.UDPPort = *port;
    return true;
}

} // namespace velmar::nmeaserver
