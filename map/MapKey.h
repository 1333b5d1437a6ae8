#pragma once
// The map's key as a list of entries, top to bottom: the ship and its track,
// the effort colouring, the detection layers, the shown static-object
// groups, the plotted user-form selections and the shown contour levels.
// The key window paints the list; nothing here draws.
//
// Plain values; user-interface thread like the settings they are made from.
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace velmar::map {

struct KeyEntry {
    enum Kind {
        Ship,         // sample line, ship marker, "Ship"
        EffortSource, // the effort source's text
        EffortLine,   // a 2-pixel line in colour and its text
        Porpoises,
        Whistles,
        Sperms, // split into the click colours when clickColours
        Aural,
        StaticGroup,    // the group's symbol or line, its name
        Symbol,         // a user-form entry: symbol in colour, its text
        ContourHeading, // "Contours"
        Contour,        // a sample line in the level's pen
    };
    Kind kind = Ship;
    QString text;
    int32_t colour = 0; // colour value (red in the low byte)
    int32_t fill = -1;  // static groups: negative for no fill
    int symbol = 0;
    int size = 0;
    bool filled = false;
    bool lines = false;  // static groups of type LINES
    int contourPen = -1; // Contour: the level's pen
    bool clickColours = false;
    bool operator==(const KeyEntry&) const = default;
};

// The effort control of the effort form: a look-up control lists its items
// from item 1 on, any other control its own title.
struct KeyEffortControl {
    bool lookup = false;
    QString title;
    int32_t colour = 0;
    std::vector<std::pair<QString, int32_t>> items;
};

struct KeyStaticGroup {
    QString name;
    bool lines = false;
    int32_t lineColour = 0;
    int32_t fillColour = -1;
    int symbol = 0;
    int size = 0;
};

struct KeyInputs {
    bool plotTrack = false;
    bool effortYes = false;
    int effortSource = -1; // 0 to 3 a detector or listening; else a form
    std::optional<KeyEffortControl> effortControl;
    bool plotPorpoises = false;
    bool plotWhistles = false;
    bool plotSperms = false;
    bool plotHeard = false;
    bool clickColours = false;
    std::vector<KeyStaticGroup> staticGroups; // the shown ones, in group order
    std::vector<KeyEntry> formEntries;        // Symbol entries, in form order
    bool plotMap = false;
    std::vector<int> shownLevels; // ascending level values
};

std::vector<KeyEntry> BuildKeyEntries(const KeyInputs& inputs);

} // namespace velmar::map
