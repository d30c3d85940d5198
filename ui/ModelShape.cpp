#include "ui/ModelShape.h"

#include "schedule/RingCalendar.h"

int shownLabelPairs(int model)
{
    switch (model) {
    case ModelV2IntervalTimer: return 1;
    case ModelV3IntervalTimer: return 8;
    default: return 0;
    }
}

QString rowCaption(int model, int row)
{
    return isIntervalModel(model) ? QString() : QString::number(row + 1);
}

QString startLabelText(int pair)
{
    return QStringLiteral("Başlama %1:").arg(pair + 1);
}

QString endLabelText(int pair)
{
    return QStringLiteral("Bitiş %1:").arg(pair + 1);
}
