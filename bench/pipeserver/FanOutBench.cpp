// Pelvane's split and pipes under load: a device of 4 channels at 192 kHz
// delivering a block every 5 ms to all four pipes (every channel to every
// pipe), three readers that keep up and one that never reads, for a minute.
// Reports per pipe the delay from a block's hand-over to the split until its
// first frame reaches the reader (p50, p99, max), the frames and bytes
// dropped once every reader has connected, and the CPU time of the
// acquisition thread.
//
// The readers sleep in read() like a detector, so their delay includes the
// system's waking of a sleeping reader; on a shared virtual machine that alone
// can reach 3 ms at the 99th percentile, whatever writes to the reader. The
// delay that is Pelvane's own, from the hand-over until every pipe has taken
// its frames or dropped them, is reported beside it.
//
// Usage: bench_pelvane_fanout [seconds [rt]]   (run by hand; the settings and
// the pipes go to a temporary folder). With "rt" the readers run at a
// real-time priority just below the acquisition thread's.
#include "pipeserver/AcquisitionThread.h"
#include "sound/PipeProtocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cstdio>
#include <thread>
#include <vector>

using namespace velmar;
using namespace velmar::pipeserver;

namespace {

constexpr int Channels = 4;
constexpr int Rate = 192000;
constexpr int BlockMs = 5;

int64_t nowNs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

int64_t threadCpuNs()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// From each block's hand-over until the split has written every pipe
// (acquisition thread only).
std::vector<int64_t> handOverDelays;

// Every frame of a block carries the block's hand-over time, 16 bits a channel.
class ClockDevice : public AcquisitionDevice {
public:
    void start(const PipeSettings&, DeviceEvents& events) override
    {
        m_events = &events;
        m_elapsed.start();
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start(BlockMs);
        events.deviceStarted(Rate);
    }
    void stop() override
    {
        m_timer.stop();
        m_events->deviceStopped({});
    }

private:
    void tick()
    {
        const qint64 due = m_elapsed.nsecsElapsed() * Rate / 1'000'000'000 - m_sent;
        if (due <= 0)
            return;
        m_block.resize(std::size_t(due) * Channels);
        const uint64_t t = uint64_t(nowNs());
        for (qint64 f = 0; f < due; ++f)
            for (int c = 0; c < Channels; ++c)
                m_block[std::size_t(f) * Channels + std::size_t(c)] = int16_t(uint16_t(t >> (16 * c)));
        m_sent += due;
        m_events->deviceBlock(m_block.data(), qsizetype(m_block.size()));
        handOverDelays.push_back(nowNs() - int64_t(t));
    }

    DeviceEvents* m_events = nullptr;
    QTimer m_timer;
    QElapsedTimer m_elapsed;
    qint64 m_sent = 0;
    std::vector<int16_t> m_block;
};

struct Reader {
    uint32_t bit = 0;
    bool stalled = false;
    std::vector<int64_t> delays;
    int64_t bytes = 0;
    std::thread thread;
};

int connectTo(const QString& path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray p = path.toLocal8Bit();
    std::memcpy(addr.sun_path, p.constData(), std::min<std::size_t>(std::size_t(p.size()), sizeof addr.sun_path - 1));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool readersRealTime = false;

void readLoop(Reader& r, int fd, const std::atomic<bool>& done)
{
    if (readersRealTime) {
        sched_param param{};
        param.sched_priority = AcquisitionRealTimePriority - 1;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    }
    std::vector<char> buffer(1 << 20);
    std::vector<char> partial;
    uint64_t last = 0;
    while (!done) {
        if (r.stalled) {
            usleep(100000);
            continue;
        }
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n <= 0)
            break;
        const int64_t now = nowNs();
        r.bytes += n;
        partial.insert(partial.end(), buffer.begin(), buffer.begin() + n);
        const std::size_t frameBytes = Channels * 2;
        std::size_t at = 0;
        for (; at + frameBytes <= partial.size(); at += frameBytes) {
            uint64_t t = 0;
            for (int c = 0; c < Channels; ++c)
                t |= uint64_t(uint8_t(partial[at + 2 * c]) | (uint8_t(partial[at + 2 * c + 1]) << 8)) << (16 * c);
            if (t != last) {
                r.delays.push_back(now - int64_t(t));
                last = t;
            }
        }
        partial.erase(partial.begin(), partial.begin() + qsizetype(at));
    }
    ::close(fd);
}

double percentile(std::vector<int64_t> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return double(v[std::min(v.size() - 1, std::size_t(p * double(v.size())))]) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    readersRealTime = argc > 2 && std::strcmp(argv[2], "rt") == 0;
    QTemporaryDir home, runtime;
    qputenv("VELMAR_HOME", home.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());

    PipeSettings settings;
    settings.SampleRate = Rate;
    settings.DeviceType = DeviceAsio;
    ParseChannelList(settings, QStringLiteral("0,1,2,3"));
    for (int c = 0; c < Channels; ++c)
        settings.ChannelSettings[c].Routing = RoutePorpoise | RouteWhistle | RouteQuintra | RouteAutorec;
    CheckPipeConsistency(settings);

    AcquisitionThread acquisition([](const PipeSettings&) { return std::make_unique<ClockDevice>(); },
                                  [] { return qint64(nowNs() / 1'000'000); });
    std::atomic<int64_t> engineCpuStart{0};
    acquisition.call<bool>(
        [settings, &engineCpuStart](AcquisitionEngine& e) {
            e.setSettings(settings);
            engineCpuStart = threadCpuNs();
            return true;
        },
        5000);

    std::vector<Reader> readers(4);
    const uint32_t bits[4] = {RoutePorpoise, RouteWhistle, RouteQuintra, RouteAutorec};
    for (int i = 0; i < 4; ++i) {
        readers[std::size_t(i)].bit = bits[i];
        readers[std::size_t(i)].stalled = bits[i] == RouteAutorec;
    }
    std::atomic<bool> done{false};
    for (Reader& r : readers) {
        const uint32_t bit = r.bit;
        acquisition.call<bool>(
            [bit](AcquisitionEngine& e) {
                e.openOutputPipe(bit);
                return true;
            },
            5000);
        const int fd = connectTo(sound::PipeSocketPathOfBit(bit));
        if (fd < 0) {
            std::fprintf(stderr, "cannot connect to pipe %u\n", bit);
            return 1;
        }
        r.thread = std::thread(readLoop, std::ref(r), fd, std::cref(done));
    }
    // The device runs from the first pipe's opening: what a pipe drops
    // before the benchmark has connected its reader (more on a busy machine)
    // is not that reader falling behind. Drops count from here, once every
    // reader has connected (the pipes take them at their next block).
    std::vector<PipeCounters> atStart;
    acquisition.call<bool>(
        [&](AcquisitionEngine& e) {
            for (const Reader& r : readers)
                atStart.push_back(e.counters(r.bit));
            return true;
        },
        5000);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const double wallS = double(wall.nsecsElapsed()) / 1e9;

    std::vector<PipeCounters> counters;
    int64_t engineCpu = 0;
    std::vector<int64_t> writtenDelays;
    acquisition.call<bool>(
        [&](AcquisitionEngine& e) {
            writtenDelays = handOverDelays;
            for (std::size_t i = 0; i < readers.size(); ++i) {
                PipeCounters c = e.counters(readers[i].bit);
                c.droppedFrames -= atStart[i].droppedFrames;
                c.droppedBytes -= atStart[i].droppedBytes;
                counters.push_back(c);
            }
            engineCpu = threadCpuNs() - engineCpuStart;
            for (const Reader& r : readers)
                e.closeOutputPipe(r.bit);
            return true;
        },
        5000);
    done = true;
    for (Reader& r : readers)
        r.thread.join();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);

    std::printf("%d s, %d channels at %d Hz, a block every %d ms, to 4 pipes (one reader stalled)%s\n", seconds,
                Channels, Rate, BlockMs, readersRealTime ? ", readers at real-time priority" : "");
    std::printf("%-14s %9s %9s %9s %12s %14s %14s\n", "pipe", "p50 ms", "p99 ms", "max ms", "MB read", "frames dropped",
                "bytes dropped");
    for (std::size_t i = 0; i < readers.size(); ++i) {
        const Reader& r = readers[i];
        std::printf("%-14s %9.3f %9.3f %9.3f %12.1f %14lld %14lld%s\n", sound::PipeRouteOfBit(r.bit)->label,
                    percentile(r.delays, 0.5), percentile(r.delays, 0.99), percentile(r.delays, 1.0),
                    double(r.bytes) / 1e6, (long long)counters[i].droppedFrames, (long long)counters[i].droppedBytes,
                    r.stalled ? "  (stalled)" : "");
    }
    std::printf("%-14s %9.3f %9.3f %9.3f   (Pelvane's own: until every pipe has written or dropped its frames)\n",
                "all pipes", percentile(writtenDelays, 0.5), percentile(writtenDelays, 0.99),
                percentile(writtenDelays, 1.0));
    const auto cpu = [](const rusage& u) {
        return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };
    std::printf("acquisition thread CPU: %.1f %% of one core; whole process (with the readers): %.1f %%\n",
                100.0 * double(engineCpu) / 1e9 / wallS, 100.0 * (cpu(after) - cpu(before)) / wallS);
    return 0;
}
