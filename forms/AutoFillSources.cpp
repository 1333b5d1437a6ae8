#include "forms/AutoFillSources.h"

namespace velmar::forms {

namespace {
AutoFillSources* g_sources = nullptr;
} // namespace

std::optional<double> AutoFillSources::nmeaFloat(const QString&, int)
{
    return std::nullopt;
}

std::optional<int> AutoFillSources::nmeaInt(const QString&, int)
{
    return std::nullopt;
}

std::optional<QString> AutoFillSources::nmeaString(const QString&, int)
{
    return std::nullopt;
}

std::optional<double> AutoFillSources::readVoltage(int, int, int, int)
{
    return std::nullopt;
}

std::optional<int> AutoFillSources::readDigitalLine(int, int, int)
{
    return std::nullopt;
}

bool AutoFillSources::boardLibraryBound()
{
    return false;
}

void AutoFillSources::requestDigitalOutput(int, int) {}

std::optional<QString> AutoFillSources::weatherValue(int)
{
    return std::nullopt;
}

void setAutoFillSources(AutoFillSources* sources)
{
    g_sources = sources;
}

AutoFillSources& autoFillSources()
{
    static AutoFillSources none;
    return g_sources ? *g_sources : none;
}

} // namespace velmar::forms
