#pragma once

#include "ui/OperatorDialog.h"

#include <QList>
#include <QString>

// Answers the questions from a queue and records everything asked and told; with
// the queue dry, the cautious way: Cancel, No, or Ok for a plain message.
class ScriptedDialog final : public OperatorDialog
{
public:
    struct Message
    {
        QString text;
        DialogButtons buttons;
    };

    QList<DialogAnswer> answers;
    QList<Message> messages;

    DialogAnswer ask(const QString &text, DialogButtons buttons) override
    {
        messages.append({text, buttons});
        return answers.isEmpty() ? cautiousAnswer(buttons) : answers.takeFirst();
    }

    QStringList texts() const
    {
        QStringList all;
        for (const Message &message : messages)
            all.append(message.text);
        return all;
    }
};
