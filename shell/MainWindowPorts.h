#pragma once
// The sound recorders and decks as the main window sees them; the services
// that make them are in MainWindowServices.h.
//
// User-interface thread only. Recorders and decks are owned by the main
// window.
#include "widgets/NightDay.h"

#include <QByteArray>
#include <QMessageBox>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QTabBar;
class QWidget;

namespace velmar::shell {

// A sound recorder (one per recorder row) as the main window sees it.
class AutoRecorder : public TTabIdentity {
public:
    virtual ~AutoRecorder() = default;
    virtual QWidget* Widget() = 0;
    virtual void SetNumber(int number) = 0;
    // Its own name, or "Wav Recorder %d" with its number.
    virtual QString GetRecorderName() = 0;
    // Makes the window; its set-up starts the acquisition thread.
    virtual void CreateWindow() = 0;
    virtual void CreateTriggerBoxes() = 0;
    // False while recording.
    virtual bool CanClose() = 0;
    virtual void StopRecording(int how) = 0;
    // Command 31588: read the automatic-recording box, arm or disarm.
    virtual void AutoStartCheck() = 0;
};

// A sound-file deck (show data and offline logging).
class Deck : public TTabIdentity {
public:
    virtual ~Deck() = default;
    virtual QWidget* Widget() = 0;
    virtual void CreateWindow() = 0;
    // False while its playback engine is busy.
    virtual bool CanClose() = 0;
    virtual void StopPlayback() = 0;
};

} // namespace velmar::shell
