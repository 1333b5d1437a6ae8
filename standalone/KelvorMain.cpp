// Kelvor: the standalone camera program. One grabber form as its main
// window, with its settings in "Kelvor.ini" in the settings folder, grabbing
// on its button, on its timer, and once for every button press that Velmar
// broadcasts on the bus ("VelmarButtonMessage").
#include "camera/CamerGrab.h"
#include "camera/IniSettingsStore.h"
#include "camera/TestCameras.h"
#include "platform/Folders.h"
#include "platform/MessageBus.h"
#include "video/ui/VideoDialogsUi.h"
#include "widgets/ScriptedClicks.h"
#include "widgets/DialogService.h"

#include <QApplication>
#include <QScreen>

namespace {

using velmar::platform::MessageBus;

// Velmar's button panels broadcast each press twice, with lParam 1 and then
// 2; the second of the pair is the same press.
constexpr qint64 kRepeatOfPress = 2;

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Copies started by scripts bind dialogs that never wait for an operator.
    velmar::shell::ui::BindDialogsForThisRun();
    QApplication::setApplicationName(QStringLiteral("Kelvor"));
    QApplication::setApplicationVersion(QStringLiteral(VELMAR_VERSION));
    velmar::camera::UseTestCamerasWhenAsked();
    velmar::video::InstallVideoDialogs();

    velmar::camera::IniSettingsStore store(velmar::platform::settingsFile(QStringLiteral("Kelvor.ini")));
    // No survey database: nothing is logged, and each camera finds its device by name.
    velmar::camera::TCamerGrab form(store, nullptr, true, velmar::camera::GrabberHost::Standalone);
    form.setWindowTitle(QStringLiteral("Kelvor"));

    QObject::connect(&MessageBus::instance(), &MessageBus::broadcastReceived, &form,
                     [&form](const QString& message, quint64, qint64 lParam) {
                         if (message != QLatin1String("VelmarButtonMessage") || lParam == kRepeatOfPress)
                             return;
                         form.GrabAll(QStringLiteral("Velmar Message"));
                     });
    // At the desktop's centre, sized to its cameras.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        form.move(screen->availableGeometry().center() - form.rect().center());
    form.show();
    velmar::shell::ui::RunScriptedClicks(&form);
    return app.exec();
}
