// The GPS poll against a stand-in NMEA server on a private session bus: what
// each answer of the server shows, stores and appends, the throttle of the
// poll-if-due command on an injected clock, and starting an absent server
// without waiting for it.
#include "nav/GpsFixList.h"
#include "nav/GpsPoller.h"
#include "nav/ProgramLinks.h"
#include "platform/Folders.h"
#include "platform/RunMode.h"
#include "settings/ProgramSettings.h"

#include "NmeaTestSentences.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

using namespace velmar::nav;
using velmar::navtest::withChecksum;

namespace {

const QByteArray ValidRmc = withChecksum("$GPRMC,101530,A,5105.123,N,00130.500,W,10.5,45.0,101226,,,A");
const QByteArray VoidRmc = withChecksum("$GPRMC,101531,V,,,,,,,101226,,,N");
const QByteArray Heading = withChecksum("$HEHDT,271.5,T");
const QByteArray Datum = withChecksum("$PGRMM,WGS 84");

struct FakeReadout : GpsReadout {
    std::vector<ReadoutText> statuses;
    std::vector<GpsPanelTexts> panels;
    std::vector<QString> datums;
    std::vector<QString> messages;

    void ShowNmeaStatus(const ReadoutText& status) override { statuses.push_back(status); }
    void ShowGpsPanel(const GpsPanelTexts& panel) override { panels.push_back(panel); }
    void ShowMapDatum(const QString& datum) override { datums.push_back(datum); }
    void ShowMessage(const QString& text, const QString&) override { messages.push_back(text); }
};

class PollFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        velmar::platform::RunMode = velmar::platform::RunModeOnline;
        velmar::store::TheProgramSettings = velmar::store::ProgramSettings();
        velmar::store::TheProgramSettings.ReadHdt = true;
    }

    void TearDown() override
    {
        for (auto& p : m_servers) {
            p->terminate();
            p->waitForFinished(5000);
        }
    }

    GpsPoller::Hooks hooks()
    {
        GpsPoller::Hooks h;
        h.tickNow = [this] { return now; };
        h.storeFix = [this](const GpsFixData& fix) {
            stored.push_back(fix);
            return true;
        };
        h.lastGpsIndex = [this] { return int32_t(100 + stored.size()); };
        h.resetLastGpsIndex = [this] { ++resets; };
        h.startServer = [this] {
            ++starts;
            return false;
        };
        h.runMode = [] { return velmar::platform::RunMode; };
        return h;
    }

    // Starts the stand-in server and returns once it owns its name.
    void startServer(const QStringList& args)
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QStringLiteral(NMEA_STANDIN), args);
        ASSERT_TRUE(p->waitForStarted(10000));
        ASSERT_TRUE(p->waitForReadyRead(10000));
        ASSERT_EQ(p->readLine().trimmed(), QByteArray("ready"));
        m_servers.push_back(std::move(p));
    }

    static QStringList serving(const QString& status, const QList<QByteArray>& sentences)
    {
        QStringList args{QStringLiteral("--status"), status};
        for (const QByteArray& s : sentences)
            args << QStringLiteral("--sentence") << QString::fromLatin1(s);
        return args;
    }

    uint64_t now = 0;
    std::vector<GpsFixData> stored;
    int resets = 0;
    int starts = 0;
    FakeReadout readout;
    GpsFixList fixes{[this] { return now; }};

private:
    std::vector<std::unique_ptr<QProcess>> m_servers;
};

TEST_F(PollFixture, ValidFixIsShownStoredAndAppended)
{
    startServer(serving(QStringLiteral("OK"), {ValidRmc, Heading, Datum}));
    GpsPoller poller(readout, fixes, hooks());
    QSignalSpy told(&poller, &GpsPoller::newFix);
    poller.PollGps();

    EXPECT_TRUE(readout.statuses.empty()); // the link is fine: the panel says "GPS OK"
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].sentenceTime, 101530);
    EXPECT_EQ(stored[0].GetTrueHeading(), 271.5f);
    ASSERT_EQ(readout.panels.size(), 1u);
    const GpsPanelTexts& panel = readout.panels[0];
    EXPECT_EQ(panel.status, (ReadoutText{QStringLiteral("GPS OK"), ColourNormal}));
    EXPECT_EQ(panel.latitude->text, QString::fromUtf8("51°05.123´N"));
    EXPECT_EQ(panel.longitude->text, QString::fromUtf8("01°30.500´W"));
    EXPECT_EQ(panel.course->text, QString::fromUtf8("COG 45.0 °T"));
    EXPECT_EQ(panel.speed->text, QStringLiteral("SOG 10.50 N"));
    EXPECT_EQ(panel.time->text, QStringLiteral("Last Fix 10:15:30"));
    EXPECT_EQ(panel.trueHeading->text, QString::fromUtf8("HDT 271.5 °T"));
    EXPECT_EQ(panel.magHeading->text, QStringLiteral("No Mag' Heading info"));
    EXPECT_EQ(readout.datums, std::vector<QString>{QStringLiteral("WGS 84")});

    ASSERT_NE(fixes.Last(0), nullptr);
    EXPECT_EQ(fixes.Last(0)->Index, 101);
    ASSERT_EQ(told.count(), 1);
    EXPECT_EQ(told.at(0).at(0).value<const GPSTHING*>(), fixes.Last(0));
}

TEST_F(PollFixture, FailuresStoreNothingAndSayWhy)
{
    struct Case {
        const char* legend;
        QString status;
        QList<QByteArray> sentences;
        QString shown;
    } cases[] = {
        {"port error", QStringLiteral("Port Error"), {ValidRmc}, QStringLiteral("Port Error")},
        {"starting", QStringLiteral("Starting"), {ValidRmc}, QStringLiteral("Starting")},
        {"unknown word", QStringLiteral("Busy"), {ValidRmc}, QStringLiteral("?????")},
        {"no RMC yet", QStringLiteral("OK"), {Heading}, QStringLiteral("No Data")},
        {"checksum wrong", QStringLiteral("OK"), {ValidRmc.chopped(2) + "00"}, QStringLiteral("Bad String")},
    };
    for (const auto& c : cases) {
        startServer(serving(c.status, c.sentences));
        readout = FakeReadout();
        GpsPoller poller(readout, fixes, hooks());
        poller.PollGps();
        EXPECT_TRUE(stored.empty()) << c.legend;
        EXPECT_EQ(fixes.Last(0), nullptr) << c.legend;
        ASSERT_FALSE(readout.statuses.empty()) << c.legend;
        EXPECT_EQ(readout.statuses.back().text, c.shown) << c.legend;
        EXPECT_EQ(readout.statuses.back().colour, c.shown == "Starting" ? ColourWaiting : ColourAlarm) << c.legend;
        ASSERT_EQ(readout.panels.size(), 1u) << c.legend;
        EXPECT_EQ(readout.panels[0].latitude->text, QStringLiteral("No Data")) << c.legend;
        EXPECT_EQ(starts, 0) << c.legend;
        TearDown();
    }
}

TEST_F(PollFixture, NoFixIsStoredButNotAppended)
{
    startServer(serving(QStringLiteral("OK"), {VoidRmc}));
    GpsPoller poller(readout, fixes, hooks());
    QSignalSpy told(&poller, &GpsPoller::newFix);
    poller.PollGps();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].statusCode, GpsFixData::StatusCodeVoid);
    EXPECT_EQ(stored[0].valid, 0);
    EXPECT_EQ(fixes.Last(0), nullptr);
    EXPECT_EQ(told.count(), 0);
    ASSERT_EQ(readout.panels.size(), 1u);
    EXPECT_EQ(readout.panels[0].status, (ReadoutText{QStringLiteral("No Satellites"), ColourAlarm}));
    EXPECT_EQ(readout.panels[0].latitude->text, QStringLiteral("No Data"));
}

TEST_F(PollFixture, DatumSentenceWithoutCommaShowsNoMapDatum)
{
    startServer(serving(QStringLiteral("OK"), {ValidRmc, "$PGRMM"}));
    GpsPoller poller(readout, fixes, hooks());
    poller.PollGps();
    EXPECT_EQ(stored.size(), 1u);
    EXPECT_EQ(readout.datums, std::vector<QString>{QStringLiteral("No Map Datum")});
}

TEST_F(PollFixture, PollIfDueKeepsTheLeastInterval)
{
    startServer(serving(QStringLiteral("OK"), {ValidRmc}));
    velmar::store::TheProgramSettings.MinInterval = 5;
    GpsPoller poller(readout, fixes, hooks());
    struct Step {
        uint64_t at;
        size_t stored;
    } steps[] = {{0, 1}, {4999, 1}, {5000, 2}, {5001, 2}, {20000, 3}};
    for (const auto& s : steps) {
        now = s.at;
        poller.PollGpsIfDue();
        EXPECT_EQ(stored.size(), s.stored) << "at " << s.at;
    }

    // Outside online logging nothing is asked; the GPS reference becomes 0.
    for (quint32 mode : {velmar::platform::RunModeShowData, velmar::platform::RunModeOffline,
                         velmar::platform::RunModeAlterSettings}) {
        velmar::platform::RunMode = mode;
        now += 60000;
        poller.PollGpsIfDue();
    }
    EXPECT_EQ(stored.size(), 3u);
    EXPECT_EQ(resets, 3);
}

// The poll at start-up counts for the interval like any other, and a record
// stored by the poll itself (a form that stores with every reading asks for
// a poll before it stores) takes the poll's own reading: one row per reading.
TEST_F(PollFixture, EveryPollCountsForTheIntervalAndNoneRunsInsideAnother)
{
    startServer(serving(QStringLiteral("OK"), {ValidRmc}));
    for (int least : {5, 0}) {
        SCOPED_TRACE(least);
        velmar::store::TheProgramSettings.MinInterval = least;
        stored.clear();
        now = 1000;
        GpsPoller* inside = nullptr;
        int formStores = 0;
        GpsPoller::Hooks h = hooks();
        h.userFormsStoreOnGps = [&] {
            ++formStores;
            inside->PollGpsIfDue();
            inside->PollGps();
        };
        GpsPoller poller(readout, fixes, h);
        inside = &poller;

        poller.PollGps(); // at start-up
        EXPECT_EQ(stored.size(), 1u);
        EXPECT_EQ(formStores, 1);
        poller.PollGpsIfDue(); // the first record after it
        EXPECT_EQ(stored.size(), least > 0 ? 1u : 2u);
        now += uint64_t(least) * 1000;
        poller.PollGpsIfDue();
        EXPECT_EQ(stored.size(), least > 0 ? 2u : 3u);
        EXPECT_EQ(size_t(formStores), stored.size());
    }
}

// The server program is a script that waits for a go file before it becomes
// the stand-in server, so a poll that waited for the server would never
// return.
TEST_F(PollFixture, AbsentServerIsStartedOnceAndPolledWhenItAppears)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString go = dir.filePath(QStringLiteral("go"));
    const QString pids = dir.filePath(QStringLiteral("pids"));
    const QString script = dir.filePath(QStringLiteral("NMEA"));
    {
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\n"
                               "echo $$ >> '%1'\n"
                               "n=0\n"
                               "while [ ! -e '%2' ] && [ $n -lt 600 ]; do sleep 0.05; n=$((n+1)); done\n"
                               "exec '%3' --status OK --sentence '%4' --lifetime-ms 30000\n")
                    .arg(pids, go, QStringLiteral(NMEA_STANDIN), QString::fromLatin1(ValidRmc))
                    .toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    }
    velmar::store::TheProgramSettings
        .ProgramPaths[std::size_t(velmar::store::ProgramTypeIndex(velmar::store::ProgramNmea))]
        .setText(script);
    int launched = 0;
    SetProgramLauncher([&](const QString& program) {
        ++launched;
        return QProcess::startDetached(program, {});
    });

    GpsPoller::Hooks h = hooks();
    h.startServer = {}; // the program's own: StartProgram of the NMEA server
    GpsPoller poller(readout, fixes, h);
    QSignalSpy told(&poller, &GpsPoller::newFix);

    poller.PollGps();
    EXPECT_EQ(launched, 1);
    EXPECT_EQ(readout.statuses.back().text, QStringLiteral("No Prog'"));
    EXPECT_TRUE(stored.empty());

    now += GpsPoller::ServerStartBackoffMs - 1;
    poller.PollGps();
    EXPECT_EQ(launched, 1); // still starting: not again

    QFile(go).open(QIODevice::WriteOnly);
    ASSERT_TRUE(told.wait(20000));
    EXPECT_EQ(stored.size(), 1u);
    EXPECT_EQ(launched, 1);

    SetProgramLauncher({});
    QFile pidFile(pids);
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    for (const QByteArray& line : pidFile.readAll().split('\n'))
        if (const int pid = line.toInt(); pid > 0)
            ::kill(pid, SIGTERM);
}

TEST(ProgramLinks, AFailedPathIsTriedAgainBesideTheMainProgram)
{
    using velmar::store::ProgramNmea;
    auto& path =
        velmar::store::TheProgramSettings.ProgramPaths[std::size_t(velmar::store::ProgramTypeIndex(ProgramNmea))];
    QStringList tried;
    bool besideStarts = true;
    SetProgramLauncher([&](const QString& program) {
        tried << program;
        return tried.size() > 1 && besideStarts;
    });
    const QString folder = velmar::platform::executableFolder();

    path.setText(QStringLiteral("C:\\Velmar\\NMEA.exe"));
    EXPECT_TRUE(StartProgram(ProgramNmea));
    EXPECT_EQ(tried, (QStringList{QStringLiteral("C:/Velmar/NMEA.exe"), folder + QStringLiteral("/NMEA")}));
    EXPECT_EQ(path.text(), folder + QStringLiteral("/NMEA"));

    // Failing there too: false, and the operator's path is kept.
    tried.clear();
    besideStarts = false;
    path.setText(QStringLiteral("/opt/old/NMEA"));
    EXPECT_FALSE(StartProgram(ProgramNmea));
    EXPECT_EQ(tried.size(), 2);
    EXPECT_EQ(path.text(), QStringLiteral("/opt/old/NMEA"));

    // Nothing to try beside the main program, and no program of that type.
    tried.clear();
    path.setText(QString());
    EXPECT_FALSE(StartProgram(ProgramNmea));
    EXPECT_EQ(tried.size(), 1);
    EXPECT_FALSE(StartProgram(64));
    SetProgramLauncher({});
}

TEST(GpsReadoutTexts, StatusAndDatumTexts)
{
    EXPECT_EQ(NmeaStatusText(NmeaIdle), (ReadoutText{QStringLiteral("NMEA Idle"), ColourWaiting}));
    EXPECT_EQ(NmeaStatusText(NmeaTimeOut), (ReadoutText{QStringLiteral("Timeout"), ColourAlarm}));
    EXPECT_EQ(NmeaStatusText(0x123), (ReadoutText{QStringLiteral("?????"), ColourAlarm}));
    EXPECT_EQ(MapDatumText(NmeaOk, QString(60, QLatin1Char('x'))).size(), MapDatumWidth);
    EXPECT_EQ(MapDatumText(NmeaCrashed, {}), QStringLiteral("No Map Datum"));
    EXPECT_EQ(MapDatumText(NmeaNoProgram, {}), QStringLiteral("No NMEA Data"));
    EXPECT_EQ(MapDatumText(NmeaNoData, {}), QStringLiteral("Map Datum Error"));

    GpsFixData fix{velmar::platform::SystemTime{}};
    fix.valid = 1;
    fix.statusLetter = 'A';
    fix.programTime.wYear = 2026;
    fix.programTime.wMonth = 12;
    fix.programTime.wDay = 10;
    fix.programTime.wHour = 7;
    EXPECT_EQ(GpsPanelTextsFor(&fix, velmar::platform::RunModeShowData).time->text,
              QStringLiteral("2026-12-10 07:00:00"));
    const GpsPanelTexts none = GpsPanelTextsFor(nullptr, velmar::platform::RunModeOnline);
    EXPECT_FALSE(none.status);
    EXPECT_EQ(none.magHeading->text, QStringLiteral("No Data"));
}

} // namespace
