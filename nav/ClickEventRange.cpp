#include "nav/ClickEventRange.h"

#include "settings/ProgramSettings.h"

namespace velmar::nav {

float GetClickEventRange(const RCEventBase& event)
{
    if (event.record.meanRange != NewRCEventRecord::NoRange)
        return event.record.meanRange;
    return event.record.species == NewRCEventRecord::SpeciesSpermWhale ? store::TheProgramSettings.SpermClickRange
                                                                       : store::TheProgramSettings.DolphinClickRange;
}

int GetClickEventColourIndex(const RCEventBase& event)
{
    const int id = event.record.whaleId;
    return id >= 1 && id <= ClickColourCount ? id : 0;
}

} // namespace velmar::nav
