#include "recorder/ui/TAutoRec.h"

#include "settings/InputDeviceNames.h"
#include "settings/PipeSettings.h"
#include "recorder/ui/RecorderSettingsSheet.h"
#include "platform/DateTimeText.h"
#include "sound/NewMediaDialog.h"
#include "widgets/DialogService.h"
#include "widgets/MessageBoxSeam.h"
#include "sound/PipeProtocol.h"
#include "sound/RecorderTable.h"
#include "sound/RecordingBooking.h"
#include "nav/EventWriters.h"
#include "store/RecordReaders.h"

#include <QButtonGroup>
#include <QSemaphore>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <cmath>
#include <QVBoxLayout>

#include <map>

namespace velmar::recorder::ui {
namespace {

Q_LOGGING_CATEGORY(lcRecorderWindow, "velmar.sound.recorder.window")

constexpr int RefreshMs = 500;
// How long the recorder thread waits for the operator's yes or no.
constexpr int AskYesNoWaitMs = 120000;
constexpr int DefaultBufferSeconds = 60;
constexpr int TriggerReasonSize = 100;
constexpr int ColourAlarm = 2;
constexpr int ColourNormal = 3;
constexpr int ColourIdle = 1;

std::map<int, TAutoRec*>& Registry()
{
    static std::map<int, TAutoRec*> recorders;
    return recorders;
}

const char* const FixedTriggers[FixedTriggerBits] = {"Porpoise", "Single Whistles", "Whistle Events",
                                                     "Quintra Click (Sperms)", "Quintra Click (Other)"};

} // namespace

TAutoRec::TAutoRec(RecorderHost host, int recorderIndex, QWidget* parent) : QWidget(parent), m_host(std::move(host))
{
    m_rec.RecorderId = recorderIndex;
    m_recordingNumber = store::DbGetLastValue(QStringLiteral("Recordings"), QStringLiteral("Index"));
    if (m_rec.BufferLength == 0)
        m_rec.BufferLength = DefaultBufferSeconds;
    Registry()[recorderIndex] = this;
    buildControls();
}

TAutoRec::~TAutoRec()
{
    Registry().erase(m_rec.RecorderId);
    if (m_thread)
        m_thread->stopAndWait(StopWaitMs);
    m_thread.reset();
}

TAutoRec* TAutoRec::Recorder(int index)
{
    const auto it = Registry().find(index);
    return it == Registry().end() ? nullptr : it->second;
}

int TAutoRec::TriggerRecorders(int maskBit, int seconds, const QString& reason)
{
    int result = 0;
    if (maskBit < 0 || maskBit >= MaxTriggerBits)
        return 0;
    for (const auto& [index, r] : Registry())
        if (r->m_rec.RemoteEnable & (1u << maskBit))
            result = r->TriggerRecorder(seconds, reason, false);
    return result;
}

platform::SystemTime TAutoRec::Now() const
{
    return m_host.programTime ? m_host.programTime() : platform::SystemTime::nowUtc();
}

QMessageBox::StandardButton TAutoRec::Ask(const QString& text, const QString& caption, QMessageBox::Icon icon,
                                          QMessageBox::StandardButtons buttons)
{
    if (m_host.ask)
        return m_host.ask(this, text, caption, icon, buttons);
    return shell::ui::ShowMessageBox(this, text, caption, icon, buttons);
}

sound::RecordingServices TAutoRec::UiServices()
{
    sound::RecordingServices s;
    s.programTime = [this] { return Now(); };
    s.gpsReference = [this](int32_t& index, QString& time) {
        if (m_host.gpsReference)
            m_host.gpsReference(index, time);
        QMutexLocker lock(&m_gpsLock);
        m_gpsIndex = index;
        m_gpsTime = time;
    };
    s.showMessage = [this](const QString& text, const QString& caption) { Ask(text, caption); };
    s.writeProgramSettings = m_host.writeProgramSettings;
    s.bookRecording = [](sound::RECORDINGINFO booking) { sound::BookRecording(booking); };
    return s;
}

// The recorder thread's services: nothing runs here on its behalf but a
// clock read; the rest is queued to this window.
sound::RecordingServices TAutoRec::ThreadServices()
{
    sound::RecordingServices s;
    s.programTime = m_host.programTime;
    s.gpsReference = [this](int32_t& index, QString& time) {
        QMutexLocker lock(&m_gpsLock);
        index = m_gpsIndex;
        time = m_gpsTime;
    };
    s.showMessage = [this](const QString& text, const QString& caption) {
        QMetaObject::invokeMethod(
            this, [this, text, caption] { Ask(text, caption); }, Qt::QueuedConnection);
    };
    s.askYesNo = [this](const QString& text, const QString& caption) {
        // The recorder thread waits for the answer, a bounded time: an
        // unanswered question counts as no.
        auto answer = std::make_shared<QSemaphore>();
        auto yes = std::make_shared<std::atomic<bool>>(false);
        QMetaObject::invokeMethod(
            this,
            [this, text, caption, answer, yes] {
                *yes = Ask(text, caption, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No)
                    == QMessageBox::Yes;
                answer->release();
            },
            Qt::QueuedConnection);
        return answer->tryAcquire(1, AskYesNoWaitMs) && yes->load();
    };
    s.writeProgramSettings = [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_host.writeProgramSettings)
                    m_host.writeProgramSettings();
            },
            Qt::QueuedConnection);
        return true;
    };
    s.bookRecording = [this](sound::RECORDINGINFO booking) {
        QMetaObject::invokeMethod(
            this, [booking] { sound::BookRecording(booking); }, Qt::QueuedConnection);
    };
    return s;
}

void TAutoRec::buildControls()
{
    auto* grid = new QGridLayout(this);
    auto label = [this](const QString& text, const QString& name) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        return l;
    };
    QFont big(QStringLiteral("Univers"));
    big.setBold(true);
    big.setPixelSize(24);
    m_name = label(m_rec.Name, QStringLiteral("name"));
    m_name->setFont(big);
    m_status = label(QStringLiteral("AutoRec Status Control"), QStringLiteral("status"));
    m_status->setFont(big);
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setAutoFillBackground(true);
    m_sampling = label({}, QStringLiteral("sampling"));
    m_heading = label(QStringLiteral("AutoRec Heading"), QStringLiteral("heading"));
    m_fileLine = label(QStringLiteral("File"), QStringLiteral("file"));
    m_cycleLine = label(QStringLiteral("AutoRec Cycle Control"), QStringLiteral("cycle"));
    m_spaceLine = label(QStringLiteral("File / Cut"), QStringLiteral("space"));
    m_foldersLine = label({}, QStringLiteral("folders"));
    m_timeLeft = label(QStringLiteral("Time Left"), QStringLiteral("timeLeft"));
    m_deviceLine = label(QStringLiteral("Idle"), QStringLiteral("device"));
    grid->addWidget(m_name, 0, 0, 1, 4);
    grid->addWidget(m_status, 1, 0, 1, 4);
    grid->addWidget(m_sampling, 2, 0, 1, 4);
    grid->addWidget(m_heading, 3, 0, 1, 2);
    grid->addWidget(m_fileLine, 3, 2, 1, 2);
    grid->addWidget(m_cycleLine, 4, 0, 1, 2);
    grid->addWidget(m_spaceLine, 4, 2, 1, 2);
    grid->addWidget(m_foldersLine, 5, 0, 1, 2);
    grid->addWidget(m_timeLeft, 5, 2, 1, 2);

    auto* group = new QButtonGroup(this);
    const QString texts[4] = {QStringLiteral("OFF"), QStringLiteral("AUTOMATIC\n    CYCLE"),
                              QStringLiteral("CONTINUOUS"), QStringLiteral("CONTINUOUS\nWITH BUFFER")};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(texts[i], this);
        b->setCheckable(true);
        b->setObjectName(QStringLiteral("mode%1").arg(ModeOff + i));
        group->addButton(b, ModeOff + i);
        grid->addWidget(b, 6, i);
        m_modeButtons[std::size_t(i)] = b;
        connect(b, &QPushButton::clicked, this, [this, i] { ModeCommand(Mode(ModeOff + i)); });
    }
    m_enableBuffer = new QCheckBox(QStringLiteral("Enable Buffer"), this);
    m_enableBuffer->setObjectName(QStringLiteral("enableBuffer"));
    connect(m_enableBuffer, &QCheckBox::clicked, this, &TAutoRec::SetEnableBuffer);
    m_bufferGauge = new QProgressBar(this);
    m_bufferGauge->setFormat(QStringLiteral("%vs"));
    m_bufferGauge->setValue(0);
    grid->addWidget(m_enableBuffer, 3, 4);
    grid->addWidget(m_bufferGauge, 4, 4);
    grid->addWidget(m_deviceLine, 7, 0, 1, 3);

    auto* meters = new QHBoxLayout;
    for (int c = 0; c < LevelChannels; ++c) {
        auto* column = new QVBoxLayout;
        auto* gauge = new QProgressBar(this);
        gauge->setOrientation(Qt::Vertical);
        gauge->setRange(-60, 0);
        gauge->setValue(-60);
        gauge->setTextVisible(false);
        gauge->setObjectName(QStringLiteral("level%1").arg(c));
        column->addWidget(gauge);
        column->addWidget(new QLabel(QString::number(c), this), 0, Qt::AlignHCenter);
        meters->addLayout(column);
        m_levels[std::size_t(c)] = gauge;
    }
    grid->addLayout(meters, 8, 0, 1, 3);
    m_changeMedia = new QPushButton(QStringLiteral("Change Media"), this);
    m_settings = new QPushButton(QStringLiteral("Settings"), this);
    m_settings->setObjectName(QStringLiteral("settings"));
    connect(m_changeMedia, &QPushButton::clicked, this, &TAutoRec::ChangeMedia);
    connect(m_settings, &QPushButton::clicked, this, &TAutoRec::Settings);
    grid->addWidget(m_changeMedia, 8, 3, Qt::AlignBottom);
    grid->addWidget(m_settings, 8, 4, Qt::AlignBottom);

    m_triggerColumn = new QVBoxLayout;
    m_triggerColumn->addWidget(new QLabel(QStringLiteral("Enable automatic recording triggered by ..."), this));
    for (int i = 0; i < FixedTriggerBits; ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(FixedTriggers[i]), this);
        box->setObjectName(QStringLiteral("trigger%1").arg(TriggerBoxBase + i));
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) { SetTriggerBit(i, on); });
        m_triggerColumn->addWidget(box);
        m_triggerBoxes << box;
    }
    m_triggerColumn->addStretch();
    grid->addLayout(m_triggerColumn, 0, 5, 9, 1);
}

void TAutoRec::SetupWindow()
{
    m_thread = std::make_unique<RecorderThread>(m_host.inputs ? m_host.inputs : InputFactory(&MakeSystemInput),
                                                ThreadServices());
    RecorderEngine* e = m_thread->engine();
    connect(e, &RecorderEngine::statusChanged, this, &TAutoRec::OnStatus);
    connect(e, &RecorderEngine::levelsMeasured, this, &TAutoRec::OnLevels);
    connect(e, &RecorderEngine::bufferedSeconds, this, &TAutoRec::OnBuffered);
    connect(e, &RecorderEngine::fileStarted, this, &TAutoRec::OnFileStarted);
    connect(e, &RecorderEngine::fileClosed, this, &TAutoRec::OnFileClosed);
    connect(e, &RecorderEngine::sampleRateGranted, this, [this](uint32_t rate) {
        m_rec.SampleRate = rate;
        ShowSettings();
    });
    connect(e, &RecorderEngine::message, this,
            [this](const QString& text, const QString& caption) { Ask(text, caption, QMessageBox::Warning); });
    connect(e, &RecorderEngine::soundLost, this, [this](double seconds, int gaps) {
        m_lostText = seconds > 0 ? QStringLiteral("%1 of sound lost").arg(LostTimeText(seconds))
                   : gaps > 0    ? QStringLiteral("sound lost %1 times").arg(gaps)
                                 : QString();
    });

    sound::DbReadRecorder(m_rec);
    m_rec.DeviceValid = true;
    if (const QStringList repaired = RepairStoredRecording(m_rec); !repaired.isEmpty())
        Ask(QStringLiteral("The stored settings of %1 held unusable values; these take their defaults until the "
                           "settings are changed: %2")
                .arg(GetRecorderName(), repaired.join(QStringLiteral(", "))),
            QStringLiteral("WAV Recorder %1 : %2").arg(m_rec.RecorderId).arg(m_rec.Name), QMessageBox::Warning);
    if (m_rec.BufferLength == 0)
        m_rec.BufferLength = DefaultBufferSeconds;
    // Files that were being written when the program last ended get their rows.
    m_recordingNumber += sound::BookInterruptedRecordings(m_rec, UiServices());
    CheckDevice();
    m_enableBuffer->setChecked(m_rec.EnableBuffer);
    m_modeButtons[3]->setEnabled(m_rec.EnableBuffer);
    SetMode(ModeOff, true);
    ShowSettings();
    for (int i = 0; i < m_triggerBoxes.size(); ++i)
        m_triggerBoxes[i]->setChecked(m_rec.RemoteEnable & (1u << i));
    m_timer = new QTimer(this);
    m_timer->setInterval(RefreshMs);
    connect(m_timer, &QTimer::timeout, this, &TAutoRec::Refresh);
    m_timer->start();
}

QString TAutoRec::GetRecorderName() const
{
    if (!m_rec.Name.isEmpty())
        return m_rec.Name;
    return QStringLiteral("Wav Recorder %1").arg(m_number);
}

int TAutoRec::CreateTriggerBoxes(const QStringList& formTitles)
{
    int made = 0;
    for (const QString& title : formTitles) {
        const int bit = int(m_triggerBoxes.size());
        if (bit >= MaxTriggerBits) {
            Ask(QStringLiteral("Only %1 user forms can trigger a recorder; \"%2\" and the forms after it cannot")
                    .arg(MaxUserFormTriggers)
                    .arg(title),
                QStringLiteral("WAV Recorder %1 : %2").arg(m_rec.RecorderId).arg(m_rec.Name), QMessageBox::Warning);
            break;
        }
        auto* box = new QCheckBox(title, this);
        box->setObjectName(QStringLiteral("trigger%1").arg(TriggerBoxBase + bit));
        box->setChecked(m_rec.RemoteEnable & (1u << bit));
        connect(box, &QCheckBox::toggled, this, [this, bit](bool on) { SetTriggerBit(bit, on); });
        m_triggerColumn->insertWidget(m_triggerColumn->count() - 1, box);
        m_triggerBoxes << box;
        ++made;
    }
    return made;
}

void TAutoRec::SetTriggerBit(int bit, bool on)
{
    if (bit < 0 || bit >= MaxTriggerBits)
        return;
    const uint32_t mask = 1u << bit;
    m_rec.RemoteEnable = int32_t(on ? uint32_t(m_rec.RemoteEnable) | mask : uint32_t(m_rec.RemoteEnable) & ~mask);
}

void TAutoRec::SetMode(Mode mode, bool check)
{
    if (check) {
        for (int i = 0; i < 4; ++i)
            m_modeButtons[std::size_t(i)]->setChecked(ModeOff + i == mode);
        m_modeButtons[std::size_t(mode - ModeOff)]->setFocus();
    }
    m_current = mode;
    if (mode == ModeOff || mode == ModeAutomatic)
        m_return = mode;
}

void TAutoRec::ModeCommand(Mode mode)
{
    SetMode(mode, false);
    m_selected = mode;
    m_deviceFailed = false;
    EndTrigger(false);
    Update();
}

void TAutoRec::EndTrigger(bool restore)
{
    m_triggerReason.clear();
    m_triggerActive = false;
    if (restore)
        SetMode(m_return, false);
}

void TAutoRec::SetEnableBuffer(bool on)
{
    m_rec.EnableBuffer = on;
    m_enableBuffer->setChecked(on);
    m_modeButtons[3]->setEnabled(on);
    if (!on)
        m_bufferGauge->setValue(0);
}

void TAutoRec::Update()
{
    if (!m_rec.DeviceValid)
        return;
    // A device that failed is not tried again every half second (each try
    // would show its message); the next command or trigger tries again.
    if (m_deviceFailed)
        return;
    const Mode desired = DesiredMode(m_selected, m_current, m_cycle.inside);
    switch (UpdateAction(m_state, desired, m_rec.EnableBuffer)) {
    case Action::Nothing: break;
    case Action::StartRecord: Start(sound::RECORDINGINFO::StartRecord); break;
    case Action::StartBuffer: Start(sound::RECORDINGINFO::StartBufferOnly); break;
    case Action::StartRecordWithBuffer: Start(sound::RECORDINGINFO::StartRecordWithBuffer); break;
    case Action::Stop: StopRecording(false); break;
    }
}

void TAutoRec::Start(int startType)
{
    m_startTime = Now();
    if ((m_rec.DeviceType & 0xFF) == KindPiped) {
        // Pelvane is started here, on this thread; the recorder thread then
        // only asks it for the pipe. Without it the recorder stays idle.
        if (!sound::EnsurePelvaneRunning()) {
            m_deviceFailed = true;
            return;
        }
        pipeserver::PipeSettings pipe;
        pipeserver::ReadPipeSettings(pipe);
        m_rec.SampleRate = uint32_t(pipeserver::AutorecPipeSampleRate(pipe));
        m_rec.nChannels = pipeserver::CountAutorecChannels(pipe);
        m_rec.nBits = 16;
    }
    m_rec.StartType = startType;
    m_state = startType == sound::RECORDINGINFO::StartBufferOnly ? StateBuffering : StateRecording;
    if (startType == sound::RECORDINGINFO::StartRecordWithBuffer)
        m_startTime = platform::AddSecondsToTime(m_startTime, -m_buffered);
    if (startType != sound::RECORDINGINFO::StartBufferOnly
        && !sound::MakeRecordingFileName(m_rec, m_startTime, m_triggerReason, m_cycle.inside, UiServices())) {
        m_state = StateIdle;
        m_deviceFailed = true;
        return;
    }
    m_stopping = false;
    m_thread->start(m_rec, startType);
    m_settings->setEnabled(m_state == StateIdle);
    sound::DbWriteRecorder(m_rec);
}

void TAutoRec::StopRecording(bool wait)
{
    const bool wasActive = m_state != StateIdle;
    m_state = StateIdle;
    m_stopping = true;
    if (m_thread) {
        if (wait) {
            if (!m_thread->stopAndWait(StopWaitMs))
                qWarning("velmar: recorder %d did not stop within %d ms", m_rec.RecorderId, StopWaitMs);
            m_deviceStatus = m_thread->status();
            // The closed file's booking and messages are queued to this
            // window; they must reach the database before it closes.
            QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        } else
            m_thread->stop();
    }
    if (wasActive)
        m_rec.SecondsUsed += float(platform::SecondsBetween(Now(), m_startTime));
    m_settings->setEnabled(true);
}

int TAutoRec::TriggerRecorder(int seconds, const QString& reason, bool closeFirst)
{
    const int result = m_recordingNumber + 1;
    if (closeFirst && m_state == StateRecording && m_thread)
        m_thread->split();
    const bool timed = m_selected == ModeOff || m_selected == ModeAutomatic;
    if (timed)
        m_triggerActive = true;
    m_deviceFailed = false;
    SetMode(m_rec.EnableBuffer ? ModeContinuousBuffer : ModeContinuous, false);
    m_triggerReason = reason.left(TriggerReasonSize);
    if (timed) {
        m_triggerStop = platform::AddSecondsToTime(Now(), seconds);
        Update();
    }
    return result;
}

void TAutoRec::LongRecording(int wParam)
{
    if (wParam == 1 && m_state != StateRecording)
        SetMode(m_rec.EnableBuffer ? ModeContinuousBuffer : ModeContinuous, true);
    else if (wParam == 2 && m_state == StateRecording)
        SetMode(m_return, true);
    m_deviceFailed = false;
}

bool TAutoRec::CanClose()
{
    sound::DbWriteRecorder(m_rec);
    return m_state != StateRecording;
}

void TAutoRec::OnStatus(int status)
{
    m_deviceStatus = status;
    // The device stopped without our asking (a failed start, a lost pipe):
    // the recorder is idle, and waits for a command before trying again.
    if (status == StatusStopped && !m_stopping && m_state != StateIdle) {
        m_deviceFailed = true;
        m_state = StateIdle;
        m_settings->setEnabled(true);
    }
    if (status == StatusStopped)
        m_stopping = false;
    m_deviceLine->setText(QStringLiteral("%1, %2 - %3")
                              .arg(m_rec.DeviceTypeText, m_rec.DeviceNameText,
                                   QStringList{"Idle", "Running", "Starting", "Stopping"}.value(status)));
}

void TAutoRec::OnLevels(const QList<int>& levels, int)
{
    for (int c = 0; c < levels.size() && c < LevelChannels; ++c) {
        const double db = LevelDb(levels[c], m_rec.nBits);
        QProgressBar* g = m_levels[std::size_t(c)];
        const QString colour = db > -6  ? QStringLiteral("red")
                             : db > -30 ? QStringLiteral("navy")
                                        : QStringLiteral("green");
        if (g->property("colour").toString() != colour) {
            g->setProperty("colour", colour);
            g->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: %1; }").arg(colour));
        }
        g->setValue(int(db));
    }
}

void TAutoRec::OnBuffered(int seconds)
{
    if (seconds == m_buffered)
        return;
    m_buffered = seconds;
    m_bufferGauge->setRange(0, std::max(1, m_rec.BufferLength));
    m_bufferGauge->setValue(std::min(seconds, m_rec.BufferLength));
}

void TAutoRec::OnFileStarted(const QString& path)
{
    m_lastFile = sound::SetLastFileName(m_rec, path);
}

void TAutoRec::OnFileClosed(const sound::RECORDINGINFO& rec, const QString&)
{
    // The thread's copy moved the media on; the window's record follows.
    m_rec.MediaNumber = rec.MediaNumber;
    m_rec.MediaName = rec.MediaName;
    m_rec.FileDate = std::max(m_rec.FileDate, rec.FileDate);
    m_rec.FileSequence = std::max(m_rec.FileSequence, rec.FileSequence);
    ++m_recordingNumber;
    m_foldersLine->setText(sound::FoldersLineText(m_rec));
}

QString TAutoRec::StatusLineText() const
{
    return m_status->text();
}

void TAutoRec::Refresh()
{
    const platform::SystemTime now = Now();
    m_cycle = CycleAt(platform::SecondsOfDay(now), m_rec.RecordInterval, m_rec.RecordDuration);
    if (m_triggerActive && platform::SecondsBetween(now, m_triggerStop) >= 0)
        EndTrigger(true);
    Update();

    StatusInput in;
    in.deviceValid = m_rec.DeviceValid;
    in.deviceName = m_rec.DeviceName;
    in.mode = m_current;
    in.state = m_state;
    in.deviceStatus = m_deviceStatus;
    in.bufferedSeconds = m_buffered;
    in.cycle = m_cycle;
    in.intervalMinutes = m_rec.RecordInterval;
    // Before the first start the start time is unset: no elapsed time, never
    // a count of centuries that no int holds.
    const double elapsed = double(platform::SecondsBetween(now, m_startTime));
    in.elapsedSeconds = std::isfinite(elapsed) && std::abs(elapsed) < 1e9 ? int(elapsed) : 0;
    in.triggerActive = m_triggerActive;
    in.triggerReason = m_triggerReason;
    in.triggerStopText = platform::FormatTimeString(m_triggerStop, 0);
    in.lostText = m_lostText;
    const StatusLine line = StatusText(in);
    if (m_status->text() != line.text)
        m_status->setText(line.text);
    if (m_status->property("alarm").toBool() != line.alarm) {
        m_status->setProperty("alarm", line.alarm);
        m_status->setStyleSheet(line.alarm ? QStringLiteral("background: rgb(225,128,128);") : QString());
    }

    if (m_host.hasDetectorPanel && m_host.hasDetectorPanel()) {
        if (m_current != m_lastModeShown && m_host.detectorMode) {
            m_lastModeShown = m_current;
            m_host.detectorMode(m_current == ModeOff         ? QStringLiteral("Off")
                                : m_current == ModeAutomatic ? QStringLiteral("Automatic")
                                                             : QStringLiteral("Long Record"));
        }
        if (m_host.recordingState && (m_state != m_lastStateSent || m_state == StateRecording)) {
            m_lastStateSent = m_state;
            m_host.recordingState(m_rec.FileName, m_state);
        }
        if (m_host.detectorState) {
            if (m_state != StateIdle && m_deviceStatus != StatusRunning)
                m_host.detectorState(QStringLiteral("Device Failure"), ColourAlarm);
            else if (m_state == StateRecording)
                m_host.detectorState(QStringLiteral("Recording %1").arg(platform::FormatDuration(in.elapsedSeconds)),
                                     ColourNormal);
            else if (m_state == StateBuffering)
                m_host.detectorState(QStringLiteral("Buffering %1").arg(platform::FormatDuration(m_buffered)),
                                     ColourNormal);
            else
                m_host.detectorState(QStringLiteral("Idle"), ColourIdle);
        }
    }
    FlashDiode();
    ShowSpace();
}

void TAutoRec::FlashDiode()
{
    if (!m_rec.FlashDiode)
        return;
    // Lit while recording, blinking at the refresh rate while buffering.
    int value = 0;
    if (m_state == StateRecording) {
        value = 1;
    } else if (m_state == StateBuffering) {
        m_diodePhase = !m_diodePhase;
        value = m_diodePhase ? 1 : 0;
    }
    if (m_host.digitalOutput && m_host.digitalOutput(m_rec.Diode, value))
        return;
    if (m_diodeReported)
        return;
    m_diodeReported = true;
    qCWarning(lcRecorderWindow) << "recorder" << m_rec.RecorderId << "cannot set its diode on output" << m_rec.Diode
                                << ": no board output in this run";
    const QString text = QStringLiteral("The diode on output %1 cannot be flashed: no measurement board output is "
                                        "available.")
                             .arg(m_rec.Diode);
    const QString caption = QStringLiteral("WAV Recorder %1 : %2").arg(m_rec.RecorderId).arg(m_rec.Name);
    // Told from the event loop: the refresh goes on meanwhile.
    QMetaObject::invokeMethod(
        this, [this, text, caption] { Ask(text, caption, QMessageBox::Warning); }, Qt::QueuedConnection);
}

void TAutoRec::ShowSpace()
{
    const sound::RecordingDisk disk = sound::MeasureRecordingDisk(m_rec.OutputDirectory);
    m_fileLine->setText(sound::DiskFileLineText(m_rec, m_deviceStatus, m_state == StateBuffering));
    m_spaceLine->setText(sound::DiskSpaceLineText(disk));
    const auto mode = m_current == ModeOff       ? sound::RecorderDisplayMode::Off
                    : m_current == ModeAutomatic ? sound::RecorderDisplayMode::AutomaticCycle
                                                 : sound::RecorderDisplayMode::Other;
    const sound::TimeLeft left = sound::DiskTimeLeft(m_rec, disk.freeMegabytes,
                                                     m_host.diskWarningHours ? m_host.diskWarningHours() : 0, mode);
    m_timeLeft->setText(left.text);
}

void TAutoRec::CheckDevice()
{
    const QString caption = QStringLiteral("WAV Recorder %1 : %2").arg(m_rec.RecorderId).arg(m_rec.Name);
    m_rec.DeviceValid = true;
    if ((m_rec.DeviceType & 0xFF) == KindSoundCard) {
        const std::vector<SoundCardInfo> cards = ListSoundCards();
        m_rec.DeviceValid = m_rec.DeviceNumber >= 0 && std::size_t(m_rec.DeviceNumber) < cards.size();
        if (!m_rec.DeviceValid)
            Ask(QStringLiteral("Sound card %1 (%2 ?) cannot be found on the system. \nPlease select another device")
                    .arg(m_rec.DeviceNumber)
                    .arg(m_rec.DeviceName),
                caption, QMessageBox::Critical);
        else if (!m_rec.DeviceName.isEmpty() && cards[std::size_t(m_rec.DeviceNumber)].name != m_rec.DeviceName)
            Ask(QStringLiteral("%1 \nSound Card names on the system have changed. \nCheck sound cards are recording "
                               "the correct audio input before collecting data.")
                    .arg(m_rec.Name),
                caption, QMessageBox::Warning);
    }
    if (const int kind = m_rec.DeviceType & 0xFF; kind != KindSoundCard && kind != KindPiped) {
        // A board kind whose library is missing cannot record here.
        for (const OtherInputInfo& input : ListOtherInputs())
            if (input.kind == kind && !input.unavailable.isEmpty()) {
                m_rec.DeviceValid = false;
                Ask(input.unavailable, caption, QMessageBox::Critical);
                break;
            }
    }
    setStyleSheet(m_rec.DeviceValid ? QString() : QStringLiteral("TAutoRec { background: rgb(255,0,0); }"));
    setAutoFillBackground(!m_rec.DeviceValid);
    if (!m_rec.DeviceValid) {
        QPalette p = palette();
        p.setColor(QPalette::Window, QColor(255, 0, 0));
        setPalette(p);
    }
}

void TAutoRec::ShowSettings()
{
    m_name->setText(m_rec.Name);
    const int kind = m_rec.DeviceType & 0xFF;
    m_rec.DeviceTypeText =
        pipeserver::InputDeviceKindName(kind, sound::RECORDINGINFO::DeviceTypeTextSize).value_or(QString());
    if (kind == KindPiped) {
        m_rec.DeviceNameText = QStringLiteral("Pelvane");
    } else if (kind != KindSoundCard) {
        m_rec.DeviceNameText = m_rec.DeviceName.left(sound::RECORDINGINFO::DeviceNameTextSize - 1);
    } else {
        const auto cards = ListSoundCards();
        m_rec.DeviceNameText = std::size_t(std::max(0, m_rec.DeviceNumber)) < cards.size()
                                 ? cards[std::size_t(m_rec.DeviceNumber)].name.left(
                                     sound::RECORDINGINFO::DeviceNameTextSize - 1)
                                 : m_rec.DeviceName.left(sound::RECORDINGINFO::DeviceNameTextSize - 1);
    }
    m_sampling->setText(m_rec.SampleRate <= 10000 ? QStringLiteral("Sampling %1 channels at %2 Hz from %3 %4")
                                                        .arg(m_rec.nChannels)
                                                        .arg(m_rec.SampleRate)
                                                        .arg(m_rec.DeviceTypeText, m_rec.DeviceNameText)
                                                  : QStringLiteral("Sampling %1 channels at %2 kHz from %3 %4")
                                                        .arg(m_rec.nChannels)
                                                        .arg(m_rec.SampleRate / 1000.0, 0, 'f', 1)
                                                        .arg(m_rec.DeviceTypeText, m_rec.DeviceNameText));
    m_heading->setText(QStringLiteral("Automatic recording to hard disk"));
    m_cycleLine->setText(
        QStringLiteral("Record for %1 seconds every %2 minutes").arg(m_rec.RecordDuration).arg(m_rec.RecordInterval));
    const sound::RecordingDisk disk = sound::MeasureRecordingDisk(m_rec.OutputDirectory);
    m_changeMedia->setText(QStringLiteral("Change Disk"));
    m_changeMedia->setEnabled(disk.driveTypeText != QStringLiteral("Fixed Disk"));
    OnStatus(m_deviceStatus);
    m_foldersLine->setText(sound::FoldersLineText(m_rec));
}

void TAutoRec::Settings()
{
    sound::RECORDINGINFO copy = m_rec;
    const bool ok = m_host.settingsSheet ? m_host.settingsSheet(this, copy)
                                         : RunRecorderSettings(this, copy, m_host.ask, m_host.diskWarningHours);
    if (!ok)
        return;
    m_rec = copy;
    sound::DbWriteRecorder(m_rec);
    m_deviceFailed = false;
    CheckDevice();
    ShowSettings();
}

void TAutoRec::ChangeMedia()
{
    sound::NewMediaDialog dialog(m_rec, this);
    shell::ui::Dialogs().RunDialog(dialog);
}

} // namespace velmar::recorder::ui
