#include "forms/ui/ButtonPortDialog.h"

#include "forms/ButtonDefinition.h"
#include "store/DbMessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QSerialPortInfo>
#include <QVBoxLayout>

#include <iterator>
#include <utility>
#include <vector>

namespace velmar::forms {

namespace {

struct Choice {
    const char* text;
    int32_t value;
};

constexpr int32_t kBaudRates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                  19200, 38400, 56000, 57600, 115200, 128000, 256000};
constexpr int32_t kDataBits[] = {4, 5, 6, 7, 8};
constexpr Choice kParities[] = {{"Even", 2}, {"Mark", 3}, {"No Parity", 0}, {"Odd", 1}};
constexpr Choice kStopBits[] = {{"1 stop bit", 0}, {"1.5 stop bits", 1}, {"2 stop bits", 2}};

// A list whose entry of the current value is selected (none when no entry
// has it).
QComboBox* ValueList(QWidget* parent, const std::vector<std::pair<QString, int32_t>>& entries, int32_t current)
{
    auto* list = new QComboBox(parent);
    for (const auto& [text, value] : entries)
        list->addItem(text, value);
    list->setCurrentIndex(list->findData(current));
    return list;
}

std::vector<std::pair<QString, int32_t>> Numbers(const int32_t* first, const int32_t* last)
{
    std::vector<std::pair<QString, int32_t>> entries;
    for (const int32_t* v = first; v != last; ++v)
        entries.emplace_back(QString::number(*v), *v);
    return entries;
}

template <std::size_t N>
std::vector<std::pair<QString, int32_t>> Named(const Choice (&choices)[N])
{
    std::vector<std::pair<QString, int32_t>> entries;
    for (const Choice& c : choices)
        entries.emplace_back(QLatin1String(c.text), c.value);
    return entries;
}

} // namespace

QStringList AvailableSerialPorts()
{
    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports << info.systemLocation();
    ports.sort();
    return ports;
}

ButtonPortDialog::ButtonPortDialog(QWidget* parent, ButtonDefinition& row, store::SerialLineSettings& line,
                                   const QStringList& ports)
    : QDialog(parent)
    , m_row(row)
    , m_line(line)
{
    setWindowTitle(QStringLiteral("COM Port"));
    auto* layout = new QVBoxLayout(this);
    auto* portBox = new QGroupBox(QStringLiteral("COM Port setup"), this);
    auto* portForm = new QFormLayout(portBox);
    m_port = new QComboBox(portBox);
    QStringList names = ports;
    // A stored name that is not present (a Windows "COM1") is shown as
    // stored; opening it then says which devices there are.
    if (!row.Name.isEmpty() && !names.contains(row.Name, Qt::CaseInsensitive))
        names << row.Name;
    names.sort(Qt::CaseInsensitive);
    m_port->addItems(names);
    m_port->setCurrentIndex(-1);
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(row.Name, Qt::CaseInsensitive) == 0)
            m_port->setCurrentIndex(i);
    portForm->addRow(QStringLiteral("Com Port"), m_port);
    m_showIncoming = new QCheckBox(QStringLiteral("Show Incoming data"), portBox);
    m_showIncoming->setChecked(row.OptionFlags & kShowReceivedText);
    portForm->addRow(m_showIncoming);
    layout->addWidget(portBox);

    auto* lineBox = new QGroupBox(QStringLiteral("Port Settings"), this);
    auto* lineForm = new QFormLayout(lineBox);
    m_baud = ValueList(lineBox, Numbers(std::begin(kBaudRates), std::end(kBaudRates)), line.BaudRate);
    m_dataBits = ValueList(lineBox, Numbers(std::begin(kDataBits), std::end(kDataBits)), line.ByteSize);
    m_parity = ValueList(lineBox, Named(kParities), line.Parity);
    m_stopBits = ValueList(lineBox, Named(kStopBits), line.StopBits);
    lineForm->addRow(QStringLiteral("Bits per second"), m_baud);
    lineForm->addRow(QStringLiteral("Data bits"), m_dataBits);
    lineForm->addRow(QStringLiteral("Parity"), m_parity);
    lineForm->addRow(QStringLiteral("Stop bits"), m_stopBits);
    layout->addWidget(lineBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ButtonPortDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ButtonPortDialog::reject);
    layout->addWidget(buttons);
}

void ButtonPortDialog::accept()
{
    if (m_port->currentIndex() < 0) {
        store::DbMessage(this, QLatin1String(kNoPortSelectedText), QStringLiteral("Error ..."));
        return;
    }
    for (const QComboBox* list : {m_baud, m_dataBits, m_parity, m_stopBits})
        if (list->currentIndex() < 0)
            return;
    m_row.Name = m_port->currentText();
    m_row.present[BcName] = true;
    m_row.OptionFlags = m_showIncoming->isChecked() ? kShowReceivedText : 0;
    m_row.present[BcOptionFlags] = true;
    m_line.BaudRate = m_baud->currentData().toInt();
    m_line.ByteSize = m_dataBits->currentData().toInt();
    m_line.Parity = m_parity->currentData().toInt();
    m_line.StopBits = m_stopBits->currentData().toInt();
    QDialog::accept();
}

bool ShowButtonPortDialog(QWidget* owner, ButtonDefinition& row, store::SerialLineSettings& line)
{
    ButtonPortDialog dialog(owner, row, line, AvailableSerialPorts());
    return dialog.exec() == QDialog::Accepted;
}

} // namespace velmar::forms
