// A stand-in for the Measurement Computing Universal Library, loaded by the
// tests in its place. Its revision is STANDIN_CB_REVISION (5.0 when unset).
// Board 0 reads 3000 counts on every range but 9 (gain 1000), which it
// refuses with error 30; engineering units are count / 1000 + range x 100,
// so a reading tells which range it was made on. A background scan grants
// STANDIN_CB_GRANT Hz when set, and each status query moves the scan on by
// 3000 samples, sample n of the scan being n mod 32768. Digital calls are
// logged, one line each, to STANDIN_CB_LOG (a port read as "din board port",
// so a test can wait for a program's first poll); a port reads the number in
// the file STANDIN_CB_DIN (5 without one).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
void note(const std::string& line)
{
    if (const char* path = std::getenv("STANDIN_CB_LOG"))
        if (FILE* f = std::fopen(path, "a")) {
            std::fprintf(f, "%s\n", line.c_str());
            std::fclose(f);
        }
}

uint16_t* scanBuffer = nullptr;
int32_t scanCount = 0;
int64_t scanned = 0;
constexpr int32_t StepPerQuery = 3000;
} // namespace

extern "C" {

int cbGetRevision(float* dll, float* driver)
{
    const char* r = std::getenv("STANDIN_CB_REVISION");
    *dll = r ? float(std::atof(r)) : 5.0f;
    *driver = *dll;
    return 0;
}

int cbAIn(int board, int, int range, uint16_t* value)
{
    if (board != 0)
        return 1;
    if (range == 9)
        return 30;
    *value = 3000;
    return 0;
}

int cbToEngUnits(int, int range, uint16_t value, float* volts)
{
    *volts = float(value) / 1000.0f + float(range) * 100.0f;
    return 0;
}

int cbDConfigPort(int board, int port, int direction)
{
    note("config " + std::to_string(board) + " " + std::to_string(port) + " " + std::to_string(direction));
    return 0;
}

int cbDBitIn(int board, int port, int bit, uint16_t* value)
{
    note("in " + std::to_string(board) + " " + std::to_string(port) + " " + std::to_string(bit));
    *value = uint16_t(bit & 1);
    return 0;
}

int cbDIn(int board, int port, uint16_t* value)
{
    note("din " + std::to_string(board) + " " + std::to_string(port));
    *value = 0x5;
    if (const char* path = std::getenv("STANDIN_CB_DIN"))
        if (FILE* f = std::fopen(path, "r")) {
            unsigned v = 0;
            if (std::fscanf(f, "%u", &v) == 1)
                *value = uint16_t(v);
            std::fclose(f);
        }
    return 0;
}

int cbDBitOut(int board, int port, int bit, uint16_t value)
{
    note("out " + std::to_string(board) + " " + std::to_string(port) + " " + std::to_string(bit) + " "
         + std::to_string(value));
    return board == 0 ? 0 : 1;
}

int cbErrHandling(int, int)
{
    return 0;
}

int cbGetErrMsg(int code, char* text)
{
    std::snprintf(text, 64, "Stand-in board error %d", code);
    return 0;
}

int cbGetBoardName(int board, char* name)
{
    std::strcpy(name, board == 0 ? "PCI-DAS1602/16" : "Not Installed");
    return 0;
}

void* cbWinBufAlloc(int32_t points)
{
    return new uint16_t[std::size_t(points)]();
}

int cbWinBufFree(void* buffer)
{
    delete[] static_cast<uint16_t*>(buffer);
    return 0;
}

int cbAInScan(int board, int low, int high, int32_t count, int32_t* rate, int, void* buffer, int)
{
    if (board != 0 || high < low)
        return 1;
    if (const char* grant = std::getenv("STANDIN_CB_GRANT"))
        *rate = std::atoi(grant);
    scanBuffer = static_cast<uint16_t*>(buffer);
    scanCount = count;
    scanned = 0;
    note("scan " + std::to_string(high - low + 1) + " " + std::to_string(*rate));
    return 0;
}

int cbGetStatus(int, int16_t* status, int32_t* count, int32_t* index)
{
    if (!scanBuffer) {
        *index = -1;
        return 0;
    }
    for (int32_t i = 0; i < StepPerQuery; ++i, ++scanned)
        scanBuffer[scanned % scanCount] = uint16_t(scanned % 32768);
    *status = 1;
    *count = int32_t(scanned);
    *index = int32_t(scanned % scanCount);
    return 0;
}

int cbStopBackground(int)
{
    scanBuffer = nullptr;
    note("stop");
    return 0;
}

int cbWinBufToArray(void* buffer, uint16_t* data, int32_t first, int32_t count)
{
    std::memcpy(data, static_cast<uint16_t*>(buffer) + first, std::size_t(count) * 2);
    return 0;
}

int cbGetConfig(int, int, int, int, int* value)
{
    *value = 0;
    return 0;
}

} // extern "C"
