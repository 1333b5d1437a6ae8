// Kelvor: the standalone camera program. One grabber form as its main
// window, with its settings in "Kelvor.ini" in the settings folder, grabbing
// on its button, on its timer, and once for every button press that Velmar
// broadcasts on the bus ("VelmarButtonMessage").
#include "camera/CamerGrab.h"
#include "camera/IniSettingsStore.h"
#include "camera/TestCameras.h"
#include "platform/Folders.h"
#include "platform/MessageBus.h"

#include <QApplication>

namespace {

using velmar::platform::MessageBus;

// Velmar's button panels broadcast each press twice, with lParam 1 and then
// 2; the second of the pair is the same press.
constexpr qint64 kRepeatOfPress = 2;

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvor"));
    QApplication::setApplicationVersion(QStringLiteral(VELMAR_VERSION));
    velmar::camera::UseTestCamerasWhenAsked();

    velmar::camera::IniSettingsStore store(velmar::platform::settingsFile(QStringLiteral("Kelvor.ini")));
    // No survey database: nothing is logged, and each camera finds its device by name.
    velmar::camera::TCamerGrab form(store, nullptr, true, false);
    form.setWindowTitle(QStringLiteral("Kelvor"));

    QObject::connect(&MessageBus::instance(), &MessageBus::broadcastReceived, &form,
                     [&form](const QString& message, quint64, qint64 lParam) {
                         if (message != QLatin1String("VelmarButtonMessage") || lParam == kRepeatOfPress)
                             return;
                         form.GrabAll(QStringLiteral("Velmar Message"));
                     });
    form.show();
    return app.exec();
}
