// The NMEA server's sentence path from memory, on the sentence mix of a real
// feed (GPS GGA, RMC and VTG, gyro HDT, log VHW, echo sounder DPT and AIS
// AIVDM): the bytes are framed as a port's reads are, each read's sentences
// go through the server as one batch (stored under their names, kept for the
// windows), and every RMC is parsed as the clock form reads it.
// The reference is a tight plain loop over the same reads that does the same
// work with nothing to spare: finds each line, looks its name up in a small
// table, copies it into that name's slot with the time of the read, and
// splits every RMC at its commas and converts its fields.
// Reports both rates (the fastest of five runs each, taken in turn) and their
// ratio.
//   bench_nmea_hot_path [sentences]      (default 1000000)
#include "ShipFeed.h"
#include "nmeaserver/NmeaServer.h"
#include "nmeaserver/RmcFix.h"
#include "nmeaserver/SentenceFramer.h"

#include <QElapsedTimer>

#include <algorithm>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace velmar::nmeaserver;
using velmar::nmeabench::IsAis;
using velmar::nmeabench::ShipFeed;

namespace {

std::string sentences(int count)
{
    std::string all;
    all.reserve(size_t(count) * 64);
    char line[128];
    for (int i = 0; i < count; ++i) {
        const char* body = ShipFeed[size_t(i) % std::size(ShipFeed)];
        unsigned sum = 0;
        for (const char* p = body; *p; ++p)
            sum ^= unsigned(static_cast<unsigned char>(*p));
        const char start = IsAis(body) ? '!' : '$';
        const int n = std::snprintf(line, sizeof line, "%c%s*%02X\r\n", start, body, sum);
        all.append(line, size_t(n));
    }
    return all;
}

constexpr int Runs = 5;

// As a port gives them: reads of a few kilobytes.
constexpr size_t Read = 4096;

bool isRmc(std::string_view s)
{
    return s.size() > 6 && s.compare(3, 3, "RMC") == 0;
}

// Framing, storing, parsing: what the server does with what a port gives.
long long serverPath(const std::string& bytes, double& seconds)
{
    SentenceFramer framer;
    SentenceBatch batch;
    NmeaServer server;
    const QString source = QStringLiteral("/dev/ttyUSB0");
    long long parsed = 0;
    RmcFix fix;
    QElapsedTimer timer;
    timer.start();
    for (size_t at = 0; at < bytes.size(); at += Read) {
        const auto readAt = std::chrono::steady_clock::now();
        framer.feed(bytes.data() + at, std::min(Read, bytes.size() - at),
                    [&](std::string_view s) { batch.append(s, readAt); });
        server.OnSentences(source, batch);
        for (size_t i = 0; i < batch.size(); ++i)
            if (isRmc(batch[i])
                && ParseRmc(fix, withoutLineEnd(QByteArrayView(batch[i].data(), qsizetype(batch[i].size())))))
                ++parsed;
        batch.clear();
    }
    seconds = timer.nsecsElapsed() / 1e9;
    return parsed + (long long)server.store().entries().size();
}

// The reference's store: a slot per name, found by a linear search.
struct Slot {
    char name[8] = {};
    size_t nameLength = 0;
    char text[256] = {};
    size_t length = 0;
    long long receivedMs = 0;
};

struct Rmc {
    double time = 0, latitude = 0, longitude = 0, speed = 0, course = 0;
    int date = 0;
    char status = 0;
};

bool parseRmc(const char* begin, const char* end, Rmc& out)
{
    const char* field[12];
    const char* fieldEnd[12];
    int count = 0;
    for (const char* f = begin; count < 12;) {
        const char* comma = static_cast<const char*>(std::memchr(f, ',', size_t(end - f)));
        field[count] = f;
        fieldEnd[count++] = comma ? comma : end;
        if (!comma)
            break;
        f = comma + 1;
    }
    if (count < 10)
        return false;
    std::from_chars(field[1], fieldEnd[1], out.time);
    out.status = field[2] < fieldEnd[2] ? *field[2] : 0;
    std::from_chars(field[3], fieldEnd[3], out.latitude);
    std::from_chars(field[5], fieldEnd[5], out.longitude);
    std::from_chars(field[7], fieldEnd[7], out.speed);
    std::from_chars(field[8], fieldEnd[8], out.course);
    return std::from_chars(field[9], fieldEnd[9], out.date).ec == std::errc();
}

long long tightLoop(const std::string& bytes, double& seconds)
{
    Slot table[32];
    size_t used = 0;
    long long parsed = 0;
    Rmc rmc;
    std::string carried; // a line cut by the end of a read
    QElapsedTimer timer;
    timer.start();
    for (size_t at = 0; at < bytes.size(); at += Read) {
        const long long nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::system_clock::now().time_since_epoch())
                                    .count();
        const char* readEnd = bytes.data() + std::min(bytes.size(), at + Read);
        const char* p = bytes.data() + at;
        const auto line = [&](const char* begin, const char* end) {
            while (end > begin && (end[-1] == '\r' || end[-1] == '\n'))
                --end;
            if (end - begin < 2 || (*begin != '$' && *begin != '!') || size_t(end - begin) > sizeof Slot::text)
                return;
            const char* comma = static_cast<const char*>(std::memchr(begin, ',', size_t(end - begin)));
            if (!comma || comma - begin < 2 || comma - begin > 7)
                return;
            const size_t nameLength = size_t(comma - begin - 1);
            Slot* slot = nullptr;
            for (size_t i = 0; i < used && !slot; ++i)
                if (table[i].nameLength == nameLength && std::memcmp(table[i].name, begin + 1, nameLength) == 0)
                    slot = &table[i];
            if (!slot) {
                if (used == std::size(table))
                    return;
                slot = &table[used++];
                std::memcpy(slot->name, begin + 1, nameLength);
                slot->nameLength = nameLength;
            }
            slot->length = size_t(end - begin);
            std::memcpy(slot->text, begin, slot->length);
            slot->receivedMs = nowMs;
            if (nameLength == 5 && std::memcmp(begin + 3, "RMC", 3) == 0 && parseRmc(begin + 1, end, rmc))
                ++parsed;
        };
        if (!carried.empty()) {
            const char* eol = static_cast<const char*>(std::memchr(p, '\n', size_t(readEnd - p)));
            const char* stop = eol ? eol + 1 : readEnd;
            carried.append(p, size_t(stop - p));
            p = stop;
            if (eol) {
                line(carried.data(), carried.data() + carried.size());
                carried.clear();
            }
        }
        while (p < readEnd) {
            const char* eol = static_cast<const char*>(std::memchr(p, '\n', size_t(readEnd - p)));
            if (!eol) {
                carried.assign(p, size_t(readEnd - p));
                break;
            }
            line(p, eol);
            p = eol + 1;
        }
    }
    seconds = timer.nsecsElapsed() / 1e9;
    return parsed + (long long)used + (rmc.date > 0 ? 0 : 1);
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000000;
    const std::string bytes = sentences(count);
    double ours = 1e9;
    double plain = 1e9;
    // Once each to warm up, then turn about, the fastest run of each
    // counting: on a shared machine other work slows single runs.
    double seconds = 0;
    serverPath(bytes, seconds);
    tightLoop(bytes, seconds);
    long long a = 0, b = 0;
    for (int run = 0; run < Runs; ++run) {
        a = serverPath(bytes, seconds);
        ours = std::min(ours, seconds);
        b = tightLoop(bytes, seconds);
        plain = std::min(plain, seconds);
    }
    std::printf("sentences: %d (%zu bytes)   [checks %lld %lld]\n", count, bytes.size(), a, b);
    std::printf("framed, stored, parsed (server): %8.2f M sentences/s\n", count / ours / 1e6);
    std::printf("tight plain loop:                %8.2f M sentences/s\n", count / plain / 1e6);
    std::printf("ratio server / tight loop:       %8.3f\n", plain / ours);
    return 0;
}
