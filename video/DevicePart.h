#pragma once
// The devices of the video component: which video and audio device is
// bound (and whether a binding runs), their stored settings, the sizes and
// formats the bound video device offers (read back from the settings file,
// or found once by discovery and stored there), and the device index the
// running graph holds in use.
//
// User-interface thread. The settings file is read and written through
// TRegistry2 under the device's key, which the caller opens.
#include "DeviceDescription.h"
#include "DeviceSettings.h"
#include "VideoFormatLists.h"

#include <QString>

namespace velmar::video {

class DevicePart {
public:
    // The bound devices: -1 for none.
    int boundVideo = -1;
    int boundAudio = -1;
    // A binding was tried once (the sync manager binds those never tried).
    bool videoBound = false;
    bool audioBound = false;
    // A binding runs: a second one is refused.
    bool bindingVideo = false;
    bool bindingAudio = false;
    bool formatsKnown = false;
    bool discovering = false;
    bool isDV = false;
    int inUseIndex = -1; // the catalogue entry the running graph holds

    TDeviceSettings videoSettings{TDeviceSettings::Video};
    TDeviceSettings audioSettings{TDeviceSettings::Audio};

    TVideoSizeList& sizes() { return m_sizes; }
    const TVideoSizeList& sizes() const { return m_sizes; }
    TVideoSubtypeList& subtypes() { return m_subtypes; }
    const TVideoSubtypeList& subtypes() const { return m_subtypes; }
    // The lists as the host reads them: one a line, trimmed, "default" first.
    QString sizesText() const;
    QString subtypesText() const;
    // The subtype chosen by index, trimmed; empty for the default (0) or
    // an index beyond the list.
    QString subtypeAt(int index) const;

    // The lists stored under the open key; false (logged by the caller)
    // when either is empty.
    bool readFormats(TRegistry2& reg);
    // Stores the lists under the open key; the values of a longer list
    // stored before go, so they are not read back as part of this one.
    void writeFormats(TRegistry2& reg) const;

    // Discovery: the lists start empty and take each of the device's caps.
    void clearFormats();
    struct Added {
        bool newFormat = false;
        bool newSizes = false;
    };
    Added addCaps(const CapsEntry& caps);
    // The defaults at the head of the lists, for the kind of device bound.
    void fixDefaults();

private:
    TVideoSizeList m_sizes;
    TVideoSubtypeList m_subtypes;
};

} // namespace velmar::video
