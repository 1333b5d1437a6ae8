#include "shell/MapWiring.h"

#include "forms/UserFormInfo.h"
#include "forms/UserFormMapKey.h"
#include "forms/UserFormPlotMenu.h"
#include "forms/UserPlotThing.h"
#include "forms/ui/THeardForm.h"
#include "forms/ui/UserFormPlotMenus.h"
#include "map/ui/MapUi.h"
#include "map/ui/TMapPlot.h"
#include "widgets/MessageInfo.h"
#include "platform/RunMode.h"
#include "nav/GpsFixList.h"
#include "nav/HeardSpecies.h"
#include "nav/RecentEventDispatch.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowEvents.h"
#include "shell/MapService.h"
#include "shell/SettingsDialogService.h"
#include "shell/TV2000Window.h"
#include "shell/ui/SmallForms.h"
#include "shell/ui/SettingsChecks.h"
#include "widgets/MessageBoxSeam.h"
#include "widgets/SettingsSheet.h"
#include "widgets/DialogService.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <chrono>

namespace velmar::shell {

namespace {

map::MapRecord RecordOf(const forms::USERPLOTTHING& item, int32_t colour, int32_t symbol)
{
    const forms::TUserFormInfo& form = *item.form;
    map::MapRecord r;
    r.hasFix = item.gpsIndex != 0;
    r.fix = map::FixRef{form.GpsDataSet, item.gpsIndex};
    r.hasTime = item.hasTime;
    r.time = item.time;
    if (item.range)
        r.range = *item.range;
    if (item.bearing)
        r.bearing = *item.bearing;
    if (item.heading)
        r.heading = *item.heading;
    r.colour = colour;
    r.symbolSize = form.Symbol.size;
    r.symbolNumber = symbol != 0 ? symbol : form.Symbol.symbol;
    r.filled = form.Symbol.filled != 0;
    r.line = form.Symbol.lineFlag != 0;
    r.bearingType = form.BearingReference;
    r.mark = map::HeadingMark{form.HeadingReference, double(form.HeadingLength), double(form.HeadingWidth),
                              form.HeadingColour,    form.HeadingPlot != 0,      form.HeadingUnits};
    r.interpolate = form.InterpolateGps != 0;
    r.hydrophoneLength = form.HydrophoneLength;
    r.label1 = item.GetLabel(1);
    r.label2 = item.GetLabel(2);
    r.lineCount = item.lineCount;
    r.widestLine = item.widestLine;
    return r;
}

std::vector<map::MapRecord> PlottedRecords()
{
    std::vector<map::MapRecord> out;
    for (const forms::TUserFormInfo* form : forms::UserFormList())
        for (const auto& item : form->PlotThings) {
            int32_t colour = 0, symbol = 0;
            if (item->GetPlotStyle(&colour, &symbol))
                out.push_back(RecordOf(*item, colour, symbol));
        }
    return out;
}

std::vector<map::EffortChange> EffortLine()
{
    std::vector<map::EffortChange> out;
    TV2000Window* window = MainWindowHandle();
    const EffortList* line = window ? window->Commands().GetEffortLine() : nullptr;
    if (line)
        for (const EffortPoint& p : *line)
            out.push_back({p.gpsIndex, int32_t(p.colour)});
    return out;
}

void DisplaySettings(QWidget* parent, const QString& page, SettingsDialogService& dialogs)
{
    ui::SettingsPage* made = dialogs.MakePage(page);
    if (!made) {
        ui::ShowMessageBox(parent, QStringLiteral("The %1 page is not available in this programme").arg(page),
                           QStringLiteral("Display Settings"), QMessageBox::Warning);
        return;
    }
    ui::SettingsSheet sheet(parent, QStringLiteral("Display Settings"));
    sheet.AddPage(made);
    ui::Dialogs().RunSheet(sheet);
}

// A user form's new item: its area of the map is drawn again.
void PlotUserItem(forms::USERPLOTTHING& item)
{
    map::TMapWindow* window = map::TheMapWindow();
    if (!window || !item.form)
        return;
    const nav::GPSTHING* fix = nav::FindGpsFixByIndex(item.gpsIndex, item.form->GpsDataSet);
    window->PlotUserRecord(fix, item.bearing.value_or(0), item.range.value_or(0));
}

// Test hook: VELMAR_MAP_SNAPSHOT names a PNG file that holds what the map
// window shows, written again twice a second.
void ArmMapSnapshots()
{
    constexpr int SnapshotMs = 500;
    const QString path = qEnvironmentVariable("VELMAR_MAP_SNAPSHOT");
    if (path.isEmpty())
        return;
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [path] {
        if (map::TMapWindow* window = map::TheMapWindow())
            window->grab().save(path, "PNG");
    });
    timer->start(SnapshotMs);
}

qint64 MonotonicMs()
{
    // The steady clock is the system's monotonic clock, which every process
    // reads alike.
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Test hook: VELMAR_PAINT_LOG names a file to which every paint of the map
// window (or of a widget inside it) appends a line with the monotonic clock's
// milliseconds, so that a benchmark can tell whether the window kept
// redrawing while the program worked.
class MapPaintLog : public QObject {
public:
    explicit MapPaintLog(const QString& path) : QObject(qApp), m_file(path)
    {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            qWarning("paint log %s cannot be opened", qPrintable(path));
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_file.isOpen() && watched->isWidgetType()) {
            const map::TMapWindow* window = map::TheMapWindow();
            const auto* widget = static_cast<QWidget*>(watched);
            if (window && (widget == window || window->isAncestorOf(widget)))
                m_file.write(QByteArray::number(MonotonicMs()) + '\n');
        }
        return false;
    }

private:
    QFile m_file;
};

void ArmMapPaintLog()
{
    const QString path = qEnvironmentVariable("VELMAR_PAINT_LOG");
    if (!path.isEmpty())
        qApp->installEventFilter(new MapPaintLog(path));
}

} // namespace

class MapWindowService final : public MapService {
public:
    QWidget* MakeMap(QWidget* parent) override { return map::MakeMapWindow(parent); }
    void LoadMapFile(const QString& path) override { map::LoadMapFile(path); }
    void ReadStaticObjects() override { map::ReadStaticObjects(); }
    void BuildPlotMenu(QWidget* window) override { map::BuildPlotMenu(window); }
    void ShowZoomStepSizeDialog(QWidget* parent) override { ui::ShowZoomStepSizeDialog(parent); }
    bool ShowMenuStyleDialog(QWidget* parent) override { return ui::ShowMenuStyleDialog(parent); }
    bool PrintMap(QWidget* window, QPainter& painter, QPrinter& printer) override
    {
        map::PrintMapPlot(window, painter, printer);
        return true;
    }
    void Redraw(bool refit, bool reset) override { map::RedrawMap(refit, reset); }
    void ShowEmptyGpsData() override { map::ShowEmptyGpsData(); }
    void NewGpsFix(const platform::SystemTime& time) override { map::NewGpsFix(time); }
    void CheckTrack() override { map::CheckTrack(); }
    // The message may outlive the item it names: only an item a form still
    // holds is drawn.
    void PlotItem(qint64 item) override
    {
        for (const forms::TUserFormInfo* form : forms::UserFormList())
            for (const auto& thing : form->PlotThings)
                if (reinterpret_cast<quintptr>(thing.get()) == quintptr(item)) {
                    PlotUserItem(*thing);
                    return;
                }
    }
};

MapService& BindMapService(nav::GpsPoller* poller, SettingsDialogService& dialogs)
{
    map::MapEnvironment environment;
    environment.runMode = [] { return int(platform::RunMode); };
    environment.progress = [](const QString& text) {
        text.isEmpty() ? CloseMessageInfo() : ShowMessageInfo(MainWindowHandle(), text);
    };
    environment.poller = poller;

    map::MapWindowSources sources;
    sources.plot.userRecords = PlottedRecords;
    sources.plot.effortLine = EffortLine;
    sources.plot.heardPlotStyle = [](const nav::THINGHEARD& thing) -> std::optional<int32_t> {
        const nav::HeardSpeciesList::PlotStyle style = nav::HeardFormPlotStyle(thing);
        return style.plotted ? std::optional<int32_t>(style.colour) : std::nullopt;
    };
    sources.effortSource = [] { return ui::GetEffortSourceIndex(); };
    sources.effortControl = []() -> std::optional<map::KeyEffortControl> {
        const std::optional<forms::EffortKeyControl> c = forms::EffortKeyControlOf(forms::FindEffortForm());
        if (!c)
            return std::nullopt;
        return map::KeyEffortControl{c->lookup, c->title, c->colour, c->items};
    };
    sources.formKeyEntries = [] {
        std::vector<map::KeyEntry> out;
        for (const forms::FormKeyEntry& f : forms::UserFormKeyEntries(forms::UserFormList())) {
            map::KeyEntry e;
            e.kind = map::KeyEntry::Symbol;
            e.text = f.text;
            e.colour = f.colour;
            e.symbol = f.symbol;
            e.size = f.size;
            e.filled = f.filled;
            out.push_back(e);
        }
        return out;
    };
    sources.addUserFormPlotMenus = [](QMenu* menu) { return forms::AddUserFormPlotMenus(menu); };
    sources.addHeardPlotMenu = [](QMenu* acoustic) { forms::AddHeardFormPlotMenu(acoustic); };
    sources.displaySettings = [&dialogs](QWidget* parent, const QString& page) {
        DisplaySettings(parent, page, dialogs);
    };
    sources.menuStyleDialog = [](QWidget* parent) { ui::ShowMenuStyleDialog(parent); };
    map::BindMap(std::move(environment), std::move(sources), TheRecentEventDispatch().ports.toMap);

    forms::setPlotChangedHandler([] { map::RedrawMap(false, true); });
    // A purge that dropped detections or fixes shows the map without them.
    TheRecentEventDispatch().ports.redrawMap = [] { map::RedrawMap(false, true); };
    forms::setUserPlotPort({PlotUserItem});
    ArmMapSnapshots();
    ArmMapPaintLog();
    static MapWindowService service;
    return service;
}

} // namespace velmar::shell
