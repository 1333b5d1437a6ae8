#pragma once
// TMavrelDlgClient: the sound-file deck window. It lists recordings (of a
// folder, or of the shown period), makes one of them current, commands the
// playback engine, shows the file's facts, position, time and levels, chains
// play lists and opens the option pages and the filter dialog.
//
// A widget of the user-interface thread. The engine is reached through a
// DeckTransport (the real engine on its own thread, or a fake in tests); what
// the deck tells its parent and asks of the operator goes through
// DeckWindowServices, so the window knows nothing of the program around it.
// clockTime() alone may be called from any thread.
#include "deck/DeckBlock.h"
#include "deck/DeckPlayer.h"
#include "deck/ui/DeckLogic.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmar::deck {

class TColourGauge;

// The engine as the window commands it.
class DeckTransport {
public:
    virtual ~DeckTransport() = default;
    virtual void start(const DeckStart& start) = 0;
    virtual void stop() = 0;
    virtual uint32_t position() const = 0; // frames since the start
};

struct DeckWindowServices {
    // Messages for the operator (text, caption).
    std::function<void(const QString& text, const QString& caption)> showMessage;
    // OK (true) or Cancel: the prompt for a missing disk.
    std::function<bool(const QString& text, const QString& caption)> askOkCancel;
    // The recordings of the shown period and its start (show data only).
    std::function<std::vector<PeriodRecording>()> periodRecordings;
    std::function<platform::SystemTime()> periodStart;
    // The folder chooser: a folder or empty.
    std::function<QString(QWidget* owner)> chooseFolder;

    // To the parent: every state report (current file name, state); the
    // clock source in offline logging (state); the time at each position
    // display (text, time or null); the file and whole seconds.
    std::function<void(const QString& fileName, int state)> stateReport;
    std::function<void(int state)> clockState;
    std::function<void(const QString& text, const platform::SystemTime* time)> timeText;
    std::function<void(const QString& path, int seconds)> fileText;
};

// Run modes in which the deck lives.
inline constexpr quint32 DeckShowDataMode = 2;
inline constexpr quint32 DeckOfflineMode = 3;

class TMavrelDlgClient : public QWidget {
    Q_OBJECT
public:
    TMavrelDlgClient(QWidget* parent, quint32 runMode, DeckWindowServices services);
    ~TMavrelDlgClient() override;

    // Called once after construction; the window then makes its list.
    void setTransport(std::unique_ptr<DeckTransport> transport);

    // The last state an engine reported to a deck of the process.
    static int GetDeckState();
    int lastState() const { return m_lastState; }
    void StopPlayback();
    // False while the engine is not stopped; else the open file is closed.
    bool CanClose();

    // The engine's questions (user-interface thread).
    std::optional<platform::SystemTime> fileStartTime() const;
    QIODevice* nextFile(uint32_t framesRead);
    // The time at the position: start time + position, when the start is
    // known. Any thread.
    std::optional<platform::SystemTime> clockTime() const;

    // The engine's reports.
    void engineStateChanged(int state);
    void engineLevels(const BlockLevels& levels);
    void engineMessage(const QString& text, const QString& caption);

    // Message 1056: the shown data was reloaded.
    void showDataReloaded();
    // A device came or went.
    void devicesChanged();

    // Transport commands and the list, as the buttons and clicks reach them.
    void play();
    void pause();
    void rewind();
    void playList();
    void playCurrentItem();
    void listDoubleClicked();
    void listClicked();
    void sliderMoved(int value);
    void sliderReleased();
    void sortByColumn(int column);
    void refreshFileList();
    // Selects the listed file of this name and plays it, as a double click on
    // it would; false when it is not listed.
    bool playListedFile(const QString& name);

    // What the window shows (tests and the program alike).
    QTreeWidget* list() const { return m_list; }
    const std::vector<DeckListItem>& items() const { return m_items; }
    QString openPath() const { return m_path; }
    double positionSeconds() const;
    int playListIndex() const { return m_index; }
    int playListCount() const { return int(m_playList.size()); }
    QString dateTimeText() const;
    QString elapsedText() const;
    QSlider* slider() const { return m_slider; }
    bool commandAvailable(DeckCommand c) const;
    // Shows the options sheet on its page (0..2) and the filter dialog.
    void openOptions(int page);
    void openFilterDialog();
    // The delay before the next track of a play list starts, or -1 when
    // none is waiting.
    int nextTrackDelayMs() const { return m_nextTrackTimer.isActive() ? m_nextTrackTimer.interval() : -1; }
    // Test seam: timer 556 fires now.
    void nextTrackTimer();

private:
    bool openDeckFile(const QString& path);
    void closeFile();
    // The path of the listed item with this running number (the disk prompt
    // may be shown); nothing when there is none.
    std::optional<QString> buildItemPath(int number);
    void openAndPlay(const QString& path);
    void showFileFacts();
    void showPosition();
    void updateCommands();
    void fillList();
    void showFolderLine();
    void selectPlayList();
    void publishClock();

    quint32 m_runMode;
    DeckWindowServices m_services;
    std::unique_ptr<DeckTransport> m_transport;

    // The open file.
    std::optional<SoundFile> m_file;
    std::vector<std::unique_ptr<QFile>> m_retired; // files replaced while the engine may still read them
    QString m_path;
    QString m_currentName;
    double m_startPos = 0;
    double m_currentPos = 0;
    uint32_t m_frameOffset = 0;
    bool m_joinedUnplayedCheck = false;
    LastTransport m_last = LastTransport::Pause;
    int m_lastState = 0;
    int m_previousState = 0;
    bool m_dragging = false;
    bool m_wasPlaying = false;

    // The play list: list indexes (item numbers) of the selection.
    std::vector<int> m_playList;
    int m_index = 0;

    std::vector<DeckListItem> m_items;
    std::array<int, 7> m_sortState{};

    // The clock's view of the deck, for other threads.
    mutable std::mutex m_clockMutex;
    struct ClockView {
        std::optional<platform::SystemTime> start;
        bool playing = false;
        double startPos = 0, currentPos = 0;
        uint32_t frameOffset = 0, rate = 0;
    } m_clock;

    QTimer m_positionTimer;  // 555
    QTimer m_nextTrackTimer; // 556
    QTimer m_volumeTimer;    // media coming and going
    QStringList m_volumes;

    QPushButton *m_play, *m_playListButton, *m_pause, *m_rewind, *m_ff, *m_rew, *m_options, *m_selectFolder;
    QSlider* m_slider;
    QGroupBox* m_fileBox;
    QLabel *m_fileOf, *m_channels, *m_playRate, *m_duration, *m_elapsed, *m_dateTime, *m_folderLine;
    QRadioButton *m_byFolder, *m_byPeriod;
    QCheckBox* m_subFolders;
    QTreeWidget* m_list;
    std::array<TColourGauge*, BlockLevels::FileMeters> m_fileMeters{};
    std::array<TColourGauge*, BlockLevels::SpeakerMeters> m_speakerMeters{};
};

// The real engine behind a deck window: a DeckEngine reporting to it.
std::unique_ptr<DeckTransport> MakeEngineTransport(TMavrelDlgClient& window, std::unique_ptr<DetectorLink> detectors,
                                                   DeckPlayer::OutputFactory makeOutput = {});

} // namespace velmar::deck
