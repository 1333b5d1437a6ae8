#include "CamerGrab.h"

#include "GrabberSettingsDialog.h"

#include "widgets/MessageBoxSeam.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QVBoxLayout>

namespace velmar::camera {

namespace {
int g_instances = 0;
}

TCamerGrab::TCamerGrab(CamSettingsStore& store, GrabLogger* logger, bool camerasByName, bool cameraSectionsNumbered,
                       QWidget* parent)
    : QMainWindow(parent), m_store(store), m_logger(logger), m_byName(camerasByName),
      m_numbered(cameraSectionsNumbered), m_instance(g_instances++)
{
    setWindowTitle(QStringLiteral("Camera Grab"));
    LoadGrabberSettings(m_store, GrabberSettingsSection(m_instance), m_settings);

    auto* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    m_settingsMenu = menuBar()->addMenu(QStringLiteral("Settings"));
    m_settingsMenu->addAction(QStringLiteral("Setup ..."), this, &TCamerGrab::Timers1Click);
    auto* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->addAction(QStringLiteral("About..."), this, &TCamerGrab::About1Click);

    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    auto* grab = new QPushButton(QStringLiteral("Grab Frame(s)"), client);
    connect(grab, &QPushButton::clicked, this, [this] { GrabAll(QStringLiteral("Manual")); });
    column->addWidget(grab, 0, Qt::AlignLeft);
    m_row = new QHBoxLayout;
    column->addLayout(m_row);
    setCentralWidget(client);
    statusBar();

    connect(&m_grabTimer, &QTimer::timeout, this, &TCamerGrab::GrabTimerTimer);
    CreateUnits();
    StartGrabTimer();
}

TCamerGrab::~TCamerGrab() = default;

void TCamerGrab::About1Click()
{
    // The program's name and version; both empty when it has no version.
    const QString version = QCoreApplication::applicationVersion();
    const QString product = version.isEmpty() ? QString() : QCoreApplication::applicationName();
    velmar::shell::ui::ShowMessageBox(this,
                                      product + QLatin1Char('\n')
                                          + (version.isEmpty() ? QString() : QStringLiteral("Version ") + version),
                                      QStringLiteral("About Kelvor"));
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
        auto* unit = new TVideoUnit(centralWidget(), m_store, m_numbered ? m_instance : -1, m_logger);
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
        m_row->addWidget(unit);
        m_units[position] = unit;
    }
    for (int position = m_unitCount - 1; position >= wanted; --position) {
        delete m_units[position];
        m_units[position] = nullptr;
    }
    m_unitCount = wanted;
    StartCameras(true);
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
