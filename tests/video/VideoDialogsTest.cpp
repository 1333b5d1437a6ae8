// The video component's windows offscreen: the motion grid dialog (clicks,
// drags, Cancel), the settings dialog over a device's controls and over an
// element's properties, and the component showing them.
#include "FakeV4l2Device.h"
#include "video/DeviceSettings.h"
#include "video/Ombrix.h"
#include "video/SyncManager.h"
#include "video/TestDeviceProvider.h"
#include "video/ui/GridDialog.h"
#include "video/ui/PropertyDialog.h"
#include "video/ui/VideoDialogsUi.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <gst/gst.h>

using namespace velmar::video;
using namespace velmar::video::testing;

namespace {
void mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), type == QEvent::MouseMove ? Qt::NoButton : button,
                  held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The middle of a cell of the dialog's picture.
QPoint middleOf(const TfrmGridDialog& d, int x, int y, int columns, int rows)
{
    const int cw = int(std::nearbyint(double(d.imgGrid()->width()) / columns));
    const int ch = int(std::nearbyint(double(d.imgGrid()->height()) / rows));
    return {x * cw + cw / 2, y * ch + ch / 2};
}

void click(TfrmGridDialog& d, QPoint pos)
{
    mouse(d.imgGrid(), QEvent::MouseButtonPress, pos);
    mouse(d.imgGrid(), QEvent::MouseButtonRelease, pos);
}

// Runs once the next modal dialog of type D is up.
template <typename D, typename F>
void whenShown(F action)
{
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        action(dialog);
    });
}
} // namespace

TEST(GridDialog, ClicksToggleCellsAndDragsCarryTheFirstLevel)
{
    TImplMotionDetector detector;
    ASSERT_TRUE(detector.setGridSize(4, 3));
    TfrmGridDialog dialog;
    dialog.prepare(&detector);
    EXPECT_EQ(dialog.updCurrentLevel()->value(), 5) << "the mean of the cells that are on";
    const QPoint cell11 = middleOf(dialog, 1, 1, 4, 3);
    EXPECT_EQ(dialog.cellAt(cell11), QPoint(1, 1));

    struct Step {
        const char* legend;
        const char* grid;
    } steps[] = {
        {"a cell at 5 goes off", "5555 5055 5555"},
        {"a second click puts it back at the click level", "5555 5555 5555"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.legend);
        click(dialog, cell11);
        EXPECT_EQ(detector.grid(), s.grid);
    }

    dialog.updCurrentLevel()->setValue(7);
    EXPECT_EQ(detector.clickLevel(), 7);
    click(dialog, middleOf(dialog, 0, 0, 4, 3)); // off
    mouse(dialog.imgGrid(), QEvent::MouseButtonPress, middleOf(dialog, 0, 0, 4, 3));
    mouse(dialog.imgGrid(), QEvent::MouseMove, middleOf(dialog, 1, 0, 4, 3));
    mouse(dialog.imgGrid(), QEvent::MouseMove, middleOf(dialog, 2, 0, 4, 3));
    mouse(dialog.imgGrid(), QEvent::MouseButtonRelease, middleOf(dialog, 2, 0, 4, 3));
    EXPECT_EQ(detector.grid(), "0005 5555 5555") << "the drag switched the cells it crossed off";

    dialog.updGlobalLevelUp()->click();
    EXPECT_EQ(detector.grid(), "0006 6666 6666");
    dialog.btnEnableAll()->click();
    EXPECT_EQ(detector.grid(), "7777 7777 7777");
    dialog.btnClearAll()->click();
    EXPECT_EQ(detector.grid(), "0000 0000 0000");
    dialog.btnOK()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(detector.grid(), "0000 0000 0000") << "OK keeps what was set";

    dialog.prepare(&detector);
    EXPECT_EQ(dialog.updCurrentLevel()->value(), 5) << "every cell off opens with level 5";

    // The grid lines of four columns: white at each column's left edge.
    const QImage drawn = dialog.imgGrid()->pixmap().toImage();
    const int cw = int(std::nearbyint(double(drawn.width()) / 4));
    EXPECT_EQ(drawn.pixelColor(cw, drawn.height() / 3 + 3), QColor(Qt::white));
    EXPECT_EQ(drawn.pixelColor(cw + 3, drawn.height() / 3 + 3), QColor(Qt::black));
}

TEST(GridDialog, CancelPutsBackTheGridItOpenedWith)
{
    TImplMotionDetector detector;
    detector.setGridSize(2, 2);
    TfrmGridDialog dialog;
    dialog.prepare(&detector);
    click(dialog, middleOf(dialog, 1, 1, 2, 2));
    EXPECT_EQ(detector.grid(), "55 50") << "changes reach the detector while the dialog is open";
    dialog.btnCancel()->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(detector.grid(), "55 55");
}

TEST(PropertyDialog, DeviceControlsAreWrittenOnlyOnOk)
{
    auto state = webcamState();
    FakeV4l2Device device(state);
    V4l2PropertySource source(device);
    const QString brightness = QString::number(V4L2_CID_BRIGHTNESS);
    {
        TPropertyDialog dialog("Camera", source);
        EXPECT_EQ(dialog.itemCount(), state->controls.size());
        auto* spin = qobject_cast<QSpinBox*>(dialog.editor(brightness));
        ASSERT_NE(spin, nullptr);
        EXPECT_EQ(spin->value(), 100);
        EXPECT_EQ(spin->maximum(), 255);
        auto* exposure = qobject_cast<QComboBox*>(dialog.editor(QString::number(V4L2_CID_EXPOSURE_AUTO)));
        ASSERT_NE(exposure, nullptr);
        EXPECT_EQ(exposure->count(), 2) << "only the entries the camera offers";
        EXPECT_EQ(exposure->currentText(), "Aperture Priority Mode");
        spin->setValue(10);
        dialog.reject();
    }
    EXPECT_TRUE(state->writes.isEmpty()) << "Cancel changes nothing";
    {
        TPropertyDialog dialog("Camera", source);
        qobject_cast<QSpinBox*>(dialog.editor(brightness))->setValue(10);
        state->failingControls << V4L2_CID_ZOOM_ABSOLUTE;
        qobject_cast<QSpinBox*>(dialog.editor(QString::number(V4L2_CID_ZOOM_ABSOLUTE)))->setValue(200);
        dialog.accept();
        EXPECT_EQ(dialog.refused(), QStringList{"Zoom, Absolute"});
    }
    ASSERT_EQ(state->writes.size(), 1) << "only what changed is written";
    EXPECT_EQ(state->values[V4L2_CID_BRIGHTNESS], 10);
}

TEST(PropertyDialog, ElementPropertiesRoundTrip)
{
    gst_init(nullptr, nullptr);
    GstElement* element = gst_element_factory_make("videotestsrc", nullptr);
    ASSERT_NE(element, nullptr);
    gst_object_ref_sink(element);
    {
        ElementPropertySource source(element);
        TPropertyDialog dialog("Test source", source);
        auto* pattern = qobject_cast<QComboBox*>(dialog.editor("pattern"));
        ASSERT_NE(pattern, nullptr);
        EXPECT_EQ(pattern->currentText(), "smpte");
        pattern->setCurrentIndex(pattern->findText("ball"));
        qobject_cast<QCheckBox*>(dialog.editor("is-live"))->setChecked(true);
        dialog.accept();
    }
    gint pattern = 0;
    gboolean live = FALSE;
    g_object_get(element, "pattern", &pattern, "is-live", &live, nullptr);
    EXPECT_EQ(pattern, 18) << "ball";
    EXPECT_TRUE(live);
    gst_object_unref(element);
}

class ComponentDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        TRegistry2::DeleteSettingsKey();
        auto provider = std::make_unique<TestDeviceProvider>();
        provider->addVideoDevice("/dev/test0", "Test Camera", {{320, 240}});
        provider->addVideoDevice("/dev/test1", "Plain Camera", {{320, 240}});
        provider->addVideoDevice("/dev/test2", "TV Card", {{320, 240}});
        SetDeviceProvider(std::move(provider));
        TSyncManager::ensure();
        SetV4l2Opener([this](const QString& path) -> std::unique_ptr<V4l2Device> {
            if (path == "/dev/test2")
                return std::make_unique<FakeV4l2Device>(m_card);
            return path == "/dev/test0" ? std::make_unique<FakeV4l2Device>(m_camera) : nullptr;
        });
        InstallVideoDialogs();
    }
    void TearDown() override
    {
        SetV4l2Opener({});
        TSyncManager::destroy();
    }
    std::shared_ptr<FakeV4l2State> m_camera = webcamState();
    std::shared_ptr<FakeV4l2State> m_card = tvCardState();
};

TEST_F(ComponentDialogs, DeviceDialogChangesAreKeptWithTheDevice)
{
    {
        TOmbrix c;
        c.setVideoDevice(0);
        ASSERT_TRUE(c.BindVideoDevice());
        EXPECT_EQ(c.DeviceControls().GetVideoQuality(vq_Brightness), 100);
        EXPECT_TRUE(c.IsDialogAvailable(dlg_VideoDevice));
        EXPECT_FALSE(c.IsDialogAvailable(dlg_TVTuner));
        QSignalSpy selected(&c, &TOmbrix::OnVideoDeviceSelected);
        QSignalSpy logs(&c, &TOmbrix::OnLog);

        whenShown<TPropertyDialog>([](TPropertyDialog* d) { d->reject(); });
        EXPECT_FALSE(c.ShowDialog(dlg_VideoDevice));
        EXPECT_TRUE(m_camera->writes.isEmpty());

        whenShown<TPropertyDialog>([](TPropertyDialog* d) {
            qobject_cast<QSpinBox*>(d->editor(QString::number(V4L2_CID_BRIGHTNESS)))->setValue(42);
            d->accept();
        });
        EXPECT_TRUE(c.ShowDialog(dlg_VideoDevice));
        EXPECT_EQ(m_camera->values[V4L2_CID_BRIGHTNESS], 42);
        EXPECT_EQ(c.DeviceControls().GetVideoQuality(vq_Brightness), 42) << "read back after the dialog";
        EXPECT_EQ(selected.count(), 1);

        EXPECT_FALSE(c.ShowDialog(dlg_TVTuner));
        ASSERT_FALSE(logs.isEmpty());
        EXPECT_EQ(logs.last().at(2).toString(), "no dialog for this device");
        EXPECT_FALSE(c.SendDVCommand(0));
    }
    // Another camera of the same name later: the stored value wins over the device's.
    m_camera->values[V4L2_CID_BRIGHTNESS] = 100;
    TOmbrix again;
    again.setVideoDevice(0);
    ASSERT_TRUE(again.BindVideoDevice());
    EXPECT_EQ(again.DeviceControls().GetVideoQuality(vq_Brightness), 42);
}

TEST_F(ComponentDialogs, GridDialogOfTheComponent)
{
    TOmbrix c;
    c.MotionDetector().setGridSize(3, 1);
    whenShown<TfrmGridDialog>([](TfrmGridDialog* d) {
        click(*d, middleOf(*d, 2, 0, 3, 1));
        d->btnOK()->click();
    });
    EXPECT_TRUE(c.MotionDetector_ShowGridDialog());
    EXPECT_EQ(c.MotionDetector().grid(), "550");
    QObject* form = c.MotionDetector_EnumGridDialogControls(true);
    EXPECT_EQ(form, GridDialogOf(c));
    int controls = 0;
    while (c.MotionDetector_EnumGridDialogControls(false))
        ++controls;
    EXPECT_GE(controls, 10);
}

TEST_F(ComponentDialogs, AddedFilterListsAndTheirDialog)
{
    TOmbrix c;
    QSignalSpy logs(&c, &TOmbrix::OnLog);
    EXPECT_EQ(c.ThirdPartyFilter_AddToList(tpf_VideoPreview, "videobalance", "Balance", true, true), 0);
    EXPECT_EQ(c.ThirdPartyFilter_AddToList(tpf_VideoPreview, "videobalance", "Again", true, false), -1);
    ASSERT_EQ(logs.count(), 1);
    EXPECT_EQ(logs.last().at(2).toString(), "filter inserted more than 1 time: Balance");
    EXPECT_EQ(c.ThirdPartyFilter_AddToList(tpf_VideoPreview, "videoflip", "Flip", true, false), 1);

    // A freed entry before a listed one does not let that one in twice.
    EXPECT_TRUE(c.ThirdPartyFilter_RemoveFromList(tpf_VideoPreview, 0));
    EXPECT_FALSE(c.ThirdPartyFilter_Enable(tpf_VideoPreview, 0, true)) << "a free entry";
    EXPECT_EQ(c.ThirdPartyFilter_AddToList(tpf_VideoPreview, "videoflip", "Flip", true, false), -1);
    EXPECT_EQ(c.ThirdPartyFilter_AddToList(tpf_VideoPreview, "videobalance", "Balance", true, true), 0);

    for (int i = 2; i < 10; ++i)
        EXPECT_EQ(c.ThirdPartyFilter_AddToList(tpf_AudioRender, QString("f%1").arg(i), "", true, false), i - 2);
    EXPECT_EQ(c.ThirdPartyFilter_AddToList(tpf_AudioRender, "f10", "", true, false), 8);
    EXPECT_EQ(c.ThirdPartyFilter_AddToList(tpf_AudioRender, "f11", "", true, false), 9);
    const int before = logs.count();
    EXPECT_EQ(c.ThirdPartyFilter_AddToList(tpf_AudioRender, "f12", "", true, false), -1) << "full";
    EXPECT_EQ(logs.count(), before) << "without a message";

    // The dialog of a filter whose state is kept: what is set comes back next time.
    whenShown<TPropertyDialog>([](TPropertyDialog* d) {
        qobject_cast<QDoubleSpinBox*>(d->editor("saturation"))->setValue(1.5);
        d->accept();
    });
    EXPECT_TRUE(c.ThirdPartyFilter_ShowDialog(tpf_VideoPreview, 0));
    double shown = 0;
    whenShown<TPropertyDialog>([&shown](TPropertyDialog* d) {
        shown = qobject_cast<QDoubleSpinBox*>(d->editor("saturation"))->value();
        d->reject();
    });
    EXPECT_TRUE(c.ThirdPartyFilter_ShowDialog(tpf_VideoPreview, 0));
    EXPECT_DOUBLE_EQ(shown, 1.5);
    EXPECT_FALSE(c.ThirdPartyFilter_ShowDialog(tpf_VideoPreview, 5)) << "a free entry";
}

TEST_F(ComponentDialogs, CompressorChoiceAndDialog)
{
    TOmbrix c;
    QSignalSpy logs(&c, &TOmbrix::OnLog);
    TDevices* catalogue = VideoCompressorCatalogue();
    ASSERT_NE(catalogue, nullptr);
    int theora = -1;
    for (int i = 0; i < catalogue->count(); ++i)
        if (catalogue->entry(i)->classId == "theoraenc")
            theora = i;
    ASSERT_GE(theora, 0) << "the Theora encoder of the base plug-ins";

    c.setVideoCompressor(catalogue->count() + 5);
    EXPECT_EQ(c.VideoCompressor(), 0) << "refused";
    ASSERT_FALSE(logs.isEmpty());
    EXPECT_EQ(logs.last().at(2).toString(), "index of video compressor out of range");
    c.setVideoCompressor(theora);
    EXPECT_EQ(c.VideoCompressor(), theora);

    whenShown<TPropertyDialog>([](TPropertyDialog* d) {
        qobject_cast<QSpinBox*>(d->editor("quality"))->setValue(20);
        d->accept();
    });
    EXPECT_TRUE(c.ShowDialog(dlg_VideoCompressor));
    int shown = 0;
    whenShown<TPropertyDialog>([&shown](TPropertyDialog* d) {
        shown = qobject_cast<QSpinBox*>(d->editor("quality"))->value();
        d->reject();
    });
    EXPECT_FALSE(c.ShowDialog(dlg_VideoCompressor));
    EXPECT_EQ(shown, 20) << "the compressor's state comes back";
}

TEST_F(ComponentDialogs, ADeviceWithoutControlsShowsItsRunningSource)
{
    TOmbrix c;
    QSignalSpy logs(&c, &TOmbrix::OnLog);
    c.setVideoDevice(1);
    ASSERT_TRUE(c.BindVideoDevice());
    EXPECT_EQ(c.DeviceControls().device(), nullptr);
    EXPECT_FALSE(c.ShowDialog(dlg_VideoDevice)) << "nothing running to show";
    EXPECT_EQ(logs.last().at(2).toString(), "no dialog for this device");

    ASSERT_TRUE(c.StartPreview());
    QElapsedTimer limit;
    limit.start();
    while (c.GraphState() != gs_Active && limit.elapsed() < 10000) {
        c.TaskStep();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    ASSERT_EQ(c.GraphState(), gs_Active);
    QString pattern;
    whenShown<TPropertyDialog>([&pattern](TPropertyDialog* d) {
        if (auto* combo = qobject_cast<QComboBox*>(d->editor("pattern")))
            pattern = combo->currentText();
        d->reject();
    });
    EXPECT_FALSE(c.ShowDialog(dlg_VideoDevice));
    EXPECT_EQ(pattern, "smpte") << "the test source's own settings";
    c.StopPreview();
}

TEST_F(ComponentDialogs, TunerScanOfTheComponent)
{
    TOmbrix c;
    QSignalSpy logs(&c, &TOmbrix::OnLog);
    QSignalSpy tuned(&c, &TOmbrix::OnTVChannelSelected);
    QSignalSpy started(&c, &TOmbrix::OnTVChannelScanStarted);
    QSignalSpy completed(&c, &TOmbrix::OnTVChannelScanCompleted);
    c.setVideoDevice(2);
    ASSERT_TRUE(c.BindVideoDevice());
    TDeviceControls& tv = c.DeviceControls();
    ASSERT_TRUE(tv.IsTVTunerAvailable());
    EXPECT_TRUE(c.IsDialogAvailable(dlg_TVTuner));
    EXPECT_FALSE(c.TVStartAutoScan());
    EXPECT_EQ(logs.last().at(2).toString(), "TV tuner input not selected!");

    tv.TVSetChannelFrequencyOverride(21, 471250000);
    tv.TVSetChannelFrequencyOverride(22, 479250000);
    ASSERT_TRUE(c.setVideoInput(0));
    EXPECT_EQ(tuned.count(), 0) << "channel 0 has no frequency";
    ASSERT_TRUE(c.TVStartAutoScan());
    ASSERT_EQ(started.count(), 1);
    EXPECT_EQ(started.first().at(0).toInt(), 21);
    EXPECT_EQ(started.first().at(1).toInt(), 22);
    // The steps the component's timer would post.
    for (int i = 0; i < 3 && completed.isEmpty(); ++i)
        c.ExecuteCommand(WMProcessContinueTVAutoScan);
    EXPECT_EQ(tuned.count(), 2);
    EXPECT_EQ(completed.count(), 1);
    EXPECT_EQ(m_card->frequency, 479250000u);
}
