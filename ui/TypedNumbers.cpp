#include "ui/TypedNumbers.h"

#include "schedule/NumberText.h"

#include <cmath>

namespace {
constexpr int LowestTcpPort = 1;
constexpr int HighestTcpPort = 65535;
} // namespace

int tcpPortFromText(const QString &text)
{
    const double rounded = std::nearbyint(leadingValue(text)); // halves to even
    if (!(rounded >= LowestTcpPort && rounded <= HighestTcpPort))
        return 0;
    return int(rounded);
}

qint16 relayTestSeconds(const QString &text)
{
    return wholeValue(leadingValue(text)).value_or(0);
}
