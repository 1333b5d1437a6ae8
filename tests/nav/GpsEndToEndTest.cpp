// The whole road of a GPS fix: a ship's log fed through a pseudo-terminal to
// the real NMEA program, served over a private session bus, polled every GPS
// interval and stored in a temporary survey database.
#include "nav/GpsFixList.h"
#include "nav/GpsPoller.h"
#include "settings/IniFile.h"
#include "nmeaserver/NmeaSettings.h"
#include "platform/Dde.h"
#include "platform/RunMode.h"
#include "settings/ProgramSettings.h"
#include "store/RecordWriters.h"

#include "tests/nav/ShipGpsLog.h"
#include "tests/nmeaserver/PtyPair.h"
#include "tests/store/StoreTestSupport.h"

#include <QFile>
#include <QProcess>

#include <memory>

using namespace velmar;
using namespace velmar::nav;

namespace {

struct FakeReadout : GpsReadout {
    std::vector<GpsPanelTexts> panels;
    std::vector<QString> datums;
    void ShowNmeaStatus(const ReadoutText&) override {}
    void ShowGpsPanel(const GpsPanelTexts& panel) override { panels.push_back(panel); }
    void ShowMapDatum(const QString& datum) override { datums.push_back(datum); }
    void ShowMessage(const QString&, const QString&) override {}
};

class GpsEndToEnd : public store::test::OpenDbTest {
protected:
    void TearDown() override
    {
        if (m_nmea.state() != QProcess::NotRunning) {
            m_nmea.terminate();
            m_nmea.waitForFinished(10000);
        }
        OpenDbTest::TearDown();
    }

    void startNmea(const QString& port, bool simulate = false)
    {
        nmeaserver::IniFile ini(nmeaserver::settingsFilePath());
        ini.writeBool("Simulation", "Simulate", simulate);
        ini.writeInteger(port, "BaudRate", 4800);
        ini.writeBool(port, "Enable", true);
        ini.writeBool("UDPPORT", "SendUDPData", false);
        ini.writeBool("DataDump", "DumpData", false);
        ASSERT_TRUE(ini.save());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        m_nmea.setProcessEnvironment(env);
        m_nmea.setProcessChannelMode(QProcess::ForwardedChannels);
        m_nmea.start(qEnvironmentVariable("VELMAR_BIN_DIR") + QStringLiteral("/NMEA"), {});
        ASSERT_TRUE(m_nmea.waitForStarted(10000));
    }

    // The poller on the test's own clock, made at the first use.
    GpsPoller& poller()
    {
        if (!m_poller) {
            GpsPoller::Hooks hooks;
            hooks.tickNow = [this] { return now; };
            m_poller = std::make_unique<GpsPoller>(readout, fixes, hooks);
        }
        return *m_poller;
    }

    QProcess m_nmea;
    uint64_t now = 0;
    GpsFixList fixes{[this] { return now; }};
    FakeReadout readout;
    std::unique_ptr<GpsPoller> m_poller;
};

TEST_F(GpsEndToEnd, EveryIntervalStoresTheFixTheShipSent)
{
    const std::vector<QList<QByteArray>> log = navtest::readShipGpsLog();
    ASSERT_EQ(log.size(), 6u);
    platform::RunMode = platform::RunModeOnline;
    store::TheProgramSettings = store::ProgramSettings();
    store::TheProgramSettings.ReadHdt = true;
    const uint64_t interval = uint64_t(store::TheProgramSettings.MaxInterval) * 1000;

    PtyPair pty;
    ASSERT_TRUE(pty.ready());
    startNmea(pty.port());
    platform::DdeClient server(QStringLiteral("NMEA"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.serverPresent(); }, 20000));

    // The port opens mid-line: the server drops what it first reads.
    ASSERT_TRUE(pty.write("$GPTXT,01,01,02,ANTSTATUS=OK*3B\r\n"));
    // The server reports "Starting" until a sentence name comes a second
    // time: the first poll stores nothing.
    bool first = true;
    for (const QList<QByteArray>& second : log) {
        for (const QByteArray& sentence : second)
            ASSERT_TRUE(pty.write(sentence + "\r\n"));
        // The server has taken this second's sentences once it serves them
        // (each goes on when the next one begins).
        const QByteArray rmc = second.front() + '\0';
        const QByteArray hdt = second.at(2) + '\0';
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return server.request(QStringLiteral("strings"), QStringLiteral("GPRMC"), 500) == rmc
                    && server.request(QStringLiteral("strings"), QStringLiteral("HEHDT"), 500) == hdt
                    && server.request(QStringLiteral("System"), QStringLiteral("Status"), 500)
                           == (first ? QByteArray("Starting\0", 9) : QByteArray("OK\0", 3));
            },
            20000))
            << second.front().constData() << " served "
            << server.request(QStringLiteral("strings"), QStringLiteral("GPRMC"), 500).value_or("none").constData()
            << " / "
            << server.request(QStringLiteral("strings"), QStringLiteral("HEHDT"), 500).value_or("none").constData()
            << " / "
            << server.request(QStringLiteral("System"), QStringLiteral("Status"), 500).value_or("none").constData();
        now += interval;
        poller().PollGpsIfDue();
        first = false;
    }

    store::test::DirectDb db(file);
    ASSERT_TRUE(db.ok());
    const QStringList rows = db.rows(
        QStringLiteral("SELECT \"Index\", GPSTime, DataStatus, printf('%.4f', Latitude), printf('%.4f', Longitude), "
                       "printf('%.1f', TrueHeading), Speed, PCTime FROM GpsData ORDER BY \"Index\""));
    ASSERT_EQ(rows.size(), 5) << rows.join(QLatin1Char('\n')).toStdString();
    const QStringList expected = {
        "1|101501|V|0.0000|0.0000|44.5",   "2|101502|A|50.1167|-5.5000|45.0", "3|101503|A|50.1167|-5.4999|45.5",
        "4|101504|A|50.1167|-5.4999|46.0", "5|101505|A|50.1168|-5.4998|46.5",
    };
    for (int i = 0; i < rows.size(); ++i) {
        const QStringList cells = rows[i].split(QLatin1Char('|'));
        EXPECT_EQ(cells.mid(0, 6).join(QLatin1Char('|')), expected[i]) << i;
        EXPECT_EQ(cells.value(7).size(), 19) << "PC time as yyyy-mm-dd hh:mm:ss: " << cells.value(7).toStdString();
    }

    EXPECT_EQ(store::GetLastGpsIndex(), 5);
    ASSERT_NE(fixes.First(0), nullptr);
    EXPECT_EQ(fixes.First(0)->Index, 2);
    EXPECT_EQ(fixes.Last(0)->Index, 5);
    EXPECT_EQ(readout.datums.back(), QStringLiteral("WGS 84"));
    ASSERT_EQ(readout.panels.size(), 6u);
    EXPECT_FALSE(readout.panels[0].status);
    EXPECT_EQ(readout.panels[1].status->text, QStringLiteral("No Satellites"));
    EXPECT_EQ(readout.panels[5].status->text, QStringLiteral("GPS OK"));
    EXPECT_EQ(server.request(QStringLiteral("System"), QStringLiteral("Simulating"), 500), QByteArray("0\0", 2));
}

// A server told to simulate: its fixes reach the panel marked plainly as not
// real.
TEST_F(GpsEndToEnd, ASimulatedShipIsShownAsSuch)
{
    platform::RunMode = platform::RunModeOnline;
    store::TheProgramSettings = store::ProgramSettings();
    startNmea(QStringLiteral("/dev/null-port"), true);
    platform::DdeClient server(QStringLiteral("NMEA"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return server.request(QStringLiteral("System"), QStringLiteral("Status"), 500) == QByteArray("OK\0", 3);
        },
        20000));
    poller().PollGps();
    ASSERT_EQ(readout.panels.size(), 1u);
    ASSERT_TRUE(readout.panels[0].status);
    EXPECT_EQ(*readout.panels[0].status, SimulatedGpsText());
    EXPECT_EQ(readout.panels[0].status->colour, ColourAlarm);
    EXPECT_EQ(readout.panels[0].status->text, QStringLiteral("SIMULATED GPS"));
}

} // namespace
