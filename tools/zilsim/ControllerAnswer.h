#pragma once

#include <QByteArray>
#include <QList>

namespace zilsim {

// What the controller sends back for one frame: one or more pieces, each sent
// after a pause counted from the end of the previous one. Empty = no answer.
struct AnswerPiece
{
    int delayMs = 0;
    QByteArray bytes;
};
using Answer = QList<AnswerPiece>;

// One step of handing an answer to a link: wait, then write the bytes (or
// close the link instead).
struct DeliveryStep
{
    int waitMs = 0;
    QByteArray bytes;
    bool dropLink = false;
};

// What the controller remembers about one link between two frames.
struct SessionState
{
    bool programMode = false;      // after an acknowledged "%CM050" / "%CM060"
    bool awaitingClockSet = false; // after an acknowledged "%CM020"
};

} // namespace zilsim
