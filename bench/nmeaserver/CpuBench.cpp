// The CPU the NMEA program takes beside gpsd's on the same feed, both at
// once: each reads its own pair of pseudo-terminals made by socat, and every
// sentence of the mix of a survey ship's instruments is written to both, one
// write per sentence, at a steady rate (default 100 a second, about what a
// 38400 baud line carries). GPS time and date are the computer's, as a real
// receiver's would be. The NMEA program runs with its window shown on the
// offscreen platform (the clock form opens at the first RMC and stays, since
// the benchmark does not let it set the clock); gpsd as `gpsd -N -n -b`.
// After a warm-up, each program's user and system time
// (/proc/<pid>/stat) over the measured seconds is reported as a share of one
// CPU, with the ratio.
//   bench_nmea_cpu [seconds] [sentences per second] [display type] [listen]
// Defaults: 60 s, 100 a second, display 1 (scroll all: the most drawing; 2
// position, 3 one of each). With "listen" each program also passes every
// sentence on: the NMEA program by UDP, gpsd to a client watching its NMEA
// output; both listeners are drained by the benchmark and their counts shown.
// Runs on a private session bus of its own when none is there.
#include "BenchProcess.h"
#include "ShipFeed.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include <climits>
#include <poll.h>
#include <sys/stat.h>

using namespace velmar::nmeabench;

namespace {

constexpr double WarmUpSeconds = 5;

// A pair of linked pseudo-terminals: the program reads `port`, the benchmark
// writes `feed`.
struct SocatPair {
    pid_t pid = -1;
    std::string port;
    int feed = -1;

    bool open(const std::string& folder, const std::string& name)
    {
        const std::string portLink = folder + "/" + name + "-port";
        const std::string feedLink = folder + "/" + name + "-feed";
        pid = spawn({"socat", "pty,raw,echo=0,link=" + portLink, "pty,raw,echo=0,link=" + feedLink}, {});
        char resolved[PATH_MAX];
        for (int i = 0; i < 100; ++i) {
            if (realpath(portLink.c_str(), resolved) && access(feedLink.c_str(), F_OK) == 0)
                break;
            usleep(50000);
        }
        if (!realpath(portLink.c_str(), resolved))
            return false;
        port = resolved;
        chmod(resolved, 0666); // gpsd reads as "nobody"
        feed = ::open(feedLink.c_str(), O_WRONLY | O_NOCTTY);
        return feed >= 0;
    }
    ~SocatPair()
    {
        if (feed >= 0)
            close(feed);
        if (pid > 0)
            stopProgram(pid);
    }
};

unsigned checksum(const std::string& body)
{
    unsigned sum = 0;
    for (const char c : body)
        sum ^= unsigned(static_cast<unsigned char>(c));
    return sum;
}

// The body with its time field (the first after the name) set to now, and
// for an RMC the date field too.
std::string timed(const std::string& body)
{
    const bool rmc = body.compare(2, 4, "RMC,") == 0;
    if (!rmc && body.compare(2, 4, "GGA,") != 0)
        return body;
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const int hundredths = int(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count()
                               % 1000 / 10);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    std::vector<std::string> fields;
    for (size_t begin = 0;;) {
        const size_t comma = body.find(',', begin);
        fields.push_back(body.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin));
        if (comma == std::string::npos)
            break;
        begin = comma + 1;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%02d%02d%02d.%02d", utc.tm_hour, utc.tm_min, utc.tm_sec, hundredths);
    fields[1] = text;
    if (rmc) {
        std::snprintf(text, sizeof text, "%02d%02d%02d", utc.tm_mday, utc.tm_mon + 1, utc.tm_year % 100);
        fields[9] = text;
    }
    std::string out = fields[0];
    for (size_t i = 1; i < fields.size(); ++i)
        out += "," + fields[i];
    return out;
}

std::string sentence(unsigned long seq)
{
    const char* body = ShipFeed[seq % std::size(ShipFeed)];
    const std::string text = timed(body);
    char line[192];
    std::snprintf(line, sizeof line, "%c%s*%02X\r\n", IsAis(body) ? '!' : '$', text.c_str(), checksum(text));
    return line;
}

// Counts what arrives on a socket: datagrams, or lines that start with "$"/"!".
struct Listener {
    int fd = -1;
    bool lines = false;
    std::atomic<long long> count{0};

    void drain(const std::atomic<bool>& stop)
    {
        char buffer[65536];
        while (!stop) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n <= 0)
                continue;
            if (!lines) {
                ++count;
                continue;
            }
            for (ssize_t i = 0; i < n; ++i)
                if ((buffer[i] == '$' || buffer[i] == '!') && (i == 0 || buffer[i - 1] == '\n'))
                    ++count;
        }
    }
};

pid_t startNmea(const std::string& folder, const std::string& port, int display, int udpPort)
{
    std::ofstream ini(folder + "/NMEA.INI");
    ini << "[" << port << "]\r\nBaudRate=38400\r\nEnable=1\r\n"
        << "[UDPPORT]\r\nUDPPort=" << (udpPort > 0 ? udpPort : 7777) << "\r\nSendUDPData=" << (udpPort > 0 ? 1 : 0)
        << "\r\n"
        << "[Simulation]\r\nSimulate=0\r\n"
        << "[Display]\r\nType=" << display << "\r\n";
    ini.close();
    return spawn({NMEA_PROGRAM}, {"VELMAR_HOME=" + folder, "QT_QPA_PLATFORM=offscreen", "VELMAR_NMEA_CLOCK_SET=off",
                                  "VELMAR_PROGRAM_START=off"});
}

} // namespace

int main(int argc, char** argv)
{
    runOnSessionBus(argc, argv);
    signal(SIGPIPE, SIG_IGN);
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 60.0;
    const double rate = argc > 2 ? std::max(1.0, std::atof(argv[2])) : 100.0;
    const int display = argc > 3 ? std::atoi(argv[3]) : 1;
    const bool listen = argc > 4 && std::string(argv[4]) == "listen";
    char folderTemplate[] = "/tmp/nmea-cpu-XXXXXX";
    const std::string folder = mkdtemp(folderTemplate);
    chmod(folder.c_str(), 0777);

    SocatPair nmeaLine, gpsdLine;
    if (!nmeaLine.open(folder, "nmea") || !gpsdLine.open(folder, "gpsd")) {
        std::printf("no pseudo-terminal pair (is socat installed?)\n");
        return 1;
    }

    Listener udp, watcher;
    sockaddr_in udpAddress{};
    if (listen)
        udp.fd = boundSocket(SOCK_DGRAM, udpAddress);
    const pid_t nmea = startNmea(folder, nmeaLine.port, display, listen ? ntohs(udpAddress.sin_port) : 0);

    sockaddr_in gpsdAddress{};
    close(boundSocket(SOCK_STREAM, gpsdAddress));
    const pid_t gpsd = spawn(gpsdCommand({"-N", "-n", "-b", "-F", folder + "/gpsd.sock", "-S",
                                          std::to_string(ntohs(gpsdAddress.sin_port)), gpsdLine.port}),
                             {});
    if (listen) {
        watcher.lines = true;
        watcher.fd = watchGpsd(gpsdAddress, "?WATCH={\"enable\":true,\"nmea\":true}\n");
        if (watcher.fd < 0)
            std::printf("no client could watch gpsd\n");
    }

    std::atomic<bool> stop{false};
    std::atomic<long long> written{0};
    std::thread feeder([&] {
        const long long start = nowNs();
        for (unsigned long seq = 0; !stop; ++seq) {
            const long long due = start + (long long)(double(seq) / rate * 1e9);
            while (!stop && nowNs() < due)
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            const std::string s = sentence(seq);
            if (!writeAll(nmeaLine.feed, s) || !writeAll(gpsdLine.feed, s))
                break;
            ++written;
        }
    });
    std::thread udpDrain, watcherDrain;
    if (listen) {
        udpDrain = std::thread([&] { udp.drain(stop); });
        watcherDrain = std::thread([&] { watcher.drain(stop); });
    }

    std::this_thread::sleep_for(std::chrono::duration<double>(WarmUpSeconds));
    const long long writtenBefore = written;
    const long long udpBefore = udp.count, watcherBefore = watcher.count;
    const ProcessUse nmeaBefore = processUse(nmea), gpsdBefore = processUse(gpsd);
    const long long begin = nowNs();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const ProcessUse nmeaAfter = processUse(nmea), gpsdAfter = processUse(gpsd);
    const double elapsed = (nowNs() - begin) / 1e9;
    const long long sent = written - writtenBefore;
    const long long udpCount = udp.count - udpBefore, watcherCount = watcher.count - watcherBefore;
    const bool nmeaAlive = stillRunning(nmea), gpsdAlive = stillRunning(gpsd);
    stop = true;
    feeder.join();
    for (std::thread* t : {&udpDrain, &watcherDrain})
        if (t->joinable())
            t->join();
    stopProgram(nmea);
    stopProgram(gpsd);

    const double nmeaCpu = 100.0 * (nmeaAfter.cpuSeconds - nmeaBefore.cpuSeconds) / elapsed;
    const double gpsdCpu = 100.0 * (gpsdAfter.cpuSeconds - gpsdBefore.cpuSeconds) / elapsed;
    std::printf("feed: %.1f sentences/s for %.0f s (after %.0f s warm-up), NMEA window shown offscreen, display %d%s\n",
                double(sent) / elapsed, elapsed, WarmUpSeconds, display,
                listen ? ", both passing every sentence on" : "");
    std::printf("%-5s %8s %10s\n", "", "CPU %", "passed on");
    std::printf("%-5s %8.2f %10s%s\n", "NMEA", nmeaCpu, listen ? std::to_string(udpCount).c_str() : "-",
                nmeaAlive ? "" : "   (ended during the run)");
    std::printf("%-5s %8.2f %10s%s\n", "gpsd", gpsdCpu, listen ? std::to_string(watcherCount).c_str() : "-",
                gpsdAlive ? "" : "   (ended during the run)");
    if (gpsdCpu > 0)
        std::printf("ratio NMEA / gpsd CPU: %.2f\n", nmeaCpu / gpsdCpu);
    if (udp.fd >= 0)
        close(udp.fd);
    if (watcher.fd >= 0)
        close(watcher.fd);
    return nmeaAlive && gpsdAlive ? 0 : 1;
}
