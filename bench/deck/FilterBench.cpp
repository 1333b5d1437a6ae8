// Samples per second through the deck's speaker filter: 60 s of 4-channel
// 192 kHz sound through an order-8 Butterworth band pass (2 kHz to 40 kHz,
// eight second-order sections), once through the block cascade the engine
// uses, in the engine's blocks of 1/20 s, and once through the
// straightforward frame-by-frame direct-form loop of the same sections.
//   bench_deck_filter [seconds] [channels] [rate] [order]
// The goal for the block cascade is 100 M samples/s on one core; scipy's
// sosfilt of the same design over the same number of samples is timed in the
// same sitting and printed beside it.
#include "deck/DigitalFilter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace velmar::deck;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int seconds = args.value(1, QStringLiteral("60")).toInt();
    const int channels = args.value(2, QStringLiteral("4")).toInt();
    const int rate = args.value(3, QStringLiteral("192000")).toInt();
    const int order = args.value(4, QStringLiteral("8")).toInt();

    FilterSpec wanted;
    wanted.FilterType = FilterButterworth;
    wanted.Band = BandPass;
    wanted.HighPassHz = 2000;
    wanted.LowPassHz = 40000;
    wanted.Order = order;

    const std::size_t frames = std::size_t(seconds) * std::size_t(rate);
    std::vector<int16_t> source(frames * std::size_t(channels));
    uint32_t noise = 12345;
    for (int16_t& s : source) {
        noise = noise * 1664525u + 1013904223u;
        s = int16_t(noise >> 16);
    }
    const double samples = double(source.size());

    std::vector<int16_t> block = source;
    DigitalFilter cascade(wanted, channels, rate);
    const std::size_t blockFrames = std::size_t(rate / 20);
    QElapsedTimer t;
    t.start();
    for (std::size_t f = 0; f < frames; f += blockFrames)
        cascade.FilterBlock16(block.data() + f * std::size_t(channels), std::min(blockFrames, frames - f));
    const double blockSeconds = double(t.nsecsElapsed()) / 1e9;

    std::vector<int16_t> direct = source;
    DigitalFilter reference(wanted, channels, rate);
    t.restart();
    for (std::size_t f = 0; f < frames; ++f)
        reference.FilterFrame16(direct.data() + f * std::size_t(channels));
    const double directSeconds = double(t.nsecsElapsed()) / 1e9;

    std::size_t differ = 0;
    for (std::size_t i = 0; i < source.size(); ++i)
        differ += std::abs(int(block[i]) - int(direct[i])) > 1 ? 1 : 0;

    std::printf("%d s of %d channels at %d Hz, order %d band pass, %d sections: %.0f samples\n", seconds, channels,
                rate, order, cascade.sectionCount(), samples);
    std::printf("block cascade:        %8.1f M samples/s (%.2f s)\n", samples / blockSeconds / 1e6, blockSeconds);
    std::printf("direct-form per frame:%8.1f M samples/s (%.2f s)\n", samples / directSeconds / 1e6, directSeconds);
    std::printf("speed-up %.1fx; samples differing by more than 1: %zu\n", directSeconds / blockSeconds, differ);

    const QString python = QStringLiteral(VELMAR_SCIPY_PYTHON);
    if (python.isEmpty()) {
        std::printf("scipy sosfilt:        not measured (no python3 with scipy)\n");
    } else {
        QProcess scipy;
        scipy.start(python, {QStringLiteral(VELMAR_FILTER_REFERENCE), QStringLiteral("--rate"),
                             QString::number(qint64(samples)), QString::number(order)});
        const bool ran = scipy.waitForFinished(600000) && scipy.exitCode() == 0;
        const double scipyRate = ran ? scipy.readAllStandardOutput().trimmed().toDouble() : 0.0;
        if (scipyRate > 0)
            std::printf("scipy sosfilt:        %8.1f M samples/s (double precision, one channel of the same length)\n",
                        scipyRate / 1e6);
        else
            std::printf("scipy sosfilt:        failed: %s\n", scipy.readAllStandardError().constData());
    }
    return differ == 0 ? 0 : 1;
}
