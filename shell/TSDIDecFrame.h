#pragma once
// TSDIDecFrame: the decorated single-document frame around a program's main
// window (menu bar, optional status bar). Velmar, the pipe server and the
// standalone decks each put their own client window in it. User-interface
// thread only; the frame owns its client.
#include <QMainWindow>

#include <functional>

namespace velmar::shell {

class TSDIDecFrame : public QMainWindow {
    Q_OBJECT
public:
    // With no client, the frame makes Velmar's main window (TV2000Window).
    TSDIDecFrame(QWidget* parent, const QString& title, QWidget* client = nullptr);

    QWidget* GetClientWindow() const { return centralWidget(); }

    // Asked when the frame is to close; closing is refused when it answers
    // false. Without one the frame always closes.
    void SetCanClose(std::function<bool()> canClose) { m_canClose = std::move(canClose); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<bool()> m_canClose;
};

} // namespace velmar::shell
