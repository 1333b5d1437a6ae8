#include "nav/HeardSpecies.h"

#include "platform/Utilities.h"
#include "settings/ProgramSettings.h"

#include <algorithm>

namespace velmar::nav {

namespace {

QString comparable(const QString& name)
{
    return name.left(THINGHEARD::NameWidth - 1).trimmed();
}

} // namespace

int HeardTopStrength(int nButtons)
{
    if (nButtons == 0)
        return HeardDefaultButtons;
    if (nButtons < 0)
        return -1;
    return std::min(nButtons, HeardMaxButtons);
}

bool IsHeardGapRow(const HeardSpeciesRow& row)
{
    return row.title.trimmed() == QLatin1String(HeardSpaceTitle) || row.species.trimmed().isEmpty();
}

void HeardSpeciesList::Build(const std::vector<HeardSpeciesRow>& rows)
{
    m_species.clear();
    int baseId = HeardFirstBaseId;
    for (const HeardSpeciesRow& row : rows) {
        HeardSpecies s;
        s.title = row.title.trimmed();
        s.species = row.species.trimmed().left(HeardSpeciesWidth).trimmed();
        s.baseId = baseId;
        s.gap = IsHeardGapRow(row);
        s.topStrength = s.gap ? -1 : HeardTopStrength(row.nButtons);
        QString colour = row.colour;
        s.colour = platform::ColourFromName(colour);
        m_species.push_back(s);
        baseId += HeardBaseIdStep;
    }
}

int HeardSpeciesList::FindSpecies(const QString& name) const
{
    const QString wanted = comparable(name);
    // A comment row has no species, even beside a row without one.
    if (wanted.isEmpty())
        return -1;
    for (std::size_t i = 0; i < m_species.size(); ++i)
        if (comparable(m_species[i].species).compare(wanted, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

HeardSpeciesList::PlotStyle HeardSpeciesList::PlotStyleOf(int speciesIndex, bool plotHeard) const
{
    if (speciesIndex < 0 || speciesIndex >= int(m_species.size()))
        return {};
    const HeardSpecies& s = m_species[std::size_t(speciesIndex)];
    return {s.plot || plotHeard, s.colour};
}

HeardSpeciesList& TheHeardSpecies()
{
    static HeardSpeciesList list;
    return list;
}

HeardSpeciesList::PlotStyle HeardFormPlotStyle(const THINGHEARD& thing)
{
    return TheHeardSpecies().PlotStyleOf(thing.value, store::TheProgramSettings.PlotHeard);
}

} // namespace velmar::nav
