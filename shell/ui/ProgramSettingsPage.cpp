#include "shell/ui/ProgramSettingsPage.h"

#include "widgets/MessageBoxSeam.h"
#include "settings/ProgramSettings.h"
#include "store/SqlText.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>

namespace velmar::shell::ui {

int LeadingIntegerOf(const QString& text, int maxChars)
{
    return store::LeadingInteger(text.left(maxChars));
}

double LeadingRealOf(const QString& text, int maxChars)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
    const auto m = re.match(text.left(maxChars));
    if (!m.hasMatch())
        return 0.0;
    bool ok = false;
    const double v = m.captured(0).trimmed().toDouble(&ok);
    return ok ? v : 0.0;
}

bool ProgramSettingsPage::SaveSettings()
{
    QString error;
    if (store::WriteProgramSettings(&error))
        return true;
    ShowMessageBox(this, error, QLatin1String(store::SettingsFileErrorCaption), QMessageBox::Critical);
    return false;
}

void ProgramSettingsPage::Message(const QString& text)
{
    ShowMessageBox(this, text, QLatin1String(ApplicationName));
}

QLineEdit* ProgramSettingsPage::MakeEdit(int id, int limit, const QString& text, QWidget* parent)
{
    auto* edit = new QLineEdit(parent ? parent : this);
    edit->setObjectName(QString::number(id));
    edit->setMaxLength(limit - 1);
    edit->setText(text);
    return edit;
}

QCheckBox* ProgramSettingsPage::MakeCheck(int id, const QString& text, bool checked, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent ? parent : this);
    box->setObjectName(QString::number(id));
    box->setChecked(checked);
    return box;
}

QRadioButton* ProgramSettingsPage::MakeRadio(int id, const QString& text, bool checked, QWidget* parent)
{
    auto* button = new QRadioButton(text, parent ? parent : this);
    button->setObjectName(QString::number(id));
    button->setChecked(checked);
    return button;
}

} // namespace velmar::shell::ui
