// The windows of the program links offscreen: the detector status panel in
// both places, its forwarded commands, the effort statistics dialog's copy
// and the weather station's page.
#include "widgets/DavisPortDlg.h"
#include "widgets/DetectorForm.h"
#include "tests/support/ScriptedDialogs.h"
#include "widgets/StatisticsDialog.h"
#include "platform/MessageIds.h"
#include "platform/WindowMessage.h"
#include "settings/ProgramSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace velmar::shell;
using namespace velmar::platform;

namespace {

// A main window in miniature: notes the commands and pop-ups it is sent.
class Host : public QWidget, public StatusPopupTarget {
public:
    std::vector<int> commands;
    std::vector<int> popups;
    long EvStatusPopup(int id, const QPoint&) override
    {
        popups.push_back(id);
        return 0;
    }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == WindowMessageEvent::eventType()) {
            auto* m = static_cast<WindowMessageEvent*>(e);
            if (m->message() == MsgCommand)
                commands.push_back(int(m->wParam()));
            return true;
        }
        return QWidget::event(e);
    }
};

QRect boxOf(QWidget* panel, int id)
{
    TMyEdit* edit = FindMyEdit(panel, id);
    return edit ? edit->geometry() : QRect();
}

TEST(DetectorPanel, DownTheLeftSideTheGroupsStackAndOnATabTheyPair)
{
    Host host;
    TDetectorForm left(&host, 1, 0);
    TDetectorForm tab(&host, 2, 1);
    const int porpoise = PorpoisePanelBase + PanelStatusOffset;
    const int whistle = WhistlePanelBase + PanelStatusOffset;
    const int click = ClickPanelBase + PanelStatusOffset;

    EXPECT_EQ(boxOf(&left, whistle).left(), boxOf(&left, porpoise).left());
    EXPECT_GT(boxOf(&left, whistle).top(), boxOf(&left, PorpoisePanelBase + PanelLastOffset).bottom());
    EXPECT_GT(boxOf(&left, SeismicStatusId).top(), boxOf(&left, click).bottom());
    EXPECT_FALSE(FindMyEdit(&left, RecordingsTextId)) << "no recorder: no Recordings group";

    EXPECT_EQ(boxOf(&tab, whistle).top(), boxOf(&tab, porpoise).top());
    EXPECT_GT(boxOf(&tab, whistle).left(), boxOf(&tab, porpoise).right());
    EXPECT_EQ(boxOf(&tab, SeismicStatusId).top(), boxOf(&tab, click).top());
    EXPECT_GT(boxOf(&tab, SeismicStatusId).left(), boxOf(&tab, click).right());
    EXPECT_GT(boxOf(&tab, RecordingsTextId).top(), boxOf(&tab, SeismicLastShotId).bottom());

    EXPECT_EQ(FindMyEdit(&left, porpoise)->text(), "Idle");
    const DetectorPanelMetrics m = CurrentDetectorPanelMetrics();
    EXPECT_EQ(left.GetDetectorPanelWidth(), 8 + m.groupWidth());
    EXPECT_EQ(boxOf(&left, porpoise).width(), m.boxWidth());
}

TEST(DetectorPanel, ButtonsReachTheWindowItIsOn)
{
    Host host;
    TDetectorForm panel(&host, 2, 1);
    for (auto* button : panel.findChildren<QPushButton*>())
        button->click();
    std::sort(host.commands.begin(), host.commands.end());
    EXPECT_EQ(host.commands, (std::vector<int>{31026, 31046, 31066, ShowRecorderFormId}));
    auto* show = panel.findChildren<TMyButton*>().front();
    QTest::mouseClick(show, Qt::RightButton);
    EXPECT_EQ(host.popups.size(), 1u);

    // The Listening group on the things-heard form.
    QWidget heard(&host);
    CreateDetectorPanel(&heard, ListeningPanelBase, 8, 8);
    host.commands.clear();
    for (auto* button : heard.findChildren<QPushButton*>())
        button->click();
    EXPECT_EQ(host.commands, (std::vector<int>{ListeningStopId, ListeningHalfId, ListeningFullId}));
    EXPECT_TRUE(FindMyEdit(&heard, ListeningPanelBase + PanelStatusOffset));
}

TEST(StatisticsDialog, CopyPutsTheTableOnTheClipboard)
{
    velmar::nav::TrackStatistics s;
    s.total = {QStringLiteral("Total Track"), 2.0, 125};
    s.categories = {{QStringLiteral("Unknown"), 2.0, 125}};
    ui::StatisticsDialog dialog(nullptr, s);
    dialog.Copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "             \tmiles \tkm   \tTime\nTotal Track\t  2.0\t  3.7\t02:05\nUnknown\t  2.0\t  3.7\t02:05\n");
}

TEST(DavisPortDlg, APortOutsideOneToFourIsRefused)
{
    QStringList boxes;
    velmar::test::ScriptedDialogs dialogs;
    dialogs.messageBox = [&](QWidget*, const QString& text, const QString&, QMessageBox::Icon,
                             QMessageBox::StandardButtons) {
        boxes << text;
        return QMessageBox::Ok;
    };
    velmar::store::TheProgramSettings = velmar::store::ProgramSettings();
    ui::DavisPortDlg page;
    EXPECT_FALSE(page.PortEdit()->isEnabled());
    page.Switch()->click();
    EXPECT_TRUE(page.PortEdit()->isEnabled());
    for (const char* port : {"0", "5", "x"}) {
        page.PortEdit()->setText(port);
        EXPECT_FALSE(page.StoreSettings()) << port;
    }
    EXPECT_EQ(boxes.size(), 3);
    EXPECT_EQ(boxes.front(), ui::DavisPortMessage);
    page.PortEdit()->setText("4");
    EXPECT_TRUE(page.StoreSettings());
    EXPECT_TRUE(velmar::store::TheProgramSettings.CollectWeather);
    EXPECT_EQ(velmar::store::TheProgramSettings.WeatherPort, 4);
}

} // namespace
