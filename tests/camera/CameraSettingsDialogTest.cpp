// The camera and grabber settings dialogs: values that make no sense keep it open with a
// message and change nothing; OK hands over the checked values; Cancel
// leaves the settings as they were.
#include "camera/CameraSettingsDialog.h"
#include "camera/GrabberSettingsDialog.h"
#include "widgets/MessageBoxSeam.h"

#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmar::camera;

namespace {

struct Boxes {
    Boxes()
    {
        velmar::shell::ui::setMessageBoxHandler(
            [this](QWidget*, const QString& text, const QString& caption, QMessageBox::Icon,
                   QMessageBox::StandardButtons) {
                shown << caption + ": " + text;
                return QMessageBox::Ok;
            });
    }
    ~Boxes() { velmar::shell::ui::setMessageBoxHandler({}); }
    QStringList shown;
};

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
                          {"PreSample", "-1"},    {"PostSample", "-0.5"}, {"outputDirectory", "/proc/no/such"}};
    for (const Case& c : cases) {
        Boxes boxes;
        const TCamSettings before = DefaultCamSettings(0);
        TCameraSettings dialog(nullptr, before, {"Test Camera 0"});
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
        TCameraSettings dialog(nullptr, before, {"Test Camera 0"});
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
        TCameraSettings dialog(nullptr, before, {"Test Camera 0"});
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
