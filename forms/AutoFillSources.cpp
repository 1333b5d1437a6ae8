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

bool AutoFillSources::requestDigitalOutput(int, int)
{
    return false;
}

std::optional<QString> AutoFillSources::weatherValue(int)
{
    return std::nullopt;
}

std::optional<double> ForwardingAutoFillSources::nmeaFloat(const QString& sentence, int position)
{
    return m_others.nmeaFloat(sentence, position);
}

std::optional<int> ForwardingAutoFillSources::nmeaInt(const QString& sentence, int position)
{
    return m_others.nmeaInt(sentence, position);
}

std::optional<QString> ForwardingAutoFillSources::nmeaString(const QString& sentence, int position)
{
    return m_others.nmeaString(sentence, position);
}

std::optional<double> ForwardingAutoFillSources::readVoltage(int boardType, int boardNumber, int channel, int gain)
{
    return m_others.readVoltage(boardType, boardNumber, channel, gain);
}

std::optional<int> ForwardingAutoFillSources::readDigitalLine(int boardType, int boardNumber, int line)
{
    return m_others.readDigitalLine(boardType, boardNumber, line);
}

bool ForwardingAutoFillSources::boardLibraryBound()
{
    return m_others.boardLibraryBound();
}

bool ForwardingAutoFillSources::requestDigitalOutput(int line, int count)
{
    return m_others.requestDigitalOutput(line, count);
}

std::optional<QString> ForwardingAutoFillSources::weatherValue(int item)
{
    return m_others.weatherValue(item);
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
