#include "schedule/DeviceModelNames.h"

#include <QStringList>

QString modelCaption(DeviceModel model)
{
    return facts(model).caption.toString();
}

QString modelShortName(DeviceModel model)
{
    return facts(model).shortName.toString();
}

std::optional<DeviceModel> modelFromName(const QString &name)
{
    const QString wanted = name.simplified().toCaseFolded();
    if (wanted.isEmpty())
        return std::nullopt;
    for (const ModelFacts &row : ModelTable::Rows) {
        if (wanted == row.shortName || wanted == row.caption.toString().simplified().toCaseFolded())
            return row.model;
    }
    return std::nullopt;
}

QString modelNameList(bool quoted, const QString &beforeShortNames)
{
    QStringList captions, shortNames;
    for (const ModelFacts &row : ModelTable::Rows) {
        const QString caption = row.caption.toString();
        captions << (quoted && caption.contains(u' ') ? u'"' + caption + u'"' : caption);
        shortNames << row.shortName.toString();
    }
    return captions.join(QStringLiteral(", ")) + beforeShortNames + shortNames.join(QStringLiteral(", "));
}
