#include "FaultOption.h"

namespace zilsim {

namespace {
// Noise without "$" or "%", so the program can still find the answer after it.
const QByteArray DefaultNoise("\xFF\x00#!", 4);

int numberAfterColon(const QString &kind, const QString &name)
{
    if (!kind.startsWith(name + u':'))
        return -1;
    bool ok = false;
    const int value = kind.mid(name.size() + 1).toInt(&ok);
    return ok && value >= 0 ? value : -1;
}
} // namespace

bool applyFaultOption(const QString &kind, ControllerSimulator::Faults &faults)
{
    if (kind == u"silent")
        faults.silent = true;
    else if (kind == u"wrong-status")
        faults.wrongStatus = true;
    else if (kind == u"noise")
        faults.noiseBefore = DefaultNoise;
    else if (kind == u"short")
        faults.shortAnswer = true;
    else if (kind == u"drop")
        faults.dropConnection = true;
    else if (kind == u"no-ack")
        faults.noProgramAck = true;
    else if (kind == u"no-marker")
        faults.withoutMarker = true;
    else if (const int ms = numberAfterColon(kind, QStringLiteral("late")); ms >= 0)
        faults.answerDelayMs = ms;
    else if (const int size = numberAfterColon(kind, QStringLiteral("chunk")); size > 0)
        faults.chunkSize = size;
    else
        return false;
    return true;
}

} // namespace zilsim
