#include "DeliveryPlan.h"

namespace zilsim {

QList<DeliveryStep> planDelivery(const Answer &answer, const ControllerSimulator::Faults &faults)
{
    QList<DeliveryStep> steps;
    if (answer.isEmpty() || faults.silent)
        return steps;
    const int delayMs = qMax(0, faults.answerDelayMs);
    if (faults.dropConnection) {
        steps.append(DeliveryStep{delayMs, {}, true});
        return steps;
    }
    for (qsizetype i = 0; i < answer.size(); ++i) {
        QByteArray bytes = answer.at(i).bytes;
        if (faults.withoutMarker && (bytes.startsWith('%') || bytes.startsWith('$')))
            bytes.remove(0, 1);
        bytes.prepend(faults.noiseBefore);
        // The last piece is the one whose length the program counts on.
        if (faults.shortAnswer && i == answer.size() - 1)
            bytes.chop(1);
        int waitMs = qMax(0, answer.at(i).delayMs) + (i == 0 ? delayMs : 0);
        const qsizetype chunk = faults.chunkSize > 0 ? faults.chunkSize : qMax<qsizetype>(1, bytes.size());
        for (qsizetype at = 0; at < bytes.size(); at += chunk) {
            steps.append(DeliveryStep{waitMs, bytes.mid(at, chunk), false});
            waitMs = ChunkGapMs;
        }
    }
    return steps;
}

} // namespace zilsim
