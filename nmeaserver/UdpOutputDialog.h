#pragma once
// The "UDP Output" dialog: whether every sentence goes out by UDP, and to
// which port of this machine. User-interface thread only.
#include "nmeaserver/NmeaSettings.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace velmar::nmeaserver {

class TUDPOut : public QDialog {
    Q_OBJECT
public:
    TUDPOut(QWidget* owner, UdpSettings& settings);

    // Checks and stores the values; false (and a message) for a port that is
    // not a number from 1 to 65535, and the dialog stays open.
    bool okButtonClick();

private:
    void sendUDPDataClick();

    UdpSettings& m_settings;
    QCheckBox* m_send = nullptr;
    QLineEdit* m_port = nullptr;
};

} // namespace velmar::nmeaserver
