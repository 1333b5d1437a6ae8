#pragma once
// The recorder's settings sheet "Automatic Recording": the "Sampling" page
// (name, input device, sampling, cycle, buffer) and the "Output File" page
// (files, folders, limits). Each page checks its fields before they replace
// the recording; a failing check keeps the sheet open on that page.
//
// User-interface thread only.
#include "recorder/InputBackend.h"
#include "sound/RecordingInfo.h"

#include <QDialog>
#include <QMessageBox>

#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;

namespace velmar::recorder::ui {

using AskFunction =
    std::function<QMessageBox::StandardButton(QWidget* owner, const QString& text, const QString& caption,
                                              QMessageBox::Icon icon, QMessageBox::StandardButtons buttons)>;

// The most channels an input kind offers (0: not a usable kind).
int MaxChannelsOfKind(int kind);
// The lowest sample rate an input kind records at.
uint32_t MinSampleRateOfKind(int kind);
// The largest single file, in megabytes: the WAV header's sizes are 32 bits.
inline constexpr int MaxSingleMegabytesLimit = 4095;

class RecorderSettingsSheet : public QDialog {
    Q_OBJECT
public:
    // The sound cards listed are the system's unless given.
    RecorderSettingsSheet(sound::RECORDINGINFO& recording, AskFunction ask, QWidget* parent = nullptr,
                          std::optional<std::vector<SoundCardInfo>> cards = std::nullopt);

    // Control access by the design's ids (tests and the sheet itself).
    QLineEdit* Edit(int id) const;
    QCheckBox* Box(int id) const;
    QComboBox* Devices() const { return m_devices; }
    QTabWidget* Pages() const { return m_pages; }
    // Disk-warning hours shown and read on the second page.
    int diskWarningHours = 0;

    // The pages' checks; each copies its fields into the recording when it
    // passes.
    bool CheckSampling();
    bool CheckOutput();
    void DeviceChanged();

    void accept() override;

private:
    QMessageBox::StandardButton Ask(const QString& text, const QString& caption = {},
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok);

    sound::RECORDINGINFO& m_rec;
    AskFunction m_ask;
    QTabWidget* m_pages = nullptr;
    QComboBox* m_devices = nullptr;
};

// Runs the sheet modally; true when it closed with OK (the recording then
// holds the new settings).
bool RunRecorderSettings(QWidget* owner, sound::RECORDINGINFO& recording, const AskFunction& ask,
                         const std::function<int()>& diskWarningHours);

} // namespace velmar::recorder::ui
