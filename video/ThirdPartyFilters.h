#pragma once
// The filters a host adds to the component's graphs: six places of ten
// entries each. An entry names the filter by its class id (on GStreamer the
// element factory, "videobalance"), a display name, whether it is enabled and
// whether its state is kept in the stored settings.
//
// Plain data; used on the user-interface thread of its component.
#include <QString>
#include <array>

namespace velmar::video {

enum TThirdPartyFilterList : int {
    tpf_VideoSource,
    tpf_VideoPreview,
    tpf_VideoCapture,
    tpf_AudioSource,
    tpf_AudioRender,
    tpf_AudioRecording
};

struct TThirdPartyFilterEntry {
    QString classId; // empty: the entry is free
    QString name;
    bool enabled = false;
    bool saveState = false;
};

class TThirdPartyFilters {
public:
    static constexpr int placeCount = 6;
    static constexpr int entryCount = 10;

    // The index of the entry given; -1 when the list is full or the place
    // unknown, and -1 with `duplicateName` set when the class id is listed.
    int AddToList(int place, const QString& classId, const QString& name, bool enabled, bool saveState,
                  QString& duplicateName);
    bool RemoveFromList(int place, int index);
    bool Enable(int place, int index, bool enabled);
    bool ClearList(int place);
    // A listed entry; nullptr for an index outside the list or a free entry.
    const TThirdPartyFilterEntry* entry(int place, int index) const;

private:
    TThirdPartyFilterEntry* used(int place, int index);

    std::array<std::array<TThirdPartyFilterEntry, entryCount>, placeCount> m_lists;
};

} // namespace velmar::video
