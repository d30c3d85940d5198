#include "ui/TypedNumbers.h"

#include "link/LinkSettings.h"
#include "schedule/NumberText.h"

#include <cmath>

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
