#include "NewTableDialog.h"

#include "store/DbMessages.h"
#include "store/FixedSchema.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace velmar::store {

namespace {
constexpr int kMaxNameLength = 19;
const QString kCaption = QStringLiteral("Create New Table");

QString& nameBuffer()
{
    static QString name;
    return name;
}
} // namespace

NewTableDialog::NewTableDialog(QWidget* parent, int command)
    : QDialog(parent), m_command(command), m_name(new QLineEdit(nameBuffer(), this))
{
    setWindowTitle(kCaption);
    m_name->setMaxLength(kMaxNameLength);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(kindText(), this));
    layout->addWidget(m_name);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &NewTableDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NewTableDialog::reject);
}

QString NewTableDialog::kindText() const
{
    switch (m_command) {
    case kCmdNewStaticPointsTable: return QStringLiteral("New Static Points Table");
    case kCmdNewUserFormTable: return QStringLiteral("New User Form Definition Table");
    case kCmdNewStaticLinesTable: return QStringLiteral("New Static Lines Table");
    case kCmdNewButtonFormTable: return QStringLiteral("New Buttons Form Definition Table");
    default: return QStringLiteral("Unknown table type");
    }
}

QString NewTableDialog::tableName()
{
    return nameBuffer();
}

bool NewTableDialog::IsValidTableName(const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return true;
    // Names the survey database keeps for itself, a leading blank that no
    // one sees in a list, the characters Access never allowed in a name, and
    // quotes, which statements elsewhere put around names and values.
    if (name.at(0).isSpace() || trimmed.startsWith(QStringLiteral("sqlite_"), Qt::CaseInsensitive))
        return false;
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control || QStringLiteral(".!`[]\"'").contains(c))
            return false;
    return true;
}

void NewTableDialog::accept()
{
    const QString name = m_name->text();
    if (!IsValidTableName(name)) {
        DbMessage(this,
                  QStringLiteral("\"%1\" cannot be the name of a table.\nA table name may not begin with a blank, nor "
                                 "hold . ! ` [ ] \" ' or control characters.")
                      .arg(name),
                  kCaption, DbIcon::Stop);
        return;
    }
    nameBuffer() = name;
    QDialog::accept();
}

} // namespace velmar::store
