// A stand-in for the NI-DAQmx library, loaded by Pelvane's tests in its
// place: device Dev1 is a "PCI-6221" whose analog inputs give, per scan and
// channel c, the sample ((scan mod 4096) << 4) | c; scans become available
// as fast as they are read. STANDIN_DAQMX_FAIL names a call that fails.
// It keeps a log of the calls that matter in STANDIN_DAQMX_LOG.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
struct Task {
    std::vector<int> channels;
    std::vector<int> terminals;
    uint64_t scan = 0;
    bool started = false;
};

void note(const std::string& line)
{
    if (const char* path = std::getenv("STANDIN_DAQMX_LOG")) {
        if (FILE* f = std::fopen(path, "a")) {
            std::fprintf(f, "%s\n", line.c_str());
            std::fclose(f);
        }
    }
}

int32_t result(const char* call)
{
    const char* failing = std::getenv("STANDIN_DAQMX_FAIL");
    if (failing && std::strcmp(failing, call) == 0) {
        note(std::string("fail ") + call);
        return -200077;
    }
    return 0;
}
} // namespace

extern "C" {

int32_t DAQmxGetDevProductType(const char* device, char* data, uint32_t size)
{
    if (std::strcmp(device, "Dev1") != 0)
        return -200220;
    std::snprintf(data, size, "PCI-6221");
    return 0;
}

int32_t DAQmxGetErrorString(int32_t code, char* text, uint32_t size)
{
    std::snprintf(text, size, "Stand-in error %d", int(code));
    return 0;
}

int32_t DAQmxCreateTask(const char* name, void** task)
{
    note(std::string("create ") + name);
    *task = new Task;
    return result("DAQmxCreateTask");
}

int32_t DAQmxCreateAIVoltageChan(void* task, const char* physical, const char*, int32_t terminal, double, double,
                                 int32_t, const char*)
{
    const char* ai = std::strstr(physical, "/ai");
    static_cast<Task*>(task)->channels.push_back(ai ? std::atoi(ai + 3) : -1);
    note(std::string("channel ") + physical + " " + std::to_string(terminal));
    return result("DAQmxCreateAIVoltageChan");
}

int32_t DAQmxSetAIRngLow(void*, const char*, double)
{
    return result("DAQmxSetAIRngLow");
}
int32_t DAQmxSetAIRngHigh(void*, const char*, double)
{
    return result("DAQmxSetAIRngHigh");
}
int32_t DAQmxCfgSampClkTiming(void*, const char*, double, int32_t, int32_t, uint64_t)
{
    return result("DAQmxCfgSampClkTiming");
}

int32_t DAQmxStartTask(void* task)
{
    static_cast<Task*>(task)->started = true;
    return result("DAQmxStartTask");
}

int32_t DAQmxStopTask(void*)
{
    note("stop");
    return result("DAQmxStopTask");
}

int32_t DAQmxClearTask(void* task)
{
    note("clear");
    delete static_cast<Task*>(task);
    return result("DAQmxClearTask");
}

int32_t DAQmxGetReadAvailSampPerChan(void*, uint32_t* available)
{
    *available = 1u << 20;
    return 0;
}

int32_t DAQmxReadRaw(void* handle, int32_t scans, double, void* data, uint32_t bytes, int32_t* read, int32_t* width,
                     uint32_t*)
{
    auto* task = static_cast<Task*>(handle);
    auto* out = static_cast<int16_t*>(data);
    const std::size_t k = task->channels.size();
    const int32_t fit = int32_t(bytes / (2 * k));
    const int32_t n = scans < fit ? scans : fit;
    for (int32_t s = 0; s < n; ++s, ++task->scan)
        for (std::size_t c = 0; c < k; ++c)
            out[std::size_t(s) * k + c] = int16_t(((task->scan % 4096) << 4) | uint64_t(task->channels[c]));
    *read = n;
    *width = 2;
    return 0;
}

} // extern "C"
