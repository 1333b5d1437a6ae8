// The main window's map service as the running program binds it: a map item
// is drawn only while a form still holds it (a message may outlive its item),
// the map's read-outs empty on request, and a purge draws the map again.
#include "forms/UserFormInfo.h"
#include "forms/UserPlotThing.h"
#include "nav/GpsReadout.h"
#include "nav/RecentEventDispatch.h"
#include "shell/MainWindowEvents.h"
#include "shell/MapService.h"
#include "shell/MapWiring.h"
#include "shell/SettingsDialogService.h"
#include "widgets/MyControls.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace velmar::shell;

TEST(MapWiring, OnlyItemsAFormHoldsAreDrawnAndTheReadoutsEmptyOnRequest)
{
    MapService& map = BindMapService(nullptr, NoSettingsDialogs());
    QWidget parent;
    QWidget* window = map.MakeMap(&parent);
    ASSERT_NE(window, nullptr);

    velmar::forms::TUserFormInfo form(QStringLiteral("UDF_Sightings"), 0);
    velmar::forms::USERPLOTTHING& held = velmar::forms::AddUserPlotThing(form, {});
    map.PlotItem(qint64(reinterpret_cast<quintptr>(&held)));
    // Values that name no item a form holds are not read through.
    map.PlotItem(qint64(reinterpret_cast<quintptr>(&form)));
    map.PlotItem(7);
    velmar::forms::ClearUserPlotThings();
    map.PlotItem(qint64(reinterpret_cast<quintptr>(&held)));

    TMyEdit* latitude = FindMyEdit(window, velmar::nav::ControlLatitude);
    ASSERT_NE(latitude, nullptr);
    latitude->setText(QStringLiteral("56 00.000 N"));
    map.ShowEmptyGpsData();
    EXPECT_EQ(latitude->text(), QStringLiteral("No Data"));

    // A purge that dropped something draws the map again.
    EXPECT_TRUE(bool(TheRecentEventDispatch().ports.redrawMap));
}
