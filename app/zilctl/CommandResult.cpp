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

void printResult(const QString &command, const CommandResult &result, bool json)
{
    if (json) {
        QJsonObject object = result.details;
        object.insert(QStringLiteral("command"), command);
        object.insert(QStringLiteral("ok"), result.succeeded());
        object.insert(QStringLiteral("exit_code"), exitStatus(result.exitCode));
        object.insert(QStringLiteral("message"), result.message);
        writeTo(stdout, QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
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
