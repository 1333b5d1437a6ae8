#pragma once
// LookupCheckBoxes: "Select <form> to plot", the user form's plot menu as
// one check box per item (separators left out), in as many columns as the
// screen height needs, with "Ok", "Cancel" and "Apply". The menu's ticks are
// the data: Apply (and Ok) copies the boxes into them, and when any changed
// the form reads its plot choices again and the map is told to redraw.
//
// User-interface thread only; run modally by its caller.
#include <QDialog>

#include <functional>

class QCheckBox;

namespace velmar::forms {

class TUserFormInfo;

inline constexpr int LookupApplyId = 37010;

class LookupCheckBoxes : public QDialog {
    Q_OBJECT
public:
    // screenHeight: the desktop's height (0: the screen's).
    LookupCheckBoxes(QWidget* parent, TUserFormInfo& form, std::function<void()> plotChanged, int screenHeight = 0);

    // Copies the boxes into the menu; returns how many ticks changed.
    int Apply();
    // The box of a menu item's id, or null.
    QCheckBox* BoxFor(int id) const;
    int Columns() const { return m_columns; }

private:
    TUserFormInfo& m_form;
    std::function<void()> m_plotChanged;
    int m_columns = 1;
};

} // namespace velmar::forms
