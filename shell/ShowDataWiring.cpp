#include "shell/ShowDataWiring.h"

#include "comments/TCommentWindow.h"
#include "forms/UserFormInfo.h"
#include "forms/UserPlotThing.h"
#include "nav/GpsDataSets.h"
#include "nav/GpsFixList.h"
#include "nav/ShowDataSinks.h"
#include "gpsref/NoGpsRefDlg.h"
#include "shell/DatabaseSheet.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowPorts.h"
#include "shell/MainWindowServices.h"
#include "shell/ShownDataService.h"
#include "widgets/MyControls.h"
#include "platform/ProgramClock.h"
#include "platform/RunMode.h"
#include "shell/ShellLog.h"
#include "shell/TV2000Window.h"
#include "shell/TVelmarApp.h"
#include "platform/WindowMessage.h"
#include "store/DbMessages.h"
#include "nav/EventWriters.h"
#include "store/FixedSchema.h"
#include "settings/ProgramSettings.h"
#include "store/RecordWriters.h"
#include "widgets/DialogService.h"
#include "widgets/MessageBoxSeam.h"

#include <QClipboard>
#include <QLabel>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <limits>
#include <memory>

namespace velmar::shell {

namespace {

using comments::TCommentWindow;
using store::TheProgramSettings;

struct ShowData {
    QPointer<TCommentWindow> panel;
    std::unique_ptr<nav::ShowDataReader> reader;
};

ShowData& State()
{
    static ShowData s;
    return s;
}

void ShowStop(QWidget* owner, const QString& text, const QString& caption)
{
    ui::ShowMessageBox(owner, text, caption, QMessageBox::Critical, QMessageBox::Ok);
}

nav::ReaderProgress AppProgress()
{
    return {[](qint64 done, qint64 total) {
                if (TVelmarApp* app = GetVelmarApp())
                    app->SetProgress(done, total);
            },
            [](const QString& text) {
                if (TVelmarApp* app = GetVelmarApp())
                    app->SetStatusText(text);
            }};
}

// The reader of the last load: its ranges select the events.
nav::ShowDataReader& Reader()
{
    std::unique_ptr<nav::ShowDataReader>& r = State().reader;
    if (!r)
        r = std::make_unique<nav::ShowDataReader>(TheProgramSettings.StartTime, TheProgramSettings.EndTime,
                                                  AppProgress());
    return *r;
}

// Messages 1065 and 1069 reach the panel as the main window passes them on.
class PanelMessages : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* panel = qobject_cast<TCommentWindow*>(watched);
        if (!panel || event->type() != platform::WindowMessageEvent::eventType())
            return false;
        auto* m = static_cast<platform::WindowMessageEvent*>(event);
        if (m->message() == platform::MsgCommentTime) {
            const auto* text = reinterpret_cast<const char*>(m->lParam());
            panel->EvCommentTime(int(m->wParam()), text ? QString::fromUtf8(text) : QString());
            return true;
        }
        if (m->message() == platform::MsgRecordingState) {
            const auto* name = reinterpret_cast<const char*>(m->wParam());
            panel->EvRecordingState(name ? QString::fromUtf8(name) : QString(), int(m->lParam()));
            return true;
        }
        return false;
    }
};

// As the operator does it: the Comments tab chosen, the text typed, "Store
// Comment" pressed.
void TypeCommentWhenShown(TCommentWindow* panel, const QString& typed)
{
    constexpr int PollMs = 50;
    QTimer::singleShot(PollMs, panel, [panel, typed] {
        TV2000Window* main = MainWindowHandle();
        if (!main || !main->window()->isVisible() || !main->TabControl()) {
            TypeCommentWhenShown(panel, typed);
            return;
        }
        TMyTabControl* tabs = main->TabControl();
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == u"Comments")
                tabs->setCurrentIndex(i);
        main->ShowSelectedTab();
        if (!panel->CommentEdit())
            return;
        panel->CommentEdit()->setPlainText(typed);
        panel->Command(1);
    });
}

QWidget* MakeCommentWindow(QWidget* parent)
{
    comments::CommentPanelContext context;
    context.runMode = int(platform::RunMode);
    context.recorderCount = GetRecorderCount();
    context.displayFont = DisplayFont();
    context.programTime = [] {
        platform::SystemTime now;
        platform::GetProgramTime(&now);
        return now;
    };
    context.pollGpsIfDue = [] { store::RequestGpsPoll(); };
    context.writeComment = [](const platform::SystemTime& time, const QString& comment, const QString& recording) {
        return store::DbWriteComment(time, comment, recording);
    };
    context.showStop = ShowStop;
    context.setClipboardText = [](const QString& text) { QGuiApplication::clipboard()->setText(text); };
    auto* panel = new TCommentWindow(parent, std::move(context));
    panel->installEventFilter(new PanelMessages(panel));
    State().panel = panel;
    // Test hook: a comment typed and stored once the main window is up.
    if (const QString typed = qEnvironmentVariable("VELMAR_TYPE_COMMENT"); !typed.isEmpty())
        TypeCommentWhenShown(panel, typed);
    return panel;
}

gpsref::GpsReferenceUi CrossReferenceUi()
{
    gpsref::GpsReferenceUi ui;
    ui.showStop = ShowStop;
    ui.runDialog = [](QDialog& dialog) {
        if (ui::Dialogs().Attended())
            return int(ui::Dialogs().RunDialog(dialog) ? QDialog::Accepted : QDialog::Rejected);
        auto* check = qobject_cast<gpsref::NoGpsRefDlg*>(&dialog);
        qCWarning(shellLog).noquote() << dialog.windowTitle() << ":" << (check ? check->Text()->text() : QString());
        // Unattended copies that accept sheets take the offered fill too.
        if (check && AcceptSheetsUnattended()) {
            const int result = check->RunToEnd();
            qCInfo(shellLog).noquote() << "cross references filled:" << result;
            return result;
        }
        return int(QDialog::Rejected);
    };
    ui.showTable = [](const QString& table) {
        if (store::DbMessageSink* sink = store::dbMessageSink())
            sink->setTableCheckText(table);
    };
    return ui;
}

struct EffortListSink : nav::EffortSink {
    explicit EffortListSink(EffortList& list) : list(list) {}
    void AddEffortPoint(int, int32_t gpsIndex, uint32_t colour, int state) override
    {
        list.push_back(EffortPoint{gpsIndex, colour, state});
    }
    EffortList& list;
};

} // namespace

void CheckGpsReferences(QWidget* parent)
{
    std::vector<gpsref::TableAndTrack> forms;
    for (const forms::TUserFormInfo* form : forms::UserFormList())
        if (form)
            forms.push_back({form->DataTable, form->GpsDataSetTable});
    store::DbMessageSink* sink = store::dbMessageSink();
    if (sink)
        sink->beginTableCheck();
    // The progress: each table as it is checked, in the status bar too.
    gpsref::GpsReferenceUi ui = CrossReferenceUi();
    ui.showTable = [shown = ui.showTable](const QString& table) {
        shown(table);
        if (TVelmarApp* app = GetVelmarApp())
            app->SetStatusText(QStringLiteral("Checking GPS cross references: %1").arg(table));
        qCInfo(shellLog).noquote() << "checking GPS cross references of" << table;
    };
    const gpsref::GpsReferenceCheck check = gpsref::DbCheckGpsReferences(parent, forms, ui);
    if (sink)
        sink->endTableCheck();
    if (TVelmarApp* app = GetVelmarApp())
        app->SetStatusText(QString());
    const QString summary = gpsref::GpsReferenceSummary(check);
    qCInfo(shellLog).noquote() << "GPS cross references:" << summary;
    ui::ShowMessageBox(parent, summary, QStringLiteral("Update GPS Cross References"), QMessageBox::Information,
                       QMessageBox::Ok);
}

nav::ShowDataReader& ShownDataReader()
{
    return Reader();
}

class CommentPanel final : public CommentService {
public:
    QWidget* MakeCommentWindow(QWidget* parent) override { return shell::MakeCommentWindow(parent); }
    void ClockText(const QString& text) override
    {
        if (TCommentWindow* p = State().panel)
            p->EvCommentTime(comments::CommentTimeText, text);
    }
    void ClearComments() override
    {
        if (TCommentWindow* p = State().panel)
            p->ClearComments();
    }
    void ReloadComments() override
    {
        if (TCommentWindow* p = State().panel) {
            p->LoadComments(Reader());
            qCInfo(shellLog) << "comments listed:" << p->List()->topLevelItemCount();
        }
    }
};

CommentService& CommentPanelService()
{
    static CommentPanel panel;
    return panel;
}

class ShownDataReaders final : public ShownDataService {
public:
    void ClearShownData() override
    {
        forms::ClearUserPlotThings();
        nav::ClearRCEvents();
        nav::ClearPorpoiseEvents();
        nav::ClearGpsFixes();
    }
    int LoadAllGpsData() override
    {
        State().reader = std::make_unique<nav::ShowDataReader>(TheProgramSettings.StartTime, TheProgramSettings.EndTime,
                                                               AppProgress());
        nav::ProgramFixSink sink(TheProgramSettings.StartTime);
        State().reader->DbLoadAllGpsData(sink);
        const qint64 loaded = State().reader->FixesLoaded();
        qCInfo(shellLog) << "shown data: GPS fixes loaded:" << loaded;
        return int(std::min<qint64>(loaded, std::numeric_limits<int>::max()));
    }
    void LoadEffortData(int source, EffortList& list) override
    {
        EffortListSink sink(list);
        const nav::GPSTHING* first = nav::GetFirstGpsFix(0);
        Reader().DbGetEffortData(source, sink, first ? std::optional<int32_t>(first->Index) : std::nullopt);
    }
};

ShownDataService& BindShowData()
{
    store::SetGpsIndexCheck([](const QString& table) {
        gpsref::CheckGpsIndexes(MainWindowHandle(), table, QString::fromLatin1(forms::kMainGpsDataSet),
                                CrossReferenceUi());
    });
    static ShownDataReaders shown;
    return shown;
}

} // namespace velmar::shell
