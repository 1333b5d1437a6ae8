#pragma once
// A settings sheet (a dialog with a list of pages and OK, Cancel and Apply,
// or in wizard style Back, Next, Finish and Cancel) and the base of its pages.
//
// The cycle every page follows: the page's constructor takes its controls'
// states from the settings; leaving the page (another page chosen, Next, OK)
// runs KillActive, which runs the page's check (StoreSettings) and keeps the
// page active when it fails; OK and Apply run Apply on every page that has
// been shown, which checks again and, when the check passed, writes the
// settings (SaveSettings). A page whose check fails stops OK: the sheet shows
// that page and stays open, so a failed check is never taken for success.
// Values stored when the operator leaves a page stay stored even when the
// sheet is then cancelled.
//
// User-interface thread only. The sheet owns its pages.
#include <QDialog>
#include <QString>

#include <vector>

class QDialogButtonBox;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace velmar::shell::ui {

class SettingsSheet;

// Buttons a page asks a wizard to show (PSWIZB_ values).
inline constexpr int WizardBack = 1;
inline constexpr int WizardNext = 2;
inline constexpr int WizardFinish = 4;

class SettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit SettingsPage(const QString& title, QWidget* parent = nullptr);

    QString Title() const { return m_title; }
    // A wizard gives some pages a title of its own.
    void SetTitle(const QString& title) { m_title = title; }

    // The page's check, field by field in control order; stores the values
    // and returns true, or shows the first failure's message and returns
    // false with nothing stored.
    virtual bool StoreSettings() { return true; }
    // Writes the settings after a successful check on Apply; false (with a
    // message shown) when they could not be written.
    virtual bool SaveSettings() { return true; }

    // The page becomes the active one.
    virtual void SetActive() {}
    // The page is about to be left; false keeps it active.
    virtual bool KillActive() { return StoreSettings(); }
    // OK or Apply of the sheet; false when the values were not stored.
    virtual bool Apply() { return StoreSettings() && SaveSettings(); }

    // The sheet the page is on; null before it is added.
    SettingsSheet* Sheet() const { return m_sheet; }
    // Asks a wizard to show these buttons (WizardBack | ...); no effect in a
    // plain sheet.
    void SetWizardButtons(int buttons);
    // Tells the sheet that a control changed (enables Apply).
    void Changed();

private:
    friend class SettingsSheet;
    QString m_title;
    SettingsSheet* m_sheet = nullptr;
};

class SettingsSheet : public QDialog {
    Q_OBJECT
public:
    enum class Style { Sheet, Wizard };

    SettingsSheet(QWidget* parent, const QString& title, Style style = Style::Sheet);
    ~SettingsSheet() override;

    // Adds a page at the end; the sheet takes it over.
    void AddPage(SettingsPage* page);

    // Runs the sheet modally: 1 when values were applied (OK, Finish or an
    // earlier Apply), 0 when nothing was applied.
    int Execute();

    int PageCount() const { return int(m_pages.size()); }
    SettingsPage* Page(int index) const { return m_pages.at(std::size_t(index)); }
    int CurrentIndex() const { return m_current; }
    SettingsPage* CurrentPage() const { return m_current < 0 ? nullptr : Page(m_current); }
    bool IsWizard() const { return m_style == Style::Wizard; }

    // Makes another page active when the current one may be left.
    bool SelectPage(int index);
    // The Apply button: the current page's leave check, then Apply on every
    // page shown so far. False, with the failing page active, when one fails.
    bool ApplyNow();
    // OK or Finish: ApplyNow, then the sheet closes with result 1.
    void accept() override;
    // Cancel: closes with 1 when an earlier Apply stored values, else 0.
    void reject() override;
    // Back and Next of a wizard.
    void Back();
    void Next();

    bool AppliedOnce() const { return m_applied; }

    QPushButton* OkButton() const { return m_ok; }
    QPushButton* ApplyButton() const { return m_apply; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* BackButton() const { return m_back; }
    QPushButton* NextButton() const { return m_next; }

    // From the pages.
    void PageChanged(SettingsPage* page);
    void SetWizardButtons(int buttons);

private:
    void Activate(int index);

    Style m_style;
    std::vector<SettingsPage*> m_pages;
    std::vector<bool> m_shown;
    int m_current = -1;
    bool m_applied = false;
    bool m_listGuard = false;
    int m_wizardButtons = WizardBack | WizardNext;
    QListWidget* m_list = nullptr;
    QStackedWidget* m_stack = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
};

} // namespace velmar::shell::ui
