// The grabber form as its own window fits its cameras: a single camera
// shows its last grabbed frame beside the video, two or more cameras sit
// side by side, each with its frame below the video; a form larger than
// the screen is held to it (and scrolls). The video is 320 x 240 until a
// camera tells its own size.
#include "camera/CamerGrab.h"
#include "camera/IniSettingsStore.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmar::camera;

TEST(GrabberLayout, FormFitsItsCameras)
{
    struct Case {
        int cameras;
        int minWidth, minHeight; // the pictures alone
    };
    const Case cases[] = {{1, 2 * 320, 240}, {2, 2 * 320, 2 * 240}, {4, 4 * 320, 2 * 240}};
    const QSize screen = QGuiApplication::primaryScreen()->availableSize();
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString file = dir.filePath("Kelvor.ini");
        IniSettingsStore store(file);
        // The form's instance number counts every form made in the process.
        for (int instance = 0; instance < 8; ++instance)
            store.writeInt(GrabberSettingsSection(instance), "nCameras", c.cameras);
        TCamerGrab form(store, nullptr, true, GrabberHost::Standalone);
        ASSERT_EQ(form.UnitCount(), c.cameras);
        EXPECT_GE(form.width(), std::min(c.minWidth, screen.width())) << c.cameras << " cameras";
        EXPECT_GE(form.height(), std::min(c.minHeight, screen.height())) << c.cameras << " cameras";
        EXPECT_LE(form.width(), screen.width());
        EXPECT_LE(form.height(), screen.height());
        EXPECT_LT(form.height(), c.minHeight + 240) << c.cameras << " cameras: no row of pictures too many";
    }
}
