// Stored settings, catalogues and the process log of the video component.
#include "video/DeviceCatalogue.h"
#include "video/DeviceSettings.h"
#include "video/ProcessLog.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmar::video;

TEST(StoredSettings, RootPathAndTypedReads)
{
    registryOptions().regKeyId = "Soft\\Mine";
    EXPECT_EQ(TRegistry2::rootKeyPath(), "Soft/Mine");
    registryOptions().regKeyId = "ab";
    EXPECT_EQ(TRegistry2::rootKeyPath(), "Software/TOmbrix");
    registryOptions().regKeyId = "\\Software\\TOmbrix\\";

    {
        TRegistry2 reg;
        ASSERT_TRUE(reg.openKey(TRegistry2::globalKeyPath(), true));
        reg.writeInteger("Count", 4);
        reg.writeFloat("Rate", 29.97);
        reg.writeBinaryData("Block", QByteArray(10, 'b'));
        reg.writeString("Name", "a, b");
        reg.sync();
    }
    TRegistry2 reg;
    EXPECT_FALSE(reg.openKey(TRegistry2::rootKeyPath() + "/Missing", false));
    ASSERT_TRUE(reg.openKey(TRegistry2::globalKeyPath(), false));
    int n = 0;
    double d = 0;
    QString s;
    QByteArray b;
    EXPECT_TRUE(reg.readInteger("Count", n));
    EXPECT_EQ(n, 4);
    EXPECT_TRUE(reg.readFloat("Rate", d));
    EXPECT_DOUBLE_EQ(d, 29.97);
    EXPECT_FALSE(reg.readFloat("Count", d)) << "an integer is no 8-byte value";
    EXPECT_FALSE(reg.readBinaryData("Block", b, 11)) << "the size must match exactly";
    EXPECT_TRUE(reg.readBinaryData("Block", b, 10));
    EXPECT_TRUE(reg.readString("Name", s));
    EXPECT_EQ(s, "a, b");
    EXPECT_FALSE(reg.readInteger("Nothing", n));
}

TEST(StoredSettings, NewBuildWipesEarlierValues)
{
    {
        TRegistry2 reg;
        reg.openKey(TRegistry2::deviceKeyPath("old device"), true);
        reg.writeInteger("VideoSize", 3);
        reg.sync();
    }
    TRegistry2::CheckVersionKey();
    TRegistry2 reg;
    EXPECT_FALSE(reg.keyExists(TRegistry2::deviceKeyPath("old device")));
    {
        TRegistry2 again;
        again.openKey(TRegistry2::deviceKeyPath("kept"), true);
        again.writeInteger("VideoSize", 3);
        again.sync();
    }
    TRegistry2::CheckVersionKey(); // the same build keeps what it stored
    TRegistry2 after;
    EXPECT_TRUE(after.keyExists(TRegistry2::deviceKeyPath("kept")));
}

TEST(StoredSettings, DeviceTables)
{
    TDeviceSettings video(TDeviceSettings::Video);
    TDeviceSettings audio(TDeviceSettings::Audio);
    ASSERT_EQ(video.settings().size(), 57);
    ASSERT_EQ(audio.settings().size(), 13);
    EXPECT_EQ(video.value("_AudioInputLevelAssociated").toInt(), 50000);
    EXPECT_EQ(video.value("VideoQualityAuto").toBool(), true);

    const QString key = TRegistry2::deviceKeyPath("devvideo0 Cam");
    EXPECT_FALSE(video.load(key, true)) << "no key yet";
    video.setValue("VideoSize", 2);
    video.setValue("_IsTVTunerAvail", true);
    video.setValue("_DeviceDiscovered", true);
    video.save(key);

    TRegistry2 reg;
    reg.openKey(key, false);
    int size = 0;
    EXPECT_TRUE(reg.readInteger("VideoQualityValuesSize", size));
    EXPECT_EQ(size, 240);

    TDeviceSettings partial(TDeviceSettings::Video);
    EXPECT_TRUE(partial.load(key, false));
    EXPECT_EQ(partial.value("VideoSize").toInt(), 0) << "choices are read only when stored settings are on";
    EXPECT_TRUE(partial.value("_IsTVTunerAvail").toBool());
    TDeviceSettings all(TDeviceSettings::Video);
    EXPECT_TRUE(all.load(key, true));
    EXPECT_EQ(all.value("VideoSize").toInt(), 2);
    EXPECT_EQ(all.value("CameraControlValues ").toByteArray().size(), 168);
}

TEST(Catalogue, NamesOccurrencesAndConnections)
{
    QList<DeviceDescription> video{{"/dev/video0", "Cam", DeviceCategory::VideoInput, {}, {}},
                                   {"/dev/video1", "Cam", DeviceCategory::VideoInput, {}, {}},
                                   {"/dev/video2", "XYZ Audio Capture", DeviceCategory::VideoInput, {}, {}}};
    TDevices audio(1, [] { return QList<DeviceDescription>{}; });
    TDevices devices(
        0, [&] { return video; }, &audio);
    EXPECT_EQ(devices.nameList(), (QStringList{"Cam (WDM)", "Cam #2 (WDM)"}));
    EXPECT_EQ(audio.nameList(), (QStringList{"XYZ Audio Capture (WDM)"}));
    EXPECT_EQ(devices.deviceRegistryKey(0), "devvideo0Cam");
    EXPECT_EQ(devices.deviceRegistryKey(5), "");

    // Unplugged and plugged again: the same index, connection tracked.
    const DeviceDescription first = video.takeFirst();
    devices.rebuild();
    EXPECT_FALSE(devices.isConnected(0));
    EXPECT_TRUE(devices.entry(0)->wasConnected);
    EXPECT_EQ(devices.count(), 2);
    video.append(first);
    devices.rebuild();
    EXPECT_TRUE(devices.isConnected(0));
    EXPECT_FALSE(devices.entry(0)->wasConnected);
    EXPECT_EQ(devices.nameAt(0), "Cam (WDM)");
    EXPECT_EQ(audio.count(), 1);
    EXPECT_TRUE(audio.isConnected(0));

    DeviceDescription found;
    EXPECT_TRUE(TDevices::FindDevice(video, "Audio!XYZ", 2, found));
    EXPECT_EQ(found.path, "/dev/video2");
    EXPECT_FALSE(TDevices::FindDevice(video, "cam", 1, found)) << "case-sensitive";
    EXPECT_TRUE(TDevices::FindDevice(video, "devvideo0Cam", 3, found));

    QStringList compressors{"Cinepak", "Indeo", "MPEG-4 Encoder"};
    TDevices::ReorderPreferred(compressors, {"MPEG-4", "MPEG", "DIVX"});
    EXPECT_EQ(compressors.first(), "MPEG-4 Encoder");
    QStringList audioCodecs{"IMA ADPCM", "PCM", "GSM"};
    TDevices::ReorderPreferred(audioCodecs, {"PCM"}, {"ADPCM"});
    EXPECT_EQ(audioCodecs.first(), "PCM");
}

TEST(ProcessLog, EntriesTimesAndMarkers)
{
    QTemporaryDir dir;
    TLog& log = TLog::instance();
    log.reset();
    log.setFileName(dir.path() + "/tolvexlog.rtf");
    qint64 now = 1000;
    log.setTickSource([&] { return now; });
    log.write(cfBlue, "not written while disabled");
    EXPECT_TRUE(log.lines().isEmpty());
    log.enable();
    log.write(cfBlue, "first");
    now += 1500;
    log.write(cfBlue, "second");
    log.write('+', cfPurple, "framed");
    const QStringList lines = log.lines();
    ASSERT_EQ(lines.size(), 15);
    EXPECT_TRUE(lines.at(5).contains("BEGIN TOmbrix v"));
    EXPECT_EQ(lines.at(8).toStdString(), "\\cf2 0.000 first\\par");
    EXPECT_EQ(lines.at(9).toStdString(), "\\cf2 1.500 second\\par");
    EXPECT_EQ(lines.at(10).toStdString(), "\\par");
    EXPECT_EQ(lines.at(11), "\\cf6 " + QString(70, '+') + "\\par");
    EXPECT_EQ(lines.at(12).toStdString(), "\\cf5 0.000 framed\\par");
    EXPECT_EQ(lines.at(13), lines.at(11));
    QFile file(dir.path() + "/tolvexlog.rtf");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().trimmed().endsWith("}"));
    log.reset();
    log.setTickSource({});
    log.setFileName({});
}
