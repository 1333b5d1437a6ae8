#include "TestCameras.h"

#include "video/SyncManager.h"
#include "video/TestDeviceProvider.h"

#include <QString>

#include <memory>

namespace velmar::camera {

void UseTestCamerasWhenAsked()
{
    const int count = qEnvironmentVariableIntValue("VELMAR_TEST_CAMERAS");
    if (count <= 0)
        return;
    auto provider = std::make_unique<video::TestDeviceProvider>();
    for (int i = 0; i < count; ++i)
        provider->addVideoDevice(QStringLiteral("/dev/test%1").arg(i), QStringLiteral("Test Camera %1").arg(i),
                                 {{320, 240}});
    video::SetDeviceProvider(std::move(provider));
}

} // namespace velmar::camera
