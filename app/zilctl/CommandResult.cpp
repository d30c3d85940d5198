#include "CommandResult.h"

#include <QJsonDocument>
#include <cstdio>

namespace {
void writeTo(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}
} // namespace

QByteArray resultJson(const QString &command, const CommandResult &result)
{
    QJsonObject object = result.details;
    object.insert(QStringLiteral("command"), command);
    object.insert(QStringLiteral("ok"), result.succeeded());
    object.insert(QStringLiteral("exit_code"), exitStatus(result.exitCode));
    object.insert(QStringLiteral("message"), result.message);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

void printResult(const QString &command, const CommandResult &result, bool json)
{
    if (json) {
        writeTo(stdout, resultJson(command, result));
        return;
    }
    writeTo(stdout, result.output);
    if (result.message.isEmpty())
        return;
    if (result.succeeded())
        writeTo(stdout, result.message.toUtf8() + '\n');
    else
        writeTo(stderr, QStringLiteral("zilctl: %1\n").arg(result.message).toUtf8());
}
