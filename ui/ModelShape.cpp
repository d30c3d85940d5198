#include "ui/ModelShape.h"

int shownLabelPairs(DeviceModel model)
{
    return facts(model).intervalPairs;
}

QString rowCaption(DeviceModel model, int row)
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
