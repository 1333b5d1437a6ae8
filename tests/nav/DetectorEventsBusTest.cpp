// The detector event service on a private session bus, poked by the stand-in
// detector from a second process.
#include "EventsDbFixture.h"

#include <QEventLoop>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTimer>

using namespace eventstest;
using namespace knownrecords;

namespace {

// Whether the receiver takes a record of these bytes.
template <class Record>
bool decodedWhole(const QByteArray& bytes)
{
    const std::optional<Record> record = Record::decode(bytes);
    return record && HasPossibleTimes(*record) && record->valuesValid();
}

class BusEvents : public EventsDbFixture {
protected:
    void SetUp() override
    {
        EventsDbFixture::SetUp();
        ASSERT_TRUE(server.InitDde());
        ASSERT_TRUE(server.InitDde()); // a second call: already running
    }
    void TearDown() override
    {
        server.CloseDde();
        EventsDbFixture::TearDown();
    }

    // Runs the stand-in detector while our event loop serves its pokes;
    // returns its report line, or an empty text when it failed.
    QString runDetector(const QStringList& args)
    {
        QProcess detector;
        detector.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/stand_in_detector"));
        detector.setArguments(args);
        detector.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // An event loop that ends with the detector serves each poke as it
        // comes; polling with pauses between would hold every poke a while.
        QEventLoop loop;
        QObject::connect(&detector, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&detector, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QTimer::singleShot(90'000, &loop, &QEventLoop::quit);
        detector.start();
        if (detector.state() != QProcess::NotRunning)
            loop.exec();
        const bool ended = detector.state() == QProcess::NotRunning;
        if (!ended) {
            detector.kill();
            detector.waitForFinished(5000);
            return {};
        }
        pump();
        if (detector.exitStatus() != QProcess::NormalExit || detector.exitCode() != 0)
            return {};
        return QString::fromUtf8(detector.readAllStandardOutput()).trimmed();
    }
};

TEST_F(BusEvents, PokesFromAnotherProgramReachTheDatabase)
{
    ASSERT_EQ(runDetector({"known"}), "poked 6");
    for (const char* table :
         {"Whistles", "Seismics", "QuintraEvents", "PorpoiseEvents", "WhistleEvents", "Harmonic Events"}) {
        SCOPED_TRACE(table);
        EXPECT_EQ(rowCount(table), 1);
        EXPECT_EQ(newest(table, "GpsIndex"), QString::number(gpsIndex));
    }
    EXPECT_EQ(newest("Whistles", "WhistleNumber"), "4711");
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(u'\n').toStdString();
}

TEST_F(BusEvents, RandomBytesOfEveryLengthNeverBringTheServiceDown)
{
    const QString report = runDetector({"random", "20261210"});
    EXPECT_TRUE(server.isRunning());
    // Every short record, and every one with an impossible time or a value that is
    // no number or out of range, was refused with its box and answered false, and
    // nothing of one kept: the stand-in's bytes made again from its seed tell which.
    QRandomGenerator random(20261210);
    std::size_t refused = 0;
    for (int length = 0; length <= 300; ++length) {
        for (int item = 0; item < 8; ++item) {
            QByteArray bytes(length, '\0');
            for (char& c : bytes)
                c = char(random.bounded(256));
            switch (item) {
            case 0: refused += !decodedWhole<NewWhistlesRecord>(bytes); break;
            case 1: refused += !decodedWhole<NewSeismicRecord>(bytes); break;
            case 2: refused += !decodedWhole<NewRCEventRecord>(bytes); break;
            case 3: refused += !decodedWhole<PorpoiseEventRecord>(bytes); break;
            case 4: refused += !decodedWhole<NewWhistleEventRecord>(bytes); break;
            case 5: refused += !decodedWhole<RightWhaleEventRecord>(bytes); break;
            default: break; // "Porpoise" and an unknown item: no record
            }
        }
    }
    EXPECT_EQ(errors.size(), refused);
    // The other event records and "Porpoise" are acknowledged; the unknown
    // item never is.
    EXPECT_EQ(report, QString("poked %1").arg(301 * 7 - int(refused)));

    const int seismicRows = rowCount("Seismics");
    ASSERT_EQ(runDetector({"known"}), "poked 6");
    EXPECT_EQ(rowCount("Seismics"), seismicRows + 1);
}

TEST_F(BusEvents, UserFormPokesGoToTheFormsOnly)
{
    int formPokes = 0;
    server.hooks.userFormPoke = [&](const QString&, const QByteArray&) {
        ++formPokes;
        return true;
    };
    ASSERT_EQ(runDetector({"udf"}), "poked 6");
    EXPECT_EQ(formPokes, 6);
    EXPECT_EQ(nodeCount(), 0);
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(rowCount("Whistles") + rowCount("Seismics"), 0);
}

// The poke of the README, as any D-Bus client sends it.
TEST_F(BusEvents, AGdbusPokeIsARecordLikeAnyOther)
{
    const QString gdbus = QStandardPaths::findExecutable(QStringLiteral("gdbus"));
    if (gdbus.isEmpty())
        GTEST_SKIP() << "gdbus is not installed";
    QStringList bytes;
    for (char c : seismic().encode())
        bytes << QString::asprintf("byte 0x%02x", unsigned(uint8_t(c)));
    QProcess call;
    call.start(gdbus, {"call", "--session", "--dest", "org.velmar.dde.Velmar2000", "--object-path", "/", "--method",
                       "org.velmar.Dde.Poke", "EventsService", "NewSeismic", "[" + bytes.join(", ") + "]"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return call.state() == QProcess::NotRunning; }, 30'000));
    pump();
    EXPECT_EQ(QString::fromUtf8(call.readAllStandardOutput()).trimmed(), "(true,)");
    EXPECT_EQ(rowCount("Seismics"), 1);
    EXPECT_EQ(newest("Seismics", "Detector"), seismic().detector);
}

TEST_F(BusEvents, ASecondServiceOfTheSameNameCannotStart)
{
    DetectorEventServer second;
    std::vector<QString> boxes;
    second.hooks.showError = [&](const QString& text, const QString& caption) { boxes.push_back(caption + text); };
    EXPECT_FALSE(second.InitDde());
    EXPECT_EQ(boxes, std::vector<QString>{" Very Odd ErrorCould not initilaise DDE"});
}

} // namespace
