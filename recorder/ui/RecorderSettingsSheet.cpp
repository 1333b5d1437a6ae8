#include "recorder/ui/RecorderSettingsSheet.h"

#include "settings/PipeSettings.h"
#include "recorder/InputBackend.h"
#include "sound/RecordingFiles.h"
#include "widgets/DialogService.h"
#include "widgets/MessageBoxSeam.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmar::recorder::ui {
namespace {

constexpr int MemoryWarningMegabytes = 49;
const QString PipedEntry = QStringLiteral("External Piped Data");
// The reason a listed input cannot be used (empty when it can).
constexpr int UnavailableRole = Qt::UserRole + 1;

enum Id : int {
    IdName = 31592,
    IdDevice = 31560,
    IdRate = 31561,
    IdChannels = 31562,
    IdInterval = 31563,
    IdDuration = 31564,
    IdBuffer = 31590,
    IdFileInitials = 31566,
    IdTimeName = 31591,
    IdCopyright = 31570,
    IdDirectory = 31565,
    IdMediaInitials = 31568,
    IdMediaNumber = 31579,
    IdSmartFolders = 31575,
    IdFolderSize = 31576,
    IdLimitSingle = 31578,
    IdMaxSingle = 31577,
    IdFlashDiode = 31593,
    IdDiode = 31594,
    IdDiskWarning = 31596
};

QString Name(int id)
{
    return QStringLiteral("c%1").arg(id);
}

} // namespace

int MaxChannelsOfKind(int kind)
{
    switch (kind) {
    case 1: return 4;
    case 3:
    case 5:
    case 6: return 16;
    case 8: return 2;
    case 11: return 32;
    default: return 0;
    }
}

uint32_t MinSampleRateOfKind(int kind)
{
    // A piped block is a tenth of a second: below 10 Hz it holds no frame.
    return kind == KindPiped ? 10 : 1;
}

RecorderSettingsSheet::RecorderSettingsSheet(sound::RECORDINGINFO& recording, AskFunction ask, QWidget* parent,
                                             std::optional<std::vector<SoundCardInfo>> cards)
    : QDialog(parent), m_rec(recording), m_ask(std::move(ask))
{
    setWindowTitle(QStringLiteral("Automatic Recording"));
    auto* layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    layout->addWidget(m_pages);
    auto edit = [this](QFormLayout* form, const QString& label, int id, const QString& value, int size) {
        auto* e = new QLineEdit(value, this);
        e->setObjectName(Name(id));
        e->setMaxLength(size - 1);
        form->addRow(label, e);
        return e;
    };
    auto box = [this](QFormLayout* form, const QString& label, int id, bool on) {
        auto* b = new QCheckBox(label, this);
        b->setObjectName(Name(id));
        b->setChecked(on);
        form->addRow(b);
    };

    auto* sampling = new QWidget;
    auto* sf = new QFormLayout(sampling);
    edit(sf, QStringLiteral("Name"), IdName, m_rec.Name, sound::RECORDINGINFO::NameSize);
    m_devices = new QComboBox(this);
    m_devices->setObjectName(Name(IdDevice));
    int i = 0;
    for (const SoundCardInfo& card : cards ? *cards : ListSoundCards())
        m_devices->addItem(card.name, QVariant::fromValue(QList<int>{KindSoundCard, i++, card.maxChannels}));
    m_devices->addItem(PipedEntry, QVariant::fromValue(QList<int>{KindPiped, 0, MaxChannelsOfKind(KindPiped)}));
    for (const OtherInputInfo& input : ListOtherInputs()) {
        m_devices->addItem(input.name, QVariant::fromValue(QList<int>{input.kind, input.device, input.maxChannels}));
        m_devices->setItemData(m_devices->count() - 1, input.unavailable, UnavailableRole);
    }
    sf->addRow(QStringLiteral("Input Device"), m_devices);
    edit(sf, QStringLiteral("Sample Rate"), IdRate, QString::number(m_rec.SampleRate), 7);
    edit(sf, QStringLiteral("Channels"), IdChannels, QString::number(m_rec.nChannels), 4);
    edit(sf, QStringLiteral("Record every (minutes)"), IdInterval, QString::number(m_rec.RecordInterval), 6);
    edit(sf, QStringLiteral("Record for (seconds)"), IdDuration, QString::number(m_rec.RecordDuration), 5);
    edit(sf, QStringLiteral("Length (seconds)"), IdBuffer, QString::number(m_rec.BufferLength), 5);
    m_pages->addTab(sampling, QStringLiteral("Sampling"));
    const int kind = m_rec.DeviceType & 0xFF;
    int select = -1;
    int sameKind = 0;
    for (int row = 0; row < m_devices->count(); ++row) {
        const QList<int> d = m_devices->itemData(row).value<QList<int>>();
        if (d[0] == kind && (kind == KindPiped || d[1] == m_rec.DeviceNumber) && select < 0)
            select = row;
        if (d[0] == kind && kind != KindSoundCard)
            sameKind = row;
    }
    if (select < 0)
        select = sameKind;
    m_devices->setCurrentIndex(select);
    connect(m_devices, &QComboBox::currentIndexChanged, this, &RecorderSettingsSheet::DeviceChanged);

    auto* output = new QWidget;
    auto* of = new QFormLayout(output);
    edit(of, QStringLiteral("File Initials"), IdFileInitials, m_rec.FileInitials, sound::RECORDINGINFO::InitialsSize);
    box(of, QStringLiteral("Use time in file name"), IdTimeName, m_rec.TimeFileName);
    edit(of, QStringLiteral("Copyright "), IdCopyright, m_rec.Copyright, sound::RECORDINGINFO::InitialsSize);
    edit(of, QStringLiteral("File Directory"), IdDirectory, m_rec.OutputDirectory,
         sound::RECORDINGINFO::OutputDirectorySize);
    edit(of, QStringLiteral("Disk / Folder Name "), IdMediaInitials, m_rec.MediaInitials,
         sound::RECORDINGINFO::InitialsSize);
    edit(of, QStringLiteral("Number"), IdMediaNumber, QString::number(m_rec.MediaNumber), 6);
    box(of, QStringLiteral("Limit Folder Size"), IdSmartFolders, m_rec.SmartFolders);
    edit(of, QStringLiteral("Max Folder Size (MBytes)"), IdFolderSize, QString::number(m_rec.FolderSize), 7);
    box(of, QStringLiteral("Limit Single Recording Size"), IdLimitSingle, m_rec.LimitSingle);
    edit(of, QStringLiteral("Max size for a single recording (MBytes)"), IdMaxSingle, QString::number(m_rec.MaxSingle),
         7);
    box(of, QStringLiteral("Flash diode on channel"), IdFlashDiode, m_rec.FlashDiode);
    edit(of, QStringLiteral("Channel"), IdDiode, QString::number(m_rec.Diode), 3);
    edit(of, QStringLiteral("Issue disk warning at (hours)"), IdDiskWarning, QString::number(diskWarningHours), 5);
    m_pages->addTab(output, QStringLiteral("Output File"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
        // Leaving a page checks it; a failing check keeps it open.
        const int left = page == 0 ? 1 : 0;
        if (!(left == 0 ? CheckSampling() : CheckOutput())) {
            const QSignalBlocker block(m_pages);
            m_pages->setCurrentIndex(left);
        }
    });
    DeviceChanged();
}

QLineEdit* RecorderSettingsSheet::Edit(int id) const
{
    return findChild<QLineEdit*>(Name(id));
}
QCheckBox* RecorderSettingsSheet::Box(int id) const
{
    return findChild<QCheckBox*>(Name(id));
}

QMessageBox::StandardButton RecorderSettingsSheet::Ask(const QString& text, const QString& caption,
                                                       QMessageBox::StandardButtons buttons)
{
    if (m_ask)
        return m_ask(this, text, caption, QMessageBox::Warning, buttons);
    return shell::ui::ShowMessageBox(this, text, caption, QMessageBox::Warning, buttons);
}

void RecorderSettingsSheet::DeviceChanged()
{
    const QList<int> d = m_devices->currentData().value<QList<int>>();
    const int kind = d.value(0);
    const bool editable = kind != KindPiped && kind != KindTapeMachine;
    Edit(IdRate)->setEnabled(editable);
    Edit(IdChannels)->setEnabled(editable);
    if (kind == KindPiped) {
        pipeserver::PipeSettings pipe;
        pipeserver::ReadPipeSettings(pipe);
        Edit(IdRate)->setText(QString::number(pipeserver::AutorecPipeSampleRate(pipe)));
        Edit(IdChannels)->setText(QString::number(pipeserver::CountAutorecChannels(pipe)));
    }
    const int max = std::min(d.value(2, 0) > 0 ? d.value(2) : MaxChannelsOfKind(kind), MaxChannelsOfKind(kind));
    if (Edit(IdChannels)->text().toInt() > max) {
        Ask(QStringLiteral("The selected device cannon support the required number of channels"));
        Edit(IdChannels)->setText(QString::number(max));
    }
}

bool RecorderSettingsSheet::CheckSampling()
{
    sound::RECORDINGINFO r = m_rec;
    r.Name = Edit(IdName)->text();
    const QList<int> d = m_devices->currentData().value<QList<int>>();
    const int kind = d.value(0);
    if (kind == 0) {
        Ask(QStringLiteral("No valid input device"));
        return false;
    }
    if (const QString why = m_devices->currentData(UnavailableRole).toString(); !why.isEmpty()) {
        Ask(why, QStringLiteral("Input device not available"));
        return false;
    }
    r.DeviceType = kind;
    r.DeviceNumber = d.value(1);
    r.nBits = 16;
    r.SampleRate = Edit(IdRate)->text().toUInt();
    if (r.SampleRate < MinSampleRateOfKind(kind)) {
        Ask(QStringLiteral("Sample rate must be at least %1Hz").arg(MinSampleRateOfKind(kind)));
        return false;
    }
    const int max = MaxChannelsOfKind(kind);
    r.nChannels = Edit(IdChannels)->text().toInt();
    if (r.nChannels < 1 || r.nChannels > max) {
        Ask(QStringLiteral("Number of channels must be between 1 and %1").arg(max),
            QStringLiteral("Configuration Error"));
        return false;
    }
    r.RecordInterval = Edit(IdInterval)->text().toInt();
    if (r.RecordInterval <= 0) {
        Ask(QStringLiteral("Interval between recording must be at least 1 minute"));
        return false;
    }
    r.RecordDuration = Edit(IdDuration)->text().toInt();
    if (r.RecordDuration <= 4) {
        Ask(QStringLiteral("Record Duration must be at least 5 seconds"));
        return false;
    }
    if (qint64(r.RecordDuration) > qint64(r.RecordInterval) * 60) {
        Ask(QStringLiteral("Recording duration is greater than the time between recordings"), QStringLiteral("Error"));
        return false;
    }
    r.BufferLength = Edit(IdBuffer)->text().toInt();
    if (r.BufferLength < 0) {
        Ask(QStringLiteral("Buffer must be > 0 seconds long"));
        return false;
    }
    const qint64 megabytes = qint64(r.BufferLength) * r.SampleRate * r.nChannels * 2 / (1 << 20);
    if (r.BufferLength > m_rec.BufferLength && megabytes > MemoryWarningMegabytes
        && Ask(QStringLiteral("The Buffer you have requested will require approximately \n%1 MBytes of RAM. This "
                              "may cause your computer to crash.\n\nDo you want to continue ?")
                   .arg(megabytes),
               QStringLiteral("Memory Warning"), QMessageBox::Yes | QMessageBox::No)
               != QMessageBox::Yes)
        return false;
    r.DeviceName = m_devices->currentText().left(sound::RECORDINGINFO::DeviceNameSize - 1);
    m_rec = r;
    return true;
}

bool RecorderSettingsSheet::CheckOutput()
{
    sound::RECORDINGINFO r = m_rec;
    r.FileInitials = Edit(IdFileInitials)->text();
    r.TimeFileName = Box(IdTimeName)->isChecked();
    r.Copyright = Edit(IdCopyright)->text();
    r.OutputDirectory = Edit(IdDirectory)->text();
    const QString folder = sound::RecordingFolderPath(r.OutputDirectory);
    if (r.OutputDirectory.trimmed().isEmpty() || !QDir().mkpath(folder)) {
        Ask(r.OutputDirectory, QStringLiteral("Unable to open directory :"));
        return false;
    }
    r.MediaInitials = Edit(IdMediaInitials)->text();
    r.MediaNumber = Edit(IdMediaNumber)->text().toInt();
    r.SmartFolders = Box(IdSmartFolders)->isChecked();
    r.FolderSize = Edit(IdFolderSize)->text().toInt();
    r.LimitSingle = Box(IdLimitSingle)->isChecked();
    r.MaxSingle = Edit(IdMaxSingle)->text().toInt();
    if (r.MaxSingle < 1 || r.MaxSingle > MaxSingleMegabytesLimit) {
        Ask(QStringLiteral("Max size for a single recording must be between 1 and %1 MBytes")
                .arg(MaxSingleMegabytesLimit));
        return false;
    }
    if (r.SmartFolders && r.FolderSize < 1) {
        Ask(QStringLiteral("Max Folder Size must be at least 1 MByte"));
        return false;
    }
    r.FlashDiode = Box(IdFlashDiode)->isChecked();
    r.Diode = Edit(IdDiode)->text().toInt();
    diskWarningHours = Edit(IdDiskWarning)->text().toInt();
    m_rec = r;
    return true;
}

void RecorderSettingsSheet::accept()
{
    if (!CheckSampling()) {
        m_pages->setCurrentIndex(0);
        return;
    }
    if (!CheckOutput()) {
        const QSignalBlocker block(m_pages);
        m_pages->setCurrentIndex(1);
        return;
    }
    QDialog::accept();
}

bool RunRecorderSettings(QWidget* owner, sound::RECORDINGINFO& recording, const AskFunction& ask,
                         const std::function<int()>& diskWarningHours)
{
    sound::RECORDINGINFO copy = recording;
    RecorderSettingsSheet sheet(copy, ask, owner);
    sheet.diskWarningHours = diskWarningHours ? diskWarningHours() : 0;
    if (!shell::ui::Dialogs().RunDialog(sheet))
        return false;
    recording = copy;
    return true;
}

} // namespace velmar::recorder::ui
