#pragma once
// TAutoRec: one recorder of Velmar, a tab of the main window. It decides
// twice a second whether its recorder thread should be idle, filling the
// pre-trigger buffer or recording, from the operator's mode, the automatic
// cycle and triggers (detector events, user forms, button panels), and shows
// state, device, file, space, levels and buffer fill.
//
// User-interface thread only. The recorder thread reaches it only through
// queued signals; every database row is written here, on the thread that
// owns the survey connection, from the copy of the booking the thread sent.
#include "recorder/InputBackend.h"
#include "recorder/RecorderLogic.h"
#include "recorder/RecorderThread.h"
#include "sound/RecordingFiles.h"
#include "sound/RecordingInfo.h"

#include <QMessageBox>
#include <QMutex>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QAbstractButton;
class QCheckBox;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QVBoxLayout;

namespace velmar::recorder::ui {

// What a recorder needs of the program around it; every entry may be empty.
struct RecorderHost {
    std::function<platform::SystemTime()> programTime; // any thread
    // Polls GPS when due; the newest fix (user-interface thread).
    std::function<void(int32_t& gpsIndex, QString& gpsTime)> gpsReference;
    // The recorder's questions and warnings; empty: the dialog service's box.
    std::function<QMessageBox::StandardButton(QWidget* owner, const QString& text, const QString& caption,
                                              QMessageBox::Icon icon, QMessageBox::StandardButtons buttons)>
        ask;
    std::function<bool()> writeProgramSettings;
    // Message 1069: the last file name and the state, to the comments page.
    std::function<void(const QString& fileName, int state)> recordingState;
    // The detector-status panel's two recorder edits (only when it exists).
    std::function<bool()> hasDetectorPanel;
    std::function<void(const QString& modeText)> detectorMode;
    std::function<void(const QString& stateText, int colourCode)> detectorState;
    std::function<int()> diskWarningHours;
    // Sets a digital output bit of the board to 0 or 1; false when nothing
    // could be sent (the diode; empty: no board output).
    std::function<bool(int bit, int value)> digitalOutput;
    // The input devices; the system's when empty.
    InputFactory inputs;
    // The settings sheet; the built-in one when empty. True on OK.
    std::function<bool(QWidget* owner, sound::RECORDINGINFO& recording)> settingsSheet;
};

// Trigger boxes: the five detector triggers, then one per user form.
inline constexpr int TriggerBoxBase = 31700;

class TAutoRec : public QWidget {
    Q_OBJECT
public:
    TAutoRec(RecorderHost host, int recorderIndex, QWidget* parent = nullptr);
    ~TAutoRec() override;

    // Reads the row, checks the device, starts the half-second refresh.
    void SetupWindow();
    QString GetRecorderName() const;
    void SetRecorderNumber(int number) { m_number = number; }
    // One box per user form title (at most MaxUserFormTriggers; the rest
    // are refused with a warning). Returns the boxes made.
    int CreateTriggerBoxes(const QStringList& formTitles);
    void SetMode(Mode mode, bool check);
    // A mode button's click.
    void ModeCommand(Mode mode);
    void StopRecording(bool wait);
    // A triggered recording; returns the recording number + 1.
    int TriggerRecorder(int seconds, const QString& reason, bool closeFirst);
    // Message 30060: 1 start a long recording, 2 stop it.
    void LongRecording(int wParam);
    // Writes the row; false while recording.
    bool CanClose();
    void SetEnableBuffer(bool on);
    void SetTriggerBit(int bit, bool on);
    // The half-second refresh (timer 555).
    void Refresh();

    const sound::RECORDINGINFO& Recording() const { return m_rec; }
    sound::RECORDINGINFO& Recording() { return m_rec; }
    State RecorderState() const { return m_state; }
    Mode CurrentMode() const { return m_current; }
    int DeviceStatus() const { return m_deviceStatus; }
    QString StatusLineText() const;
    QString LastFile() const { return m_lastFile; }
    RecorderThread* Thread() const { return m_thread.get(); }

    // Every live recorder, by recorder index; TriggerRecorders walks them.
    static TAutoRec* Recorder(int index);
    static int TriggerRecorders(int maskBit, int seconds, const QString& reason);

private:
    void buildControls();
    void Update();
    void Start(int startType);
    void EndTrigger(bool restore);
    void CheckDevice();
    void ShowSettings();
    void ShowSpace();
    void FlashDiode();
    void OnStatus(int status);
    void OnLevels(const QList<int>& levels, int channels);
    void OnBuffered(int seconds);
    void OnFileStarted(const QString& path);
    void OnFileClosed(const sound::RECORDINGINFO& rec, const QString& finalPath);
    void Settings();
    void ChangeMedia();
    platform::SystemTime Now() const;
    sound::RecordingServices UiServices();
    sound::RecordingServices ThreadServices();
    QMessageBox::StandardButton Ask(const QString& text, const QString& caption,
                                    QMessageBox::Icon icon = QMessageBox::NoIcon,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok);

    RecorderHost m_host;
    sound::RECORDINGINFO m_rec;
    std::unique_ptr<RecorderThread> m_thread;
    State m_state = StateIdle;
    Mode m_selected = ModeOff;
    Mode m_current = ModeOff;
    Mode m_return = ModeOff;
    int m_deviceStatus = 0;
    bool m_stopping = false;     // a stop we asked for is under way
    bool m_deviceFailed = false; // the device failed; no new start until a command
    CycleWindow m_cycle;
    platform::SystemTime m_startTime;
    int m_buffered = 0;
    QString m_lostText; // sound lost since the device started
    bool m_triggerActive = false;
    QString m_triggerReason;
    platform::SystemTime m_triggerStop;
    int m_recordingNumber = 0;
    int m_number = -1;
    QString m_lastFile;
    int m_lastStateSent = -1;
    Mode m_lastModeShown = Mode(0);
    bool m_diodePhase = false;
    bool m_diodeReported = false; // the operator was told the diode cannot be set
    QMutex m_gpsLock;
    int32_t m_gpsIndex = 0;
    QString m_gpsTime;

    QLabel* m_name = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_sampling = nullptr;
    QLabel* m_heading = nullptr;
    QLabel* m_fileLine = nullptr;
    QLabel* m_cycleLine = nullptr;
    QLabel* m_spaceLine = nullptr;
    QLabel* m_foldersLine = nullptr;
    QLabel* m_timeLeft = nullptr;
    QLabel* m_deviceLine = nullptr;
    std::array<QPushButton*, 4> m_modeButtons{};
    QCheckBox* m_enableBuffer = nullptr;
    QProgressBar* m_bufferGauge = nullptr;
    std::array<QProgressBar*, LevelChannels> m_levels{};
    QPushButton* m_changeMedia = nullptr;
    QPushButton* m_settings = nullptr;
    QVBoxLayout* m_triggerColumn = nullptr;
    QList<QCheckBox*> m_triggerBoxes;
    QTimer* m_timer = nullptr;
};

} // namespace velmar::recorder::ui
