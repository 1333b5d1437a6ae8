// A stand-in for the traditional NI-DAQ library, loaded by the tests in its
// place. Device 1 is a board of type STANDIN_NI_TYPE (44, a 12-bit board of gain family 4,
// when unset); other devices are not installed. Every analog reading is 2047
// counts. A double-buffered scan has a half ready at every query, whose
// samples count on from 0. STANDIN_NI_FAIL names a call that fails; the
// calls that matter are logged to STANDIN_NI_LOG. It has no DIG_In_Line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
void note(const std::string& line)
{
    if (const char* path = std::getenv("STANDIN_NI_LOG"))
        if (FILE* f = std::fopen(path, "a")) {
            std::fprintf(f, "%s\n", line.c_str());
            std::fclose(f);
        }
}

int16_t result(const char* call)
{
    const char* failing = std::getenv("STANDIN_NI_FAIL");
    return failing && std::strcmp(failing, call) == 0 ? int16_t(-10003) : int16_t(0);
}

int16_t next = 0;
} // namespace

extern "C" {

int16_t Get_DAQ_Device_Info(int16_t device, uint32_t, uint32_t* value)
{
    if (device != 1)
        return -10401;
    const char* type = std::getenv("STANDIN_NI_TYPE");
    *value = uint32_t(type ? std::atoi(type) : 44);
    return 0;
}

int16_t Init_DA_Brds(int16_t, int16_t* code)
{
    *code = 0;
    note("init");
    return 0;
}

int16_t AI_Configure(int16_t, int16_t channel, int16_t, int16_t, int16_t, int16_t)
{
    note("configure " + std::to_string(channel));
    return 0;
}

int16_t Timeout_Config(int16_t, int32_t)
{
    return result("Timeout_Config");
}
int16_t DAQ_Rate(double, int16_t, int16_t* timebase, uint16_t* interval)
{
    *timebase = 1;
    *interval = 10;
    return result("DAQ_Rate");
}
int16_t DAQ_DB_Config(int16_t, int16_t)
{
    return result("DAQ_DB_Config");
}

int16_t SCAN_Setup(int16_t, int16_t count, const int16_t* channels, const int16_t*)
{
    std::string line = "setup";
    for (int i = 0; i < count; ++i)
        line += " " + std::to_string(channels[i]);
    note(line);
    return result("SCAN_Setup");
}

int16_t SCAN_Start(int16_t, int16_t*, uint32_t count, int16_t, uint16_t, int16_t, uint16_t)
{
    note("start " + std::to_string(count));
    next = 0;
    return result("SCAN_Start");
}

int16_t DAQ_Clear(int16_t)
{
    note("clear");
    return 0;
}

int16_t DAQ_DB_HalfReady(int16_t, int16_t* ready, int16_t* status)
{
    *ready = 1;
    *status = 0;
    return 0;
}

int16_t DAQ_DB_Transfer(int16_t, int16_t* buffer, uint32_t* points, int16_t* status)
{
    for (uint32_t i = 0; i < *points; ++i)
        buffer[i] = next++;
    *status = 0;
    return 0;
}

int16_t AI_Read(int16_t, int16_t channel, int16_t gain, int16_t* reading)
{
    note("read " + std::to_string(channel) + " " + std::to_string(gain));
    *reading = 2047;
    return 0;
}

int16_t DIG_Line_Config(int16_t, int16_t, int16_t, int16_t)
{
    return 0;
}
int16_t Config_DAQ_Event_Message()
{
    return 0;
}

} // extern "C"
