#include "CamerGrab.h"

#include "GrabberSettingsDialog.h"

#include "widgets/MessageBoxSeam.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>

namespace velmar::camera {

namespace {
int g_instances = 0;
}

TCamerGrab::TCamerGrab(CamSettingsStore& store, GrabLogger* logger, bool camerasByName, GrabberHost host,
                       QWidget* parent)
    : QMainWindow(parent), m_store(store), m_logger(logger), m_byName(camerasByName), m_host(host),
      m_instance(g_instances++)
{
    setWindowTitle(QStringLiteral("Camera Grab"));
    LoadGrabberSettings(m_store, GrabberSettingsSection(m_instance), m_settings);

    auto* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    m_settingsMenu = menuBar()->addMenu(QStringLiteral("Settings"));
    m_settingsMenu->addAction(QStringLiteral("Setup ..."), this, &TCamerGrab::Timers1Click);
    auto* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->addAction(QStringLiteral("About..."), this, &TCamerGrab::About1Click);

    auto* client = new QWidget;
    auto* column = new QVBoxLayout(client);
    auto* buttons = new QHBoxLayout;
    auto* grab = new QPushButton(QStringLiteral("Grab Frame(s)"), client);
    grab->setObjectName(QStringLiteral("buttonGrabOne"));
    connect(grab, &QPushButton::clicked, this, [this] { GrabAll(QStringLiteral("Manual")); });
    buttons->addWidget(grab);
    if (m_host == GrabberHost::MainProgram) {
        menuBar()->hide();
        m_popup = new QMenu(this);
        m_popup->addAction(QStringLiteral("Setup ..."), this, &TCamerGrab::Timers1Click);
        m_popup->addSeparator();
        m_popup->addAction(QStringLiteral("About..."), this, &TCamerGrab::About1Click);
        auto* settings = new QPushButton(QStringLiteral("Settings"), client);
        settings->setObjectName(QStringLiteral("buttonSettings"));
        connect(settings, &QPushButton::clicked, this, [this] { m_popup->popup(QCursor::pos()); });
        buttons->addWidget(settings);
    }
    buttons->addStretch();
    column->addLayout(buttons);
    // The cameras side by side, left to right.
    m_row = new QHBoxLayout;
    m_row->setSizeConstraint(QLayout::SetMinAndMaxSize);
    column->addLayout(m_row);
    column->addStretch();
    // A form larger than its place scrolls.
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(client);
    setCentralWidget(scroll);
    statusBar();

    connect(&m_grabTimer, &QTimer::timeout, this, &TCamerGrab::GrabTimerTimer);
    CreateUnits();
    StartGrabTimer();
}

TCamerGrab::~TCamerGrab() = default;

void TCamerGrab::About1Click()
{
    // The program's name and version; both empty when it has no version.
    const QString program = QCoreApplication::applicationName();
    const QString version = QCoreApplication::applicationVersion();
    const QString product = version.isEmpty() ? QString() : program;
    velmar::shell::ui::ShowMessageBox(
        this, product + QLatin1Char('\n') + (version.isEmpty() ? QString() : QStringLiteral("Version ") + version),
        QStringLiteral("About ") + program);
}

bool TCamerGrab::Timers1Click()
{
    TGrabberSettingsDlg dialog(this, m_settings);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    m_settings = dialog.settings();
    SaveGrabberSettings(m_store, GrabberSettingsSection(m_instance), m_settings);
    if (!m_store.flush())
        statusBar()->showMessage(QStringLiteral("The grabber settings could not be saved"));
    CreateUnits();
    StartGrabTimer();
    return true;
}

void TCamerGrab::CreateUnits()
{
    const int wanted = std::clamp(m_settings.nCameras, 1, MaxCamerasPerForm);
    for (int position = m_unitCount; position < wanted; ++position) {
        const bool numbered = m_host == GrabberHost::MainProgram;
        auto* unit = new TVideoUnit(nullptr, m_store, numbered ? m_instance : -1, m_logger);
        unit->setIdCameraByName(m_byName);
        connect(unit, &TVideoUnit::report, this, [this](const QString& text) {
            statusBar()->showMessage(text);
            qWarning("%s", qPrintable(text));
        });
        unit->SetCameraNumber(position);
        // The item goes with its unit.
        auto* item = new QAction(QStringLiteral("Camera %1...").arg(position), unit);
        connect(item, &QAction::triggered, unit, &TVideoUnit::VideoDblClick);
        m_settingsMenu->addAction(item);
        if (m_popup)
            m_popup->addAction(item);
        // A new display scale changes the unit's size.
        connect(unit, &TVideoUnit::settingsApplied, this, &TCamerGrab::FitToUnits);
        m_row->addWidget(unit);
        m_units[position] = unit;
    }
    for (int position = m_unitCount - 1; position >= wanted; --position) {
        delete m_units[position];
        m_units[position] = nullptr;
    }
    m_unitCount = wanted;
    // The last grabbed frame goes beside the video of a single camera.
    for (int i = 0; i < m_unitCount; ++i)
        m_units[i]->setSideBySide(m_unitCount == 1);
    StartCameras(true);
    FitToUnits();
}

void TCamerGrab::FitToUnits()
{
    // A form of its own takes the size of its cameras, up to the desktop's;
    // in a tab the main window places it and it scrolls.
    if (parentWidget())
        return;
    QSize limit(INT_MAX, INT_MAX);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        limit = screen->availableSize();
    QWidget* client = static_cast<QScrollArea*>(centralWidget())->widget();
    // The cameras' sizes count before the form is first shown too.
    client->layout()->activate();
    const QSize cameras = client->layout()->totalSizeHint();
    const int bars = (menuBar()->isVisibleTo(this) ? menuBar()->sizeHint().height() : 0)
                   + statusBar()->sizeHint().height();
    resize((cameras + QSize(0, bars)).boundedTo(limit));
}

void TCamerGrab::StartCameras(bool start)
{
    for (int i = 0; i < m_unitCount; ++i)
        m_units[i]->SetupGrabber(start);
}

void TCamerGrab::GrabAll(const QString& reason)
{
    for (int i = 0; i < m_unitCount; ++i)
        m_units[i]->Grab(reason);
}

int TCamerGrab::NextInterval()
{
    const int ms = int(m_settings.Interval * 1000.0);
    if (!m_settings.Random)
        return ms;
    const quint32 span = quint32(2) * quint32(std::max(ms, 0));
    if (span == 0)
        return 1;
    return 1 + int(QRandomGenerator::global()->bounded(quint32(0x7fffffff)) % span);
}

void TCamerGrab::StartGrabTimer()
{
    m_grabTimer.setInterval(NextInterval());
    if (m_settings.TimerOn)
        m_grabTimer.start();
    else
        m_grabTimer.stop();
}

void TCamerGrab::GrabTimerTimer()
{
    if (m_settings.Random)
        m_grabTimer.setInterval(NextInterval());
    for (int i = 0; i < m_unitCount; ++i) {
        if (m_settings.Single)
            m_units[i]->GrabOneFrame(QStringLiteral("Timer"));
        else
            m_units[i]->StartSequence(QStringLiteral("Timer"));
    }
}

} // namespace velmar::camera
