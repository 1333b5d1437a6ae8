// The deck's engine on its own thread, feeding a detector program (a
// stand-in process found over the private session bus) through its pipe.
#include "DeckFakes.h"

#include "deck/DeckEngine.h"
#include "platform/BusNames.h"
#include "platform/MessageBus.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace decktest;

TEST(DeckEngineBus, ThreeSecondsOfAWavFileReachTheWhistleDetectorSampleExact)
{
    QTemporaryDir dir;
    const QString received = dir.filePath(QStringLiteral("received.raw"));
    QProcess detector;
    detector.start(QStringLiteral(DETECTOR_STAND_IN),
                   {QString::fromLatin1(WhistleDetectorClass), QString::fromLatin1(WhistlePipeName), received});
    ASSERT_TRUE(detector.waitForReadyRead(20000)) << detector.readAllStandardError().toStdString();
    ASSERT_EQ(detector.readAllStandardOutput().trimmed(), QByteArray("ready"));

    const int rate = 8000, channels = 2, frames = 3 * rate;
    std::vector<int16_t> samples(std::size_t(frames * channels));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(i * 7919); // every sample differs from its neighbours
    const QString path = dir.filePath(QStringLiteral("Rec20101208_140305.wav"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(makeWav(channels, rate, samples));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    velmar::sound::WAVHEADER header;
    ASSERT_TRUE(velmar::sound::ReadWavHeader(header, &file));

    DeckEngine engine(MakeBusDetectorLink());
    QSignalSpy started(&engine, &DeckEngine::started);
    QSignalSpy states(&engine, &DeckEngine::stateChanged);
    DeckSettings settings;
    settings.LeftMask = 0; // no speakers: the detector sets the pace
    settings.RightMask = 0;
    settings.ClickMask = 0;
    settings.WhistleMask = 0x3;
    engine.start(DeckStart{header, &file, 0, settings, FilterSpec{}});
    ASSERT_TRUE(started.wait(10000));
    EXPECT_TRUE(started.at(0).at(0).toBool());
    for (int i = 0; i < 300 && !(states.size() > 0 && states.last().at(0).toInt() == DeckStopped); ++i)
        states.wait(100);
    ASSERT_FALSE(states.isEmpty());
    EXPECT_EQ(states.last().at(0).toInt(), DeckStopped);
    EXPECT_EQ(engine.position(), uint32_t(frames));

    QFile got(received);
    ASSERT_TRUE(got.open(QIODevice::ReadOnly));
    const QByteArray bytes = got.readAll();
    EXPECT_EQ(bytes.size(), qsizetype(samples.size() * 2));
    EXPECT_TRUE(bytes == makeWav(channels, rate, samples).mid(velmar::sound::WAVHEADER::ByteSize))
        << "the pipe's bytes differ from the file's samples";

    velmar::platform::MessageBus::instance().send(
        velmar::platform::windowClassBusName(QString::fromLatin1(WhistleDetectorClass)), QStringLiteral("StandInQuit"),
        0, 0, 5000);
    detector.waitForFinished(10000);
}
