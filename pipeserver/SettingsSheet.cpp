#include "pipeserver/SettingsSheet.h"

#include "pipeserver/SettingsRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmar::pipeserver {

namespace {
const char* const PipeHeadings[PipeSettings::PipeCount] = {"Porpoise", "Whistle", "Quintra Click", "Velmar Mavrel"};
constexpr int GainCodes[8] = {-1, 1, 2, 5, 10, 20, 50, 100};
const char* const RangeTexts[8] = {"+/- 10 V",   "+/- 5 V",    "+/- 2.5 V",  "+/- 1 V",
                                   "+/- 500 mV", "+/- 250 mV", "+/- 100 mV", "+/- 50 mV"};
} // namespace

SettingsSheet::SettingsSheet(Publisher publish, QWidget* parent) : QDialog(parent), m_publish(std::move(publish))
{
    setWindowTitle(QStringLiteral("Settings"));
    m_ask = [this](const QString& text, const QString& caption) {
        return QMessageBox::question(this, caption, text) == QMessageBox::Yes;
    };
    m_tabs = new QTabWidget(this);

    auto* sampling = new QWidget;
    auto* form = new QFormLayout(sampling);
    m_device = new QComboBox(sampling);
    m_device->setObjectName(QStringLiteral("device"));
    m_driverSettings = new QPushButton(QStringLiteral("Settings"), sampling);
    m_rate = new QLineEdit(sampling);
    m_rate->setObjectName(QStringLiteral("rate"));
    m_rate->setMaxLength(9);
    m_channelList = new QLineEdit(sampling);
    m_channelList->setObjectName(QStringLiteral("channels"));
    m_channelList->setMaxLength(40);
    m_buffer = new QLineEdit(sampling);
    m_buffer->setObjectName(QStringLiteral("buffer"));
    m_buffer->setMaxLength(4);
    form->addRow(QStringLiteral("Input Device"), m_device);
    form->addRow(QString(), m_driverSettings);
    form->addRow(QStringLiteral("Base Sample Rate"), m_rate);
    form->addRow(QStringLiteral("Channel Vector"), m_channelList);
    form->addRow(QStringLiteral("Buffer length (seconds)"), m_buffer);
    m_tabs->addTab(sampling, QStringLiteral("Sampling"));

    auto* channels = new QWidget;
    auto* grid = new QGridLayout(channels);
    for (int p = 0; p < PipeSettings::PipeCount; ++p)
        grid->addWidget(new QLabel(QString::fromLatin1(PipeHeadings[p]), channels), 0, p + 1);
    for (int c = 0; c < PipeSettings::MaxChannels; ++c) {
        m_properties[c] = new QPushButton(QString::number(c), channels);
        m_properties[c]->setObjectName(QStringLiteral("properties%1").arg(c));
        m_properties[c]->setToolTip(QStringLiteral("Channel Properties"));
        connect(m_properties[c], &QPushButton::clicked, this, [this, c] { editChannelProperties(c); });
        grid->addWidget(m_properties[c], c + 1, 0);
        for (int p = 0; p < PipeSettings::PipeCount; ++p) {
            m_ticks[c][p] = new QCheckBox(channels);
            m_ticks[c][p]->setObjectName(QStringLiteral("route%1_%2").arg(c).arg(p));
            grid->addWidget(m_ticks[c][p], c + 1, p + 1);
        }
    }
    m_tabs->addTab(channels, QStringLiteral("Channels"));

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply | QDialogButtonBox::Help, this);
    connect(buttons->button(QDialogButtonBox::Ok), &QPushButton::clicked, this, [this] {
        if (apply())
            accept();
    });
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, &SettingsSheet::apply);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [this] { emit message(QStringLiteral("No Help defined"), QString()); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);

    const PipeSettings& s = ThePipeSettings();
    m_rate->setText(QString::number(s.SampleRate));
    m_channelList->setText(FormatChannelList(s));
    m_buffer->setText(QString::number(s.BufferSeconds));
    for (int c = 0; c < PipeSettings::MaxChannels; ++c)
        for (int p = 0; p < PipeSettings::PipeCount; ++p)
            m_ticks[c][p]->setChecked(s.Occurrences[c] > 0 && (s.ChannelSettings[c].Routing & PipeRoutingBits[p]));
    connect(m_device, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_driverSettings->setEnabled(index >= 0 && index < m_devices.size()
                                     && m_devices[index].deviceType == DeviceAsio);
    });
    connect(m_driverSettings, &QPushButton::clicked, this, [this] {
        emit message(QStringLiteral("The JACK server is set up with its own tools (jackd's options, a patch bay)."),
                     QStringLiteral("JACK"));
    });
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == m_currentPage)
            return;
        const bool left = m_currentPage == 0 ? leaveSampling() : leaveChannels();
        if (!left) {
            const QSignalBlocker block(m_tabs);
            m_tabs->setCurrentIndex(m_currentPage);
            return;
        }
        m_currentPage = index;
        if (index == 1)
            showChannels();
    });
    setDevices(ListInputDevices());
    showChannels();
}

void SettingsSheet::setDevices(const QList<InputDeviceEntry>& devices)
{
    m_devices = devices;
    const QSignalBlocker block(m_device);
    m_device->clear();
    const PipeSettings& s = ThePipeSettings();
    int selected = devices.isEmpty() ? -1 : 0;
    for (int i = 0; i < devices.size(); ++i) {
        m_device->addItem(devices[i].name);
        if (devices[i].deviceType == s.DeviceType && devices[i].deviceNumber == s.DeviceNumber)
            selected = i;
    }
    m_device->setCurrentIndex(selected);
    m_driverSettings->setEnabled(selected >= 0 && devices[selected].deviceType == DeviceAsio);
}

bool SettingsSheet::leaveSampling()
{
    const int index = m_device->currentIndex();
    const bool chosen = index >= 0 && index < m_devices.size();
    PipeSettings copy = ThePipeSettings();
    const PageCheck check = ReadSamplingControls(copy, chosen ? m_devices[index].deviceType : 0,
                                                 chosen ? m_devices[index].deviceNumber : 0, m_rate->text(),
                                                 m_channelList->text(), m_buffer->text());
    if (!check.message.isEmpty())
        emit message(check.message, check.caption);
    if (!check.accepted)
        return false;
    ThePipeSettings() = copy;
    return true;
}

bool SettingsSheet::leaveChannels()
{
    std::array<std::array<bool, 4>, PipeSettings::MaxChannels> ticks{};
    for (int c = 0; c < PipeSettings::MaxChannels; ++c)
        for (int p = 0; p < PipeSettings::PipeCount; ++p)
            ticks[c][p] = m_ticks[c][p]->isChecked();
    PipeSettings copy = ThePipeSettings();
    const PageCheck check = CopyRouting(copy, ticks);
    if (!check.accepted) {
        emit message(check.message, check.caption);
        return false;
    }
    if (check.question && !m_ask(check.message, check.caption))
        return false;
    ThePipeSettings() = copy;
    return true;
}

bool SettingsSheet::apply()
{
    if (!(m_currentPage == 0 ? leaveSampling() : leaveChannels()))
        return false;
    PipeSettings& live = ThePipeSettings();
    const PageCheck check = CheckForApply(live);
    if (!check.accepted) {
        emit message(check.message, check.caption);
        return false;
    }
    if (!m_publish()) {
        emit message(QStringLiteral("Problem writing to defaults file"), QStringLiteral("Error"));
        return false;
    }
    return true;
}

void SettingsSheet::showChannels()
{
    const PipeSettings& s = ThePipeSettings();
    for (int c = 0; c < PipeSettings::MaxChannels; ++c) {
        const bool sampled = s.Occurrences[c] > 0;
        m_properties[c]->setEnabled(sampled);
        for (QCheckBox* box : m_ticks[c]) {
            box->setEnabled(sampled);
            if (!sampled)
                box->setChecked(false);
        }
    }
}

void SettingsSheet::editChannelProperties(int channel)
{
    PipeSettings& s = ThePipeSettings();
    if (s.DeviceType != DeviceNiDaq && s.DeviceType != DeviceNiDaqMx)
        return;
    NiGainDialog dialog(s, channel, this);
    dialog.exec();
}

NiGainDialog::NiGainDialog(PipeSettings& settings, int channel, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_channel(channel)
{
    setWindowTitle(QStringLiteral("National Instruments Gain"));
    auto* types = new QGroupBox(QStringLiteral("Input Type"), this);
    auto* typeLayout = new QVBoxLayout(types);
    const char* const typeTexts[3] = {"Differential", "Referenced Single Ended", "Non-Referenced Single Ended"};
    for (int i = 0; i < 3; ++i) {
        m_types[i] = new QRadioButton(QString::fromLatin1(typeTexts[i]), types);
        m_types[i]->setChecked(settings.NiInputConfig == i);
        typeLayout->addWidget(m_types[i]);
    }
    auto* ranges = new QGroupBox(QStringLiteral("Input Range"), this);
    auto* rangeLayout = new QVBoxLayout(ranges);
    for (int i = 0; i < 8; ++i) {
        m_ranges[i] = new QRadioButton(QString::fromLatin1(RangeTexts[i]), ranges);
        m_ranges[i]->setChecked(settings.ChannelSettings[channel].Gain == GainCodes[i]);
        rangeLayout->addWidget(m_ranges[i]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(types);
    layout->addWidget(ranges);
    layout->addWidget(buttons);
}

void NiGainDialog::done(int result)
{
    if (result == Accepted) {
        int range = -1;
        for (int i = 0; i < 8; ++i)
            if (m_ranges[i]->isChecked())
                range = i;
        if (range < 0)
            return; // no range chosen: the dialog stays
        m_settings.NiInputConfig = m_types[1]->isChecked() ? 1 : m_types[2]->isChecked() ? 2 : 0;
        m_settings.ChannelSettings[m_channel].Gain = int16_t(GainCodes[range]);
    }
    QDialog::done(result);
}

} // namespace velmar::pipeserver
