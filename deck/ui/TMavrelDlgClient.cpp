#include "deck/ui/TMavrelDlgClient.h"

#include "deck/DeckEngine.h"
#include "deck/ui/ColourGauge.h"
#include "deck/ui/DeckOptionPages.h"
#include "deck/ui/DigFilterDialog.h"
#include "widgets/DialogService.h"
#include "platform/DateTimeText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStorageInfo>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>

namespace velmar::deck {

namespace {

std::atomic<int> g_lastDeckState{0};

constexpr int PositionIntervalMs = 100;
constexpr int VolumePollMs = 2000;

// The mounted volumes, to notice media that come and go.
QStringList mountedVolumes()
{
    QStringList roots;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        roots << v.rootPath();
    roots.sort();
    return roots;
}
constexpr int SliderRange = 1000;

QString timeText(const platform::SystemTime& t)
{
    return platform::FormatTimeStamp(t);
}

// ">>" and "<<": the engine is told of press and release and does nothing
// with them, so the buttons only show.
QPushButton* button(const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TMavrelDlgClient::TMavrelDlgClient(QWidget* parent, quint32 runMode, DeckWindowServices services)
    : QWidget(parent), m_runMode(runMode), m_services(std::move(services))
{
    DeckSettingsFile& settings = TheDeckSettingsFile();
    if (const DeckFileResult r = ReadDeckSettings(settings);
        !r.ok && !r.messageText.isEmpty() && m_services.showMessage)
        m_services.showMessage(r.messageText, r.messageCaption);

    m_play = button(QStringLiteral("Play"), this);
    m_playListButton = button(QStringLiteral("Play List"), this);
    m_pause = button(QStringLiteral("Pause"), this);
    m_rewind = button(QStringLiteral("Rewind"), this);
    m_ff = button(QStringLiteral(">>"), this);
    m_rew = button(QStringLiteral("<<"), this);
    m_options = button(QStringLiteral("Options"), this);
    m_selectFolder = button(QStringLiteral("Select Folder"), this);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(0, SliderRange);
    m_slider->setPageStep(SliderRange / 10);
    m_fileBox = new QGroupBox(QStringLiteral("FileClosed"), this);
    m_fileOf = new QLabel(m_fileBox);
    m_channels = new QLabel(m_fileBox);
    m_playRate = new QLabel(m_fileBox);
    m_duration = new QLabel(m_fileBox);
    m_elapsed = new QLabel(m_fileBox);
    m_dateTime = new QLabel(m_fileBox);
    QFont bold = m_dateTime->font();
    bold.setPointSize(bold.pointSize() + 2);
    bold.setWeight(QFont::Bold);
    m_dateTime->setFont(bold);
    m_folderLine = new QLabel(this);
    m_byFolder = new QRadioButton(QStringLiteral("List files in current directory"), this);
    m_byPeriod = new QRadioButton(QStringLiteral("List files in current ShowData time period"), this);
    auto* group = new QButtonGroup(this);
    group->addButton(m_byFolder);
    group->addButton(m_byPeriod);
    m_subFolders = new QCheckBox(QStringLiteral("Include Sub Folders"), this);

    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setColumnCount(7);
    m_list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("In Folder"), QStringLiteral("Date"),
                             QStringLiteral("Length"), QStringLiteral("nChan"), QStringLiteral("Rate Hz"),
                             QStringLiteral("Comment")});
    const int widths[7] = {140, 140, 140, 70, 50, 70, 200};
    for (int c = 0; c < 7; ++c)
        m_list->setColumnWidth(c, widths[c]);
    m_list->header()->setSectionsClickable(true);

    auto* meters = new QFrame(this);
    meters->setFrameShape(QFrame::StyledPanel);
    auto* meterRow = new QHBoxLayout(meters);
    for (auto& m : m_fileMeters) {
        m = new TColourGauge(meters);
        meterRow->addWidget(m);
    }
    meterRow->addSpacing(20);
    for (auto& m : m_speakerMeters) {
        m = new TColourGauge(meters);
        meterRow->addWidget(m);
    }
    for (TColourGauge* m : m_fileMeters)
        m->setRange(-60, 0), m->setValue(-60);
    for (TColourGauge* m : m_speakerMeters)
        m->setRange(-60, 0), m->setValue(-60);

    auto* facts = new QGridLayout(m_fileBox);
    facts->addWidget(m_fileOf, 0, 0);
    facts->addWidget(m_channels, 0, 1);
    facts->addWidget(m_playRate, 1, 0);
    facts->addWidget(m_duration, 1, 1);
    facts->addWidget(m_elapsed, 2, 0);
    facts->addWidget(m_dateTime, 2, 1);
    auto* transport = new QHBoxLayout;
    for (QPushButton* b : {m_play, m_playListButton, m_pause, m_rewind, m_rew, m_ff, m_options})
        transport->addWidget(b);
    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(m_fileBox);
    left->addLayout(transport);
    left->addWidget(m_slider);
    top->addLayout(left, 3);
    top->addWidget(meters, 2);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_byFolder);
    folderRow->addWidget(m_byPeriod);
    folderRow->addWidget(m_subFolders);
    folderRow->addWidget(m_selectFolder);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(m_list, 1);
    all->addWidget(m_folderLine);
    all->addLayout(folderRow);
    resize(930, 560);

    m_positionTimer.setInterval(PositionIntervalMs);
    connect(&m_positionTimer, &QTimer::timeout, this, [this] { showPosition(); });
    // Linux cannot be asked to keep a disk while the deck plays from it; the
    // list is only made again when media come or go.
    m_volumes = mountedVolumes();
    m_volumeTimer.setInterval(VolumePollMs);
    connect(&m_volumeTimer, &QTimer::timeout, this, [this] {
        if (QStringList now = mountedVolumes(); now != m_volumes) {
            m_volumes = std::move(now);
            devicesChanged();
        }
    });
    m_volumeTimer.start();
    m_nextTrackTimer.setSingleShot(true);
    connect(&m_nextTrackTimer, &QTimer::timeout, this, [this] { nextTrackTimer(); });

    connect(m_play, &QPushButton::clicked, this, [this] { play(); });
    connect(m_pause, &QPushButton::clicked, this, [this] { pause(); });
    connect(m_rewind, &QPushButton::clicked, this, [this] { rewind(); });
    connect(m_playListButton, &QPushButton::clicked, this, [this] { playList(); });
    connect(m_options, &QPushButton::clicked, this, [this] {
        QMenu menu(this);
        menu.addAction(QStringLiteral("&Channels..."), this, [this] { openOptions(0); });
        menu.addAction(QStringLiteral("&Device..."), this, [this] { openOptions(1); });
        menu.addAction(QStringLiteral("&Track Opts..."), this, [this] { openOptions(2); });
        menu.addSeparator();
        QAction* filter = menu.addAction(QStringLiteral("Digital &Filter..."), this, [this] { openFilterDialog(); });
        filter->setEnabled(commandAvailable(CmdFilter));
        shell::ui::Dialogs().RunPopup(menu, m_options->mapToGlobal(QPoint(0, 0)));
    });
    connect(m_slider, &QSlider::sliderMoved, this, [this](int v) { sliderMoved(v); });
    connect(m_slider, &QSlider::sliderReleased, this, [this] { sliderReleased(); });
    connect(m_slider, &QSlider::actionTriggered, this, [this](int action) {
        if (action == QAbstractSlider::SliderPageStepAdd || action == QAbstractSlider::SliderPageStepSub)
            QTimer::singleShot(0, this, [this] {
                sliderMoved(m_slider->value());
                sliderReleased();
            });
    });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { listDoubleClicked(); });
    connect(m_list, &QTreeWidget::itemClicked, this, [this] { listClicked(); });
    connect(m_list->header(), &QHeaderView::sectionClicked, this, [this](int c) { sortByColumn(c); });
    connect(m_selectFolder, &QPushButton::clicked, this, [this] {
        const QString folder = m_services.chooseFolder ? m_services.chooseFolder(nullptr) : QString();
        if (folder.isEmpty())
            return;
        TheDeckSettingsFile().deck.setFolder(folder);
        m_subFolders->setChecked(false);
        refreshFileList();
    });
    connect(m_subFolders, &QCheckBox::toggled, this, [this] { refreshFileList(); });
    connect(m_byPeriod, &QRadioButton::toggled, this, [this](bool on) {
        TheDeckSettingsFile().deck.ListByPeriod = on ? 1 : 0;
        refreshFileList();
    });

    // Outside show data there is no period to list.
    if (m_runMode != DeckShowDataMode) {
        settings.deck.ListByPeriod = 0;
        m_byPeriod->setEnabled(false);
    }
    (settings.deck.ListByPeriod ? m_byPeriod : m_byFolder)->setChecked(true);
    showFileFacts();
}

TMavrelDlgClient::~TMavrelDlgClient()
{
    m_positionTimer.stop();
    m_nextTrackTimer.stop();
    m_volumeTimer.stop();
    m_transport.reset(); // the engine goes before the files it reads
    {
        std::lock_guard lock(m_clockMutex);
        m_clock = ClockView{};
    }
    if (const DeckFileResult r = WriteDeckSettings(TheDeckSettingsFile()); !r.ok && m_services.showMessage)
        m_services.showMessage(r.messageText, r.messageCaption);
}

void TMavrelDlgClient::setTransport(std::unique_ptr<DeckTransport> transport)
{
    m_transport = std::move(transport);
    refreshFileList();
    updateCommands();
}

int TMavrelDlgClient::GetDeckState()
{
    return g_lastDeckState.load();
}

bool TMavrelDlgClient::commandAvailable(DeckCommand c) const
{
    const DeckSettings& s = TheDeckSettingsFile().deck;
    return CommandAvailable(c,
                            {m_lastState, m_file.has_value(), m_playList.empty(), s.LastFileRate, s.ListByPeriod != 0});
}

void TMavrelDlgClient::updateCommands()
{
    m_play->setEnabled(commandAvailable(CmdPlay));
    m_playListButton->setEnabled(commandAvailable(CmdPlayList));
    m_pause->setEnabled(commandAvailable(CmdPause));
    m_ff->setEnabled(commandAvailable(CmdWind));
    m_rew->setEnabled(commandAvailable(CmdWind));
    m_rewind->setEnabled(commandAvailable(CmdRewind));
    m_options->setEnabled(commandAvailable(CmdOptions));
    m_subFolders->setEnabled(commandAvailable(CmdSubFolders));
}

// --- The open file -----------------------------------------------------------

void TMavrelDlgClient::closeFile()
{
    if (m_file && m_file->file)
        m_retired.push_back(std::move(m_file->file));
    m_file.reset();
    m_startPos = m_currentPos = 0;
    m_path.clear();
    publishClock();
}

bool TMavrelDlgClient::openDeckFile(const QString& path)
{
    closeFile();
    auto file = OpenSoundFile(path);
    if (!file)
        return false;
    DeckSettings& s = TheDeckSettingsFile().deck;
    if (s.PlayAtFileRate)
        s.PlaybackRate = file->header.SampleRate;
    s.LastFileRate = file->header.SampleRate;
    m_file = std::move(file);
    m_path = path;
    publishClock();
    return true;
}

std::optional<platform::SystemTime> TMavrelDlgClient::fileStartTime() const
{
    return m_file ? m_file->start : std::nullopt;
}

std::optional<QString> TMavrelDlgClient::buildItemPath(int number)
{
    const auto found = std::find_if(m_items.begin(), m_items.end(),
                                    [number](const DeckListItem& i) { return i.number == number; });
    if (found == m_items.end())
        return std::nullopt;
    const DeckListItem& item = *found;
    const DeckSettings& s = TheDeckSettingsFile().deck;
    QString path;
    if (s.ListByPeriod) {
        path = PeriodItemPath(s.folder(), item.name);
        if (!QFileInfo::exists(path)) {
            const QString text = QStringLiteral("Please insert the disk labelled %1 into your drive \nand/or ensure "
                                                "the correct folder is selected")
                                     .arg(item.folder);
            const QString caption = QStringLiteral("Can't find file %1").arg(item.name);
            if (!m_services.askOkCancel || !m_services.askOkCancel(text, caption))
                return std::nullopt;
        }
    } else {
        path = FolderItemPath(s.folder(), item.folder, item.name);
    }
    m_currentName = item.name;
    return path;
}

// --- Transport ---------------------------------------------------------------

void TMavrelDlgClient::play()
{
    m_last = LastTransport::Play;
    m_frameOffset = 0;
    m_joinedUnplayedCheck = false;
    if (!m_file || !m_transport)
        return;
    const DeckSettingsFile& s = TheDeckSettingsFile();
    m_transport->start(DeckStart{m_file->header, m_file->file.get(), StartFrame(m_file->header.SampleRate, m_startPos),
                                 s.deck, s.filter});
}

void TMavrelDlgClient::pause()
{
    m_last = LastTransport::Pause;
    m_startPos = m_currentPos;
    m_nextTrackTimer.stop();
    if (m_transport)
        m_transport->stop();
}

void TMavrelDlgClient::StopPlayback()
{
    pause();
}

bool TMavrelDlgClient::CanClose()
{
    if (m_lastState != 0)
        return false;
    closeFile();
    return true;
}

void TMavrelDlgClient::rewind()
{
    m_startPos = m_currentPos = 0;
    publishClock();
    showPosition();
}

void TMavrelDlgClient::playList()
{
    // A running playback is stopped first: the play list never replaces the
    // file under the engine.
    if (m_lastState != 0) {
        pause();
        return;
    }
    m_index = 0;
    m_last = LastTransport::PlayList;
    m_frameOffset = 0;
    playCurrentItem();
}

void TMavrelDlgClient::playCurrentItem()
{
    if (m_playList.empty())
        return;
    if (m_index >= int(m_playList.size())) {
        m_index = 0;
        return;
    }
    const auto path = buildItemPath(m_playList[std::size_t(m_index)]);
    if (!path)
        return;
    openAndPlay(*path);
}

void TMavrelDlgClient::openAndPlay(const QString& path)
{
    const bool opened = openDeckFile(path);
    showFileFacts();
    showPosition();
    if (opened)
        QTimer::singleShot(0, this, [this] { play(); });
}

void TMavrelDlgClient::listDoubleClicked()
{
    if (m_lastState != 0)
        return;
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.size() != 1)
        return;
    pause();
    const auto path = buildItemPath(selected.front()->data(0, Qt::UserRole).toInt());
    if (!path) {
        closeFile();
        showFileFacts();
        return;
    }
    openAndPlay(*path);
}

bool TMavrelDlgClient::playListedFile(const QString& name)
{
    const auto found = m_list->findItems(name, Qt::MatchExactly, 0);
    if (found.isEmpty())
        return false;
    m_list->setCurrentItem(found.front());
    listDoubleClicked();
    return true;
}

void TMavrelDlgClient::listClicked()
{
    if (!m_playList.empty() && m_lastState != 0) {
        selectPlayList();
        return;
    }
    m_playList.clear();
    for (QTreeWidgetItem* item : m_list->selectedItems())
        m_playList.push_back(item->data(0, Qt::UserRole).toInt());
    m_index = 0;
    m_list->setFocus();
    updateCommands();
}

void TMavrelDlgClient::selectPlayList()
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        const int number = item->data(0, Qt::UserRole).toInt();
        item->setSelected(std::find(m_playList.begin(), m_playList.end(), number) != m_playList.end());
    }
}

// --- The engine's side -------------------------------------------------------

QIODevice* TMavrelDlgClient::nextFile(uint32_t framesRead)
{
    const DeckSettings& s = TheDeckSettingsFile().deck;
    if (!MayJoin(s.JoinTracks != 0, fileStartTime()))
        return nullptr;
    if (m_index + 1 >= int(m_playList.size()))
        return nullptr;
    ++m_index;
    const auto path = buildItemPath(m_playList[std::size_t(m_index)]);
    if (!path)
        return nullptr;
    const bool opened = openDeckFile(*path);
    showFileFacts();
    showPosition();
    m_frameOffset = framesRead;
    // The engine may refuse a file of another format; it is current now and
    // must still be played in its turn (checked when the playback ends).
    m_joinedUnplayedCheck = opened;
    publishClock();
    return opened ? m_file->file.get() : nullptr;
}

void TMavrelDlgClient::engineStateChanged(int state)
{
    // The position reached, while the engine can still be asked for it.
    if (m_lastState == DeckPlaying)
        m_currentPos = positionSeconds();
    m_previousState = m_lastState;
    m_lastState = state;
    g_lastDeckState.store(state);
    if (state != m_previousState) {
        if (state == DeckPlaying) {
            m_positionTimer.start();
            publishClock();
            showPosition();
        } else if (state == DeckStopped) {
            m_positionTimer.stop();
            // A joined file the engine refused was never heard: it plays next
            // in its own turn instead of being skipped.
            bool unplayedCurrent = false;
            if (m_joinedUnplayedCheck && m_transport && m_transport->position() <= m_frameOffset) {
                unplayedCurrent = true;
                m_currentPos = m_startPos = 0;
            }
            m_joinedUnplayedCheck = false;
            publishClock();
            showPosition();
            const int index = unplayedCurrent ? m_index - 1 : m_index;
            const NextTrack next = AfterPlayback(m_last, index, int(m_playList.size()),
                                                 TheDeckSettingsFile().deck.InterTrackDelay);
            if (next.chain) {
                if (unplayedCurrent)
                    --m_index; // the timer moves on to it again
                m_nextTrackTimer.start(next.delayMs);
            }
            m_retired.clear();
        }
    }
    publishClock();
    updateCommands();
    if (m_services.stateReport)
        m_services.stateReport(m_currentName, state);
    if (state != m_previousState && m_runMode == DeckOfflineMode && m_services.clockState)
        m_services.clockState(state);
}

void TMavrelDlgClient::nextTrackTimer()
{
    m_nextTrackTimer.stop();
    closeFile();
    ++m_index;
    if (m_index < int(m_playList.size()))
        playCurrentItem();
    else
        m_index = 0;
}

void TMavrelDlgClient::engineLevels(const BlockLevels& levels)
{
    const int channels = m_file ? std::min<int>(m_file->header.Channels, BlockLevels::FileMeters) : 0;
    for (int i = 0; i < channels; ++i)
        m_fileMeters[std::size_t(i)]->setValue(MeterDb(levels.FilePeaks[std::size_t(i)]));
    for (std::size_t j = 0; j < m_speakerMeters.size(); ++j)
        m_speakerMeters[j]->setValue(MeterDb(levels.SpeakerPeaks[j]));
}

void TMavrelDlgClient::engineMessage(const QString& text, const QString& caption)
{
    if (m_services.showMessage)
        m_services.showMessage(text, caption);
}

// --- Position ----------------------------------------------------------------

double TMavrelDlgClient::positionSeconds() const
{
    if (m_lastState != DeckPlaying || !m_file || !m_transport || m_file->header.SampleRate == 0)
        return m_currentPos;
    const double frames = double(m_transport->position()) - double(m_frameOffset);
    return std::max(0.0, frames) / m_file->header.SampleRate + m_startPos;
}

void TMavrelDlgClient::publishClock()
{
    std::lock_guard lock(m_clockMutex);
    m_clock.start = fileStartTime();
    m_clock.playing = m_lastState == DeckPlaying;
    m_clock.startPos = m_startPos;
    m_clock.currentPos = m_currentPos;
    m_clock.frameOffset = m_frameOffset;
    m_clock.rate = m_file ? m_file->header.SampleRate : 0;
}

std::optional<platform::SystemTime> TMavrelDlgClient::clockTime() const
{
    std::lock_guard lock(m_clockMutex);
    if (!m_clock.start)
        return std::nullopt;
    double p = m_clock.currentPos;
    if (m_clock.playing && m_transport && m_clock.rate > 0)
        p = std::max(0.0, double(m_transport->position()) - double(m_clock.frameOffset)) / m_clock.rate
          + m_clock.startPos;
    return DeckClockTime(m_clock.start, p);
}

QString TMavrelDlgClient::dateTimeText() const
{
    return m_dateTime->text();
}
QString TMavrelDlgClient::elapsedText() const
{
    return m_elapsed->text();
}

void TMavrelDlgClient::showPosition()
{
    if (!m_file)
        return;
    const double p = positionSeconds();
    m_currentPos = p;
    std::optional<platform::SystemTime> at;
    if (m_file->start) {
        at = platform::AddSecondsToTime(*m_file->start, p);
        m_dateTime->setText(timeText(*at));
    } else {
        const QString date = m_file->header.creationDate();
        m_dateTime->setText(date.isEmpty() ? QString() : QStringLiteral("File Date %1").arg(date));
    }
    if (m_runMode == DeckShowDataMode || m_runMode == DeckOfflineMode) {
        if (m_services.timeText)
            m_services.timeText(m_dateTime->text(), at ? &*at : nullptr);
        if (m_services.fileText)
            m_services.fileText(m_path, int(p));
    }
    m_elapsed->setText(platform::FormatSecondsMs(p));
    const double duration = m_file->header.Duration();
    if (duration > 0 && !m_dragging) {
        const QSignalBlocker block(m_slider);
        m_slider->setValue(SliderValue(p, duration));
    }
}

void TMavrelDlgClient::showFileFacts()
{
    const DeckSettings& s = TheDeckSettingsFile().deck;
    if (m_file) {
        m_fileOf->setText(m_playList.size() > 1
                              ? QStringLiteral("File %1 of %2").arg(m_index + 1).arg(m_playList.size())
                              : QString());
        m_fileBox->setTitle(m_path);
        const double duration = m_file->header.Duration();
        m_duration->setText(duration < 3600 ? platform::FormatSecondsMs(duration)
                                            : platform::FormatSecondsHms(int(duration)));
        m_channels->setText(
            QStringLiteral("%1 channels at %2 Hz").arg(m_file->header.Channels).arg(m_file->header.SampleRate));
    } else {
        m_fileOf->clear();
        m_fileBox->setTitle(QStringLiteral("FileClosed"));
        m_channels->clear();
        m_duration->clear();
        m_elapsed->clear();
        m_dateTime->clear();
    }
    m_playRate->setText(s.PlayAtFileRate ? QString() : QStringLiteral("Play Back at %1 Hz").arg(s.PlaybackRate));
    updateCommands();
}

void TMavrelDlgClient::sliderMoved(int value)
{
    if (!m_dragging) {
        m_wasPlaying = m_lastState == DeckPlaying;
        if (m_wasPlaying)
            pause();
        m_dragging = true;
    }
    const double duration = m_file ? m_file->header.Duration() : 0;
    m_startPos = m_currentPos = SliderSeconds(value, duration);
    publishClock();
    showPosition();
}

void TMavrelDlgClient::sliderReleased()
{
    if (!m_dragging) {
        m_wasPlaying = m_lastState == DeckPlaying;
        if (m_wasPlaying)
            pause();
    }
    const double duration = m_file ? m_file->header.Duration() : 0;
    m_startPos = m_currentPos = SliderSeconds(m_slider->value(), duration);
    if (m_wasPlaying)
        QTimer::singleShot(0, this, [this] { play(); });
    m_dragging = false;
    publishClock();
    showPosition();
}

// --- The list ----------------------------------------------------------------

void TMavrelDlgClient::refreshFileList()
{
    DeckSettings& s = TheDeckSettingsFile().deck;
    if (s.ListByPeriod) {
        m_list->headerItem()->setText(1, QStringLiteral("Media Name"));
        const auto rows = m_services.periodRecordings ? m_services.periodRecordings() : std::vector<PeriodRecording>{};
        const platform::SystemTime start = m_services.periodStart ? m_services.periodStart() : platform::SystemTime{};
        m_items = ListPeriod(rows, start, s.folder());
    } else {
        m_list->headerItem()->setText(1, QStringLiteral("In Folder"));
        QString folder = s.folder();
        // A folder that cannot be entered gives way to the working folder.
        if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
            folder = QDir::currentPath();
            s.setFolder(folder);
        }
        m_items = ListFolder(folder, m_subFolders->isChecked());
    }
    if (!m_items.empty())
        SortItems(m_items, 2, m_sortState[2] == 2 ? 2 : 1);
    fillList();
    showFolderLine();
    updateCommands();
}

void TMavrelDlgClient::fillList()
{
    m_list->clear();
    m_playList.clear();
    m_index = 0;
    for (const DeckListItem& i : m_items) {
        auto* item = new QTreeWidgetItem(m_list);
        for (int c = 0; c < 7; ++c)
            item->setText(c, i.column(c));
        item->setData(0, Qt::UserRole, i.number);
    }
    if (!m_items.empty())
        m_list->resizeColumnToContents(0);
}

void TMavrelDlgClient::sortByColumn(int column)
{
    if (column < 0 || column >= int(m_sortState.size()))
        return;
    m_sortState[std::size_t(column)] = NextSortState(m_sortState[std::size_t(column)]);
    SortItems(m_items, column, m_sortState[std::size_t(column)]);
    const std::vector<int> playList = m_playList;
    fillList();
    m_playList = playList;
    selectPlayList();
}

void TMavrelDlgClient::showFolderLine()
{
    const QString folder = TheDeckSettingsFile().deck.folder();
    const QStorageInfo volume(folder);
    m_folderLine->setText(FolderLine(folder, volume.isValid() ? volume.name() : QString()));
}

void TMavrelDlgClient::showDataReloaded()
{
    if (TheDeckSettingsFile().deck.ListByPeriod)
        refreshFileList();
}

void TMavrelDlgClient::devicesChanged()
{
    refreshFileList();
}

// --- Settings ----------------------------------------------------------------

void TMavrelDlgClient::openOptions(int page)
{
    RunDeckOptions(this, page, m_file ? int(m_file->header.SampleRate) : 0, m_services.showMessage);
    showFileFacts();
}

void TMavrelDlgClient::openFilterDialog()
{
    DeckSettingsFile& s = TheDeckSettingsFile();
    DigFilterDialog dialog(this, s.filter, s.display, double(s.deck.LastFileRate), m_services.showMessage);
    shell::ui::Dialogs().RunDialog(dialog);
}

// --- The real engine ---------------------------------------------------------

namespace {

class EngineTransport final : public DeckTransport {
public:
    EngineTransport(TMavrelDlgClient& window, std::unique_ptr<DetectorLink> detectors, DeckPlayer::OutputFactory out)
        : m_engine(std::move(detectors), std::move(out))
    {
        m_engine.fileStartTime = [&window] { return window.fileStartTime(); };
        m_engine.nextFile = [&window](uint32_t frames) { return window.nextFile(frames); };
        QObject::connect(&m_engine, &DeckEngine::stateChanged, &window,
                         [&window](int state) { window.engineStateChanged(state); });
        QObject::connect(&m_engine, &DeckEngine::levels, &window,
                         [&window](const BlockLevels& l) { window.engineLevels(l); });
        QObject::connect(&m_engine, &DeckEngine::message, &window,
                         [&window](const QString& t, const QString& c) { window.engineMessage(t, c); });
    }
    void start(const DeckStart& s) override { m_engine.start(s); }
    void stop() override { m_engine.stop(); }
    uint32_t position() const override { return m_engine.position(); }

private:
    DeckEngine m_engine;
};

} // namespace

std::unique_ptr<DeckTransport> MakeEngineTransport(TMavrelDlgClient& window, std::unique_ptr<DetectorLink> detectors,
                                                   DeckPlayer::OutputFactory makeOutput)
{
    return std::make_unique<EngineTransport>(window, std::move(detectors), std::move(makeOutput));
}

} // namespace velmar::deck
