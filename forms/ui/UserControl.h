#pragma once
// UserControl: one value row of a user form in one form window: its caption,
// the window control(s) for the value, the text after it, and the value's
// text buffer. The four control classes add the form's keyboard and focus
// behaviour to the plain Qt controls: TUserEdit (with its character filter),
// TUserListBox (the look-up list), TUserButton (SUBFORM) and TUserCheckBox;
// TUserHint is the borderless hint text of the form.
//
// User-interface thread only. Window controls belong to the form window; the
// UserControl belongs to the form window too and never outlives it.
#include "forms/ControlTypeInfo.h"
#include "forms/UserControlChecks.h"
#include "platform/SystemTime.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace velmar::forms {

class TUserForm;
class UserControl;

// The time source of F1 and the automatic time fills: the program clock
// unless a test installs its own (an empty function restores it).
void setUserFormClock(std::function<platform::SystemTime()> clock);
platform::SystemTime UserFormTime();
// The tick count of the F1 double-press rule (milliseconds).
void setUserFormTicks(std::function<qint64()> ticks);

// Yes, No or Cancel questions of the forms (the counter reset, closing
// forms at exit), asked through the dialog service. Returns a QMessageBox
// button.
int AskForm(QWidget* owner, const QString& text, const QString& caption);
// Messages of the forms go through the data layer's message seam.
void FormMessage(QWidget* owner, const QString& text, const QString& caption, bool stopIcon = true);

class TUserEdit : public QLineEdit {
    Q_OBJECT
public:
    TUserEdit(QWidget* parent, UserControl* control, int id, int filter);
    UserControl* Control() const { return m_control; }
    int Filter() const { return m_filter; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void OnTextEdited(const QString& text);

    UserControl* m_control;
    int m_filter;
};

class TUserListBox : public QComboBox {
    Q_OBJECT
public:
    TUserListBox(QWidget* parent, UserControl* control, int id);
    UserControl* Control() const { return m_control; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    UserControl* m_control;
};

class TUserButton : public QPushButton {
    Q_OBJECT
public:
    TUserButton(QWidget* parent, UserControl* control, int id, const QString& text);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    UserControl* m_control;
};

class TUserCheckBox : public QCheckBox {
    Q_OBJECT
public:
    TUserCheckBox(QWidget* parent, UserControl* control, int id);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    UserControl* m_control;
};

class TUserHint : public QLabel {
    Q_OBJECT
public:
    TUserHint(QWidget* parent, int id, int x, int y, int w, int h, bool rightAlign = false);
};

class UserControl {
public:
    UserControl(TUserForm* form, CONTROLTYPEINFO* row, int id, int x, int y);
    ~UserControl();
    UserControl(const UserControl&) = delete;
    UserControl& operator=(const UserControl&) = delete;

    // Places the existing controls with the same geometry (after a font change).
    void Move(int x, int y);

    // Reads the control into the buffer; false for a Required control
    // without a value.
    bool GetValue(bool* hasValue = nullptr);
    int Validate() const;
    // The Min/Max check; with reRead the value is read first and an empty
    // control passes.
    bool CheckRange(bool reRead, CheckOrigin origin = CheckOrigin::Operator);
    // Copies the text (cut to the buffer) when given, then shows the buffer.
    void SetValue(const std::optional<QString>& text);
    // Writes a text straight into the window control(s).
    void SetText(const QString& text);
    void Clear();
    // Everything the control shows and holds, to put it back whole.
    struct Snapshot {
        QString value;
        QString time;
        QString second;
        bool checked = false;
        int listIndex = -1;
        QString buffer;
        int lookupIndex = 0;
        bool hasValue = false;
        bool edited = false;
    };
    Snapshot Save() const;
    void Restore(const Snapshot& snapshot);
    // Fills the control from its source; false (and left as it was) when the
    // source has no value.
    bool AutoFill();
    void IncrementCounter();
    void SetCounter(int value, bool writeBack);
    // Asks first; yes sets the counter to 1.
    void ResetCounter();
    void UpdateTopStrip();
    int FindLookupCode(const QString& text, QString* canonical = nullptr) const;
    // The colour and state of the value read last, for the effort line.
    int32_t EffortColour(int* state) const;
    void ShowHint();

    // F1 in one of the control's edits or its list.
    void OnHelpKey(QWidget* from);
    // The focus leaves an edit of this control for `next` (may be null).
    // False when the value was refused and the focus goes back.
    bool OnEditFocusLeft(TUserEdit* edit, QWidget* next);
    // The focus leaves the look-up code edit or list.
    void OnLookupFocusLeft(QWidget* next);
    // A list selection: its code goes into the code edit.
    void OnListSelected(int index);
    void MarkEdited();

    CONTROLTYPEINFO* Row() const { return m_row; }
    TUserForm* Form() const { return m_form; }
    const QString& Buffer() const { return m_buffer; }
    bool HasValue() const { return m_hasValue; }
    bool Edited() const { return m_edited; }
    int Right() const { return m_right; }
    int Height() const { return m_height; }
    int LookupIndex() const { return m_lookupIndex; }
    int WeatherItem() const { return m_weatherItem; }
    QWidget* ValueControl() const { return m_value; }
    QWidget* SecondControl() const { return m_second; }
    TUserEdit* ValueEdit() const;
    TUserEdit* TimeEdit() const;
    TUserListBox* List() const;
    bool OwnsWidget(const QWidget* w) const;
    // The text shown in the control now (date and time joined for a TIMESTAMP).
    QString ShownText() const;
    // Enables or disables the value parts (a SUBFORM button stays usable).
    void SetReadOnly(bool readOnly);

private:
    void Layout(int x, int y, bool create);
    void ShowFillText(const QString& text);
    QString CounterText(int value) const;
    void SetBuffer(const QString& text);
    void MoveFocus(QWidget* from, bool forward, int steps = 1);

    TUserForm* m_form;
    CONTROLTYPEINFO* m_row;
    int m_id;
    QWidget* m_value = nullptr;
    QWidget* m_second = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_postTitle = nullptr;
    QLabel* m_dateCaption = nullptr;
    QLabel* m_timeCaption = nullptr;
    QString m_buffer;
    int m_lookupIndex = 0;
    int m_weatherItem = 0;
    int m_right = 0;
    int m_height = 0;
    bool m_hasValue = false;
    bool m_edited = false;
    bool m_rangeFailedOnLeave = false;

    friend class TUserEdit;
    friend class TUserListBox;
    friend class TUserButton;
    friend class TUserCheckBox;
};

} // namespace velmar::forms
