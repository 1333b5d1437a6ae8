#include "SyncManager.h"

#include "DeviceSettings.h"
#include "FileOps.h"
#include "MediaFormats.h"
#include "Ombrix.h"
#include "ProcessLog.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <gst/gst.h>

namespace velmar::video {

namespace {
// What the bootstrap makes once per process.
struct ProcessState {
    int bootstrapState = 0; // 0 not run, 1 running, 2 done
    bool gstReady = false;
    std::unique_ptr<DeviceProvider> provider;
    std::unique_ptr<TDevices> audioDevices, videoDevices, videoCompressors, audioCompressors;
    QStringList audioFormatNames;
};

ProcessState& process()
{
    static ProcessState state;
    return state;
}

TSyncManager* g_manager = nullptr;

// The number of Video for Windows driver slots of the original design.
constexpr int vfwDriverSlots = 10;

bool debuggerAttached()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("TracerPid:"))
            return line.mid(10).trimmed() != "0";
    return false;
}

// Scratch files of earlier days ("v~*", "tv*") are left over by a process
// that ended without its clean-up.
void removeStaleTemporaryFiles()
{
    const QDate today = QDate::currentDate();
    const QDir dir(TemporaryFolder());
    for (const QString& pattern : {QStringLiteral("v~*"), QStringLiteral("tv*")}) {
        for (const QFileInfo& f : dir.entryInfoList({pattern}, QDir::Files)) {
            const QDate day = f.lastModified().date();
            if (day.day() != today.day() || day.month() != today.month())
                QFile::remove(f.absoluteFilePath());
        }
    }
}

QList<DeviceDescription> devicesOf(DeviceCategory category)
{
    DeviceProvider* p = process().provider.get();
    return p ? p->devices(category) : QList<DeviceDescription>{};
}
} // namespace

void SetDeviceProvider(std::unique_ptr<DeviceProvider> provider)
{
    process().provider = std::move(provider);
}

DeviceProvider* CurrentDeviceProvider()
{
    return process().provider.get();
}

bool BootstrapDone()
{
    return process().bootstrapState == 2;
}

bool Bootstrap()
{
    ProcessState& p = process();
    if (p.bootstrapState != 0)
        return p.gstReady;
    p.bootstrapState = 1;
    removeStaleTemporaryFiles();
    GError* error = nullptr;
    p.gstReady = gst_init_check(nullptr, nullptr, &error);
    if (error) {
        WriteLog(cfRed, QStringLiteral("ERROR: GStreamer: ") + QString::fromUtf8(error->message));
        g_error_free(error);
    }
    WriteLog(cfBlue, QStringLiteral("creating devs"));
    if (debuggerAttached())
        WriteLog(cfPurple, QStringLiteral("setting codec files aside under a debugger: not available"));
    // Video for Windows drivers do not exist here: every slot is empty.
    QStringList vfwDrivers;
    for (int i = 0; i < vfwDriverSlots; ++i)
        vfwDrivers << QStringLiteral(".");
    WriteLog(cfBlue, QStringLiteral("Video for Windows drivers: not available"));
    if (p.gstReady && !p.provider)
        p.provider = createSystemDeviceProvider();
    p.audioDevices = std::make_unique<TDevices>(1, [] { return devicesOf(DeviceCategory::AudioInput); });
    p.videoDevices = std::make_unique<TDevices>(
        0, [] { return devicesOf(DeviceCategory::VideoInput); }, p.audioDevices.get());
    const bool ready = p.gstReady;
    p.videoCompressors = std::make_unique<TDevices>(
        2, [ready] { return ready ? listCompressors(DeviceCategory::VideoCompressor) : QList<DeviceDescription>{}; });
    p.audioCompressors = std::make_unique<TDevices>(
        3, [ready] { return ready ? listCompressors(DeviceCategory::AudioCompressor) : QList<DeviceDescription>{}; });
    p.audioFormatNames = AudioFormatNames();
    p.bootstrapState = 2;
    return p.gstReady;
}

TDevices* VideoDeviceCatalogue()
{
    return process().videoDevices.get();
}
TDevices* AudioDeviceCatalogue()
{
    return process().audioDevices.get();
}
TDevices* VideoCompressorCatalogue()
{
    return process().videoCompressors.get();
}
TDevices* AudioCompressorCatalogue()
{
    return process().audioCompressors.get();
}

namespace {
TDevices* bootstrapped(TDevices* (*catalogue)())
{
    Bootstrap();
    return catalogue();
}
} // namespace

QString AudioDevices()
{
    return bootstrapped(AudioDeviceCatalogue)->names();
}
int AudioDevicesCount()
{
    return bootstrapped(AudioDeviceCatalogue)->count();
}
QString VideoDevices()
{
    return bootstrapped(VideoDeviceCatalogue)->names();
}
int VideoDevicesCount()
{
    return bootstrapped(VideoDeviceCatalogue)->count();
}
QString AudioCompressors()
{
    return bootstrapped(AudioCompressorCatalogue)->names();
}
int AudioCompressorsCount()
{
    return bootstrapped(AudioCompressorCatalogue)->count();
}
QString VideoCompressors()
{
    return bootstrapped(VideoCompressorCatalogue)->names();
}
int VideoCompressorsCount()
{
    return bootstrapped(VideoCompressorCatalogue)->count();
}

bool IsDVDevice(int index)
{
    const TCapDeviceInfo* e = bootstrapped(VideoDeviceCatalogue)->entry(index);
    return e && e->isDV;
}

bool IsVideoDeviceConnected(int index)
{
    return bootstrapped(VideoDeviceCatalogue)->isConnected(index);
}

bool IsAudioDeviceConnected(int index)
{
    return bootstrapped(AudioDeviceCatalogue)->isConnected(index);
}

bool IsDirectX8OrHigherInstalled()
{
    static const bool ready = gst_init_check(nullptr, nullptr, nullptr);
    return ready;
}

TSyncManager* TSyncManager::instance()
{
    return g_manager;
}

TSyncManager* TSyncManager::ensure()
{
    if (!g_manager)
        g_manager = new TSyncManager;
    return g_manager;
}

void TSyncManager::destroy()
{
    delete g_manager;
    g_manager = nullptr;
}

TSyncManager::TSyncManager()
{
    TRegistry2::CheckVersionKey();
    Bootstrap();
    m_clock = [] {
        static QElapsedTimer timer;
        if (!timer.isValid())
            timer.start();
        return timer.elapsed();
    };
    if (DeviceProvider* p = CurrentDeviceProvider())
        connect(p, &DeviceProvider::devicesChanged, this, &TSyncManager::deviceChangeNoticed);
    m_tickTimer.setInterval(tickPeriodMs);
    connect(&m_tickTimer, &QTimer::timeout, this, &TSyncManager::tick);
    m_tickTimer.start();
    // The first idle moment of the application: after what started it.
    QTimer::singleShot(0, this, &TSyncManager::startupAutoPreview);
}

TSyncManager::~TSyncManager()
{
    WriteLog(cfBlue, QStringLiteral("freeing global resources"));
    m_tickTimer.stop();
    if (registryOptions().cleanOnExit)
        TRegistry2::DeleteSettingsKey();
    WriteLog(QLatin1Char('='), cfDefault,
             QStringLiteral("END TOmbrix v") + versionText() + QStringLiteral(" process log"));
    ProcessState& p = process();
    p.audioDevices.reset();
    p.videoDevices.reset();
    p.audioCompressors.reset();
    p.videoCompressors.reset();
    p.provider.reset();
    p.bootstrapState = 0;
    for (const QString& file : std::as_const(m_tempFiles))
        QFile::remove(file);
}

int TSyncManager::addInstance(TOmbrix* component)
{
    return m_instances.addItem(component);
}

void TSyncManager::removeInstance(TOmbrix* component)
{
    m_instances.removeItem(component);
}

void TSyncManager::setClock(std::function<qint64()> clock)
{
    m_clock = std::move(clock);
}

void TSyncManager::deviceChangeNoticed()
{
    if (m_deviceChangeState == 2)
        return;
    m_deadline = m_clock() + deviceChangeDelayMs;
    m_deviceChangeState = 1;
}

void TSyncManager::tick()
{
    if (m_tickBusy)
        return;
    m_tickBusy = true;
    const std::optional<TOmbrix*> component = m_instances.at(m_cursor++);
    if (!component) {
        m_cursor = 0;
    } else if ((*component)->GraphState() == gs_WaitForSync) {
        synchronisedStartCheck();
    } else if (m_deviceChangeState == 1) {
        processDeviceChange();
    }
    m_tickBusy = false;
}

void TSyncManager::synchronisedStartCheck()
{
    const QList<TOmbrix*> all = m_instances.items();
    for (TOmbrix* c : all)
        if (c->Synchronized() && c->MultiplexedRole() != mr_MultiplexedSlave && c->GraphState() != gs_WaitForSync)
            return;
    for (TOmbrix* c : all)
        c->SetGraphState(gs_CanActivate);
}

void TSyncManager::processDeviceChange()
{
    if (m_clock() < m_deadline)
        return;
    m_deviceChangeState = 2;
    TDevices* video = VideoDeviceCatalogue();
    TDevices* audio = AudioDeviceCatalogue();
    if (video)
        video->rebuild();
    if (audio)
        audio->rebuild();
    for (TDevices* catalogue : {video, audio}) {
        if (!catalogue)
            continue;
        const bool isVideo = catalogue == video;
        for (int i = 0; i < catalogue->count(); ++i) {
            const TCapDeviceInfo* e = catalogue->entry(i);
            const bool arrived = e->isConnected && !e->wasConnected;
            const bool removed = !e->isConnected && e->wasConnected;
            if (!arrived && !removed)
                continue;
            for (TOmbrix* c : m_instances.items()) {
                if (c->IsDestroying())
                    continue;
                if (arrived && isVideo && c->BoundVideoDevice() == i)
                    c->BindVideoDevice();
                if (removed && isVideo && c->BoundVideoDevice() == i && !c->IsDeviceLost()
                    && (c->CurrentState() != cs_Down || c->IsGraphActive()))
                    c->PostCommand(WMDeviceLost);
                c->FireDeviceArrivalOrRemoval(arrived, isVideo, catalogue->nameAt(i), i);
            }
        }
    }
    m_deviceChangeState = 0;
}

void TSyncManager::startupAutoPreview()
{
    if (m_startupBusy)
        return;
    m_startupBusy = true;
    for (TOmbrix* c : m_instances.items()) {
        c->FirstBind();
        if (c->AutoStartPreview() && c->VideoSource() == vs_VideoCaptureDevice
            && c->MultiplexedRole() != mr_MultiplexedSlave && c->CurrentState() == cs_Down)
            c->StartPreview();
    }
    m_startupBusy = false;
}

QString TSyncManager::tempFileForKey(const QString& key)
{
    const auto it = m_tempFiles.constFind(key);
    if (it != m_tempFiles.constEnd())
        return *it;
    QTemporaryFile file(TemporaryFolder() + QLatin1Char('/') + key.left(9) + QStringLiteral("XXXXXX.tmp"));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    const QString name = QFileInfo(file.fileName()).absoluteFilePath();
    m_tempFiles.insert(key, name);
    return name;
}

} // namespace velmar::video
