// The NMEA program and gpsd, each in turn, read a pseudo-terminal that is
// fed as fast as it takes the bytes (or paced at a baud rate): the sentence
// mix of a survey ship's instruments (about 100 sentences a second at 38400
// baud), numbered in one field. The NMEA program passes each on by UDP, gpsd to a
// client that watches its raw sentences. Reports per program the sentences
// written and delivered per second, the latency from the write to the output
// (median, 99th percentile, largest), its CPU share and its memory.
//   bench_nmea_feed [seconds] [baud]      (default 5 s, flat out; baud 38400 paces)
// Runs on a private session bus of its own when none is there. gpsd reads as
// the user "nobody" when this runs as root, as in the tests.
#include "BenchProcess.h"
#include "ShipFeed.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace velmar::nmeabench;

// Each sentence but the AIS ones carries its number in one more field at its end.
bool numbered(unsigned long seq)
{
    return !IsAis(ShipFeed[seq % std::size(ShipFeed)]);
}

std::string sentence(unsigned long seq)
{
    const char* body = ShipFeed[seq % std::size(ShipFeed)];
    char text[160];
    if (numbered(seq))
        std::snprintf(text, sizeof text, "%s,%lu", body, seq);
    else
        std::snprintf(text, sizeof text, "%s", body);
    unsigned sum = 0;
    for (const char* p = text; *p; ++p)
        sum ^= unsigned(static_cast<unsigned char>(*p));
    char line[192];
    std::snprintf(line, sizeof line, "%c%s*%02X\r\n", numbered(seq) ? '$' : '!', text, sum);
    return line;
}

// The number in the last field before the checksum, or -1.
long sequenceOf(const char* text, size_t length)
{
    if (length == 0 || text[0] != '$')
        return -1;
    const char* star = static_cast<const char*>(std::memchr(text, '*', length));
    if (!star)
        return -1;
    const char* p = star;
    while (p > text && p[-1] >= '0' && p[-1] <= '9')
        --p;
    if (p == star || p == text || p[-1] != ',')
        return -1;
    return std::strtol(p, nullptr, 10);
}

struct Pty {
    int master = -1;
    int slave = -1;
    std::string name;
    bool open()
    {
        char path[128];
        if (openpty(&master, &slave, path, nullptr, nullptr) != 0)
            return false;
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
        chmod(path, 0666);
        name = path;
        return true;
    }
    ~Pty()
    {
        if (master >= 0)
            close(master);
        if (slave >= 0)
            close(slave);
    }
};

// Where a program's sentences come out: one per datagram or one per line.
struct Output {
    int fd = -1;
    bool lines = false;
    std::string pending;
    // Calls f(text, length) for each sentence that arrived within timeoutMs.
    template <class F>
    void read(int timeoutMs, F&& f)
    {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0)
            return;
        char buffer[65536];
        for (;;) {
            const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n <= 0)
                return;
            if (!lines) {
                f(buffer, size_t(n));
                continue;
            }
            pending.append(buffer, size_t(n));
            size_t start = 0;
            for (size_t eol; (eol = pending.find('\n', start)) != std::string::npos; start = eol + 1)
                if (pending[start] == '$')
                    f(pending.data() + start, eol - start);
            pending.erase(0, start);
        }
    }
};

struct Figures {
    double written = 0, delivered = 0, p50 = 0, p99 = 0, worst = 0, cpu = 0;
    long rssStartKb = 0, rssEndKb = 0, peakKb = 0;
    long long sent = 0, received = 0;
};

bool run(pid_t pid, int master, Output& out, double seconds, int baud, Figures& fig)
{
    // Until the program reads: warm-up sentences numbered 0.
    bool ready = false;
    for (int i = 0; i < 300 && !ready; ++i) {
        writeAll(master, sentence(0));
        out.read(100, [&](const char*, size_t) { ready = true; });
    }
    if (!ready)
        return false;
    while ([&] {
        bool more = false;
        out.read(300, [&](const char*, size_t) { more = true; });
        return more;
    }())
        ;

    const size_t most = size_t(seconds * 3e6) + 16;
    std::vector<std::atomic<long long>> sentAt(most);
    std::atomic<long long> sentCount{0};
    std::atomic<long long> numberedSent{0};
    std::atomic<bool> stop{false};
    const ProcessUse before = processUse(pid);
    const long long start = nowNs();
    std::thread writer([&] {
        const double bytesPerSecond = baud / 10.0;
        double bytesSent = 0;
        for (size_t seq = 1; seq < most && !stop; ++seq) {
            const std::string s = sentence(seq);
            if (baud > 0) {
                const long long due = start + (long long)(bytesSent / bytesPerSecond * 1e9);
                while (nowNs() < due)
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            sentAt[seq].store(nowNs());
            if (!writeAll(master, s))
                break;
            bytesSent += double(s.size());
            sentCount = (long long)seq;
            if (numbered(seq))
                ++numberedSent;
        }
    });
    std::vector<long long> latencies;
    latencies.reserve(most);
    const long long end = start + (long long)(seconds * 1e9);
    long long lastArrival = start;
    auto take = [&](const char* text, size_t length) {
        const long seq = sequenceOf(text, length);
        if (seq <= 0 || size_t(seq) >= most)
            return;
        const long long t = nowNs();
        latencies.push_back(t - sentAt[size_t(seq)].load());
        lastArrival = t;
    };
    while (nowNs() < end)
        out.read(50, take);
    stop = true;
    const long long writerEnd = nowNs();
    // Unblock a writer waiting on a full terminal, then collect the rest.
    const long long drainUntil = nowNs() + 2000000000LL;
    while (nowNs() < drainUntil)
        out.read(50, take);
    writer.join();
    const ProcessUse after = processUse(pid);

    fig.sent = numberedSent;
    fig.received = (long long)latencies.size();
    fig.written = double(sentCount) / ((writerEnd - start) / 1e9);
    // Only the numbered sentences are followed: scaled to all of them.
    fig.delivered = double(fig.received) * double(sentCount) / double(std::max(1LL, fig.sent))
                  / ((std::max(lastArrival, writerEnd) - start) / 1e9);
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        fig.p50 = latencies[latencies.size() / 2] / 1e6;
        fig.p99 = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)] / 1e6;
        fig.worst = latencies.back() / 1e6;
    }
    fig.cpu = 100.0 * (after.cpuSeconds - before.cpuSeconds) / ((nowNs() - start) / 1e9);
    fig.rssStartKb = before.rssKb;
    fig.rssEndKb = after.rssKb;
    fig.peakKb = after.peakKb;
    return true;
}

bool benchNmea(const std::string& folder, double seconds, int baud, Figures& fig)
{
    Pty pty;
    if (!pty.open())
        return false;
    sockaddr_in address{};
    Output out;
    out.fd = boundSocket(SOCK_DGRAM, address);
    const int big = 16 << 20;
    setsockopt(out.fd, SOL_SOCKET, SO_RCVBUFFORCE, &big, sizeof big);
    std::ofstream ini(folder + "/NMEA.INI");
    ini << "[" << pty.name << "]\r\nBaudRate=38400\r\nEnable=1\r\n"
        << "[UDPPORT]\r\nUDPPort=" << ntohs(address.sin_port) << "\r\nSendUDPData=1\r\n"
        << "[Simulation]\r\nSimulate=0\r\n"
        << "[Display]\r\nType=" << (std::getenv("BENCH_DISPLAY") ? std::getenv("BENCH_DISPLAY") : "1")
        << "\r\n"; // 1, the scrolling list: the most drawing
    ini.close();
    const pid_t pid = spawn({NMEA_PROGRAM}, {"VELMAR_HOME=" + folder, "QT_QPA_PLATFORM=offscreen",
                                             "VELMAR_NMEA_CLOCK_SET=off", "VELMAR_PROGRAM_START=off"});
    const bool ok = run(pid, pty.master, out, seconds, baud, fig);
    stopProgram(pid);
    close(out.fd);
    return ok;
}

bool benchGpsd(const std::string& folder, double seconds, int baud, Figures& fig)
{
    Pty pty;
    if (!pty.open())
        return false;
    sockaddr_in address{};
    const int probe = boundSocket(SOCK_STREAM, address);
    close(probe);
    const std::string port = std::to_string(ntohs(address.sin_port));
    chmod(folder.c_str(), 0777);
    const std::vector<std::string> args = gpsdCommand(
        {"-N", "-n", "-b", "-F", folder + "/gpsd.sock", "-S", port, pty.name});
    const pid_t pid = spawn(args, {});
    Output out;
    out.lines = true;
    out.fd = watchGpsd(address, "?WATCH={\"enable\":true,\"raw\":1}\n");
    const bool ok = out.fd >= 0 && run(pid, pty.master, out, seconds, baud, fig);
    close(out.fd);
    stopProgram(pid);
    return ok;
}

void print(const char* name, const Figures& f)
{
    std::printf("%-5s %10.0f %10.0f %8lld %8.2f %8.2f %8.2f %6.1f %8.1f %8.1f %8.1f\n", name, f.written, f.delivered,
                f.sent - f.received, f.p50, f.p99, f.worst, f.cpu, f.rssStartKb / 1024.0, f.rssEndKb / 1024.0,
                f.peakKb / 1024.0);
}

} // namespace

int main(int argc, char** argv)
{
    velmar::nmeabench::runOnSessionBus(argc, argv);
    signal(SIGPIPE, SIG_IGN);
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 5.0;
    const int baud = argc > 2 ? std::atoi(argv[2]) : 0;
    char folderTemplate[] = "/tmp/nmea-feed-XXXXXX";
    const std::string folder = mkdtemp(folderTemplate);

    Figures nmea, gpsd;
    const bool nmeaOk = benchNmea(folder, seconds, baud, nmea);
    const bool gpsdOk = benchGpsd(folder, seconds, baud, gpsd);
    std::printf("feed: %s for %.0f s\n", baud > 0 ? (std::to_string(baud) + " baud").c_str() : "flat out", seconds);
    std::printf("%-5s %10s %10s %8s %8s %8s %8s %6s %8s %8s %8s\n", "", "written/s", "deliv./s", "lost", "p50 ms",
                "p99 ms", "max ms", "CPU %", "RSS0 MB", "RSS1 MB", "peak MB");
    if (nmeaOk)
        print("NMEA", nmea);
    else
        std::printf("NMEA  did not pass the sentences on\n");
    if (gpsdOk)
        print("gpsd", gpsd);
    else
        std::printf("gpsd  did not pass the sentences on (is it installed?)\n");
    if (nmeaOk && gpsdOk && gpsd.delivered > 0)
        std::printf("ratio NMEA / gpsd: rate %.2f, p99 latency %.2f, CPU %.2f\n", nmea.delivered / gpsd.delivered,
                    gpsd.p99 > 0 ? nmea.p99 / gpsd.p99 : 0.0, gpsd.cpu > 0 ? nmea.cpu / gpsd.cpu : 0.0);
    return nmeaOk && gpsdOk ? 0 : 1;
}
