#pragma once
// The four process-wide catalogues of the video component: video and audio
// capture devices, video and audio compressors. Each is a list of display
// names in a stable order; the component's device properties are indexes
// into them. Entries are never removed: a device that goes away keeps its
// index, marked not connected, and gets it back when it returns.
//
// Rebuilt on the user-interface thread (holding the catalogue's lock while
// enumerating); readers of names take no lock. Owned by the sync manager.
#include "DeviceDescription.h"

#include <QMutex>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace velmar::video {

class TCapDeviceInfo {
public:
    QString identityKey; // cleaned device path + friendly name
    QString friendlyName;
    QString path; // the provider's device path or serial
    QString dvNamePart1, dvNamePart2;
    bool isWDM = true; // every Linux device is a driver-model device
    bool wasConnected = false;
    bool isConnected = false;
    bool movedToAudio = false;
    bool isDV = false;
    int vfwIndex = -1;
    int occurrence = 1;
    DeviceCategory category = DeviceCategory::VideoInput;
    bool fromRegistry = false;
    QString classId; // a compressor's element factory
    QList<CapsEntry> formats;
};

// Keeps letters, digits, blanks, "-", "{" and "}".
QString CleanIdentity(const QString& text);

// Process-wide settings of the catalogues, set by the host before the first component.
struct CatalogueOptions {
    bool vfwDriversEnabled = true;
    bool codecsDisabledFromIDE = false;
    QString customEnClsid; // an encoder factory added to the video compressors
};
CatalogueOptions& catalogueOptions();

class TDevices {
public:
    using Enumerator = std::function<QList<DeviceDescription>()>;

    TDevices(int kind, Enumerator enumerate, TDevices* partner = nullptr);

    int kind() const { return m_kind; }
    QString name() const;  // "video device", ... (log lines)
    QString title() const; // "video capture device", ... (messages)

    void rebuild();

    QString names() const { return m_names.join(QLatin1Char('\n')); }
    const QStringList& nameList() const { return m_names; }
    int count() const { return int(m_names.size()); }
    QString nameAt(int index) const;
    const TCapDeviceInfo* entry(int index) const;
    // The key of the device's stored settings; empty outside the range.
    QString deviceRegistryKey(int index) const;
    bool isConnected(int index) const;
    int previousCount() const { return m_previousCount; }

    // Exclusive use by one graph (cleared when that graph is cleared).
    bool inUse(int index) const;
    void setInUse(int index, bool used);

    // Finds a device as the provider lists it now: mode 0 friendly name
    // equals the text, 1 contains it, 2 contains every "!"-separated
    // fragment, 3 identity key equals it. Case-sensitive.
    static bool FindDevice(const QList<DeviceDescription>& devices, const QString& text, int mode,
                           DeviceDescription& found);

    // Puts entries whose names contain a preferred fragment at the front.
    static void ReorderPreferred(QStringList& names, const QStringList& fragments, const QStringList& unless = {});

    // Appends an entry moved from the video catalogue (partner only).
    void appendMoved(std::unique_ptr<TCapDeviceInfo> info, const QString& displayName);

private:
    int occurrenceOf(const QString& friendlyName) const;
    TCapDeviceInfo* findByKey(const QString& key);

    int m_kind;
    Enumerator m_enumerate;
    TDevices* m_partner;
    bool m_driverSuffix;
    QStringList m_exclusions;
    QStringList m_names;
    std::vector<std::unique_ptr<TCapDeviceInfo>> m_entries;
    std::vector<bool> m_inUse;
    int m_count = 0;
    int m_previousCount = -1;
    mutable QMutex m_lock;
};

} // namespace velmar::video
