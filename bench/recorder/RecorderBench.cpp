// How fast the recorder thread writes WAV files: blocks of 4 channels of
// 16-bit samples at 192 kHz are pushed through the engine (sample ring,
// block drain, file writes, header refreshes with their flushes, levels) as
// fast as it takes them, against sox writing the same amount of WAV from raw
// samples on this machine. Reports MB/s and the CPU seconds one real-time
// hour would cost.
//
//   bench_recorder [seconds of sound, default 600] [folder, default a temporary one]
#include "recorder/RecorderEngine.h"
#include "sound/RecordingFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <vector>

using namespace velmar::recorder;

namespace {

constexpr uint32_t Rate = 192000;
constexpr int Channels = 4;
constexpr double BytesPerSecond = double(Rate) * Channels * 2;

// A device that fills the whole ring whenever the engine polls it.
class FloodInput : public InputBackend {
public:
    bool start(AcquisitionSettings&, SampleRing&) override { return true; }
    void stop() override {}
    void poll(SampleRing& ring) override
    {
        const std::size_t room = ring.capacity() - ring.available();
        if (m_chunk.size() < room) {
            m_chunk.resize(room);
            for (std::size_t i = 0; i < room; ++i)
                m_chunk[i] = int16_t((i * 37) & 0x7FFF);
        }
        ring.push(m_chunk.data(), room);
    }

private:
    std::vector<int16_t> m_chunk;
};

double CpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void Report(const char* what, double seconds, double cpu, double wall)
{
    const double mb = seconds * BytesPerSecond / 1048576.0;
    std::printf("%-8s %8.1f MB in %6.2f s: %7.1f MB/s, %6.2f CPU s per real-time hour (%.2f%% of one core)\n", what, mb,
                wall, mb / wall, cpu * 3600.0 / seconds, cpu * 100.0 / seconds);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 600;
    QTemporaryDir temp(argc > 2 ? QString::fromLocal8Bit(argv[2]) + QStringLiteral("/benchXXXXXX") : QString());
    if (!temp.isValid()) {
        std::fprintf(stderr, "no folder to write in\n");
        return 1;
    }

    velmar::sound::RECORDINGINFO rec;
    rec.OutputDirectory = temp.path();
    rec.SmartFolders = false;
    rec.SampleRate = Rate;
    rec.nChannels = Channels;
    rec.MaxSingle = 4095;
    velmar::sound::RecordingServices services;
    services.bookRecording = [](velmar::sound::RECORDINGINFO) {};
    RecorderEngine engine([](int) { return std::make_unique<FloodInput>(); }, services);
    velmar::sound::MakeRecordingFileName(rec, velmar::platform::SystemTime::nowUtc(), {}, false, services);

    const qint64 target = qint64(seconds * BytesPerSecond);
    QElapsedTimer wall;
    const double cpu0 = CpuSeconds(RUSAGE_SELF);
    wall.start();
    engine.start(rec, velmar::sound::RECORDINGINFO::StartRecord);
    qint64 written = 0;
    while (written < target) {
        const qint64 before = engine.fileBytes();
        engine.tick();
        written += engine.fileBytes() >= before ? engine.fileBytes() - before : engine.fileBytes();
    }
    engine.stop();
    const double recorderWall = wall.elapsed() / 1000.0;
    Report("recorder", double(written) / BytesPerSecond, CpuSeconds(RUSAGE_SELF) - cpu0, recorderWall);

    const QString soxOut = QDir(temp.path()).filePath(QStringLiteral("sox.wav"));
    QProcess sox;
    const double children0 = CpuSeconds(RUSAGE_CHILDREN);
    wall.restart();
    sox.start(QStringLiteral("sox"),
              {"-t", "raw", "-r", QString::number(Rate), "-e", "signed", "-b", "16", "-c", QString::number(Channels),
               "/dev/zero", soxOut, "trim", "0", QString::number(seconds)});
    if (!sox.waitForFinished(-1) || sox.exitCode() != 0) {
        std::fprintf(stderr, "sox failed: %s\n", sox.readAllStandardError().constData());
        return 1;
    }
    Report("sox", seconds, CpuSeconds(RUSAGE_CHILDREN) - children0, wall.elapsed() / 1000.0);
    return 0;
}
