// A stand-in for the Measurement Computing Universal Library: the digital
// entry points the program binds. The input port reads the values listed in
// CB_STANDIN_INPUTS (hexadecimal, comma-separated), one per read, staying on
// the last; output bits are appended to the file CB_STANDIN_OUTPUTS
// ("bit value" lines) when it is set. Bits above 15 are refused with
// error 8.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kBadBit = 8;

std::vector<unsigned short> Inputs()
{
    std::vector<unsigned short> values;
    const char* text = std::getenv("CB_STANDIN_INPUTS");
    std::string list = text ? text : "0";
    std::size_t from = 0;
    while (from <= list.size()) {
        const std::size_t comma = list.find(',', from);
        const std::string item = list.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        values.push_back(static_cast<unsigned short>(std::strtoul(item.c_str(), nullptr, 16)));
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    return values;
}

std::size_t reads = 0;

} // namespace

extern "C" {

int cbDConfigPort(int, int, int)
{
    return 0;
}

int cbDIn(int, int, unsigned short* value)
{
    const std::vector<unsigned short> values = Inputs();
    *value = values[reads < values.size() ? reads : values.size() - 1];
    ++reads;
    return 0;
}

int cbDBitOut(int, int, int bit, unsigned short value)
{
    if (bit < 0 || bit > 15)
        return kBadBit;
    if (const char* file = std::getenv("CB_STANDIN_OUTPUTS")) {
        if (FILE* f = std::fopen(file, "a")) {
            std::fprintf(f, "%d %u\n", bit, unsigned(value));
            std::fclose(f);
        }
    }
    return 0;
}

int cbGetErrMsg(int code, char* text)
{
    std::snprintf(text, 256, "Stand-in error %d", code);
    return 0;
}

int cbGetBoardName(int board, char* name)
{
    std::strcpy(name, board == 0 ? "Stand-in board" : "Not Installed");
    return 0;
}

int cbGetConfig(int, int, int device, int, int* value)
{
    *value = 10 + device;
    return 0;
}
}
