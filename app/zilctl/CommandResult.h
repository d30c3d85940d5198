#pragma once

#include "ExitCode.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// The outcome of one subcommand, printed once by main.
struct CommandResult
{
    ExitCode exitCode = ExitCode::Success;
    QString message;     // what a person reads
    QByteArray output;   // the product (the schedule text) for standard output
    QJsonObject details; // extra fields of the --json object

    static CommandResult failure(ExitCode code, const QString &message, const QJsonObject &details = {})
    {
        return {code, message, {}, details};
    }
    bool succeeded() const { return exitCode == ExitCode::Success; }
};

// The --json object, one line.
QByteArray resultJson(const QString &command, const CommandResult &result);

// Plain: the product and a success message on standard output, a failure
// on standard error. --json: one object on standard output, nothing else.
void printResult(const QString &command, const CommandResult &result, bool json);
