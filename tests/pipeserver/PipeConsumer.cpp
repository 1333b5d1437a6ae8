// A consumer of one of Pelvane's pipes, as a detector or Velmar's recorder
// is one: it asks Pelvane for the pipe over the bus, reads it for a while,
// tells Pelvane to close it, and checks what came through a JACK ramp
// (pelvane_jack_ramp): every frame holds the pipe's channels in order, no
// frame is lost or doubled, and the rate is what "PipeDat.dat" says.
//
// Usage: pelvane_pipe_consumer <bit> <seconds> [stall]
// Prints "frames N rate R announced A channels C misplaced M torn T gaps G";
// ends 0 when every sample was in its channel's place and the rate was the
// announced one. "stall" opens the pipe and never reads it.
#include "settings/PipeSettings.h"
#include "platform/MessageBus.h"
#include "sound/PelvanePipeClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace velmar;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: pelvane_pipe_consumer <bit> <seconds> [stall]\n");
        return 2;
    }
    const uint32_t bit = args[1].toUInt();
    const double seconds = args[2].toDouble();
    const bool stall = args.size() > 3 && args[3] == QLatin1String("stall");

    sound::PelvanePipeClient pipe(bit);
    if (!pipe.open()) {
        std::fprintf(stderr, "no pipe %u\n", bit);
        return 3;
    }
    QElapsedTimer clock;
    clock.start();
    if (stall) {
        while (clock.elapsed() < seconds * 1000)
            QThread::msleep(50);
        pipe.close();
        return 0;
    }
    pipeserver::PipeSettings settings;
    pipeserver::ReadPipeSettings(settings);
    const int channels = pipeserver::CountRoutedChannels(settings, bit);
    if (channels <= 0)
        return 4;
    QByteArray pending;
    // A sample in another channel's place is the split's fault; a frame whose
    // channels come from different periods ("torn") and a jump in the count
    // ("gap") are the JACK server's, when a cycle did not finish in time.
    qint64 frames = 0, badChannel = 0, badStep = 0, tornFrames = 0;
    int lastCounter = -1;
    qint64 firstFrameMs = -1, countedFrames = 0, settleUntilMs = -1;
    constexpr qint64 SettleMs = 300;
    std::vector<int> expectedChannel(std::size_t(channels), -1);
    while (clock.elapsed() < seconds * 1000) {
        if (pipe.bytesAvailable() == 0) {
            QThread::msleep(1);
            continue;
        }
        pending += pipe.read(1 << 20);
        const qsizetype frameBytes = qsizetype(channels) * 2;
        qsizetype at = 0;
        for (; at + frameBytes <= pending.size(); at += frameBytes) {
            const auto* s = reinterpret_cast<const int16_t*>(pending.constData() + at);
            // The stream may begin with silence until the ramp is connected
            // to the device; it is read from a moment after the ramp arrives.
            if (settleUntilMs < 0) {
                if (std::all_of(s, s + channels, [](int16_t v) { return v == 0; }))
                    continue;
                settleUntilMs = clock.elapsed() + SettleMs;
            }
            if (clock.elapsed() < settleUntilMs)
                continue;
            if (firstFrameMs < 0)
                firstFrameMs = clock.elapsed();
            else
                ++countedFrames;
            const int counter = (uint16_t(s[0]) >> 4) & 0xFFF;
            bool torn = false;
            for (int c = 0; c < channels; ++c) {
                const int channel = uint16_t(s[c]) & 0xF;
                if (expectedChannel[std::size_t(c)] < 0)
                    expectedChannel[std::size_t(c)] = channel;
                if (channel != expectedChannel[std::size_t(c)])
                    ++badChannel;
                torn = torn || ((uint16_t(s[c]) >> 4) & 0xFFF) != counter;
            }
            tornFrames += torn ? 1 : 0;
            if (lastCounter >= 0 && counter != (lastCounter + 1) % 4096 && ++badStep <= 3)
                std::fprintf(stderr, "gap at frame %lld (%d ms): %d -> %d\n", (long long)frames, int(clock.elapsed()),
                             lastCounter, counter);
            lastCounter = counter;
            ++frames;
        }
        pending.remove(0, at);
    }
    const qint64 spanMs = clock.elapsed() - firstFrameMs;
    pipe.close();
    pipeserver::ReadPipeSettings(settings);
    const double rate = spanMs > 0 ? countedFrames * 1000.0 / double(spanMs) : 0;
    const int announced = settings.SampleRate * settings.RateMultipliers[pipeserver::PipeIndexOfBit(bit)];
    QStringList order;
    for (int c : expectedChannel)
        order << QString::number(c);
    std::printf("frames %lld rate %.0f announced %d channels %s misplaced %lld torn %lld gaps %lld\n",
                (long long)frames, rate, announced, qPrintable(order.join(',')), (long long)badChannel,
                (long long)tornFrames, (long long)badStep);
    const bool rateOK = announced > 0 && rate > announced * 0.9 && rate < announced * 1.1;
    // Gaps and torn frames are the JACK server's to explain (its xruns);
    // misplaced channels and a wrong rate are never right.
    return frames > 0 && badChannel == 0 && rateOK ? 0 : 1;
}
