#pragma once
// What all video components of one process share: the process bootstrap
// (GStreamer, stale scratch files, the device and codec catalogues), the list
// of living components, the start-up preview at the first idle moment, the
// debounced handling of devices that come and go, synchronised starts,
// scratch files per purpose, and the counters of sequential file names.
//
// Everything here runs on the user-interface thread. The manager is made by
// the first component and lives until destroy() (or the end of the process).
#include "DeviceCatalogue.h"
#include "DeviceProvider.h"
#include "SequentialNumbers.h"
#include "TaskWorker.h"

#include <QHash>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

namespace velmar::video {

class TOmbrix;

// The process bootstrap: runs once, at the first component or catalogue call.
// Returns false when GStreamer cannot be initialised (then every catalogue is
// empty and every start fails with a report).
bool Bootstrap();
bool BootstrapDone();
// The provider of devices: the system's unless one was set before the bootstrap.
void SetDeviceProvider(std::unique_ptr<DeviceProvider> provider);
DeviceProvider* CurrentDeviceProvider();

// The catalogues (after Bootstrap()).
TDevices* VideoDeviceCatalogue();
TDevices* AudioDeviceCatalogue();
TDevices* VideoCompressorCatalogue();
TDevices* AudioCompressorCatalogue();

// The catalogue functions of the component's unit.
QString AudioDevices();
int AudioDevicesCount();
QString VideoDevices();
int VideoDevicesCount();
QString AudioCompressors();
int AudioCompressorsCount();
QString VideoCompressors();
int VideoCompressorsCount();
bool IsDVDevice(int index);
bool IsVideoDeviceConnected(int index);
bool IsAudioDeviceConnected(int index);
// Whether capture graphs can be made here (GStreamer initialised).
bool IsDirectX8OrHigherInstalled();

class TSyncManager : public QObject {
    Q_OBJECT
public:
    static TSyncManager* instance();
    // The manager, made when missing (the first component does so).
    static TSyncManager* ensure();
    // Frees the manager, the catalogues and the scratch files (end of the process, tests).
    static void destroy();

    // Tick period and the quiet time after the last device notification.
    static constexpr int tickPeriodMs = 300;
    static constexpr int deviceChangeDelayMs = 2000;

    int addInstance(TOmbrix* component);
    void removeInstance(TOmbrix* component);
    QList<TOmbrix*> instances() const { return m_instances.items(); }

    // A device arrived or went: the catalogues are rebuilt once, 2 s after the last notice.
    void deviceChangeNoticed();
    // One tick: visits one component (tests call it with an injected clock).
    void tick();
    void setClock(std::function<qint64()> clock);
    int deviceChangeState() const { return m_deviceChangeState; }

    void startupAutoPreview();

    TSequentialCounters& counters() { return m_counters; }
    // The scratch file of a purpose ("v~a", "v~b", "v~f"), made on first request;
    // an absolute path under the user's folders, or empty when it cannot be made.
    QString tempFileForKey(const QString& key);

private:
    TSyncManager();
    ~TSyncManager() override;
    void processDeviceChange();
    void synchronisedStartCheck();

    TCSList<TOmbrix*> m_instances;
    QTimer m_tickTimer;
    int m_cursor = 0;
    bool m_tickBusy = false;
    bool m_startupBusy = false;
    std::function<qint64()> m_clock;
    qint64 m_deadline = 0;
    int m_deviceChangeState = 0;
    TSequentialCounters m_counters;
    QHash<QString, QString> m_tempFiles;
};

} // namespace velmar::video
