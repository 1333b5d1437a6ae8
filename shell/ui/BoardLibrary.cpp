#include "shell/ui/BoardLibrary.h"

#include <array>

namespace velmar::shell::ui {

namespace {
BoardLibrary nullLibrary;
BoardLibrary* installed = nullptr;

// Port type codes of the Universal Library: AUXPORT is 1, then FIRSTPORTA is
// 10 and the ports of each group follow in the order A, B, CL, CH.
constexpr int AuxPort = 1;
constexpr int FirstPortA = 10;
constexpr std::array<const char*, 8> Ordinals = {"FIRST", "SECOND", "THIRD",   "FOURTH",
                                                 "FIFTH", "SIXTH",  "SEVENTH", "EIGHTH"};
constexpr std::array<const char*, 4> Halves = {"A", "B", "CL", "CH"};
} // namespace

QString BoardLibrary::CbPortName(int portType)
{
    if (portType == AuxPort)
        return QStringLiteral("AUXPORT");
    const int n = portType - FirstPortA;
    if (n < 0)
        return QStringLiteral("Unknown Port");
    const std::size_t group = std::size_t(n / 4);
    const std::size_t half = std::size_t(n % 4);
    // The eighth group has only ports A and B.
    if (group >= Ordinals.size() || (group == Ordinals.size() - 1 && half > 1))
        return QStringLiteral("Unknown Port");
    return QStringLiteral("%1PORT%2").arg(QLatin1String(Ordinals[group]), QLatin1String(Halves[half]));
}

BoardLibrary& boardLibrary()
{
    return installed ? *installed : nullLibrary;
}

void setBoardLibrary(BoardLibrary* library)
{
    installed = library;
}

} // namespace velmar::shell::ui
