#include "DeviceCatalogue.h"

#include "MediaFormats.h"
#include "ProcessLog.h"

namespace velmar::video {

namespace {
struct CatalogueKind {
    const char* name;
    const char* title;
    bool driverSuffix;
    const char* exclusions;
};
constexpr CatalogueKind kinds[] = {
    {"video device", "video capture device", true, ""},
    {"audio device", "audio capture device", true, ""},
    {"video compressor", "video compressor", false, "ENCODER DMO!XLDECOMPRESS"},
    {"audio compressor", "audio compressor", false, "ENCODER DMO"},
};
constexpr int videoDeviceKind = 0;
constexpr int videoCompressorKind = 2;
constexpr int audioCompressorKind = 3;

bool hasDVFormat(const QList<CapsEntry>& formats)
{
    for (const CapsEntry& c : formats)
        if (IsDVSubtype(c.formatName))
            return true;
    return false;
}
} // namespace

QString CleanIdentity(const QString& text)
{
    QString clean;
    for (const QChar c : text)
        if (c.isLetterOrNumber() || c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('{')
            || c == QLatin1Char('}'))
            clean += c;
    return clean;
}

CatalogueOptions& catalogueOptions()
{
    static CatalogueOptions options;
    return options;
}

TDevices::TDevices(int kind, Enumerator enumerate, TDevices* partner)
    : m_kind(kind), m_enumerate(std::move(enumerate)), m_partner(partner), m_driverSuffix(kinds[kind].driverSuffix)
{
    for (const QString& f : QString::fromLatin1(kinds[kind].exclusions).split(QLatin1Char('!'))) {
        if (f.isEmpty())
            break;
        m_exclusions << f;
    }
    rebuild();
}

QString TDevices::name() const
{
    return QString::fromLatin1(kinds[m_kind].name);
}

QString TDevices::title() const
{
    return QString::fromLatin1(kinds[m_kind].title);
}

QString TDevices::nameAt(int index) const
{
    return index >= 0 && index < m_names.size() ? m_names.at(index) : QString();
}

const TCapDeviceInfo* TDevices::entry(int index) const
{
    return index >= 0 && index < int(m_entries.size()) ? m_entries[index].get() : nullptr;
}

QString TDevices::deviceRegistryKey(int index) const
{
    const TCapDeviceInfo* e = entry(index);
    return e ? e->identityKey : QString();
}

bool TDevices::isConnected(int index) const
{
    const TCapDeviceInfo* e = entry(index);
    return e && e->isConnected;
}

bool TDevices::inUse(int index) const
{
    return index >= 0 && index < int(m_inUse.size()) && m_inUse[index];
}

void TDevices::setInUse(int index, bool used)
{
    if (index >= 0 && index < int(m_inUse.size()))
        m_inUse[index] = used;
}

int TDevices::occurrenceOf(const QString& friendlyName) const
{
    int highest = 0;
    for (const auto& e : m_entries)
        if (e->friendlyName == friendlyName)
            highest = std::max(highest, e->occurrence);
    return highest + 1;
}

TCapDeviceInfo* TDevices::findByKey(const QString& key)
{
    for (auto& e : m_entries)
        if (e->identityKey == key)
            return e.get();
    return nullptr;
}

void TDevices::appendMoved(std::unique_ptr<TCapDeviceInfo> info, const QString& displayName)
{
    m_names << displayName;
    m_entries.push_back(std::move(info));
    m_inUse.push_back(false);
}

void TDevices::rebuild()
{
    WriteLog(cfBlue, QStringLiteral("rebuilding ") + name());
    for (auto& e : m_entries) {
        if (e->movedToAudio)
            continue;
        e->wasConnected = e->isConnected;
        e->isConnected = false;
    }
    bool moved = false;
    {
        QMutexLocker locker(&m_lock);
        if (m_previousCount != -1)
            m_previousCount = m_count;
        m_count = 0;
        const QList<DeviceDescription> found = m_enumerate ? m_enumerate() : QList<DeviceDescription>{};
        for (const DeviceDescription& d : found) {
            ++m_count;
            if (d.friendlyName.isEmpty())
                continue;
            const QString key = CleanIdentity(d.path) + d.friendlyName;
            const QString upper = d.friendlyName.toUpper();
            bool excluded = false;
            for (const QString& f : std::as_const(m_exclusions))
                excluded = excluded || upper.contains(f);
            if (excluded)
                continue;
            TCapDeviceInfo* existing = findByKey(key);
            if (!existing && m_kind == videoDeviceKind && m_partner) {
                existing = m_partner->findByKey(key);
                if (existing && !existing->movedToAudio)
                    existing = nullptr;
            }
            if (existing) {
                existing->isConnected = true;
                existing->formats = d.formats;
                continue;
            }
            auto info = std::make_unique<TCapDeviceInfo>();
            info->identityKey = key;
            info->friendlyName = d.friendlyName;
            info->path = d.path;
            info->isConnected = true;
            info->occurrence = occurrenceOf(d.friendlyName);
            info->isDV = d.friendlyName.contains(QLatin1String("Microsoft DV")) || hasDVFormat(d.formats);
            info->category = d.category;
            info->classId = d.factoryName;
            info->formats = d.formats;
            QString display = d.friendlyName;
            if (info->occurrence >= 2)
                display += QStringLiteral(" #") + QString::number(info->occurrence);
            if (m_driverSuffix)
                display += info->isWDM ? QStringLiteral(" (WDM)") : QStringLiteral(" (vfw)");
            if (m_kind == videoDeviceKind && m_partner && display.toUpper().contains(QLatin1String("AUDIO"))) {
                info->movedToAudio = true;
                m_partner->appendMoved(std::move(info), display);
                moved = true;
            } else {
                m_names << display;
                m_entries.push_back(std::move(info));
                m_inUse.push_back(false);
            }
            WriteLog(cfBlue,
                     QStringLiteral("l= ") + QString::number(m_names.size()) + QStringLiteral(", adding ") + display);
        }
        if (m_kind == videoCompressorKind || m_kind == audioCompressorKind) {
            // Compressor indexes are published, so the preferred order is
            // settled here, at the one build of these catalogues.
            const QStringList preferred = m_kind == videoCompressorKind
                                            ? QStringList{"MPEG-4", "MPEG", "DIVX", "XVID", "MJPEG"}
                                            : QStringList{"Windows Media Audio V2", "PCM", "MPEG"};
            QStringList names = m_names;
            ReorderPreferred(names, preferred, QStringList{"ADPCM"});
            std::vector<std::unique_ptr<TCapDeviceInfo>> entries;
            for (const QString& n : std::as_const(names))
                entries.push_back(std::move(m_entries[m_names.indexOf(n)]));
            m_names = names;
            m_entries = std::move(entries);
        }
        if (m_previousCount == -1)
            m_previousCount = m_count;
    }
    if (moved && m_partner)
        m_partner->rebuild();
    if (m_kind == videoCompressorKind && !catalogueOptions().customEnClsid.isEmpty()) {
        const QString factory = catalogueOptions().customEnClsid;
        if (!findByKey(CleanIdentity(factory))) {
            auto info = std::make_unique<TCapDeviceInfo>();
            info->identityKey = CleanIdentity(factory);
            info->friendlyName = factory;
            info->fromRegistry = true;
            info->isConnected = true;
            info->occurrence = occurrenceOf(factory);
            info->classId = factory;
            info->category = DeviceCategory::VideoCompressor;
            QString display = factory;
            if (info->occurrence >= 2)
                display += QStringLiteral(" #") + QString::number(info->occurrence);
            appendMoved(std::move(info), display);
        }
    }
    WriteLog(cfBlue, QStringLiteral("rebuilded ") + name());
}

bool TDevices::FindDevice(const QList<DeviceDescription>& devices, const QString& text, int mode,
                          DeviceDescription& found)
{
    for (const DeviceDescription& d : devices) {
        if (d.friendlyName.isEmpty())
            continue;
        bool match = false;
        switch (mode) {
        case 0: match = d.friendlyName == text; break;
        case 1: match = d.friendlyName.contains(text); break;
        case 2: {
            match = true;
            for (const QString& f : text.split(QLatin1Char('!'), Qt::SkipEmptyParts))
                match = match && d.friendlyName.contains(f);
            break;
        }
        case 3: match = CleanIdentity(d.path) + d.friendlyName == text; break;
        default: break;
        }
        if (match) {
            found = d;
            return true;
        }
    }
    return false;
}

void TDevices::ReorderPreferred(QStringList& names, const QStringList& fragments, const QStringList& unless)
{
    int front = 0;
    for (const QString& fragment : fragments) {
        const QString f = fragment.toUpper();
        for (int i = front; i < names.size(); ++i) {
            const QString upper = names.at(i).toUpper();
            bool skip = false;
            for (const QString& u : unless)
                skip = skip || (f == QLatin1String("PCM") && upper.contains(u.toUpper()));
            if (!upper.contains(f) || skip)
                continue;
            names.swapItemsAt(i, front);
            ++front;
        }
    }
}

} // namespace velmar::video
