#include "shell/DeckWiring.h"

#include "platform/FileDialogs.h"
#include "deck/DeckEngine.h"
#include "deck/ui/TMavrelDlgClient.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowPorts.h"
#include "shell/MainWindowServices.h"
#include "platform/ProgramClock.h"
#include "platform/RunMode.h"
#include "shell/TV2000Window.h"
#include "platform/WindowMessage.h"
#include "widgets/MessageBoxSeam.h"
#include "platform/DateTimeText.h"
#include "store/DbConnection.h"
#include "settings/ProgramSettings.h"
#include "store/SqlText.h"

#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

#include <array>
#include <mutex>

namespace velmar::shell {

namespace {

using deck::TMavrelDlgClient;

// The deck as the program clock sees it; outlives its deck safely.
class DeckClockSource final : public platform::IDeckTimeSource {
public:
    explicit DeckClockSource(TMavrelDlgClient* deck) : m_deck(deck) {}
    bool deckTime(platform::SystemTime& time) override
    {
        std::lock_guard lock(m_mutex);
        const auto at = m_deck ? m_deck->clockTime() : std::nullopt;
        if (at)
            time = *at;
        return at.has_value();
    }
    void forget()
    {
        std::lock_guard lock(m_mutex);
        m_deck = nullptr;
    }

private:
    std::mutex m_mutex;
    TMavrelDlgClient* m_deck;
};

std::array<std::shared_ptr<DeckClockSource>, MaxRecorders> g_clocks;

// Takes the main window's private messages meant for the deck.
class DeckPage final : public QWidget {
public:
    explicit DeckPage(QWidget* parent) : QWidget(parent) {}
    TMavrelDlgClient* deck = nullptr;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == platform::WindowMessageEvent::eventType() && deck) {
            auto* m = static_cast<platform::WindowMessageEvent*>(e);
            if (m->message() == platform::MsgShowData)
                deck->showDataReloaded();
            else if (m->message() == platform::MsgDeviceChange)
                deck->devicesChanged();
            return true;
        }
        return QWidget::event(e);
    }
};

std::vector<deck::PeriodRecording> periodRecordings()
{
    std::vector<deck::PeriodRecording> rows;
    store::SqlStatement q(store::GetDbConnection());
    const QString end = platform::FormatTimeStamp(store::TheProgramSettings.EndTime);
    if (!q.isValid()
        || !q.execDirect(
            QStringLiteral("SELECT \"Start Time\", \"Duration\", \"Media Name\", \"File Name\", \"Sample Rate\", "
                           "\"nChannels\", \"Comment\" FROM \"Recordings\" WHERE \"Start Time\" <= '%1' "
                           "ORDER BY \"GpsIndex\"")
                .arg(end)))
        return rows;
    while (store::sqlSucceeded(SQLFetch(q.handle()))) {
        std::array<QString, 7> text;
        for (SQLUSMALLINT c = 0; c < 7; ++c) {
            char buffer[512] = {};
            SQLLEN length = 0;
            if (store::sqlSucceeded(SQLGetData(q.handle(), c + 1, SQL_C_CHAR, buffer, sizeof buffer, &length))
                && length != SQL_NULL_DATA)
                text[c] = QString::fromUtf8(buffer);
        }
        rows.push_back({text[0], text[2], text[3], text[6], store::LeadingInteger(text[1]),
                        store::LeadingInteger(text[4]), store::LeadingInteger(text[5])});
    }
    return rows;
}

class DeckTab final : public Deck {
public:
    DeckTab(QWidget* mainWindow, int index) : m_main(mainWindow), m_index(index)
    {
        m_page = new DeckPage(mainWindow);
        deck::DeckWindowServices s;
        s.showMessage = [this](const QString& text, const QString& caption) {
            ui::ShowMessageBox(m_page, text, caption);
        };
        s.askOkCancel = [this](const QString& text, const QString& caption) {
            return ui::ShowMessageBox(m_page, text, caption, QMessageBox::NoIcon, QMessageBox::Ok | QMessageBox::Cancel)
                == QMessageBox::Ok;
        };
        s.periodRecordings = periodRecordings;
        s.periodStart = [] { return store::TheProgramSettings.StartTime; };
        s.chooseFolder = [](QWidget* owner) {
            return velmar::platform::ChooseFolder(owner, QStringLiteral("Select Directory for sound files"), QString());
        };
        s.stateReport = [this](const QString& name, int state) {
            m_name = name.toUtf8();
            platform::postWindowMessage(m_main, platform::MsgRecordingState,
                                        quint64(reinterpret_cast<quintptr>(m_name.constData())), state);
        };
        s.clockState = [this](int state) {
            platform::postWindowMessage(m_main, platform::MsgDeckPlaying, quint64(state), m_index);
        };
        s.timeText = [this](const QString& text, const platform::SystemTime* time) {
            const QByteArray bytes = text.toUtf8();
            platform::sendWindowMessage(m_main, platform::MsgDeckTimeText,
                                        quint64(reinterpret_cast<quintptr>(bytes.constData())),
                                        qint64(reinterpret_cast<quintptr>(time)));
        };
        s.fileText = [this](const QString& path, int seconds) {
            const QByteArray bytes = path.toUtf8();
            platform::sendWindowMessage(m_main, platform::MsgDeckDetectorText,
                                        quint64(reinterpret_cast<quintptr>(bytes.constData())), seconds);
        };
        m_deck = new TMavrelDlgClient(m_page, platform::RunMode, std::move(s));
        m_page->deck = m_deck;
        auto* layout = new QVBoxLayout(m_page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_deck);
        m_page->resize(m_deck->size());
        m_clock = std::make_shared<DeckClockSource>(m_deck);
        g_clocks[std::size_t(index)] = m_clock;
    }
    ~DeckTab() override
    {
        m_clock->forget();
        delete m_page;
    }
    QWidget* Widget() override { return m_page; }
    void CreateWindow() override
    {
        m_deck->setTransport(deck::MakeEngineTransport(*m_deck, deck::MakeBusDetectorLink()));
        // Scripted runs: the first deck plays the listed file of this name,
        // as a double click on it would.
        const QString play = qEnvironmentVariable("VELMAR_DECK_PLAY");
        if (m_index == 0 && !play.isEmpty())
            QTimer::singleShot(0, m_deck, [deck = m_deck, play] { deck->playListedFile(play); });
    }
    bool CanClose() override { return m_deck->CanClose(); }
    void StopPlayback() override { m_deck->StopPlayback(); }
    std::shared_ptr<DeckClockSource> clock() const { return m_clock; }

private:
    QPointer<QWidget> m_main;
    int m_index;
    DeckPage* m_page;
    TMavrelDlgClient* m_deck;
    QByteArray m_name;
    std::shared_ptr<DeckClockSource> m_clock;
};

} // namespace

class DeckTabs final : public DeckService {
public:
    std::unique_ptr<Deck> MakeDeck(QWidget* parent, int index) override
    {
        if (index < 0 || index >= MaxRecorders)
            return nullptr;
        return std::make_unique<DeckTab>(parent, index);
    }
    void SetProgramClockDeck(Deck* d) override
    {
        if (auto* tab = dynamic_cast<DeckTab*>(d))
            platform::SetProgramClockDeck(tab->clock());
    }
    // The deck that plays in offline logging drives the clock; when it stops
    // the clock stands at the position it reached.
    void DeckPlaying(bool playing, int index) override
    {
        if (index < 0 || index >= MaxRecorders || !g_clocks[std::size_t(index)])
            return;
        platform::SystemTime at;
        if (g_clocks[std::size_t(index)]->deckTime(at))
            platform::ProgramClock::instance().deckStateChanged(at, g_clocks[std::size_t(index)], playing);
    }
};

DeckService& DeckTabService()
{
    static DeckTabs decks;
    return decks;
}

} // namespace velmar::shell
