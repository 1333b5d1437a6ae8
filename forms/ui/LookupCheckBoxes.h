#pragma once
// "Select To Plot": a user form's plot choices as one check box per item of
// its plot menu, in as many columns as the screen height needs, with "Ok",
// "Cancel" and "Apply". The menu's ticks are the data: "Apply" and "Ok" put
// the boxes into the ticks, and when any tick changed the form re-reads its
// plot flags and the map is told to draw again.
//
// User-interface thread only.
#include "forms/UserFormInfo.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QPushButton;

namespace velmar::forms {

// Columns and rows of check boxes for items boxes at a row pitch, on a
// screen of usable height: the fewest columns with (items + 5) x pitch /
// columns not above the height, each filled top to bottom.
struct LookupGrid {
    int columns = 1;
    int rows = 0;
};
LookupGrid LookupCheckBoxGrid(int items, int pitch, int usableHeight);

class LookupCheckBoxes : public QDialog {
    Q_OBJECT
public:
    static constexpr int IdApply = 37010;
    static constexpr int MaxBoxText = 38;

    // changed: the map draws the form's records again.
    LookupCheckBoxes(QWidget* parent, TUserFormInfo& form, std::function<void()> changed);

    // The box of a menu item's id, or null.
    QCheckBox* Box(int id) const;
    LookupGrid Grid() const { return m_grid; }

    // The boxes into the menu; true when any tick changed.
    bool ApplyBoxes();
    void accept() override;

private:
    TUserFormInfo& m_form;
    std::function<void()> m_changed;
    LookupGrid m_grid;
};

} // namespace velmar::forms
