#pragma once
// Pelvane's settings sheet "Settings": the Sampling page (device, base sample
// rate, channel list, buffer length) and the Channels page (which channel
// goes to which pipe, and the NI gain of each). Leaving a page checks it and
// takes its values into the live record; Apply (and OK) checks that the
// record's streams add up, writes "PipeDat.dat" and tells the other programs.
// An Apply whose write failed keeps the sheet open.
//
// User-interface thread only; run while acquisition is idle.
#include "settings/PipeSettings.h"
#include "pipeserver/backend/InputDevices.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace velmar::pipeserver {

class SettingsSheet : public QDialog {
    Q_OBJECT
public:
    // Writes the live record and tells the other programs; false when the
    // file could not be written.
    using Publisher = std::function<bool()>;
    using Question = std::function<bool(const QString& text, const QString& caption)>;

    SettingsSheet(Publisher publish, QWidget* parent = nullptr);

    void setQuestion(Question ask) { m_ask = std::move(ask); }
    // The device list (tests give their own; default: the machine's).
    void setDevices(const QList<InputDeviceEntry>& devices);

    // What the buttons and the page switch do; false when the sheet stays.
    bool leaveSampling();
    bool leaveChannels();
    bool apply();

    QTabWidget* tabs() const { return m_tabs; }

signals:
    void message(const QString& text, const QString& caption);

private:
    void showChannels();
    void editChannelProperties(int channel);

    Publisher m_publish;
    Question m_ask;
    QList<InputDeviceEntry> m_devices;
    QTabWidget* m_tabs;
    QComboBox* m_device;
    QPushButton* m_driverSettings;
    QLineEdit* m_rate;
    QLineEdit* m_channelList;
    QLineEdit* m_buffer;
    std::array<std::array<QCheckBox*, PipeSettings::PipeCount>, PipeSettings::MaxChannels> m_ticks{};
    std::array<QPushButton*, PipeSettings::MaxChannels> m_properties{};
    int m_currentPage = 0;
};

// "National Instruments Gain": one channel's input range and the record's
// input type, for NI devices.
class NiGainDialog : public QDialog {
    Q_OBJECT
public:
    NiGainDialog(PipeSettings& settings, int channel, QWidget* parent = nullptr);
    void done(int result) override;

private:
    PipeSettings& m_settings;
    int m_channel;
    std::array<QRadioButton*, 3> m_types{};
    std::array<QRadioButton*, 8> m_ranges{};
};

} // namespace velmar::pipeserver
