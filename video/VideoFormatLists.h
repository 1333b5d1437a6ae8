#pragma once
// The lists of frame sizes and formats a video device offers, the choice of a
// size by index or by nearness, and the search of a list by a name pattern.
//
// Pure logic without GStreamer; any thread, one list per owner.
#include <QString>
#include <QStringList>
#include <functional>

namespace velmar::video {

struct VideoSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const VideoSize&, const VideoSize&) = default;
};

// " 640x480": width and height, right-aligned by leading blanks (two for a
// width below 100, one for three digits, none for more) so that the text
// order runs from the narrowest to the widest.
QString SizeText(int width, int height);
// Parses a size text; false unless both sides are at least 1.
bool ParseSizeText(const QString& text, int& width, int& height);

// Frame sizes of a device as texts, kept in text order without duplicates.
// Index 0 is the default entry: a copy of the first size added, marked by
// three more leading blanks, so that it sorts first.
class TVideoSizeList {
public:
    // Adds a size; true when it was new. A side below 1 is never added.
    bool addSize(int width, int height);
    // Adds a text as it is (values read back from the settings); true when new.
    bool addText(const QString& text);
    void removeAt(int index);
    void clear() { m_entries.clear(); }

    const QStringList& entries() const { return m_entries; }
    int count() const { return int(m_entries.size()); }
    int indexOf(const QString& text) const { return int(m_entries.indexOf(text)); }
    bool sizeAt(int index, VideoSize& size) const;

    // Adds the sizes a capability offers: walks by halving and doubling from
    // its own size and from its limits. Each walk stops at a side below 1, at
    // a limit, before an overflow and after a bounded number of steps, so no
    // capability can make discovery hang.
    void addWalkedSizes(VideoSize size, VideoSize minSize, VideoSize maxSize);

    // The sizes every analog capture card is offered.
    void addAnalogStandardSizes();

private:
    QStringList m_entries;
};

// How many sizes one walk adds at most.
inline constexpr int maxWalkSteps = 32;

// The DV sizes by index, PAL or NTSC; false beyond index 4.
bool DVSizeOfIndex(int index, bool pal, VideoSize& size);
// The DV decoder's display size code for a size list text ("full" 1000 ...).
int DVDisplaySizeCode(const QString& sizeText);

// What a size lookup needs to know of its component.
struct SizeContext {
    const TVideoSizeList* sizes = nullptr;
    int videoSize = 0;        // the chosen index
    VideoSize configuredSize; // a configured stream size, 0 x 0 when none
    bool isDV = false;
    bool isDVPal = false;
};

// The size of an index, -1 standing for the current size; false (with
// 320 x 240) for an empty list, and for an index that cannot be read.
bool SizeOfIndex(const SizeContext& context, int index, VideoSize& size);

// The index nearest to a request: the smallest squared distance.
int NearestSizeIndexByDistance(const TVideoSizeList& sizes, int width, int height, int currentIndex);
// Among sizes whose width is within 20 % of the request, the closest aspect
// ratio; by distance when one candidate or none is left.
int NearestSizeIndex(const TVideoSizeList& sizes, int width, int height, int currentIndex);

// The kind of device whose lists are being completed.
enum class DeviceFormatKind { Capture, DV, VfW };

// Subtypes: format names in the order they were found; after discovery the
// first is repeated at index 0 as the default entry.
class TVideoSubtypeList {
public:
    bool add(const QString& name);
    void clear() { m_entries.clear(); }
    const QStringList& entries() const { return m_entries; }
    QStringList& entries() { return m_entries; }
    int count() const { return int(m_entries.size()); }
    bool nameAt(int index, QString& name) const;

private:
    QStringList m_entries;
};

// Sets the default entries after discovery.
void FixDefaults(TVideoSizeList& sizes, TVideoSubtypeList& subtypes, DeviceFormatKind kind);

// The fixed lists of an MPEG encoder device.
void SetMpegDeviceLists(TVideoSizeList& sizes, TVideoSubtypeList& subtypes);

// Finds an entry of a list by a name: "*usb*" contains, "*x480" ends with,
// "640*" begins with, else equal; trimmed and compared in capitals (the
// entries are not trimmed). -1 when none matches or the name is empty.
int IndexOfName(const QStringList& list, const QString& name);

} // namespace velmar::video
