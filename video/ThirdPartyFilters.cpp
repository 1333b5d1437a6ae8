#include "ThirdPartyFilters.h"

namespace velmar::video {

namespace {
bool validPlace(int place)
{
    return place >= 0 && place < TThirdPartyFilters::placeCount;
}
} // namespace

int TThirdPartyFilters::AddToList(int place, const QString& classId, const QString& name, bool enabled, bool saveState,
                                  QString& duplicateName)
{
    duplicateName.clear();
    if (!validPlace(place) || classId.isEmpty())
        return -1;
    auto& list = m_lists[size_t(place)];
    // Every listed entry is compared, also those after a freed one, so a
    // filter is never listed twice.
    for (const TThirdPartyFilterEntry& e : list) {
        if (e.classId == classId) {
            duplicateName = e.name;
            return -1;
        }
    }
    for (int i = 0; i < entryCount; ++i) {
        if (list[size_t(i)].classId.isEmpty()) {
            list[size_t(i)] = {classId, name, enabled, saveState};
            return i;
        }
    }
    return -1;
}

TThirdPartyFilterEntry* TThirdPartyFilters::used(int place, int index)
{
    if (!validPlace(place) || index < 0 || index >= entryCount)
        return nullptr;
    TThirdPartyFilterEntry& e = m_lists[size_t(place)][size_t(index)];
    return e.classId.isEmpty() ? nullptr : &e;
}

const TThirdPartyFilterEntry* TThirdPartyFilters::entry(int place, int index) const
{
    return const_cast<TThirdPartyFilters*>(this)->used(place, index);
}

bool TThirdPartyFilters::RemoveFromList(int place, int index)
{
    TThirdPartyFilterEntry* e = used(place, index);
    if (!e)
        return false;
    e->classId.clear();
    e->enabled = false;
    return true;
}

bool TThirdPartyFilters::Enable(int place, int index, bool enabled)
{
    TThirdPartyFilterEntry* e = used(place, index);
    if (!e)
        return false;
    e->enabled = enabled;
    return true;
}

bool TThirdPartyFilters::ClearList(int place)
{
    if (!validPlace(place))
        return false;
    for (TThirdPartyFilterEntry& e : m_lists[size_t(place)]) {
        e.classId.clear();
        e.enabled = false;
    }
    return true;
}

} // namespace velmar::video
