#include "shell/ui/TOrvidAboutDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#ifndef VELMAR_PRODUCT_VERSION
#define VELMAR_PRODUCT_VERSION "0"
#endif

namespace velmar::shell::ui {

TProjectRCVersion::TProjectRCVersion()
    : m_block{{QStringLiteral("ProductName"), QStringLiteral("Velmar 2010")},
              {QStringLiteral("ProductVersion"), QStringLiteral(VELMAR_PRODUCT_VERSION)},
              {QStringLiteral("LegalCopyright"), QStringLiteral("Velmar survey software")}}
{
}

TProjectRCVersion::TProjectRCVersion(QHash<QString, QString> block) : m_block(std::move(block))
{
}

bool TProjectRCVersion::Read(const QString& key, QString& text) const
{
    const auto it = m_block.find(key);
    if (it == m_block.end())
        return false;
    text = it.value();
    return true;
}

TOrvidAboutDlg::TOrvidAboutDlg(QWidget* parent, const TProjectRCVersion& version) : QDialog(parent)
{
    setWindowTitle(tr("About Velmar 2010"));
    auto* layout = new QVBoxLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(windowIcon().pixmap(32, 32));
    layout->addWidget(icon);
    auto make = [&](int id, const QString& text) {
        auto* label = new QLabel(text, this);
        if (id)
            label->setObjectName(QString::number(id));
        layout->addWidget(label);
        return label;
    };
    QLabel* versionLine = make(IdVersion, tr("Version"));
    make(0, tr("Data Logging and Monitor Programme"));
    QLabel* copyright = make(IdCopyright, QString());
    QLabel* special = make(IdSpecialBuild, QString());
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(ok);
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);

    QString name, number, text;
    if (version.GetProductName(name) && version.GetProductVersion(number))
        versionLine->setText(QStringLiteral("%1 %2 %3").arg(name, versionLine->text(), number));
    if (version.GetCopyright(text))
        copyright->setText(text);
    if (version.GetSpecialBuild(text))
        special->setText(text);
}

QLabel* TOrvidAboutDlg::Static(int id) const
{
    return findChild<QLabel*>(QString::number(id));
}

} // namespace velmar::shell::ui
