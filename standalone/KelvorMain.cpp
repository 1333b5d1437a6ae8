// Kelvor: the standalone camera program. One grabber form as its main
// window, with its settings in "Kelvor.ini" in the settings folder, grabbing
// on its button, on its timer, and once for every button press that Velmar
// broadcasts on the bus ("VelmarButtonMessage").
#include "camera/CamerGrab.h"
#include "camera/IniSettingsStore.h"
#include "platform/Folders.h"
#include "platform/MessageBus.h"
#include "video/SyncManager.h"
#include "video/TestDeviceProvider.h"

#include <QApplication>

namespace {

using velmar::platform::MessageBus;

// Velmar's button panels broadcast each press twice, with lParam 1 and then
// 2; the second of the pair is the same press.
constexpr qint64 kRepeatOfPress = 2;

// Scripted runs: $VELMAR_TEST_CAMERAS test cameras ("Test Camera 0", ...)
// in place of the system's devices.
void UseTestCameras()
{
    const int count = qEnvironmentVariableIntValue("VELMAR_TEST_CAMERAS");
    if (count <= 0)
        return;
    auto provider = std::make_unique<velmar::video::TestDeviceProvider>();
    for (int i = 0; i < count; ++i)
        provider->addVideoDevice(QStringLiteral("/dev/test%1").arg(i), QStringLiteral("Test Camera %1").arg(i),
                                 {{320, 240}});
    velmar::video::SetDeviceProvider(std::move(provider));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvor"));
    QApplication::setApplicationVersion(QStringLiteral(VELMAR_VERSION));
    UseTestCameras();

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
