#pragma once
// A named system mutex, for the single-instance rule of a program.
//
// Holding mutex M is owning the bus name org.velmar.mutex.M with no queueing:
// whoever asks second is refused at once, and the name comes free when its
// holder releases it or exits (even by a crash). User-interface thread only.
#include <QString>

namespace velmar::platform {

class NamedMutex {
public:
    explicit NamedMutex(const QString& name);
    ~NamedMutex(); // releases a held mutex, as closing the handle does
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    bool existsElsewhere() const; // another process holds it
    bool tryCreate();             // take it (no queueing); false when another process holds it or there is no bus
    void release();
    bool isHeld() const;

private:
    QString m_busName;
    bool m_held = false;
};

} // namespace velmar::platform
