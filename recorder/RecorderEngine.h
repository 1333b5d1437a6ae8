#pragma once
// The recorder thread of one recorder: it drives the input device, drains
// the sample ring in blocks of a tenth of a second and writes them into WAV
// files, or, between recordings, into the pre-trigger buffer that heads the
// next file. It splits files that pass the size limit, keeps each open file
// readable after a crash (header sizes rewritten and data flushed every few
// seconds, a journal beside it so that the next start books it), measures
// peak levels and books every closed file with the seconds of sound it holds.
// When the input's source ends (EndingInput) or the file cannot be written,
// the operator is told why, the file is closed and booked, and the recorder
// stops.
//
// The engine lives on its own thread (RecorderThread moves it there); every
// slot runs on that thread and every signal reaches the recorder window
// queued. Tests drive it on their own thread through tick(). It keeps its
// own copy of the recording; the window learns the changes from the signals.
#include "recorder/InputBackend.h"
#include "sound/RecordingFiles.h"
#include "sound/RecordingInfo.h"
#include "sound/WavRecordingFile.h"

#include <QList>
#include <QObject>

#include <atomic>
#include <memory>
#include <vector>

namespace velmar::recorder {

// Device status: 0 stopped, 1 running, 2 starting, 3 stopping.
enum DeviceStatus : int { StatusStopped = 0, StatusRunning = 1, StatusStarting = 2, StatusStopping = 3 };

// Seconds between two header rewrites of an open file.
inline constexpr int HeaderRefreshSeconds = 2;
// Levels reported: the first eight channels.
inline constexpr int LevelChannels = 8;
// Seconds the sample ring between device and thread holds.
inline constexpr int SampleRingSeconds = 3;

// Bytes of one block: a tenth of a second of whole frames.
qint64 BlockBytes(uint32_t sampleRate, int channels);
// Samples of the ring between device and thread: SampleRingSeconds of sound,
// and never fewer than sound::MinRingBlocks of the blocks either side moves
// at once, so that a slow rate or a long JACK period still has room for
// whole blocks.
std::size_t RingSamples(uint32_t sampleRate, int channels, std::size_t deviceBlockSamples);
// Bytes of the pre-trigger buffer: a whole number of blocks, at least four.
qint64 PreTriggerBytes(qint64 blockBytes, uint32_t sampleRate, int channels, int bufferSeconds);

class RecorderEngine : public QObject {
    Q_OBJECT
public:
    RecorderEngine(InputFactory factory, sound::RecordingServices services, QObject* parent = nullptr);
    ~RecorderEngine() override;

    // Any thread.
    int status() const { return m_status.load(); }

    // Test access, engine thread only.
    qint64 bufferBytes() const { return m_bufFill; }
    qint64 bufferCapacity() const { return qint64(m_buffer.size()); }
    bool fileOpen() const { return m_file.isOpen(); }
    qint64 fileBytes() const { return m_file.soundBytes(); }
    QString filePath() const { return m_file.path(); }

public slots:
    // Start types of RECORDINGINFO: record, fill the buffer only, record
    // with the buffer first. The device keeps running when it is running.
    void start(const velmar::sound::RECORDINGINFO& recording, int startType);
    // Closes the file, frees the buffer and stops the device.
    void stop();
    // Closes the file and goes on in a new one.
    void split();
    // Drains the sample ring (the thread's 0.1 s timer calls it).
    void tick();

signals:
    void statusChanged(int status);
    // The device samples at another rate than the recording asked for; the
    // recording (and every file from now on) has this rate.
    void sampleRateGranted(uint32_t rate);
    void levelsMeasured(const QList<int>& levels, int channels);
    void bufferedSeconds(int seconds);
    void fileStarted(const QString& path);
    // The recording after a file was closed and booked (media number, file
    // counters); the window takes its counters over.
    void fileClosed(const velmar::sound::RECORDINGINFO& recording, const QString& finalPath);
    void message(const QString& text, const QString& caption);
    // Sound lost since the device started: what the ring could not take and
    // what the device lost, in seconds, and the times the device reported a
    // loss. Sent when it grows, and with zeros when a device starts.
    void soundLost(double seconds, int gaps);

private:
    void setStatus(int status);
    bool startDevice();
    void stopDevice();
    bool openFile(bool withBuffer);
    void closeFile();
    void refreshHeader();
    void writeFailed();
    void allocateBuffer();
    void freeBuffer();
    void consumeBlock(const int16_t* samples, qint64 bytes);
    void measureLevels(const int16_t* samples, qint64 bytes);
    platform::SystemTime now() const;
    // Adds what the ring and the device lost since the last look.
    void countLosses();
    // Tells the log and the operator, once, what was lost in `where` (a file
    // or the pre-trigger buffer) since the last telling.
    void tellLosses(const QString& where);

    InputFactory m_factory;
    sound::RecordingServices m_services;
    sound::RECORDINGINFO m_recording;
    AcquisitionSettings m_settings;
    std::unique_ptr<InputBackend> m_input;
    std::unique_ptr<SampleRing> m_ring;
    std::vector<int16_t> m_block;
    qint64 m_blockBytes = 0;
    std::atomic<int> m_status{StatusStopped};

    std::vector<char> m_buffer; // pre-trigger buffer
    qint64 m_bufWrite = 0;
    qint64 m_bufFill = 0;
    int m_lastBufferSeconds = -1;

    sound::WavRecordingFile m_file;
    qint64 m_sinceRefresh = 0;
    platform::SystemTime m_fileStart;
    bool m_writeFailed = false; // said; the recorder stops after this tick

    // Losses since the device started, and those not yet told.
    qint64 m_droppedFrames = 0;
    qint64 m_deviceLostFrames = 0;
    int m_gaps = 0;
    qint64 m_untoldDropped = 0;
    qint64 m_untoldDeviceLost = 0;
    int m_untoldGaps = 0;
};

} // namespace velmar::recorder
