#include "ui/ModelShape.h"

#include "schedule/RingCalendar.h"

int shownRowCount(int model)
{
    switch (model) {
    case ModelV1:
    case ModelV2Times24: return 24;
    case ModelV2IntervalTimer: return 2;
    case ModelV3Times64: return SlotsPerDay;
    case ModelV3IntervalTimer: return 16;
    default: return 0;
    }
}

bool isIntervalModel(int model)
{
    return model == ModelV2IntervalTimer || model == ModelV3IntervalTimer;
}

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
