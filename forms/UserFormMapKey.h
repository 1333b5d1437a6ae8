#pragma once
// What the map's key lists for the user forms: for each form with a plot
// menu and at least one plot choice, the form-wide choice under the form's
// name, "All <Title>" for a look-up control whose "all" item is chosen (and
// then each of its items drawn in a colour of its own), each chosen look-up
// item otherwise, and each other chosen control under its title. Also the
// effort form's effort control, whose colours the track takes.
//
// User-interface thread only.
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace velmar::forms {

class TUserFormInfo;

struct FormKeyEntry {
    QString text;
    int32_t colour = 0;
    int symbol = 0;
    int size = 0;
    bool filled = false;
    bool operator==(const FormKeyEntry&) const = default;
};

std::vector<FormKeyEntry> UserFormKeyEntries(const std::vector<TUserFormInfo*>& forms);

struct EffortKeyControl {
    bool lookup = false;
    QString title;
    int32_t colour = 0;
    std::vector<std::pair<QString, int32_t>> items; // look-up items from item 1 on
};
// The effort form's control (FindEffortForm), none without an effort form.
std::optional<EffortKeyControl> EffortKeyControlOf(const TUserFormInfo* effortForm);

} // namespace velmar::forms
