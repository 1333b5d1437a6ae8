// The NMEA server's sentence path from memory: the bytes of 1M sentences are
// framed (as a port's reads are), each sentence stored under its name as the
// DDE service serves it, and every RMC parsed as the position display reads
// it. The reference is a plain loop over the same bytes that finds each line,
// checks its checksum, splits it at its commas and converts every field to a
// number. Reports both rates and their ratio.
//   bench_nmea_hot_path [sentences]      (default 1000000)
#include "nmeaserver/RmcFix.h"
#include "nmeaserver/SentenceFramer.h"
#include "nmeaserver/SentenceStore.h"

#include <QElapsedTimer>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace velmar::nmeaserver;

namespace {

const char* const Bodies[] = {
    "GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W",
    "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
    "HEHDT,084.4,T",
    "GPVTG,084.4,T,087.5,M,022.4,N,041.5,K",
    "AIVDM,1,1,,A,13aG?P0P00PD;88MD5MTDww@2<0L,0",
};

std::string sentences(int count)
{
    std::string all;
    all.reserve(size_t(count) * 72);
    char line[128];
    for (int i = 0; i < count; ++i) {
        const char* body = Bodies[i % std::size(Bodies)];
        unsigned sum = 0;
        for (const char* p = body; *p; ++p)
            sum ^= unsigned(static_cast<unsigned char>(*p));
        const int n = std::snprintf(line, sizeof line, "%c%s*%02X\r\n", i % 5 == 4 ? '!' : '$', body, sum);
        all.append(line, size_t(n));
    }
    return all;
}

// Framing, storing, parsing: what the server does with what a port gives.
long long serverPath(const std::string& bytes, double& seconds)
{
    SentenceFramer framer;
    SentenceStore store;
    const QString source = QStringLiteral("/dev/ttyUSB0");
    long long parsed = 0;
    RmcFix fix;
    QElapsedTimer timer;
    timer.start();
    // As a port gives them: reads of a few kilobytes.
    constexpr size_t Read = 4096;
    for (size_t at = 0; at < bytes.size(); at += Read) {
        framer.feed(bytes.data() + at, std::min(Read, bytes.size() - at), [&](std::string_view s) {
            const QByteArrayView text = withoutLineEnd(QByteArrayView(s.data(), qsizetype(s.size())));
            const SentenceStore::Stored stored = store.StoreSentence(text, source);
            if (stored.entry && stored.entry->IsType("RMC") && ParseRmc(fix, text))
                ++parsed;
        });
    }
    seconds = timer.nsecsElapsed() / 1e9;
    return parsed + (long long)store.entries().size();
}

// The reference: every line checksummed, split and its fields converted.
long long plainLoop(const std::string& bytes, double& seconds)
{
    long long fields = 0;
    double total = 0;
    QElapsedTimer timer;
    timer.start();
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        const char* eol = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        if (!eol)
            break;
        const char* star = p + 1;
        unsigned sum = 0;
        while (star < eol && *star != '*')
            sum ^= unsigned(static_cast<unsigned char>(*star++));
        unsigned given = 0;
        std::from_chars(star + 1, eol, given, 16);
        if (given == sum) {
            const char* f = p + 1;
            while (f < star) {
                const char* comma = static_cast<const char*>(std::memchr(f, ',', size_t(star - f)));
                const char* fieldEnd = comma ? comma : star;
                double v = 0;
                if (std::from_chars(f, fieldEnd, v).ec == std::errc())
                    total += v;
                ++fields;
                f = fieldEnd + 1;
            }
        }
        p = eol + 1;
    }
    seconds = timer.nsecsElapsed() / 1e9;
    return fields + (total > 0 ? 1 : 0);
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000000;
    const std::string bytes = sentences(count);
    double ours = 0;
    double plain = 0;
    // Once each to warm up, then the runs that count.
    serverPath(bytes, ours);
    plainLoop(bytes, plain);
    const long long a = serverPath(bytes, ours);
    const long long b = plainLoop(bytes, plain);
    std::printf("sentences: %d (%zu bytes)   [checks %lld %lld]\n", count, bytes.size(), a, b);
    std::printf("framed, stored, parsed (server): %8.2f M sentences/s\n", count / ours / 1e6);
    std::printf("checksummed, split, converted:   %8.2f M sentences/s\n", count / plain / 1e6);
    std::printf("ratio server / plain loop:       %8.3f\n", plain / ours);
    return 0;
}
