#include "forms/ui/ComPortDialog.h"

#include "platform/SerialPortList.h"
#include "widgets/FormRunner.h"
#include "widgets/MessageBoxSeam.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velmar::forms {

namespace {

std::vector<LineChoice> numbers(std::initializer_list<int32_t> values)
{
    std::vector<LineChoice> v;
    for (int32_t x : values)
        v.push_back({QString::number(x), x});
    return v;
}

QComboBox* fillList(QWidget* parent, const char* name, const std::vector<LineChoice>& choices, int32_t current)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    for (const LineChoice& c : choices)
        list->addItem(c.text);
    list->setCurrentIndex(LineChoiceIndex(choices, current));
    return list;
}

void addOkCancel(QDialog* dialog, QBoxLayout* layout)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton(QObject::tr("Ok"), dialog);
    auto* cancel = new QPushButton(QObject::tr("Cancel"), dialog);
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

} // namespace

const std::vector<LineChoice>& BaudRateChoices()
{
    static const std::vector<LineChoice> c = numbers(
        {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000});
    return c;
}

const std::vector<LineChoice>& DataBitsChoices()
{
    static const std::vector<LineChoice> c = numbers({4, 5, 6, 7, 8});
    return c;
}

const std::vector<LineChoice>& ParityChoices()
{
    static const std::vector<LineChoice> c = {{QStringLiteral("Even"), 2},
                                              {QStringLiteral("Mark"), 3},
                                              {QStringLiteral("No Parity"), 0},
                                              {QStringLiteral("Odd"), 1}};
    return c;
}

const std::vector<LineChoice>& StopBitsChoices()
{
    static const std::vector<LineChoice> c = {
        {QStringLiteral("1 stop bit"), 0}, {QStringLiteral("1.5 stop bits"), 1}, {QStringLiteral("2 stop bits"), 2}};
    return c;
}

int LineChoiceIndex(const std::vector<LineChoice>& choices, int32_t value)
{
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].value == value)
            return int(i);
    return -1;
}

QStringList ComPortChoices(const QStringList& present, const QString& stored)
{
    QStringList ports = present;
    std::sort(ports.begin(), ports.end());
    ports.removeDuplicates();
    const bool listed = std::any_of(ports.begin(), ports.end(), [&stored](const QString& p) {
        return p.compare(stored, Qt::CaseInsensitive) == 0;
    });
    if (!stored.isEmpty() && !listed)
        ports.prepend(stored);
    return ports;
}

std::optional<store::SerialLineSettings> CheckLineChoice(const store::SerialLineSettings& line, int baud, int dataBits,
                                                         int parity, int stopBits)
{
    const auto valid = [](int index, const std::vector<LineChoice>& c) { return index >= 0 && index < int(c.size()); };
    if (!valid(baud, BaudRateChoices()) || !valid(dataBits, DataBitsChoices()) || !valid(parity, ParityChoices())
        || !valid(stopBits, StopBitsChoices()))
        return std::nullopt;
    store::SerialLineSettings out = line;
    out.BaudRate = BaudRateChoices()[std::size_t(baud)].value;
    out.ByteSize = DataBitsChoices()[std::size_t(dataBits)].value;
    out.Parity = ParityChoices()[std::size_t(parity)].value;
    out.StopBits = StopBitsChoices()[std::size_t(stopBits)].value;
    return out;
}

// ---- "Port Settings"

TDCBDialog::TDCBDialog(store::SerialLineSettings& line, QWidget* parent) : QDialog(parent), m_line(line)
{
    setWindowTitle(tr("Port Settings"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    baudRate = fillList(this, "baudRate", BaudRateChoices(), line.BaudRate);
    dataBits = fillList(this, "dataBits", DataBitsChoices(), line.ByteSize);
    parity = fillList(this, "parity", ParityChoices(), line.Parity);
    stopBits = fillList(this, "stopBits", StopBitsChoices(), line.StopBits);
    form->addRow(tr("Bits per second"), baudRate);
    form->addRow(tr("Data bits"), dataBits);
    form->addRow(tr("Parity"), parity);
    form->addRow(tr("Stop bits"), stopBits);
    addOkCancel(this, layout);
}

void TDCBDialog::accept()
{
    const auto chosen = CheckLineChoice(m_line, baudRate->currentIndex(), dataBits->currentIndex(),
                                        parity->currentIndex(), stopBits->currentIndex());
    if (!chosen) {
        shell::ui::ShowMessageBox(this, tr("Choose a value in every list"), tr("Port Settings"), QMessageBox::Warning);
        return;
    }
    m_line = *chosen;
    QDialog::accept();
}

// ---- "COM Port"

TComPortDialog::TComPortDialog(ButtonDefinition& row, store::SerialLineSettings& line, const QStringList& present,
                               QWidget* parent)
    : QDialog(parent), m_row(row), m_line(line), m_present(present)
{
    setWindowTitle(tr("COM Port"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(tr("COM Port setup"), this);
    auto* form = new QFormLayout(group);
    comPortName = new QComboBox(group);
    comPortName->setObjectName(QStringLiteral("comPortName"));
    const QStringList ports = ComPortChoices(present, row.Name);
    comPortName->addItems(ports);
    comPortName->setCurrentIndex(-1);
    for (int i = 0; i < ports.size(); ++i)
        if (ports[i].compare(row.Name, Qt::CaseInsensitive) == 0)
            comPortName->setCurrentIndex(i);
    form->addRow(tr("Com Port"), comPortName);
    showRecievedStrings = new QCheckBox(tr("Show Incoming data"), group);
    showRecievedStrings->setObjectName(QStringLiteral("showRecievedStrings"));
    showRecievedStrings->setChecked(row.OptionFlags & kShowReceivedText);
    form->addRow(showRecievedStrings);
    auto* advanced = new QPushButton(tr("Advanced"), group);
    advanced->setObjectName(QStringLiteral("Advanced"));
    form->addRow(advanced);
    layout->addWidget(group);
    addOkCancel(this, layout);
    connect(advanced, &QPushButton::clicked, this, [this] { Advanced(); });
}

void TComPortDialog::Advanced()
{
    TDCBDialog dcb(m_line, this);
    shell::ui::RunForm(dcb);
}

void TComPortDialog::accept()
{
    const QString port = comPortName->currentText();
    if (comPortName->currentIndex() < 0 || port.isEmpty()) {
        shell::ui::ShowMessageBox(this, QLatin1String(kNoComPortText), QLatin1String(kNoComPortCaption),
                                  QMessageBox::Warning);
        return;
    }
    if (platform::isWindowsPortName(port)) {
        shell::ui::ShowMessageBox(this, platform::windowsPortNameMessage(port, m_present),
                                  QLatin1String(kNoComPortCaption), QMessageBox::Warning);
        return;
    }
    m_row.Name = port;
    m_row.present[BcName] = true;
    m_row.OptionFlags = showRecievedStrings->isChecked() ? kShowReceivedText : 0;
    m_row.present[BcOptionFlags] = true;
    QDialog::accept();
}

bool ShowComPortDialog(QWidget* parent, ButtonDefinition& row, store::SerialLineSettings& line)
{
    TComPortDialog form(row, line, platform::serialPortNames(), parent);
    return shell::ui::RunForm(form);
}

} // namespace velmar::forms
