#pragma once
// One camera of a grabber form: its live preview, the last grabbed frame,
// and the frames saved on each trigger (JPEG or bitmap files named by their
// UTC capture time in the output folder), or in AVI mode a held recording
// that a trigger opens with the seconds before it and that ends the pre and
// post seconds after the last trigger; a new held recording then waits for
// the next one. A file is written first and logged only once it exists (an
// AVI clip once it is complete); a failure to write is reported once until
// a frame is written again.
#include "CamSettings.h"
#include "GrabSequencer.h"

#include "video/Ombrix.h"

#include <QTimer>
#include <QWidget>

class QGridLayout;
class QLabel;

namespace velmar::camera {

// One saved frame as a grab logger receives it.
struct GrabRecord {
    qint64 utcMs = 0;
    QString fileName; // without folder
    int grabberForm = 0;
    int cameraNumber = 0;
    QString deviceName;
    int width = 0, height = 0;
    QString message;
};

// Where saved frames are logged: the survey's grab table in Velmar; Kelvor
// logs nothing and passes no logger.
class GrabLogger {
public:
    virtual ~GrabLogger() = default;
    virtual void logGrab(const GrabRecord& record) = 0;
};

class TVideoUnit : public QWidget {
    Q_OBJECT
public:
    // `instance` is the grabber form's instance number (negative: sections
    // without it); `logger` may be null.
    TVideoUnit(QWidget* parent, CamSettingsStore& store, int instance, GrabLogger* logger);
    ~TVideoUnit() override;

    // Position on the form; loads the settings, which may replace the device.
    void SetCameraNumber(int n);
    // Finds the device by the stored camera name after every load.
    void setIdCameraByName(bool on) { m_idByName = on; }
    void LoadSettings();
    bool SaveSettings();
    // The index of the video device of that exact name; -1 when none has it.
    static int FindVideoDevice(const QString& name);

    bool SetupGrabber(bool start);
    // The layout: the last grabbed frame beside the video (the only camera
    // of its form), or below it.
    void setSideBySide(bool on);
    // The form's button and the main program's triggers.
    int Grab(const QString& reason);
    // The grab timer's triggers.
    bool StartSequence(const QString& reason);
    bool GrabOneFrame(const QString& reason);
    // AVI mode: a trigger opens the held recording or extends the open one.
    void ExtendAviRecording();

    // The settings dialog, modal; the camera restarts whatever the answer,
    // and on OK the settings are saved. True on OK.
    bool VideoDblClick();

    TCamSettings& Settings() { return m_settings; }
    const GrabSequencer& sequencer() const { return m_sequencer; }
    int savedFrames() const { return m_savedFrames; }
    bool aviClipOpen() const { return m_aviStopTimer.isActive(); }

signals:
    // A message for the operator (a failure, told once).
    void report(const QString& text);
    // The settings were applied to the camera again (its size may differ).
    void settingsApplied();

private:
    void frameCaptureCompleted(const velmar::video::TFrameData& frame, int destType, const QString& fileName,
                               bool success);
    void saveFrame(const QImage& frame, qint64 utcMs);
    void showBufferStatus();
    void layOut();
    // The video's size on the form: the source's at the display scale.
    QSize videoSize() const;
    void aviStopTimerTimer();
    void recordingCompleted(const QString& fileName, bool success);
    // size: the picture's; the source's now when empty.
    void logGrab(const QString& name, qint64 utcMs, QSize size = {});
    void fail(const QString& text);

    CamSettingsStore& m_store;
    const int m_instance;
    GrabLogger* const m_logger;
    int m_unitNumber = 0;
    bool m_idByName = false;
    TCamSettings m_settings;
    GrabSequencer m_sequencer{m_settings};
    velmar::video::TOmbrix m_ombrix;
    QGridLayout* m_layout;
    bool m_sideBySide = false;
    QWidget* m_video;
    QLabel* m_deviceName;
    QLabel* m_grabbedImage;
    QLabel* m_bufferStatus;
    QLabel* m_image;
    bool m_failing = false;
    QString m_lastComponentError;
    int m_savedFrames = 0;
    QTimer m_aviStopTimer;
    qint64 m_aviUtcMs = 0;
    QSize m_aviSize;
};

} // namespace velmar::camera
