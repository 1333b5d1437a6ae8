#include "shell/MainWindowNav.h"

#include "forms/AutoFillSources.h"
#include "forms/UserFormData.h"
#include "forms/ui/UserFormList.h"
#include "nav/GpsFixList.h"
#include "nav/GpsPoller.h"
#include "widgets/MyControls.h"
#include "shell/ShellLog.h"
#include "shell/TV2000Window.h"
#include "store/RecordWriters.h"
#include "widgets/DialogService.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace velmar::shell {

namespace {

std::vector<QWidget*> MainWindowAndMap()
{
    TV2000Window* window = MainWindowHandle();
    if (!window)
        return {};
    return {window, window->MapWindow()};
}

nav::GpsPoller::Hooks PollerHooks()
{
    nav::GpsPoller::Hooks hooks;
    hooks.userFormsStoreOnGps = forms::UserFormsStoreOnGps;
    return hooks;
}

// The user forms' NMEA fields are read through the poll's own client, so a
// field read that comes while another is under way fails at once instead of
// nesting. What is not NMEA goes to the sources installed before.
class NmeaFieldSources final : public forms::ForwardingAutoFillSources {
public:
    NmeaFieldSources(nav::NmeaClient& client, forms::AutoFillSources& others)
        : ForwardingAutoFillSources(others), m_client(client)
    {
    }

    std::optional<double> nmeaFloat(const QString& sentence, int position) override
    {
        double value = 0;
        return m_client.DdeGetNmeaFloat(sentence, position, value, FieldWidth) ? std::optional(value) : std::nullopt;
    }
    std::optional<int> nmeaInt(const QString& sentence, int position) override
    {
        int32_t value = 0;
        return m_client.DdeGetNmeaInt(sentence, position, value, FieldWidth) ? std::optional(int(value)) : std::nullopt;
    }
    std::optional<QString> nmeaString(const QString& sentence, int position) override
    {
        QString text;
        return m_client.DdeGetNmeaString(sentence, position, text, FieldWidth) ? std::optional(text) : std::nullopt;
    }

private:
    // A field can be no longer than the sentence it comes from; the form's
    // control cuts it to its own length.
    static constexpr int FieldWidth = nav::NmeaClient::SentenceBufferSize;

    nav::NmeaClient& m_client;
};

// Owned by the application object, so the poll ends with it and no bus
// signal reaches a poller after the event loop is gone.
class Navigation : public QObject {
public:
    explicit Navigation(QObject* parent)
        : QObject(parent), poller(readout, nav::TheGpsFixList(), PollerHooks()),
          fields(poller.client(), forms::autoFillSources())
    {
        forms::setAutoFillSources(&fields);
    }
    ~Navigation() override
    {
        if (&forms::autoFillSources() == &fields)
            forms::setAutoFillSources(&fields.Others());
    }

    MainWindowGpsReadout readout;
    nav::GpsPoller poller;
    NmeaFieldSources fields;
};

} // namespace

MainWindowGpsReadout::MainWindowGpsReadout(Holders holders)
    : m_holders(holders ? std::move(holders) : Holders(MainWindowAndMap))
{
}

void MainWindowGpsReadout::Show(int id, const nav::ReadoutText& text)
{
    for (QWidget* holder : m_holders()) {
        if (TMyEdit* edit = holder ? FindMyEdit(holder, id) : nullptr) {
            edit->setText(text.text);
            edit->SetColourCode(unsigned(text.colour));
            return;
        }
    }
}

void MainWindowGpsReadout::ShowNmeaStatus(const nav::ReadoutText& status)
{
    Show(nav::ControlNmeaStatus, status);
}

void MainWindowGpsReadout::ShowGpsPanel(const nav::GpsPanelTexts& panel)
{
    const std::pair<int, const std::optional<nav::ReadoutText>*> boxes[] = {
        {nav::ControlNmeaStatus, &panel.status},
        {nav::ControlLatitude, &panel.latitude},
        {nav::ControlLongitude, &panel.longitude},
        {nav::ControlCourse, &panel.course},
        {nav::ControlSpeed, &panel.speed},
        {nav::ControlFixTime, &panel.time},
        {nav::ControlTrueHeading, &panel.trueHeading},
        {nav::ControlMagHeading, &panel.magHeading},
    };
    for (const auto& [id, text] : boxes) {
        if (*text)
            Show(id, **text);
    }
}

void MainWindowGpsReadout::ShowMapDatum(const QString& datum)
{
    Show(nav::ControlMapDatum, nav::ReadoutText{datum, nav::ColourNormal});
}

void MainWindowGpsReadout::ShowMessage(const QString& text, const QString& caption)
{
    qCWarning(shellLog).noquote() << caption << ":" << text;
    if (!ui::Dialogs().Attended() || m_box)
        return;
    std::vector<QWidget*> holders = m_holders();
    m_box = new QMessageBox(QMessageBox::Warning, caption, text, QMessageBox::Ok,
                            holders.empty() ? nullptr : holders.front());
    m_box->setAttribute(Qt::WA_DeleteOnClose);
    m_box->setModal(false);
    m_box->show();
}

NavigationBinding BindNavigation()
{
    // The poll of the navigation of this process; nothing once the
    // application object (and with it the poller) is gone.
    class GpsPolls final : public NavigationService {
    public:
        void PollGps() override
        {
            if (navigation)
                navigation->poller.PollGps();
        }
        void PollGpsIfDue() override
        {
            if (navigation)
                navigation->poller.PollGpsIfDue();
        }
        QPointer<Navigation> navigation;
    };
    static GpsPolls polls;
    if (!polls.navigation)
        polls.navigation = new Navigation(QCoreApplication::instance());
    const auto pollIfDue = [] { polls.PollGpsIfDue(); };
    store::SetGpsPollRequest(pollIfDue);
    forms::setPollGpsHandler(pollIfDue);
    return {polls, polls.navigation->poller};
}

} // namespace velmar::shell
