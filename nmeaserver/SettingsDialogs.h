#pragma once
// The modal dialogs that change what the NMEA server reads and writes: the
// serial ports (or simulation instead), the simulated ship, and the daily dump
// files. Each edits the settings record it is given; the main form decides
// what happens after OK.
//
// User-interface thread only.
#include "nmeaserver/NmeaSettings.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace velmar::nmeaserver {

class TPortSettings : public QDialog {
    Q_OBJECT
public:
    static constexpr int DefaultBaud = DefaultBaudRate;
    static const std::vector<int>& baudRates();

    TPortSettings(QWidget* owner, std::vector<THREADDATA>& ports, SIMSETTINGS& sim);

    void okButtonClick();
    void ShowDependentControls();

    QCheckBox* simulateData = nullptr;
    QPushButton* simulationButton = nullptr;
    std::vector<QCheckBox*> portBoxes;
    std::vector<QComboBox*> baudLists;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::vector<THREADDATA>& m_ports;
    SIMSETTINGS& m_sim;
};

class TSimSettings : public QDialog {
    Q_OBJECT
public:
    TSimSettings(QWidget* owner, SIMSETTINGS& sim);

    // Stores what converts; true when the dialog may close.
    bool okbuttonClick();

    QLineEdit* Lat = nullptr;
    QLineEdit* Long = nullptr;
    QLineEdit* Speed = nullptr;
    QLineEdit* Heading = nullptr;
    QLineEdit* Initials = nullptr;
    QLineEdit* HDTInitials = nullptr;
    QLineEdit* HDMInitials = nullptr;
    QLineEdit* Interval = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    SIMSETTINGS& m_sim;
};

class TDumpDialog : public QDialog {
    Q_OBJECT
public:
    // The controls take the record's values once, here.
    TDumpDialog(QWidget* owner, DATADUMPINFO& dump);

    bool okButtonClick();
    void ShowDependentControls();

    QCheckBox* DoDump = nullptr;
    QCheckBox* dumpAll = nullptr;
    QLineEdit* Interval = nullptr;
    QLineEdit* Directory = nullptr;
    QPushButton* dirSelect = nullptr;

private:
    void dirSelectClick();

    DATADUMPINFO& m_dump;
};

} // namespace velmar::nmeaserver
