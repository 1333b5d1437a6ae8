#include "shell/ui/LiableDlg.h"

#include "settings/ProgramSettings.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmar::shell::ui {

LiableDlg::LiableDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Velmar 2000 Warning"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(tr("This programme has been developed purely for data logging and data analysis"), this));
    layout->addWidget(
        new QLabel(tr("It should not in any way be considered as, or used as, an aid to navigation"), this));
    m_dontShow = new QCheckBox(tr("Don't show this warning again"), this);
    m_dontShow->setObjectName(QString::number(IdDontShow));
    layout->addWidget(m_dontShow);
    auto* ack = new QPushButton(tr("Acknowledge"), this);
    ack->setDefault(true);
    layout->addWidget(ack);
    connect(ack, &QPushButton::clicked, this, &LiableDlg::accept);
}

void LiableDlg::accept()
{
    store::TheProgramSettings.NoStartupNotice = m_dontShow->isChecked();
    QDialog::accept();
}

} // namespace velmar::shell::ui
