#include "widgets/SettingsSheet.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace velmar::shell::ui {

SettingsPage::SettingsPage(const QString& title, QWidget* parent) : QWidget(parent), m_title(title)
{
}

void SettingsPage::SetWizardButtons(int buttons)
{
    if (m_sheet)
        m_sheet->SetWizardButtons(buttons);
}

void SettingsPage::Changed()
{
    if (m_sheet)
        m_sheet->PageChanged(this);
}

SettingsSheet::SettingsSheet(QWidget* parent, const QString& title, Style style) : QDialog(parent), m_style(style)
{
    setWindowTitle(title);
    auto* outer = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    m_list = new QListWidget(this);
    m_list->setMaximumWidth(180);
    m_stack = new QStackedWidget(this);
    body->addWidget(m_list);
    body->addWidget(m_stack, 1);
    outer->addLayout(body, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    if (IsWizard()) {
        m_list->hide();
        m_back = new QPushButton(tr("< &Back"), this);
        m_next = new QPushButton(tr("&Next >"), this);
        m_ok = new QPushButton(tr("Finish"), this);
        buttons->addWidget(m_back);
        buttons->addWidget(m_next);
        connect(m_back, &QPushButton::clicked, this, &SettingsSheet::Back);
        connect(m_next, &QPushButton::clicked, this, &SettingsSheet::Next);
    } else {
        m_ok = new QPushButton(tr("OK"), this);
    }
    m_cancel = new QPushButton(tr("Cancel"), this);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    if (!IsWizard()) {
        m_apply = new QPushButton(tr("&Apply"), this);
        m_apply->setEnabled(false);
        buttons->addWidget(m_apply);
        connect(m_apply, &QPushButton::clicked, this, [this] { ApplyNow(); });
    }
    m_ok->setDefault(true);
    outer->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &SettingsSheet::accept);
    connect(m_cancel, &QPushButton::clicked, this, &SettingsSheet::reject);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_listGuard || row == m_current || row < 0)
            return;
        if (!SelectPage(row)) {
            // The page refused to be left: the list goes back to it.
            m_listGuard = true;
            m_list->setCurrentRow(m_current);
            m_listGuard = false;
        }
    });
}

SettingsSheet::~SettingsSheet() = default;

void SettingsSheet::AddPage(SettingsPage* page)
{
    page->m_sheet = this;
    m_pages.push_back(page);
    m_shown.push_back(false);
    m_stack->addWidget(page);
    m_list->addItem(page->Title());
    if (m_current < 0)
        Activate(0);
    else
        SetWizardButtons(m_wizardButtons); // the last page may have moved
}

int SettingsSheet::Execute()
{
    const int result = exec();
    return result;
}

void SettingsSheet::Activate(int index)
{
    m_current = index;
    m_shown[std::size_t(index)] = true;
    m_stack->setCurrentIndex(index);
    m_listGuard = true;
    m_list->setCurrentRow(index);
    m_listGuard = false;
    if (IsWizard()) {
        SetWizardButtons(WizardBack | WizardNext);
        // A wizard has no list of pages: its caption names the page in front.
        if (!Page(index)->Title().isEmpty())
            setWindowTitle(Page(index)->Title());
    }
    Page(index)->SetActive();
}

bool SettingsSheet::SelectPage(int index)
{
    if (index < 0 || index >= PageCount())
        return false;
    if (index == m_current)
        return true;
    if (m_current >= 0 && !CurrentPage()->KillActive())
        return false;
    Activate(index);
    return true;
}

bool SettingsSheet::ApplyNow()
{
    if (m_current >= 0 && !CurrentPage()->KillActive())
        return false;
    for (int i = 0; i < PageCount(); ++i) {
        if (!m_shown[std::size_t(i)])
            continue;
        if (!Page(i)->Apply()) {
            if (i != m_current)
                Activate(i);
            return false;
        }
    }
    m_applied = true;
    if (m_apply)
        m_apply->setEnabled(false);
    return true;
}

void SettingsSheet::accept()
{
    if (!ApplyNow())
        return;
    done(1);
}

void SettingsSheet::reject()
{
    done(m_applied ? 1 : 0);
}

void SettingsSheet::Back()
{
    if (m_current > 0)
        SelectPage(m_current - 1);
}

void SettingsSheet::Next()
{
    if (m_current + 1 < PageCount())
        SelectPage(m_current + 1);
}

void SettingsSheet::PageChanged(SettingsPage*)
{
    if (m_apply)
        m_apply->setEnabled(true);
}

void SettingsSheet::SetWizardButtons(int buttons)
{
    if (!IsWizard())
        return;
    m_wizardButtons = buttons;
    const bool last = m_current + 1 >= PageCount();
    const bool finish = (buttons & WizardFinish) != 0 || last;
    m_back->setEnabled((buttons & WizardBack) != 0 && m_current > 0);
    m_next->setVisible(!finish);
    m_next->setEnabled((buttons & WizardNext) != 0 || !finish);
    m_ok->setVisible(finish);
}

} // namespace velmar::shell::ui
