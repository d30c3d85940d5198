#include "schedule/DeviceModelNames.h"

QString modelCaption(int model)
{
    switch (model) {
    case ModelV1: return QStringLiteral("V1");
    case ModelV2Times24: return QStringLiteral("V2  (24 Zaman)");
    case ModelV2IntervalTimer: return QStringLiteral("V2  (Int. Timer)");
    case ModelV3Times64: return QStringLiteral("V3  (64 Zaman)");
    case ModelV3IntervalTimer: return QStringLiteral("V3  (Int. Timer)");
    default: return {};
    }
}

QString modelShortName(int model)
{
    switch (model) {
    case ModelV1: return QStringLiteral("v1");
    case ModelV2Times24: return QStringLiteral("v2-24");
    case ModelV2IntervalTimer: return QStringLiteral("v2-int");
    case ModelV3Times64: return QStringLiteral("v3-64");
    case ModelV3IntervalTimer: return QStringLiteral("v3-int");
    default: return {};
    }
}

std::optional<DeviceModel> modelFromName(const QString &name)
{
    const QString wanted = name.simplified().toCaseFolded();
    if (wanted.isEmpty())
        return std::nullopt;
    for (int model = 0; model < ModelCount; ++model) {
        if (wanted == modelShortName(model) || wanted == modelCaption(model).simplified().toCaseFolded())
            return DeviceModel(model);
    }
    return std::nullopt;
}

QString lineSettingsForModel(int model)
{
    return model == ModelV1 ? QStringLiteral("9600,o,8,1") : QStringLiteral("38400,o,8,1");
}
