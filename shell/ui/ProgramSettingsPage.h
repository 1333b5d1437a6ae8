#pragma once
// Base of Velmar's settings pages that edit the global settings block
// (TheProgramSettings): Apply writes the whole block to its file once the
// page's check has passed. Also the small helpers the pages share: controls
// named by their ids, plain messages with the program's name as caption, and
// the C-style reading of numbers that the pages' edit boxes use.
//
// User-interface thread only.
#include "widgets/SettingsSheet.h"

#include <QString>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace velmar::shell::ui {

// Caption of the pages' plain messages.
inline constexpr const char* ApplicationName = "Velmar 2010";

// The control with the given id (its objectName) under parent, or null.
template <class T>
T* ControlById(const QObject* parent, int id)
{
    return parent->findChild<T*>(QString::number(id));
}

// The integer a text begins with, as C's atoi reads its first maxChars
// characters (blanks, a sign, digits); 0 when there is none.
int LeadingIntegerOf(const QString& text, int maxChars);
// The real number a text begins with, as C's atof reads its first maxChars
// characters; 0 when there is none. "." is the decimal point in any locale.
double LeadingRealOf(const QString& text, int maxChars);

class ProgramSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    using SettingsPage::SettingsPage;

    // WriteProgramSettings; its error text in a message when it fails.
    bool SaveSettings() override;

protected:
    // A plain message box with the program's name as caption and OK.
    void Message(const QString& text);

    // Controls carrying their ids, children of parent (this when null). limit: the edit's buffer size, terminating
    // zero included, as the pages state it (at most limit - 1 characters).
    QLineEdit* MakeEdit(int id, int limit, const QString& text, QWidget* parent = nullptr);
    QCheckBox* MakeCheck(int id, const QString& text, bool checked, QWidget* parent = nullptr);
    // Radio buttons with one parent (a group box) exclude one another.
    QRadioButton* MakeRadio(int id, const QString& text, bool checked, QWidget* parent = nullptr);
};

} // namespace velmar::shell::ui
