#pragma once
// The species of the things-heard form: one entry per row of the survey's
// UDF_ThingsHeard table, in "Order" order, with the strength buttons a row
// makes, its colour on the map and whether the map plots it. The form fills
// the list once when it is built; the map asks it how to draw an aural
// detection (HeardFormPlotStyle), so the list lives below both.
//
// User-interface thread only.
#include "nav/DetectionRecords.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace velmar::nav {

// One row of UDF_ThingsHeard as read (NULL columns empty or 0).
struct HeardSpeciesRow {
    QString title;
    QString species;
    int nButtons = 0;
    QString colour;
};

// Width of the Species column.
inline constexpr int HeardSpeciesWidth = 20;
// NButtons 0 gives this many; no row has more than the cap.
inline constexpr int HeardDefaultButtons = 5;
inline constexpr int HeardMaxButtons = 15;
// Base control ids: the first row's, and the step from row to row (every
// row takes one, gap rows included). Strength n of a row has base + n.
inline constexpr int HeardFirstBaseId = 4096;
inline constexpr int HeardBaseIdStep = 16;
// The title that makes a gap row.
inline constexpr const char* HeardSpaceTitle = "SPACE";

// The highest strength button of a row: NButtons 0 gives 5, anything above
// 15 gives 15; a negative count gives -1, that is no button at all.
int HeardTopStrength(int nButtons);
// A row whose Title is "SPACE" or whose Species is empty only makes a gap.
bool IsHeardGapRow(const HeardSpeciesRow& row);

struct HeardSpecies {
    QString title;
    QString species; // cut to the column width
    int baseId = 0;
    int topStrength = -1; // -1: no buttons
    bool gap = false;
    bool plot = false;
    int32_t colour = -1; // platform colour value, -1 none
};

class HeardSpeciesList {
public:
    // Rebuilds the list from the table's rows, base ids from
    // HeardFirstBaseId.
    void Build(const std::vector<HeardSpeciesRow>& rows);
    void Clear() { m_species.clear(); }

    const std::vector<HeardSpecies>& Species() const { return m_species; }
    std::vector<HeardSpecies>& Species() { return m_species; }
    // The index of a species by name (any case), -1 when none. Names are
    // compared as far as a detection record keeps them, so a stored name
    // cut to fit still finds its species.
    int FindSpecies(const QString& name) const;
    // How the map draws a detection: the colour of its species (-1 for no
    // species) and whether it is drawn at all: a known species by its own
    // tick, or by "Everything..." when that is clear; no known species,
    // never.
    struct PlotStyle {
        bool plotted = false;
        int32_t colour = -1;
        bool operator==(const PlotStyle&) const = default;
    };
    PlotStyle PlotStyleOf(int speciesIndex, bool plotHeard) const;

private:
    std::vector<HeardSpecies> m_species;
};

// The list of the program's things-heard form; empty while there is none.
HeardSpeciesList& TheHeardSpecies();
// The style of an aural detection by its species index (its value), with
// "Everything..." from the settings block.
HeardSpeciesList::PlotStyle HeardFormPlotStyle(const THINGHEARD& thing);

} // namespace velmar::nav
