#include "forms/ControlIds.h"

namespace velmar::forms {

namespace {

struct IdRange {
    int first;
    int last;
};

// The main window's command ids above kFirstControlId: the form window's
// "&Font..." 34000 and "&Colour..." 34001, the button panels' settings
// entries 35000 + row, the static-object groups 37000 + group and the
// look-up check boxes' "Apply" 37010. Each keeps its whole thousand.
constexpr IdRange kFixedRanges[] = {
    {34000, 34999},
    {35000, 35999},
    {37000, 37999},
};

int g_nextId = kFirstControlId;

} // namespace

bool IsFixedCommandId(int id)
{
    if (id < kFirstControlId)
        return true;
    for (const IdRange& r : kFixedRanges)
        if (id >= r.first && id <= r.last)
            return true;
    return false;
}

int NextControlIds(int count)
{
    if (count < 1)
        count = 1;
    int first = g_nextId;
    for (;;) {
        int clash = -1;
        for (const IdRange& r : kFixedRanges)
            if (first <= r.last && first + count - 1 >= r.first)
                clash = r.last;
        if (clash < 0)
            break;
        first = clash + 1;
    }
    g_nextId = first + count;
    return first;
}

void ResetControlIds()
{
    g_nextId = kFirstControlId;
}

} // namespace velmar::forms
