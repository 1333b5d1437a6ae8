#include "CheckTableDialog.h"

#include <QLabel>
#include <QVBoxLayout>

namespace velmar::store {

namespace {
const QString kCaption = QStringLiteral("Checking Database Tables");
// 205 x 46 dialog units at the usual 8-point font.
constexpr int kWidth = 308;
constexpr int kHeight = 75;
} // namespace

CheckTableDialog::CheckTableDialog(QWidget* parent) : QDialog(parent), m_text(new QLabel(kCaption, this))
{
    setWindowTitle(kCaption);
    setModal(false);
    resize(kWidth, kHeight);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
}

void CheckTableDialog::SetText(const QString& text)
{
    m_text->setText(text);
    m_text->repaint();
}

QString CheckTableDialog::text() const
{
    return m_text->text();
}

} // namespace velmar::store
