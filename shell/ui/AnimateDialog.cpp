#include "shell/ui/AnimateDialog.h"

#include "widgets/MessageBoxSeam.h"
#include "shell/ui/ProgramSettingsPage.h"
#include "settings/ProgramSettings.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace velmar::shell::ui {

namespace {
constexpr int EditLimit = 7;
}

AnimateDialog::AnimateDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Animate Display"));
    m_edit = new QLineEdit(QString::number(store::TheProgramSettings.ReplaySpeedUp), this);
    m_edit->setObjectName(QString::number(IdWarpFactor));
    m_edit->setMaxLength(EditLimit - 1);
    auto* form = new QFormLayout(this);
    form->addRow(tr("Warp Factor"), m_edit);
    auto* start = new QPushButton(tr("Start"), this);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    start->setDefault(true);
    form->addRow(start, cancel);
    connect(start, &QPushButton::clicked, this, &AnimateDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &AnimateDialog::reject);
}

void AnimateDialog::accept()
{
    const int factor = LeadingIntegerOf(m_edit->text(), EditLimit - 1);
    if (factor <= 0) {
        ShowMessageBox(this, tr("Invalid Warp Factor ..."), tr("Error"), QMessageBox::Critical);
        return;
    }
    store::TheProgramSettings.ReplaySpeedUp = factor;
    QDialog::accept();
}

} // namespace velmar::shell::ui
