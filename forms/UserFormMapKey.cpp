#include "forms/UserFormMapKey.h"

#include "forms/ControlKeywords.h"
#include "forms/UserFormInfo.h"
#include "forms/UserFormPlotMenu.h"
#include "settings/ProgramSettings.h"

namespace velmar::forms {

std::vector<FormKeyEntry> UserFormKeyEntries(const std::vector<TUserFormInfo*>& forms)
{
    std::vector<FormKeyEntry> out;
    for (const TUserFormInfo* form : forms) {
        if (PlotMenuOf(*form).empty() || CountPlotSelections(*form) == 0)
            continue;
        const auto entry = [&](const QString& text, int32_t colour, int symbol) {
            out.push_back({text, colour, symbol != 0 ? symbol : form->Symbol.symbol, form->Symbol.size,
                           form->Symbol.filled != 0});
        };
        if (form->HasPlotAll && form->PlotSelected)
            entry(form->FormName, form->PlotColour, form->Symbol.symbol);
        for (const auto& owned : form->Rows()) {
            const CONTROLTYPEINFO& row = *owned;
            if (row.typeCode == CT_LOOKUP) {
                if (row.lookup.empty())
                    continue;
                const bool all = row.lookup[0].plotSelected != 0;
                if (all)
                    entry(QStringLiteral("All %1").arg(row.Title), row.colourValue, 0);
                for (std::size_t i = 1; i < row.lookup.size(); ++i) {
                    const LookupItem& item = row.lookup[i];
                    if (all ? item.colour != row.colourValue : item.plotSelected != 0)
                        entry(item.text, item.colour, item.symbol);
                }
            } else if (row.typeCode != CT_PLOT && row.Plot && row.plotSelected) {
                entry(row.Title, row.colourValue, 0);
            }
        }
    }
    return out;
}

std::optional<EffortKeyControl> EffortKeyControlOf(const TUserFormInfo* effortForm)
{
    if (!effortForm)
        return std::nullopt;
    const CONTROLTYPEINFO* row = effortForm->FindRowByTitle(store::TheProgramSettings.EffortControl.text());
    if (!row)
        return std::nullopt;
    EffortKeyControl control;
    control.lookup = row->typeCode == CT_LOOKUP;
    control.title = row->Title;
    control.colour = row->colourValue;
    for (std::size_t i = 1; control.lookup && i < row->lookup.size(); ++i)
        control.items.emplace_back(row->lookup[i].text, row->lookup[i].colour);
    return control;
}

} // namespace velmar::forms
