#include "map/MapKey.h"

namespace velmar::map {

std::vector<KeyEntry> BuildKeyEntries(const KeyInputs& in)
{
    std::vector<KeyEntry> out;
    const auto add = [&](KeyEntry::Kind kind, const QString& text, int32_t colour = 0) -> KeyEntry& {
        KeyEntry e;
        e.kind = kind;
        e.text = text;
        e.colour = colour;
        out.push_back(e);
        return out.back();
    };
    if (in.plotTrack) {
        add(KeyEntry::Ship, QStringLiteral("Ship"));
        if (in.effortYes) {
            static const char* const Sources[] = {"Porpoise Effort", "Whistle Effort", "Quintra Click Effort",
                                                  "Listening Effort"};
            if (in.effortSource >= 0 && in.effortSource <= 3)
                add(KeyEntry::EffortSource, QString::fromLatin1(Sources[in.effortSource]));
            if (in.effortControl) {
                if (!in.effortControl->lookup)
                    add(KeyEntry::EffortLine, in.effortControl->title, in.effortControl->colour);
                else
                    for (const auto& [text, colour] : in.effortControl->items)
                        add(KeyEntry::EffortLine, text, colour);
            }
        }
    }
    if (in.plotPorpoises)
        add(KeyEntry::Porpoises, QStringLiteral("Porpoises"));
    if (in.plotWhistles)
        add(KeyEntry::Whistles, QStringLiteral("Whistles"));
    if (in.plotSperms)
        add(KeyEntry::Sperms, QStringLiteral("Sperms")).clickColours = in.clickColours;
    if (in.plotHeard)
        add(KeyEntry::Aural, QStringLiteral("Aural"));
    for (const KeyStaticGroup& g : in.staticGroups) {
        KeyEntry& e = add(KeyEntry::StaticGroup, g.name, g.lineColour);
        e.fill = g.fillColour;
        e.lines = g.lines;
        e.symbol = g.symbol;
        e.size = g.size;
        e.filled = g.fillColour >= 0;
    }
    out.insert(out.end(), in.formEntries.begin(), in.formEntries.end());
    if (in.plotMap && !in.shownLevels.empty()) {
        add(KeyEntry::ContourHeading, QStringLiteral("Contours"));
        int pen = 0;
        for (int level : in.shownLevels)
            add(KeyEntry::Contour, level == 0 ? QStringLiteral("Coast") : QStringLiteral("%1 m").arg(level))
                .contourPen = pen++;
    }
    return out;
}

} // namespace velmar::map
