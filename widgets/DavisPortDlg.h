#pragma once
// DavisPortDlg: the settings page "Davis WeatherStation" of the I/O board
// sheet: the switch that collects the weather station's data and its serial
// port number (1 to 4). Added only when the weather-station library loaded.
//
// User-interface thread only.
#include "widgets/SettingsSheet.h"

class QCheckBox;
class QLineEdit;

namespace velmar::shell::ui {

inline constexpr int DavisPortEditId = 31801;
inline constexpr int DavisSwitchId = 31802;
inline constexpr const char* DavisPortMessage = "Port number nust be between 1 and 4";

class DavisPortDlg : public SettingsPage {
    Q_OBJECT
public:
    explicit DavisPortDlg(QWidget* parent = nullptr);

    bool StoreSettings() override;
    bool SaveSettings() override;

    QCheckBox* Switch() const { return m_switch; }
    QLineEdit* PortEdit() const { return m_port; }

private:
    void EnablePort();

    QCheckBox* m_switch;
    QLineEdit* m_port;
};

} // namespace velmar::shell::ui
