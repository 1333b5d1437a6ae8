#include "deck/ui/DeckOptionPages.h"

#include "deck/AudioOutput.h"
#include "deck/ui/DeckLogic.h"
#include "widgets/DialogService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmar::deck {

namespace {

// The leading number of a text, as the C library reads it.
double leadingNumber(const QString& text, bool integer)
{
    static const QRegularExpression real(QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)"));
    static const QRegularExpression whole(QStringLiteral(R"(^\s*[+-]?\d+)"));
    const QRegularExpressionMatch m = (integer ? whole : real).match(text);
    return m.hasMatch() ? m.captured(0).trimmed().toDouble() : 0.0;
}

} // namespace

QString ApplyPlayRate(const PlayRateFields& fields, const QStringList& devices, DeckSettings& settings)
{
    DeckSettings s = settings;
    const int device = int(devices.indexOf(fields.device));
    if (device < 0)
        return QStringLiteral("No Sound Card Selected");
    s.PlaybackDevice = device;
    s.PlayAtFileRate = fields.atFileRate ? 1 : 0;
    if (!fields.rate.isEmpty()) {
        const double rate = leadingNumber(fields.rate, true);
        if (rate <= 0)
            return QStringLiteral("Playback rate is less than 0");
        s.PlaybackRate = uint32_t(std::min(rate, 4294967295.0));
    }
    s.GainDb = float(leadingNumber(fields.gain, false));
    settings = s;
    return QString();
}

float DelayFromText(const QString& text)
{
    return float(leadingNumber(text.left(3), false));
}

ChannelsPage::ChannelsPage(const DeckSettings& settings, QWidget* parent) : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    const char* headings[4] = {"Whistle", "Quintra Click", "L", "R"};
    const uint32_t masks[4] = {settings.WhistleMask, settings.ClickMask, settings.LeftMask, settings.RightMask};
    for (int c = 0; c < 4; ++c) {
        grid->addWidget(new QLabel(QLatin1String(headings[c]), this), 0, c + 1);
        const auto on = BoxesFromMask(masks[c]);
        for (int r = 0; r < 8; ++r) {
            auto* b = new QCheckBox(this);
            b->setChecked(on[std::size_t(r)]);
            m_boxes[std::size_t(c)][std::size_t(r)] = b;
            grid->addWidget(b, r + 1, c + 1);
        }
    }
    grid->addWidget(new QLabel(QStringLiteral("Speakers"), this), 0, 5);
    for (int r = 0; r < 8; ++r)
        grid->addWidget(new QLabel(QString::number(r + 1), this), r + 1, 0);
}

void ChannelsPage::apply(DeckSettings& settings) const
{
    uint32_t* masks[4] = {&settings.WhistleMask, &settings.ClickMask, &settings.LeftMask, &settings.RightMask};
    for (std::size_t c = 0; c < 4; ++c) {
        std::array<bool, 8> on{};
        for (std::size_t r = 0; r < 8; ++r)
            on[r] = m_boxes[c][r]->isChecked();
        *masks[c] = MaskFromBoxes(on);
    }
}

PlayRatePage::PlayRatePage(const DeckSettings& settings, int fileRate, QStringList devices, QWidget* parent)
    : QWidget(parent), m_fileRate(fileRate), m_playbackRate(settings.PlaybackRate), m_devices(std::move(devices))
{
    m_device = new QComboBox(this);
    m_device->addItems(m_devices);
    m_device->setCurrentIndex(settings.PlaybackDevice);
    m_rate = new QLineEdit(this);
    m_rate->setMaxLength(6);
    m_atFileRate = new QCheckBox(QStringLiteral("Playback at normal rate"), this);
    m_atFileRate->setChecked(settings.PlayAtFileRate != 0);
    m_gain = new QLineEdit(QString::number(double(settings.GainDb), 'g'), this);
    m_gain->setMaxLength(4);
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_device, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Playback Rate"), this), 1, 0);
    grid->addWidget(m_rate, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Hz"), this), 1, 2);
    grid->addWidget(m_atFileRate, 2, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Playback Gain (dB)"), this), 3, 0);
    grid->addWidget(m_gain, 3, 1);
    connect(m_atFileRate, &QCheckBox::clicked, this, [this] { refreshRate(); });
    refreshRate();
}

void PlayRatePage::refreshRate()
{
    if (m_atFileRate->isChecked())
        m_rate->setText(m_fileRate > 0 ? QString::number(m_fileRate) : QString());
    else
        m_rate->setText(QString::number(m_playbackRate));
    m_rate->setEnabled(!m_atFileRate->isChecked());
}

QString PlayRatePage::apply(DeckSettings& settings) const
{
    return ApplyPlayRate({m_device->currentText(), m_atFileRate->isChecked(), m_rate->text(), m_gain->text()},
                         m_devices, settings);
}

TrackOptsPage::TrackOptsPage(const DeckSettings& settings, QWidget* parent) : QWidget(parent)
{
    m_join = new QCheckBox(
        QStringLiteral("When there is no delay between successive tracks, play them as a single file"), this);
    m_join->setChecked(settings.JoinTracks != 0);
    m_delay = new QLineEdit(QString::number(double(settings.InterTrackDelay), 'g'), this);
    m_delay->setMaxLength(3);
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_join, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Inter Track Delay (s)"), this), 1, 0);
    grid->addWidget(m_delay, 1, 1);
}

void TrackOptsPage::apply(DeckSettings& settings) const
{
    settings.JoinTracks = m_join->isChecked() ? 1 : 0;
    settings.InterTrackDelay = DelayFromText(m_delay->text());
}

void RunDeckOptions(QWidget* parent, int page, int fileRate, const DeckMessageFn& showMessage,
                    const QStringList& devices)
{
    DeckSettings& settings = TheDeckSettingsFile().deck;
    QDialog sheet(parent);
    sheet.setWindowTitle(QStringLiteral("Options"));
    auto* tabs = new QTabWidget(&sheet);
    auto* channels = new ChannelsPage(settings, tabs);
    auto* rate = new PlayRatePage(settings, fileRate, devices.isEmpty() ? PortAudioOutputNames() : devices, tabs);
    auto* track = new TrackOptsPage(settings, tabs);
    tabs->addTab(channels, QStringLiteral("Channels"));
    tabs->addTab(rate, QStringLiteral("Soundcard"));
    tabs->addTab(track, QStringLiteral("Track Options"));
    tabs->setCurrentIndex(std::clamp(page, 0, 2));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &sheet);
    auto* layout = new QVBoxLayout(&sheet);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &sheet, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &sheet, [&] {
        DeckSettings edited = settings;
        channels->apply(edited);
        // A refused Soundcard page keeps the sheet open: nothing is stored.
        if (const QString refused = rate->apply(edited); !refused.isEmpty()) {
            tabs->setCurrentWidget(rate);
            if (showMessage)
                showMessage(refused, QString());
            return;
        }
        track->apply(edited);
        settings = edited;
        sheet.accept();
    });
    shell::ui::Dialogs().RunDialog(sheet);
}

} // namespace velmar::deck
