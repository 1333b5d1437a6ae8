#pragma once
// A deck's engine: a DeckPlayer on a worker thread of its own, with the
// timers that drive it. One engine per deck; nothing is shared between decks.
//
// Every public method is for the user-interface thread, which owns the
// engine. Commands are queued to the worker and never wait for it; state()
// and position() read values the worker publishes. The worker reaches the
// user-interface thread (the detector programs over the bus, the deck's
// answers) through queued calls with a bounded wait, so neither thread can
// hold the other up for good.
#include "deck/DeckPlayer.h"

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

namespace velmar::deck {

class EngineWorker;

// The detector programs over the session bus (found by window class).
std::unique_ptr<DetectorLink> MakeBusDetectorLink();

class DeckEngine : public QObject {
    Q_OBJECT
public:
    // `detectors` is called on the user-interface thread only; `makeOutput`
    // on the worker (PortAudio when null).
    DeckEngine(std::unique_ptr<DetectorLink> detectors, DeckPlayer::OutputFactory makeOutput = {},
               QObject* parent = nullptr);
    ~DeckEngine() override;

    // What the deck answers the engine: the open file's start time and the
    // next track of a play list. Called on the user-interface thread.
    std::function<std::optional<platform::SystemTime>()> fileStartTime;
    std::function<QIODevice*(uint32_t framesRead)> nextFile;

    // The deck starts only while state() is 0; the answer comes as started().
    void start(const DeckStart& start);
    void stop();

    int state() const;
    uint32_t position() const;

signals:
    void started(bool ok);
    void stateChanged(int state);
    void levels(const velmar::deck::BlockLevels& levels);
    void message(const QString& text, const QString& caption);

private:
    friend class EngineWorker;
    QThread m_thread;
    std::unique_ptr<DetectorLink> m_detectors;
    EngineWorker* m_worker = nullptr; // lives on m_thread
};

} // namespace velmar::deck

Q_DECLARE_METATYPE(velmar::deck::BlockLevels)
