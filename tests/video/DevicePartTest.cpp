// The device part on its own: the size and format lists a device's caps
// give, as the host reads them, and their round trip through the settings
// file, where a shorter list wholly replaces a longer one stored before.
#include "video/DevicePart.h"

#include <gtest/gtest.h>

using namespace velmar::video;

namespace {
CapsEntry caps(const char* format, int width, int height)
{
    CapsEntry c;
    c.formatName = format;
    c.size = c.minSize = c.maxSize = {width, height};
    return c;
}
} // namespace

TEST(DevicePart, ListsWhatTheDevicesCapsOffer)
{
    DevicePart part;
    EXPECT_TRUE(part.addCaps(caps("YUY2", 640, 480)).newFormat);
    const DevicePart::Added again = part.addCaps(caps("YUY2", 320, 240));
    EXPECT_FALSE(again.newFormat) << "the format is listed once";
    EXPECT_TRUE(again.newSizes);
    EXPECT_FALSE(part.addCaps(caps("MJPG", 640, 480)).newSizes) << "the size is listed once";
    part.fixDefaults();
    const QStringList sizes = part.sizesText().split('\n');
    EXPECT_EQ(sizes.first(), "default");
    EXPECT_TRUE(sizes.contains("640x480") || sizes.contains("640 x 480")) << part.sizesText().toStdString();
    const QStringList subtypes = part.subtypesText().split('\n');
    EXPECT_EQ(subtypes.first(), "default");
    EXPECT_TRUE(subtypes.contains("MJPG") && subtypes.contains("YUY2")) << part.subtypesText().toStdString();
    EXPECT_EQ(part.subtypeAt(0), "") << "the default chooses none";
    EXPECT_EQ(part.subtypeAt(part.subtypes().count()), "");
    EXPECT_EQ(part.subtypeAt(1), subtypes.at(1));
}

TEST(DevicePart, FormatsRoundTripThroughTheSettingsFile)
{
    const QString key = TRegistry2::rootKeyPath() + "/DevicePartTest";
    DevicePart wide;
    for (int w : {160, 320, 640, 800, 1024})
        wide.addCaps(caps("YUY2", w, w * 3 / 4));
    wide.addCaps(caps("MJPG", 640, 480));
    wide.fixDefaults();
    {
        TRegistry2 reg;
        ASSERT_TRUE(reg.openKey(key, true));
        wide.writeFormats(reg);
        reg.sync();
    }
    DevicePart narrow;
    narrow.addCaps(caps("RGB24", 320, 240));
    narrow.fixDefaults();
    {
        TRegistry2 reg;
        ASSERT_TRUE(reg.openKey(key, true));
        narrow.writeFormats(reg);
        reg.sync();
    }
    DevicePart read;
    TRegistry2 reg;
    ASSERT_TRUE(reg.openKey(key, false));
    ASSERT_TRUE(read.readFormats(reg));
    EXPECT_EQ(read.sizes().entries(), narrow.sizes().entries()) << "nothing of the longer list is left";
    EXPECT_EQ(read.subtypes().entries(), narrow.subtypes().entries());

    DevicePart none;
    TRegistry2 empty;
    ASSERT_TRUE(empty.openKey(key + "/Nothing", true));
    EXPECT_FALSE(none.readFormats(empty));
    reg.deleteKey(key);
}
