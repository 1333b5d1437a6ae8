#include "sound/NewMediaDialog.h"

#include "sound/RecordingFiles.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace velmar::sound {

namespace {
QLabel* label(QWidget* parent, int id, const QString& text, Qt::Alignment alignment)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::number(id));
    l->setAlignment(alignment | Qt::AlignVCenter);
    return l;
}
} // namespace

NewMediaDialog::NewMediaDialog(RECORDINGINFO& recording, QWidget* parent) : QDialog(parent), m_recording(recording)
{
    setWindowTitle(QStringLiteral("Change Recording Media"));
    setModal(true);
    const NewMediaTexts texts = NewMediaDialogTexts(recording);
    auto* grid = new QGridLayout(this);
    grid->addWidget(label(this, IdRemoveText, texts.remove, Qt::AlignRight), 0, 0);
    grid->addWidget(label(this, IdOldMedia, texts.oldName, Qt::AlignLeft), 0, 1);
    grid->addWidget(label(this, IdInsertText, texts.insert, Qt::AlignRight), 1, 0);
    grid->addWidget(label(this, IdNewMedia, texts.newName, Qt::AlignLeft), 1, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 2, 0, 1, 2);
}

void NewMediaDialog::accept()
{
    AcceptNewMedia(m_recording);
    QDialog::accept();
}

} // namespace velmar::sound
