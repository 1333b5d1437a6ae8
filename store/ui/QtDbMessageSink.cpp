#include "QtDbMessageSink.h"

#include "CheckTableDialog.h"

#include <QApplication>
#include <QMessageBox>

namespace velmar::store {

QtDbMessageSink::QtDbMessageSink() = default;
QtDbMessageSink::~QtDbMessageSink() = default;

void QtDbMessageSink::showMessage(QObject* owner, const QString& text, const QString& caption, DbIcon icon)
{
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    switch (icon) {
    case DbIcon::None: boxIcon = QMessageBox::NoIcon; break;
    case DbIcon::Stop: boxIcon = QMessageBox::Critical; break;
    case DbIcon::Exclamation: boxIcon = QMessageBox::Warning; break;
    case DbIcon::Information: boxIcon = QMessageBox::Information; break;
    }
    QWidget* parent = qobject_cast<QWidget*>(owner);
    QMessageBox box(boxIcon, caption.isEmpty() ? QApplication::applicationDisplayName() : caption, text,
                    QMessageBox::Ok, parent);
    box.exec();
}

void QtDbMessageSink::beep()
{
    QApplication::beep();
}

void QtDbMessageSink::beginTableCheck()
{
    m_checkDialog = std::make_unique<CheckTableDialog>();
    m_checkDialog->show();
}

void QtDbMessageSink::setTableCheckText(const QString& text)
{
    if (m_checkDialog)
        m_checkDialog->SetText(text);
}

void QtDbMessageSink::endTableCheck()
{
    m_checkDialog.reset();
}

} // namespace velmar::store
