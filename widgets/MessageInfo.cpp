#include "widgets/MessageInfo.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>

namespace velmar::shell {

namespace {

constexpr QSize MessageClient(330, 85);
constexpr QSize ProgressClient(330, 84);
constexpr int BoxFontPixels = 13;

QFont BoxFont()
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(BoxFontPixels);
    return f;
}

// A dialog-bordered window without title-bar buttons, centred on the desktop.
void MakeBox(QDialog* box, QSize client)
{
    box->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    box->setModal(false);
    box->setFixedSize(client);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(0, 0), client);
        r.moveCenter(screen->availableGeometry().center());
        box->move(r.topLeft());
    }
}

class TMessageInfo : public QDialog {
public:
    explicit TMessageInfo(QWidget* owner) : QDialog(owner)
    {
        MakeBox(this, MessageClient);
        setWindowTitle(QCoreApplication::applicationFilePath());
        Msg = new QPlainTextEdit(this);
        Msg->setObjectName(QStringLiteral("Msg"));
        Msg->setGeometry(16, 24, 297, 57);
        Msg->setReadOnly(true);
        Msg->setFrameStyle(QFrame::NoFrame);
        Msg->setFont(BoxFont());
        QPalette p = Msg->palette();
        p.setColor(QPalette::Base, palette().color(QPalette::Window));
        Msg->setPalette(p);
    }
    QPlainTextEdit* Msg;
};

class TProgressInfo : public QDialog {
public:
    TProgressInfo(QWidget* owner, const QString& caption, const QString& label) : QDialog(owner)
    {
        MakeBox(this, ProgressClient);
        setWindowTitle(caption);
        MsgText = new QLabel(label, this);
        MsgText->setObjectName(QStringLiteral("MsgText"));
        MsgText->move(24, 16);
        MsgText->resize(ProgressClient.width() - 48, 20);
        MsgText->setFont(BoxFont());
        ProgressBar = new QProgressBar(this);
        ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
        ProgressBar->setGeometry(24, 40, 281, 25);
        ProgressBar->setRange(0, 100);
    }
    QLabel* MsgText;
    QProgressBar* ProgressBar;
};

QPointer<TMessageInfo> g_message;
QPointer<TProgressInfo> g_progress;

} // namespace

void ShowMessageInfo(QWidget* owner, const QString& text)
{
    if (!g_message) {
        g_message = new TMessageInfo(owner);
        g_message->show();
    }
    g_message->Msg->setPlainText(text);
    // The caller keeps the thread busy: paint now or the text never shows.
    g_message->Msg->viewport()->repaint();
}

void CloseMessageInfo()
{
    delete g_message.data();
    g_message = nullptr;
}

void ShowProgressInfo(QWidget* owner, int minimum, int maximum, int position, const std::optional<QString>& text,
                      const std::optional<QString>& caption)
{
    if (!g_progress)
        g_progress = new TProgressInfo(owner, caption.value_or(QString()), text.value_or(QString()));
    g_progress->ProgressBar->setRange(minimum, maximum);
    g_progress->show();
    UpdateProgressInfo(position, text);
}

void UpdateProgressInfo(int position, const std::optional<QString>& text)
{
    if (!g_progress)
        return;
    g_progress->ProgressBar->setValue(position);
    if (text)
        g_progress->MsgText->setText(*text);
    g_progress->MsgText->repaint();
}

void CloseProgressInfo()
{
    delete g_progress.data();
    g_progress = nullptr;
}

QWidget* MessageInfoBox()
{
    return g_message.data();
}
QWidget* ProgressInfoBox()
{
    return g_progress.data();
}

} // namespace velmar::shell
