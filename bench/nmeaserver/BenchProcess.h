#pragma once
// What the benchmarks that run the NMEA program beside gpsd share: starting
// and stopping a program, its CPU time and memory from /proc, a loopback
// socket, whole writes, and a private session bus for the run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmar::nmeabench {

inline long long nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs the benchmark again inside a private session bus of its own when
// there is no bus (the NMEA program serves its clients there).
inline void runOnSessionBus(int argc, char** argv)
{
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS"))
        return;
    std::vector<char*> again = {const_cast<char*>("dbus-run-session"), const_cast<char*>("--")};
    for (int i = 0; i < argc; ++i)
        again.push_back(argv[i]);
    again.push_back(nullptr);
    execvp(again[0], again.data());
    std::perror("dbus-run-session");
    std::exit(1);
}

struct ProcessUse {
    double cpuSeconds = 0; // user and system time together
    long rssKb = 0;
    long peakKb = 0;
};

inline ProcessUse processUse(pid_t pid)
{
    ProcessUse use;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const size_t close = text.rfind(')');
    if (close != std::string::npos) {
        // Fields after the name: state is the 3rd field; utime and stime the 14th and 15th.
        const char* p = text.c_str() + close + 2;
        unsigned long long v[13] = {};
        for (int f = 0; f < 13 && *p; ++f) {
            v[f] = std::strtoull(p, const_cast<char**>(&p), 10);
            while (*p == ' ')
                ++p;
            if (f == 0) // the state letter
                ++p;
        }
        use.cpuSeconds = double(v[11] + v[12]) / double(sysconf(_SC_CLK_TCK));
    }
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            use.rssKb = std::atol(line.c_str() + 6);
        if (line.rfind("VmHWM:", 0) == 0)
            use.peakKb = std::atol(line.c_str() + 6);
    }
    return use;
}

// Output goes to /dev/null; standard error too unless BENCH_VERBOSE is set.
inline pid_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& env)
{
    const pid_t pid = fork();
    if (pid == 0) {
        for (const std::string& e : env)
            putenv(strdup(e.c_str()));
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        if (!std::getenv("BENCH_VERBOSE"))
            dup2(null, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

inline bool stillRunning(pid_t pid)
{
    return waitpid(pid, nullptr, WNOHANG) == 0;
}

inline void stopProgram(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        usleep(100000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

inline bool writeAll(int fd, const std::string& s)
{
    size_t done = 0;
    while (done < s.size()) {
        const ssize_t n = write(fd, s.data() + done, s.size() - done);
        if (n < 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// A socket on a free loopback port; the address it got. -1 on failure.
inline int boundSocket(int type, sockaddr_in& address)
{
    const int fd = socket(AF_INET, type, 0);
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return -1;
    return fd;
}

// gpsd as the user "nobody" when the benchmark runs as root, as in the tests.
inline std::vector<std::string> gpsdCommand(std::vector<std::string> args)
{
    args.insert(args.begin(), "gpsd");
    if (geteuid() == 0)
        args.insert(args.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    return args;
}

// A client of gpsd on its port that sends the watch request; the socket, or
// -1 when gpsd could not be reached within ten seconds.
inline int watchGpsd(const sockaddr_in& address, const std::string& watch)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    bool connected = false;
    for (int i = 0; i < 100 && !connected; ++i) {
        connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        if (!connected)
            usleep(100000);
    }
    if (!connected || send(fd, watch.data(), watch.size(), 0) != ssize_t(watch.size())) {
        close(fd);
        return -1;
    }
    return fd;
}

} // namespace velmar::nmeabench
