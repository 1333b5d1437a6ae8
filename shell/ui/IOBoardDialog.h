#pragma once
// The two pages of the "Analogue and Digital I/O board" sheet:
// - IOBoardDialog: the general input/output board (hydrophone power and
//   cable, analogue values); never refuses.
// - ButtonBoardDialog: the Measurement Computing board of the external
//   buttons, its input and output ports and the two rates.
// Boards are listed through boardLibrary() (BoardLibrary.h).
// User-interface thread only.
#include "shell/ui/ProgramSettingsPage.h"

#include <utility>
#include <vector>

class QComboBox;

namespace velmar::shell::ui {

// Device kinds of the settings block.
inline constexpr int DeviceNone = 0;
inline constexpr int DeviceMeasurementComputing = 3;
inline constexpr int DeviceNiDaq = 5;
inline constexpr int DeviceNiDaqMx = 10;

class IOBoardDialog : public ProgramSettingsPage {
    Q_OBJECT
public:
    static constexpr int IdDevice = 31800;

    explicit IOBoardDialog(QWidget* parent = nullptr);

    bool StoreSettings() override;
    QComboBox* DeviceList() const { return m_devices; }

private:
    QComboBox* m_devices;
    std::vector<std::pair<int, int>> m_items; // (type, number) per list item
};

class ButtonBoardDialog : public ProgramSettingsPage {
    Q_OBJECT
public:
    static constexpr int IdDevice = 31800;
    static constexpr int IdInputPort = 31805;
    static constexpr int IdOutputPort = 31806;
    static constexpr int IdCountRate = 31807;
    static constexpr int IdSampleRate = 31808;
    static constexpr int MaxSampleRate = 9999;
    static constexpr int MaxCountRate = 999;

    explicit ButtonBoardDialog(QWidget* parent = nullptr);

    void FillPorts();
    bool StoreSettings() override;

private:
    int SelectedBoard() const;

    QComboBox* m_board;
    QComboBox* m_input;
    QComboBox* m_output;
    QLineEdit* m_sampleRate;
    QLineEdit* m_countRate;
    std::vector<std::pair<int, int>> m_items;
};

} // namespace velmar::shell::ui
