#include "shell/TSDIDecFrame.h"

#include "shell/TV2000Window.h"

#include <QCloseEvent>

namespace velmar::shell {

TSDIDecFrame::TSDIDecFrame(QWidget* parent, const QString& title, QWidget* client) : QMainWindow(parent)
{
    setWindowTitle(title);
    setCentralWidget(client ? client : new TV2000Window);
}

void TSDIDecFrame::closeEvent(QCloseEvent* event)
{
    if (m_canClose && !m_canClose()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace velmar::shell
