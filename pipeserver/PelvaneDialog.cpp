#include "pipeserver/PelvaneDialog.h"

#include "pipeserver/SettingsSheet.h"
#include "pipeserver/backend/InputDevices.h"
#include "platform/Folders.h"
#include "platform/MessageBus.h"
#include "sound/PipeProtocol.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcDialog, "velmar.pipeserver.dialog")

namespace velmar::pipeserver {

namespace {
const QString HelpFile = QStringLiteral("Pelvane.html");

QString stateWord(int state)
{
    switch (state) {
    case AdcIdle: return QStringLiteral("Idle");
    case AdcRunning: return QStringLiteral("Running");
    case AdcStarting: return QStringLiteral("Starting");
    case AdcStopping: return QStringLiteral("Stopping");
    default: return QStringLiteral("Unknown Status");
    }
}

QString noOutputText(uint bit)
{
    switch (bit) {
    case RoutePorpoise: return QStringLiteral("No output to Porpoise Detector");
    case RouteWhistle: return QStringLiteral("No output to Whistle Detector");
    case RouteQuintra: return QStringLiteral("No output to Quintra Click");
    default: return QStringLiteral("No output to Velmar");
    }
}
} // namespace

QString TrayTip(int adcState)
{
    switch (adcState) {
    case AdcIdle: return QStringLiteral("ADC Idle");
    case AdcRunning: return QStringLiteral("ADC Running");
    case AdcStarting: return QStringLiteral("Starting");
    case AdcStopping: return QStringLiteral("Stopping");
    default: return QStringLiteral("ADC Idle");
    }
}

PelvaneDialog::PelvaneDialog(AcquisitionThread& acquisition, Clock clock, QWidget* parent)
    : QWidget(parent), m_acquisition(acquisition), m_clock(std::move(clock)),
      m_lastStatusTick(m_clock() - StatusHoldMs - 1)
{
    setWindowTitle(QString::fromLatin1(sound::PelvaneTitle));
    m_messages = [this](const QString& text, const QString& caption) {
        auto* box = new QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
    };
    const auto line = [this](const QString& name) {
        auto* label = new QLabel(this);
        label->setObjectName(name);
        m_lines[name] = label;
        return label;
    };
    auto* adc = new QGroupBox(QStringLiteral("Analog to Digital Conversion"), this);
    auto* adcLayout = new QVBoxLayout(adc);
    for (const char* name : {"device", "channels", "format", "status"})
        adcLayout->addWidget(line(QString::fromLatin1(name)));
    auto* pipes = new QGroupBox(QStringLiteral("Output Pipes"), this);
    auto* pipeLayout = new QVBoxLayout(pipes);
    for (const sound::PipeRoute& route : sound::PipeRoutes) {
        pipeLayout->addWidget(line(QStringLiteral("pipeState%1").arg(route.bit)));
        pipeLayout->addWidget(line(QStringLiteral("pipeOutput%1").arg(route.bit)));
    }
    auto* settings = new QPushButton(QStringLiteral("Settings"), this);
    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    connect(settings, &QPushButton::clicked, this, &PelvaneDialog::cmSettings);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this, [this] {
        const QString path = platform::dataFile(HelpFile);
        if (!QFileInfo::exists(path) || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
            showMessage(QStringLiteral("No Help defined"), QString::fromLatin1(sound::PelvaneTitle));
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(settings);
    buttons->addWidget(closeButton);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(adc);
    layout->addWidget(pipes);
    layout->addLayout(buttons);

    AcquisitionEngine* engine = m_acquisition.engine();
    connect(engine, &AcquisitionEngine::adcStateChanged, this, [this](int state) {
        updateStatus();
        emit adcStateChanged(state);
    });
    connect(engine, &AcquisitionEngine::pipeStateChanged, this, &PelvaneDialog::showPipeState);
    connect(engine, &AcquisitionEngine::statusText, this, &PelvaneDialog::showStatusText);
    connect(engine, &AcquisitionEngine::message, this, &PelvaneDialog::showMessage);
    connect(engine, &AcquisitionEngine::sampleRateFound, this, &PelvaneDialog::onSampleRateFound);

    const PipeSettings copy = ThePipeSettings();
    m_acquisition.post([copy](AcquisitionEngine& e) { e.setSettings(copy); });
    updateStatus(true);
    for (uint bit : {1u, 4u, 2u, 32u})
        showPipeState(bit, PipeIdle);
}

void PelvaneDialog::showMessage(const QString& text, const QString& caption)
{
    qCWarning(lcDialog).noquote() << caption << ":" << text;
    if (m_messages)
        m_messages(text, caption);
}

qint64 PelvaneDialog::pipeCommand(quint64 wParam, qint64 lParam)
{
    if (!sound::IsValidPipeCommand(wParam, lParam))
        return 0;
    const uint32_t bit = uint32_t(lParam);
    const bool open = wParam == sound::PipeCommandOpen;
    const auto answered = m_acquisition.call<bool>(
        [open, bit](AcquisitionEngine& e) {
            open ? e.openOutputPipe(bit) : e.closeOutputPipe(bit);
            return true;
        },
        EngineCallTimeoutMs);
    if (!answered)
        qCWarning(lcDialog) << "the acquisition thread did not take pipe command" << wParam << lParam;
    return 0;
}

qint64 PelvaneDialog::lastFillTime()
{
    return m_acquisition.call<qint64>([](AcquisitionEngine& e) { return e.lastFillTime(); }, EngineCallTimeoutMs)
        .value_or(0);
}

qint64 PelvaneDialog::porpoiseStatus(int n)
{
    const PipeSettings& s = ThePipeSettings();
    // Query N is about the (N+1)-th channel that goes to the porpoise pipe,
    // the N-th channel of its stream.
    int channel = -1;
    int seen = 0;
    for (int c = 0; c < PipeSettings::MaxChannels && channel < 0; ++c)
        if ((s.ChannelSettings[c].Routing & RoutePorpoise) && seen++ == n)
            channel = c;
    const int state = adcState();
    const sound::PelvaneAcquisition acquisition = state == AdcIdle     ? sound::PelvaneAcquisition::Idle
                                                : state == AdcRunning  ? sound::PelvaneAcquisition::Running
                                                : state == AdcStarting ? sound::PelvaneAcquisition::Starting
                                                : state == AdcStopping ? sound::PelvaneAcquisition::Stopping
                                                                       : sound::PelvaneAcquisition::Other;
    const bool inScan = channel >= 0 && s.Occurrences[channel] > 0;
    // No device here gives a spot reading (an NI-DAQ board would).
    return sound::PorpoiseStatusReply(n, CountPorpoiseChannels(s), acquisition, inScan, s.DeviceType, std::nullopt);
}

int PelvaneDialog::adcState()
{
    return m_acquisition.call<int>([](AcquisitionEngine& e) { return e.adcState(); }, EngineCallTimeoutMs).value_or(-1);
}

void PelvaneDialog::updateStatus(bool readDevice)
{
    const PipeSettings& s = ThePipeSettings();
    if (readDevice) {
        const auto device = DeviceLine(s);
        if (!device)
            showMessage(QStringLiteral("Unknown input device"), QStringLiteral("Error"));
        m_lines["device"]->setText(device.value_or(QStringLiteral("Unknown input device %1").arg(s.DeviceType)));
    }
    m_lines["channels"]->setText(QStringLiteral("Sampling Channels %1").arg(FormatChannelList(s)));
    m_lines["format"]->setText(QStringLiteral("%1 bit data at %2 Hz").arg(s.Bits).arg(s.SampleRate));
    if (m_clock() - m_lastStatusTick > StatusHoldMs)
        m_lines["status"]->setText(stateWord(adcState()));
    for (const sound::PipeRoute& route : sound::PipeRoutes) {
        const int n = CountRoutedChannels(s, route.bit);
        const int rate = s.SampleRate * s.RateMultipliers[PipeIndexOfBit(route.bit)];
        m_lines[QStringLiteral("pipeOutput%1").arg(route.bit)]->setText(
            n == 0   ? noOutputText(route.bit)
            : n == 1 ? QStringLiteral("%1 channel at  %2 Hz").arg(n).arg(rate)
                     : QStringLiteral("%1 channels at %2 Hz").arg(n).arg(rate));
    }
}

void PelvaneDialog::showPipeState(uint bit, int state)
{
    const auto route = sound::PipeRouteOfBit(bit);
    if (!route || state < PipeIdle || state > PipeStarting)
        return;
    auto shown = m_shownPipeState.find(bit);
    if (shown != m_shownPipeState.end() && shown->second == state)
        return;
    m_shownPipeState[bit] = state;
    static const char* const words[] = {"Idle", "Filling", "Error", "Starting"};
    m_lines[QStringLiteral("pipeState%1").arg(bit)]->setText(
        QStringLiteral("%1 - %2").arg(QString::fromLatin1(route->label), QString::fromLatin1(words[state - 1])));
}

void PelvaneDialog::showStatusText(const QString& text)
{
    m_lines["status"]->setText(text);
    m_lastStatusTick = m_clock();
}

QString PelvaneDialog::lineText(const QString& name) const
{
    const auto it = m_lines.find(name);
    return it == m_lines.end() ? QString() : it->second->text();
}

void PelvaneDialog::cmSettings()
{
    if (adcState() != AdcIdle)
        return;
    SettingsSheet sheet([this] { return publishSettings(); }, this);
    connect(&sheet, &SettingsSheet::message, this, &PelvaneDialog::showMessage);
    sheet.exec();
    updateStatus(true);
    const PipeSettings copy = ThePipeSettings();
    m_acquisition.post([copy](AcquisitionEngine& e) { e.setSettings(copy); });
}

void PelvaneDialog::onSampleRateFound(int rate)
{
    // The consumers learn the rate from "PipeDat.dat": it must say what the
    // pipes carry.
    ThePipeSettings().SampleRate = rate;
    showStatusText(QStringLiteral("The device runs at %1 Hz").arg(rate));
    updateStatus();
    if (!publishSettings())
        showMessage(QStringLiteral("Problem writing to defaults file"), QStringLiteral("Error"));
    m_acquisition.post([](AcquisitionEngine& e) { e.ratePublished(); });
}

bool PelvaneDialog::publishSettings()
{
    const PipeFileResult written = WritePipeSettings(ThePipeSettings());
    if (!written.ok)
        qCWarning(lcDialog) << "PipeDat.dat not written:" << written.reason << written.messageText;
    platform::MessageBus::instance().broadcast(QString::fromLatin1(sound::PipeMessageNames[1]), 0, 0);
    return written.ok;
}

void PelvaneDialog::closeEvent(QCloseEvent* event)
{
    if (adcState() != AdcIdle) {
        // A consumer's stream must not end because Pelvane was closed.
        showMinimized();
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace velmar::pipeserver
