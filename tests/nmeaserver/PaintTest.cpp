// How often the main form is painted: only when what it shows changes, and
// a few times a second at most however many sentences come.
#include "nmeaserver/NmeaServer.h"
#include "nmeaserver/NmeaWindow.h"
#include "nmeaserver/ReaderStatus.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace velmar::nmeaserver;
using velmar::platform::SystemTime;

namespace {

// Long enough for the window to follow what came.
void settle()
{
    QTest::qWait(2 * TTNMEAWindow::RefreshIntervalMs);
}

// Counts the paint events of the widgets of one window.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* window) : m_window(window) { qApp->installEventFilter(this); }
    ~PaintCounter() override { qApp->removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->window() == m_window)
            ++count;
        return false;
    }

private:
    QWidget* m_window;
};

struct Case {
    const char* legend;
    int display;
    QList<QByteArray> unchanged; // once shown, the same again changes nothing shown
    QByteArray changing;         // changes what is shown
};

// One window per display, side by side, on a server whose clock stands
// still: the time shown does not move either.
struct Shown {
    explicit Shown(const Case& c) : test(c), server([] { return SystemTime{2026, 12, 4, 10, 12, 0, 0, 0}; })
    {
        server.initialise({});
        server.shutDown(); // no reader of its own
        window = std::make_unique<TTNMEAWindow>(server);
        window->applyDisplaySettings();
        server.settings().Display.Type = c.display;
        window->ShowDisplayMode();
        window->show();
    }
    // The simulator's RMCs do not open the clock form.
    void feed(const QList<QByteArray>& lines)
    {
        for (const QByteArray& line : lines)
            server.OnRawSentence(SimulatorName, line);
    }
    Case test;
    NmeaServer server;
    std::unique_ptr<TTNMEAWindow> window;
    std::unique_ptr<PaintCounter> paints;
};

} // namespace

TEST(NmeaWindow, PaintsOnlyWhenWhatItShowsChanges)
{
    const QByteArray rmc = "$GPRMC,120000,A,5124.000,N,00400.000,W,07.5,220,101226,0.0,R,S\r";
    const Case cases[] = {
        {"scroll all", ScrollAll, {"$GPGGA,1\r", "$GPRMC,2,A\r"}, "$GPGGA,3\r"},
        {"one of each", OneOfEach, {"$GPGGA,1\r", "$GPRMC,2,A\r", "$GPGGA,1\r"}, "$GPGGA,3\r"},
        {"position (sentences it does not show, the same RMC)",
         ShowPosition,
         {"$GPGGA,1\r", "$HEHDT,084.4,T\r", rmc},
         QByteArray(rmc).replace("120000", "120001")},
    };
    std::vector<std::unique_ptr<Shown>> shown;
    for (const Case& c : cases) {
        shown.push_back(std::make_unique<Shown>(c));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(shown.back()->window.get()));
        // Enough to fill the scrolling list, and each name twice: the status
        // bar then says that the port collects.
        for (int i = 0; i < 100; ++i)
            shown.back()->feed(c.unchanged);
    }
    settle();
    for (auto& s : shown)
        s->paints = std::make_unique<PaintCounter>(s->window.get());

    settle();
    for (auto& s : shown)
        EXPECT_EQ(s->paints->count, 0) << s->test.legend << ": no sentences";
    for (int i = 0; i < 4; ++i) {
        for (auto& s : shown)
            s->feed(s->test.unchanged);
        QTest::qWait(TTNMEAWindow::RefreshIntervalMs / 2);
    }
    settle();
    for (auto& s : shown)
        EXPECT_EQ(s->paints->count, 0) << s->test.legend << ": nothing shown changed";

    for (int i = 0; i < 50; ++i)
        for (auto& s : shown)
            s->feed({s->test.changing});
    settle();
    for (auto& s : shown) {
        EXPECT_GE(s->paints->count, 1) << s->test.legend << ": what is shown changed";
        // Fifty batches: painted once or twice (a widget or two each time).
        EXPECT_LE(s->paints->count, 4) << s->test.legend;
    }
}
