#include "shell/ui/IOBoardDialog.h"

#include "shell/ui/BoardLibrary.h"
#include "widgets/MessageBoxSeam.h"
#include "settings/ProgramSettings.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace velmar::shell::ui {

using store::TheProgramSettings;

namespace {

constexpr int BoardNumbers = 10;
constexpr int SampleRateLimit = 5;
constexpr int CountRateLimit = 4;

void addMeasurementComputing(QComboBox* list, std::vector<std::pair<int, int>>& items)
{
    BoardLibrary& lib = boardLibrary();
    if (!lib.CbIsLoaded())
        return;
    for (int n = 0; n < BoardNumbers; ++n) {
        const QString name = lib.CbBoardName(n);
        if (name.isEmpty() || name == QLatin1String("Not Installed"))
            continue;
        list->addItem(name);
        items.emplace_back(DeviceMeasurementComputing, n);
    }
}

void selectDevice(QComboBox* list, const std::vector<std::pair<int, int>>& items, int type, int number)
{
    list->setCurrentIndex(0);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (type != DeviceNone && items[i] == std::make_pair(type, number))
            list->setCurrentIndex(int(i));
}

QComboBox* makeCombo(QWidget* parent, int id)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::number(id));
    return combo;
}

} // namespace

IOBoardDialog::IOBoardDialog(QWidget* parent) : ProgramSettingsPage(tr("User Forms"), parent)
{
    m_devices = makeCombo(this, IdDevice);
    m_devices->addItem(tr("No IO board"));
    m_items.emplace_back(DeviceNone, 0);
    addMeasurementComputing(m_devices, m_items);
    BoardLibrary& lib = boardLibrary();
    if (lib.NiDaqIsLoaded()) {
        for (int n = 0; n < BoardNumbers; ++n)
            if (auto type = lib.NiDeviceType(n)) {
                m_devices->addItem(lib.NiBoardTypeName(*type));
                m_items.emplace_back(DeviceNiDaq, n);
            }
    }
    if (lib.NiMxIsLoaded()) {
        for (int n = 1; n < BoardNumbers; ++n)
            if (auto name = lib.NiMxDeviceName(n)) {
                m_devices->addItem(*name);
                m_items.emplace_back(DeviceNiDaqMx, n);
            }
    }
    selectDevice(m_devices, m_items, TheProgramSettings.IODeviceType, TheProgramSettings.IODeviceNumber);

    auto* form = new QFormLayout(this);
    auto* text = new QLabel(
        tr("Select a digital / analogue input / output device for general monitoring. Uses include:\n"
           "Monitoring hydrophone and amplifier power\n"
           "Automatic control of an external recorder\n"
           "Reading analogue information from pressure sensors, etc.\n\n"
           "This is NOT the board used to digitise sound data !\n"
           "A board digitising sound data can also read / write digital signals, but cannot read other "
           "analogue data whilest collecting sound data."),
        this);
    text->setWordWrap(true);
    form->addRow(text);
    form->addRow(m_devices);
}

bool IOBoardDialog::StoreSettings()
{
    const int item = std::max(0, m_devices->currentIndex());
    const auto [type, number] = m_items[std::size_t(item)];
    auto& s = TheProgramSettings;
    s.IODeviceType = type;
    s.IODeviceNumber = number;
    BoardLibrary& lib = boardLibrary();
    switch (type) {
    case DeviceNone: s.IODeviceBits = 0; break;
    case DeviceMeasurementComputing: s.IODeviceBits = lib.CbGetResolution(number); break;
    case DeviceNiDaq: s.IODeviceBits = lib.NiBoardResolution(number); break;
    default: s.IODeviceBits = 16; break;
    }
    s.IODeviceChannels = (type == DeviceMeasurementComputing || type == DeviceNiDaq) ? 16 : 0;
    if (type == DeviceNone)
        s.PowerMonitor = 0;
    return true;
}

ButtonBoardDialog::ButtonBoardDialog(QWidget* parent) : ProgramSettingsPage(tr("External Buttons"), parent)
{
    const auto& s = TheProgramSettings;
    m_board = makeCombo(this, IdDevice);
    m_board->addItem(tr("No IO board"));
    m_items.emplace_back(DeviceNone, 0);
    addMeasurementComputing(m_board, m_items);
    selectDevice(m_board, m_items, s.ButtonDeviceType, s.ButtonDeviceNumber);
    m_input = makeCombo(this, IdInputPort);
    m_output = makeCombo(this, IdOutputPort);
    m_sampleRate = MakeEdit(IdSampleRate, SampleRateLimit, QString::number(s.ButtonSampleRate));
    m_countRate = MakeEdit(IdCountRate, CountRateLimit, QString::number(s.ButtonCountRate));
    FillPorts();

    auto* form = new QFormLayout(this);
    form->addRow(new QLabel(tr("Select a digital / analogue input device for external buttons"), this));
    form->addRow(m_board);
    form->addRow(tr("Digital input port for buttons"), m_input);
    form->addRow(tr("Count Frequency (Hz)"), m_sampleRate);
    form->addRow(tr("Digital output port for counters and diodes"), m_output);
    form->addRow(tr("Count Frequency (Hz)"), m_countRate);
    connect(m_board, &QComboBox::currentIndexChanged, this, &ButtonBoardDialog::FillPorts);
}

int ButtonBoardDialog::SelectedBoard() const
{
    const int item = std::max(0, m_board->currentIndex());
    return m_items[std::size_t(item)].second;
}

void ButtonBoardDialog::FillPorts()
{
    m_input->clear();
    m_output->clear();
    m_input->addItem(tr("No digital Input"));
    m_output->addItem(tr("No digital Output"));
    m_input->setCurrentIndex(0);
    m_output->setCurrentIndex(0);
    BoardLibrary& lib = boardLibrary();
    if (!lib.CbIsLoaded())
        return;
    const int board = SelectedBoard();
    for (int i = 0;; ++i) {
        const auto type = lib.CbDigitalPortType(board, i);
        if (!type)
            break;
        const QString name = lib.CbPortName(*type);
        m_input->addItem(name);
        m_output->addItem(name);
        if (*type == TheProgramSettings.ButtonInputPort && m_input->currentIndex() == 0)
            m_input->setCurrentIndex(i + 1);
        if (*type == TheProgramSettings.ButtonOutputPort && m_output->currentIndex() == 0)
            m_output->setCurrentIndex(i + 1);
    }
}

bool ButtonBoardDialog::StoreSettings()
{
    store::ProgramSettings copy = TheProgramSettings;
    const int item = std::max(0, m_board->currentIndex());
    copy.ButtonDeviceType = m_items[std::size_t(item)].first;
    copy.ButtonDeviceNumber = m_items[std::size_t(item)].second;
    copy.ButtonInputType = 0;

    BoardLibrary& lib = boardLibrary();
    auto portOf = [&](QComboBox* list) -> std::optional<int> {
        const int index = list->currentIndex();
        if (index <= 0)
            return 0;
        if (!lib.CbIsLoaded())
            return std::nullopt;
        return lib.CbDigitalPortType(copy.ButtonDeviceNumber, index - 1);
    };
    const auto input = portOf(m_input);
    if (!input)
        return false;
    copy.ButtonInputPort = *input;
    const auto output = portOf(m_output);
    if (!output)
        return false;
    if (m_output->currentIndex() > 0 && *output == copy.ButtonInputPort) {
        ShowMessageBox(this, tr("You cannot use the same port for input and output"), tr("Error..."));
        return false;
    }
    copy.ButtonOutputPort = *output;

    // The counter thread times its pulses and polls from these rates: a rate
    // of 0 would stall it, so it is refused here with a clear message.
    copy.ButtonSampleRate = LeadingIntegerOf(m_sampleRate->text(), SampleRateLimit - 1);
    if (copy.ButtonSampleRate < 1 || copy.ButtonSampleRate > MaxSampleRate) {
        Message(tr("The input Count Frequency must be a number from 1 to %1 Hz").arg(MaxSampleRate));
        return false;
    }
    copy.ButtonCountRate = LeadingIntegerOf(m_countRate->text(), CountRateLimit - 1);
    if (copy.ButtonCountRate < 1 || copy.ButtonCountRate > MaxCountRate) {
        Message(tr("The output Count Frequency must be a number from 1 to %1 Hz").arg(MaxCountRate));
        return false;
    }
    TheProgramSettings = copy;
    return true;
}

} // namespace velmar::shell::ui
