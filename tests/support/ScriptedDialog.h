#pragma once

#include "ui/OperatorDialog.h"

#include <QCursor>
#include <QGuiApplication>
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
        bool busyCursor = false; // the wait cursor was up while it was asked
    };

    QList<DialogAnswer> answers;
    QList<Message> messages;

    DialogAnswer ask(const QString &text, DialogButtons buttons) override
    {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        messages.append({text, buttons, cursor && cursor->shape() == Qt::WaitCursor});
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
