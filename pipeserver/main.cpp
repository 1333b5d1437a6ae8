// Pelvane: the sound-card pipe server of the suite. It samples one input
// device and streams the routed channels to the detector programs and
// Velmar's recorder through their pipes. One copy runs at a time: a second
// start raises the first and ends.
#include "pipeserver/AcquisitionThread.h"
#include "pipeserver/PelvaneDialog.h"
#include "pipeserver/backend/InputDevices.h"
#include "pipeserver/backend/NiDaqMxInput.h"
#include "platform/MessageBus.h"
#include "platform/TerminationSignals.h"
#include "sound/PipeProtocol.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QMessageBox>
#include <QSystemTrayIcon>

using namespace velmar;
using namespace velmar::pipeserver;

namespace {
const QString RaiseMessage = QStringLiteral("Raise");
constexpr int RaiseTimeoutMs = 2000;

// The test and set-up hooks of this program, all read here.
struct Hooks {
    QString jackSourcePorts = qEnvironmentVariable("VELMAR_PELVANE_JACK_PORTS");
    QString niDaqMxLibrary = qEnvironmentVariable("VELMAR_NIDAQMX_LIBRARY");
};

void raise(QWidget& window)
{
    if (window.isMinimized())
        window.showNormal();
    window.show();
    window.raise();
    window.activateWindow();
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(sound::PelvaneTitle));
    QApplication::setQuitOnLastWindowClosed(true);
    const Hooks hooks;

    platform::MessageBus& bus = platform::MessageBus::instance();
    if (!bus.ownName(sound::PelvaneBusName())) {
        if (bus.connected()) {
            bus.send(sound::PelvaneBusName(), RaiseMessage, 0, 0, RaiseTimeoutMs);
            return 0;
        }
        qWarning("Pelvane: no session bus; no program can reach the pipes' commands");
    }
    const sound::PipeMessageIds& ids = sound::RegisterPipeMessages();
    Q_UNUSED(ids);

    if (!ReadPipeSettings(ThePipeSettings()).ok)
        ThePipeSettings() = PipeSettings();
    bool pathChanged = false;
    const QString programPath = QCoreApplication::applicationFilePath();
    if (ThePipeSettings().programPath() != programPath) {
        ThePipeSettings().setProgramPath(programPath);
        WritePipeSettings(ThePipeSettings());
        pathChanged = true;
    }
    TheNiDaqMxLibrary(hooks.niDaqMxLibrary);

    QElapsedTimer steady;
    steady.start();
    InputDeviceOptions options;
    options.jackSourcePorts = hooks.jackSourcePorts;
    AcquisitionThread acquisition([options](const PipeSettings& s) { return MakeInputDevice(s, options); },
                                  [&steady] { return steady.elapsed(); });
    PelvaneDialog dialog(acquisition, [&steady] { return steady.elapsed(); });
    dialog.setWindowIcon(QIcon::fromTheme(QStringLiteral("audio-input-microphone")));

    const QString pipeCommand = QString::fromLatin1(sound::PipeMessageNames[0]);
    const QString porpoiseStatus = QString::fromLatin1(sound::PipeMessageNames[3]);
    const QString lastFillTime = QString::fromLatin1(sound::PipeMessageNames[4]);
    bus.setHandler(pipeCommand, [&dialog](quint64 w, qint64 l) { return dialog.pipeCommand(w, l); });
    bus.setHandler(porpoiseStatus, [&dialog](quint64 w, qint64) { return dialog.porpoiseStatus(int(w)); });
    bus.setHandler(lastFillTime, [&dialog](quint64, qint64) { return dialog.lastFillTime(); });
    bus.setHandler(RaiseMessage, [&dialog](quint64, qint64) {
        raise(dialog);
        return qint64(1);
    });

    // The tray shows the acquisition state where the desktop has a tray.
    std::unique_ptr<QSystemTrayIcon> tray;
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        tray = std::make_unique<QSystemTrayIcon>(dialog.windowIcon());
        tray->setToolTip(TrayTip(AdcIdle));
        QObject::connect(tray.get(), &QSystemTrayIcon::activated, &dialog,
                         [&dialog](QSystemTrayIcon::ActivationReason r) {
                             if (r == QSystemTrayIcon::Trigger)
                                 raise(dialog);
                         });
        tray->show();
    }
    QObject::connect(&dialog, &PelvaneDialog::adcStateChanged, &dialog, [&tray](int state) {
        if (tray)
            tray->setToolTip(TrayTip(state));
    });

    // A session that ends (logout, the run script, Ctrl+C) ends Pelvane: the
    // pipes close and the device stops.
    platform::CatchTerminationSignals(&dialog, [] { QCoreApplication::quit(); });

    dialog.show();
    if (pathChanged)
        dialog.showMessage(programPath, QStringLiteral("New Programme Name and Location"));
    const int result = app.exec();
    bus.releaseName(sound::PelvaneBusName());
    return result;
}
