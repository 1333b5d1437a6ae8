// The camera and grabber settings dialogs: values that make no sense keep it open with a
// message and change nothing; OK hands over the checked values; Cancel
// leaves the settings as they were.
#include "camera/CameraSettingsDialog.h"
#include "camera/GrabberSettingsDialog.h"
#include "tests/support/ScriptedDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmar::camera;

namespace {

struct Boxes {
    Boxes()
    {
        dialogs.messageBox = [this](QWidget*, const QString& text, const QString& caption, QMessageBox::Icon,
                                    QMessageBox::StandardButtons) {
            shown << caption + ": " + text;
            return QMessageBox::Ok;
        };
    }
    velmar::test::ScriptedDialogs dialogs;
    QStringList shown;
};

// Two cameras: the first offers two sizes and two inputs, the second is a
// DV camcorder with one size and no inputs.
class FakeDevices : public CameraDevices {
public:
    QStringList videoDevices() override { return {"Test Camera 0", "DV Camera"}; }
    QStringList audioDevices() override { return {"Mic 0", "Mic 1"}; }
    CameraDeviceLists currentLists() override { return listsOf(current); }
    CameraDeviceLists selectDevice(int index) override
    {
        selected << index;
        current = index;
        return listsOf(index);
    }
    static CameraDeviceLists listsOf(int index)
    {
        if (index == 1)
            return {{"default", "720x576"}, {}, true};
        return {{"default", "320x240", "640x480"}, {"Camera", "Composite"}, false};
    }
    int current = 0;
    QList<int> selected;
};

template <typename W>
W* Find(TCameraSettings& d, const char* name)
{
    W* w = d.findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void SetText(TCameraSettings& d, const char* name, const QString& text)
{
    auto* edit = d.findChild<QLineEdit*>(name);
    ASSERT_NE(edit, nullptr) << name;
    edit->setText(text);
}

} // namespace

TEST(CameraSettingsDialog, RefusedValuesKeepTheDialogOpenWithAMessage)
{
    struct Case {
        const char* field;
        const char* text;
    };
    const Case cases[] = {{"GrabFrameRate", "0"}, {"GrabFrameRate", "-2"}, {"GrabFrameRate", "fast"},
                          {"PreSample", "-1"},    {"PostSample", "-0.5"},  {"outputDirectory", "/proc/no/such"},
                          {"FrameRate", "ten"}};
    for (const Case& c : cases) {
        Boxes boxes;
        const TCamSettings before = DefaultCamSettings(0);
        FakeDevices devices;
        TCameraSettings dialog(nullptr, before, devices);
        SetText(dialog, c.field, c.text);
        dialog.open();
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible()) << c.field << "=" << c.text;
        EXPECT_EQ(boxes.shown.size(), 1) << c.field << "=" << c.text;
        EXPECT_DOUBLE_EQ(dialog.settings().grabFrameRate, before.grabFrameRate);
        EXPECT_EQ(dialog.settings().outputDirectory, before.outputDirectory);
        dialog.reject();
    }
}

TEST(CameraSettingsDialog, OkTakesTheValuesAndCancelLeavesThemAsTheyWere)
{
    Boxes boxes;
    QTemporaryDir dir;
    const TCamSettings before = DefaultCamSettings(0);
    {
        FakeDevices devices;
        TCameraSettings dialog(nullptr, before, devices);
        SetText(dialog, "GrabFrameRate", "2");
        SetText(dialog, "outputDirectory", dir.filePath("new/frames"));
        dialog.open();
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_DOUBLE_EQ(dialog.settings().grabFrameRate, 2.0);
        EXPECT_EQ(dialog.settings().CameraName, "Test Camera 0");
        EXPECT_TRUE(QDir(dir.filePath("new/frames")).exists());
    }
    {
        // A refused OK first, then Cancel: nothing half-read survives.
        FakeDevices devices;
        TCameraSettings dialog(nullptr, before, devices);
        SetText(dialog, "GrabFrameRate", "3");
        SetText(dialog, "PreSample", "-1");
        dialog.open();
        dialog.accept();
        dialog.reject();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_DOUBLE_EQ(dialog.settings().grabFrameRate, before.grabFrameRate);
    }
    EXPECT_TRUE(boxes.shown.size() == 1);
}

TEST(CameraSettingsDialog, ControlsThatDependOnOthers)
{
    FakeDevices devices;
    TCameraSettings dialog(nullptr, DefaultCamSettings(0), devices);
    auto* format = Find<QComboBox>(dialog, "outputFormat");
    auto* audio = Find<QCheckBox>(dialog, "GrabAudio");
    auto* single = Find<QCheckBox>(dialog, "SingleFrame");
    auto* fullRate = Find<QCheckBox>(dialog, "GrabFullRate");
    const auto enabled = [&](const char* name) { return Find<QWidget>(dialog, name)->isEnabled(); };

    // Sound only for AVI clips: switching back to JPEG unchecks it.
    EXPECT_FALSE(audio->isEnabled());
    format->setCurrentIndex(2);
    EXPECT_TRUE(audio->isEnabled());
    EXPECT_FALSE(enabled("AudioDevice"));
    audio->setChecked(true);
    EXPECT_TRUE(enabled("AudioDevice"));
    format->setCurrentIndex(0);
    EXPECT_FALSE(audio->isEnabled());
    EXPECT_FALSE(audio->isChecked());
    EXPECT_FALSE(enabled("AudioDevice"));

    // The grab rate goes with full rate and single frames.
    fullRate->setChecked(true);
    EXPECT_FALSE(enabled("GrabFrameRate"));
    EXPECT_TRUE(enabled("PreSample"));
    single->setChecked(true);
    for (const char* name : {"GrabFullRate", "GrabFrameRate", "PreSample", "PostSample"})
        EXPECT_FALSE(enabled(name)) << name;

    // The clipboard takes single bitmaps and no files.
    single->setChecked(false);
    Find<QCheckBox>(dialog, "clipboard")->setChecked(true);
    EXPECT_TRUE(single->isChecked());
    EXPECT_EQ(format->currentIndex(), 1);
    for (const char* name :
         {"jpegQuality", "outputInitials", "outputDirectory", "selectDirectory", "SingleFrame", "outputFormat"})
        EXPECT_FALSE(enabled(name)) << name;

    // Another camera: the component takes it at once, its lists come with it.
    EXPECT_TRUE(enabled("FrameRate"));
    EXPECT_FALSE(enabled("DVReduceFrameRate"));
    auto* camera = Find<QComboBox>(dialog, "VideoDevice");
    camera->setCurrentIndex(1);
    emit camera->activated(1);
    EXPECT_EQ(devices.selected, QList<int>{1});
    EXPECT_EQ(Find<QComboBox>(dialog, "VideoSize")->count(), 2);
    EXPECT_EQ(Find<QComboBox>(dialog, "cbVideoInputs")->count(), 0);
    EXPECT_FALSE(enabled("FrameRate"));
    EXPECT_TRUE(enabled("DVReduceFrameRate"));
}

TEST(CameraSettingsDialog, OkTakesEveryControl)
{
    Boxes boxes;
    FakeDevices devices;
    TCamSettings before = DefaultCamSettings(1);
    before.VideoSize = 1;
    TCameraSettings dialog(nullptr, before, devices);
    // Numbers shown as "0.##" and "0.#".
    EXPECT_EQ(Find<QLineEdit>(dialog, "FrameRate")->text(), "10");
    EXPECT_EQ(Find<QLineEdit>(dialog, "GrabFrameRate")->text(), "0.1");
    EXPECT_EQ(Find<QLineEdit>(dialog, "PreSample")->text(), "5");
    EXPECT_EQ(Find<QComboBox>(dialog, "VideoSize")->currentText(), "320x240");

    Find<QComboBox>(dialog, "VideoSize")->setCurrentIndex(2);
    Find<QComboBox>(dialog, "cbVideoInputs")->setCurrentIndex(1);
    Find<QComboBox>(dialog, "displayScale")->setCurrentIndex(2);
    Find<QComboBox>(dialog, "GrabberRGBFormat")->setCurrentIndex(2);
    Find<QComboBox>(dialog, "outputFormat")->setCurrentIndex(2);
    Find<QCheckBox>(dialog, "GrabAudio")->setChecked(true);
    Find<QComboBox>(dialog, "AudioDevice")->setCurrentIndex(1);
    Find<QSlider>(dialog, "jpegQuality")->setValue(7);
    SetText(dialog, "FrameRate", "12.5");
    dialog.open();
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted) << boxes.shown.join('\n').toStdString();
    const TCamSettings& s = dialog.settings();
    EXPECT_EQ(s.VideoSize, 2);
    EXPECT_EQ(s.VideoInput, 1);
    EXPECT_EQ(s.DisplayScale, 2);
    EXPECT_EQ(s.FrameGrabberRGBFormat, 2);
    EXPECT_EQ(s.outputFormat, 2);
    EXPECT_TRUE(s.GrabAudio);
    EXPECT_EQ(s.AudioDevice, 1);
    EXPECT_EQ(s.jpegQuality, 70);
    EXPECT_DOUBLE_EQ(s.FrameRate, 12.5);
    EXPECT_EQ(s.CameraNumber, 1);
    EXPECT_EQ(s.CameraName, "DV Camera");
}

TEST(GrabberSettingsDialog, CamerasHeldToOneToFourAndABadIntervalRefused)
{
    Boxes boxes;
    TGrabberSettings before;
    before.nCameras = 9;
    TGrabberSettingsDlg dialog(nullptr, before);
    auto* cameras = dialog.findChild<QSpinBox*>("nCameras");
    ASSERT_NE(cameras, nullptr);
    EXPECT_EQ(cameras->value(), 4);
    cameras->setValue(0);
    EXPECT_EQ(cameras->value(), 1);
    dialog.findChild<QLineEdit*>("Interval")->setText("0");
    dialog.open();
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(dialog.settings().nCameras, 9) << "nothing taken before OK succeeds";
    dialog.findChild<QLineEdit*>("Interval")->setText("30");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.settings().nCameras, 1);
    EXPECT_DOUBLE_EQ(dialog.settings().Interval, 30.0);
}
