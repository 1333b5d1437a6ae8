#include "shell/TVelmarApp.h"

#include "platform/MessageBus.h"
#include "platform/TerminationSignals.h"
#include "shell/CommandIds.h"
#include "shell/MainWindowMessages.h"
#include "shell/Menus.h"
#include "platform/ProgramFolder.h"
#include "platform/RunMode.h"
#include "shell/RunModeIcon.h"
#include "shell/ShellLog.h"
#include "shell/TSDIDecFrame.h"
#include "shell/TV2000Window.h"
#include "platform/WindowMessage.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace velmar::shell {

using platform::MessageBus;

namespace {

TVelmarApp* g_app = nullptr;

class PreFilter : public QObject {
public:
    explicit PreFilter(TVelmarApp* app) : QObject(app), m_app(app) {}

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override { return m_app->ProcessAppMsg(receiver, event); }

private:
    TVelmarApp* m_app;
};

} // namespace

TVelmarApp* GetVelmarApp()
{
    return g_app;
}

TVelmarApp::TVelmarApp(int& argc, char** argv, BoardLibraryService* boards)
    : QApplication(argc, argv), TRecentFiles(QLatin1String(RecentFilesName), RecentFilesCount)
{
    m_services.boards = boards;
    g_app = this;
    m_detectorStatusMessage = MessageBus::registerWindowMessage(QStringLiteral("DetectorStatusMessage"));
    m_buttonMessage = MessageBus::registerWindowMessage(QStringLiteral("VelmarButtonMessage"));
    m_onTopMessage = MessageBus::registerWindowMessage(QStringLiteral("VelmarOnTop"));

    // Messages that other programs broadcast reach the pre-filter like any
    // queued message of this program.
    connect(&MessageBus::instance(), &MessageBus::broadcastReceived, this,
            [this](const QString& message, quint64 wParam, qint64 lParam) {
                platform::postWindowMessage(this, MessageBus::registerWindowMessage(message), wParam, lParam);
            });

    if (platform::RunMode != platform::RunModeShowData)
        Boards().LoadBoardLibrary();

    m_preFilter = new PreFilter(this);
    installEventFilter(m_preFilter);
}

TVelmarApp::~TVelmarApp()
{
    removeEventFilter(m_preFilter);
    m_frame.reset();
    if (g_app == this)
        g_app = nullptr;
}

QString TVelmarApp::GetName()
{
    return QStringLiteral("Velmar 2010");
}

TV2000Window* TVelmarApp::GetClientWindow() const
{
    return m_frame ? qobject_cast<TV2000Window*>(m_frame->GetClientWindow()) : nullptr;
}

void TVelmarApp::InitMainWindow()
{
    SetNightDayMainWindow(nullptr);
    m_frame.reset();

    auto frame = std::make_unique<TSDIDecFrame>(nullptr, GetName(), new TV2000Window(nullptr, m_services));
    frame->setWindowIcon(RunModeIcon(IconForRunMode(platform::RunMode)));

    // Online logging has no status bar: the logging screen keeps its room.
    if (platform::RunMode != platform::RunModeOnline) {
        QStatusBar* bar = frame->statusBar();
        auto* gauge = new QProgressBar;
        gauge->setRange(0, 100);
        gauge->setValue(0);
        gauge->setFixedWidth(GaugeWidth);
        gauge->setTextVisible(false);
        bar->addPermanentWidget(gauge);
        m_statusBar = bar;
        m_gauge = gauge;
    }

    BuildMenuBar(frame->menuBar(), MenuForRunMode(platform::RunMode), [this](int id) { ProcessCommand(id); });
    frame->SetCanClose([this] { return CanClose(); });
    m_frame = std::move(frame);
    SetNightDayMainWindow(GetClientWindow());
}

int TVelmarApp::Run()
{
    InitMainWindow();
    if (TV2000Window* client = GetClientWindow())
        client->SetupWindow();
    m_frame->show();
    // From here on a session that ends (logout, shutdown, kill, Ctrl+C)
    // ends the program as closing it does, without the exit questions that
    // nobody would answer: the survey database is closed and compacted and
    // the settings block written. During the start-up sheets the signals
    // keep their default action, as nothing has been logged yet.
    platform::CatchTerminationSignals(this, [this] {
        if (TV2000Window* client = GetClientWindow())
            client->ShutDown();
        if (m_frame)
            m_frame->close();
        exit(0);
    });
    qCInfo(shellLog) << "main window shown";
    return exec();
}

bool TVelmarApp::CanClose()
{
    TV2000Window* client = GetClientWindow();
    const bool canClose = client ? client->CanClose() : true;
    if (canClose)
        Help().CloseHelp();
    return canClose;
}

void TVelmarApp::SetProgress(qint64 done, qint64 total)
{
    if (!m_gauge)
        return;
    // 64-bit and clamped: a large row count must not wrap, and a value out
    // of range would leave the gauge where it was.
    const qint64 percent = total <= 0 ? 0 : std::clamp<qint64>(done * 100 / total, 0, 100);
    m_gauge->setValue(static_cast<int>(percent));
    m_gauge->repaint();
}

void TVelmarApp::SetStatusText(const QString& text)
{
    if (!m_statusBar)
        return;
    m_statusBar->showMessage(text);
    m_statusBar->repaint();
}

bool TVelmarApp::ProcessAppMsg(QObject* receiver, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == platform::WindowMessageEvent::eventType()) {
        const auto* m = static_cast<platform::WindowMessageEvent*>(event);
        if (m->message() == m_detectorStatusMessage) {
            platform::sendWindowMessage(GetClientWindow(), platform::MsgDetectorStatus, m->wParam(), m->lParam());
            return true;
        }
        if (m->message() == m_onTopMessage) {
            BringMainFrameToTop();
            return true;
        }
        // "VelmarButtonMessage" and everything else: the receiver's own
        // handling (the button panels react in their own windows).
        return false;
    }
    switch (type) {
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseMove:
        // The help cursor stays while a command chosen with F1 is on its way.
        return m_helpMode;
    case QEvent::ApplicationDeactivate:
        m_f1Down = false; // its release goes to another program
        return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // A key reaches its window first, then the widgets; looking at it
        // only there sees each key once, before any widget does.
        return receiver->isWindowType() && KeyMessage(static_cast<QKeyEvent*>(event));
    default: return false;
    }
}

bool TVelmarApp::KeyMessage(QKeyEvent* key)
{
    const int k = key->key();
    if (key->type() == QEvent::KeyRelease) {
        if (k == Qt::Key_F1 && !key->isAutoRepeat())
            m_f1Down = false;
        return false;
    }

    if (k == Qt::Key_F1) {
        m_f1Down = true;
        // F1 on a highlighted menu item: choose it in help mode, so that it
        // opens help on the command instead of running it.
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu && menu->activeAction()) {
            SetHelpMode(true);
            // A menu closed without a command (Escape, a submenu left) must
            // not leave help mode on: it would swallow every mouse move.
            // The command of a chosen item comes before this queued check.
            connect(
                menu, &QMenu::aboutToHide, this,
                [this] { QTimer::singleShot(0, this, [this] { SetHelpMode(false); }); }, Qt::SingleShotConnection);
            postEvent(menu, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
            return true;
        }
        return false;
    }

    const int vk = VirtualKeyOf(k);
    if ((key->modifiers() & Qt::ControlModifier) && vk != 0 && OfferHotKey(vk))
        return true;

    switch (k) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        platform::postWindowMessage(GetClientWindow(), platform::MsgTabKey, static_cast<quint64>(vk), 0);
        return false;
    case Qt::Key_Left:
    case Qt::Key_Right:
        return platform::sendWindowMessage(GetClientWindow(), platform::MsgArrowKey, static_cast<quint64>(vk),
                                           key->count())
            != 0;
    default: return false;
    }
}

bool TVelmarApp::OfferHotKey(int key)
{
    ButtonPanelService& panels = m_services.buttonPanels ? *m_services.buttonPanels : NoButtonPanels();
    UserFormService& forms = m_services.userForms ? *m_services.userForms : NoUserForms();
    const bool taken = panels.OnHotKey(key) || forms.OnHotKey(m_frame.get(), key);
    if (taken && m_frame) {
        m_frame->show();
        BringMainFrameToTop();
    }
    return taken;
}

void TVelmarApp::BringMainFrameToTop()
{
    if (!m_frame)
        return;
    m_frame->raise();
    m_frame->activateWindow();
    qCInfo(shellLog) << "main frame brought to the top";
}

void TVelmarApp::SetHelpMode(bool on)
{
    if (on == m_helpMode)
        return;
    m_helpMode = on;
    if (on)
        setOverrideCursor(Qt::WhatsThisCursor);
    else
        restoreOverrideCursor();
}

void TVelmarApp::ProcessCommand(int id)
{
    if (m_helpMode || m_f1Down) {
        SetHelpMode(false);
        m_helpShown = Help().ShowHelp(m_frame.get(), platform::GetHelpFilePath(), HelpDisplayTopic,
                                      static_cast<quint64>(id));
        return;
    }
    if (TV2000Window* client = GetClientWindow(); client && client->Command(id))
        return;
    AppCommand(id);
}

void TVelmarApp::AppCommand(int id)
{
    switch (id) {
    case Command::HelpContents:
        m_helpShown = Help().ShowHelp(m_frame.get(), platform::GetHelpFilePath(), HelpDisplayContents, 0);
        break;
    case Command::HelpDefaultTopic:
        m_helpShown = Help().ShowHelp(m_frame.get(), platform::GetHelpFilePath(), HelpDisplayTopic, 0);
        break;
    case Command::About: Help().ShowAboutBox(m_frame.get()); break;
    case Command::Exit:
        if (m_frame)
            m_frame->close();
        break;
    case CmNightId: CmNight(); break;
    case CmDayId: CmDay(); break;
    default: break;
    }
}

bool TVelmarApp::event(QEvent* event)
{
    if (event->type() == platform::WindowMessageEvent::eventType()) {
        auto* m = static_cast<platform::WindowMessageEvent*>(event);
        if (m->message() == platform::MsgInitialShow)
            InitialShow(m->lParam());
        m->setResult(0);
        return true;
    }
    return QApplication::event(event);
}

namespace {
// The normal (restored) window's share of the screen, in percent.
constexpr int kNormalScreenShare = 80;
} // namespace

void TVelmarApp::InitialShow(qint64 clientHeight)
{
    if (!m_frame)
        return;
    if (platform::RunMode == platform::RunModeAlterSettings) {
        // Keep position and width; little more than the menu bar shows.
        int height = static_cast<int>(std::clamp<qint64>(clientHeight, 0, 1 << 15))
                   + m_frame->menuBar()->sizeHint().height();
        if (m_statusBar)
            height += m_statusBar->sizeHint().height();
        m_frame->setAttribute(Qt::WA_ShowWithoutActivating);
        m_frame->resize(m_frame->width(), height);
        m_frame->show();
        return;
    }
    // Restored for the first time (or shown by a desktop without a window
    // manager, which cannot maximise) the window keeps its normal size: a
    // sensible share of the screen, centred, not the few pixels of a window
    // never sized.
    if (const QScreen* screen = m_frame->screen()) {
        const QRect available = screen->availableGeometry();
        const QSize normal = available.size() * kNormalScreenShare / 100;
        if (m_frame->width() < normal.width() || m_frame->height() < normal.height()) {
            m_frame->resize(normal);
            m_frame->move(available.center() - QPoint(normal.width() / 2, normal.height() / 2));
        }
    }
    m_frame->showMaximized();
}

} // namespace velmar::shell
