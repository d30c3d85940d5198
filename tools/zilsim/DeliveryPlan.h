#pragma once

#include "ControllerAnswer.h"
#include "ControllerSimulator.h"

namespace zilsim {

// Turns an answer into the steps that write it to a link, with the faults
// that change how it travels: silence, a dropped link, noise before every
// piece, answers without their leading marker, a late first piece, the last piece one character short, pieces in
// small chunks. (Wrong status and missing acknowledgements change what is
// answered and are decided by the command handlers.)
QList<DeliveryStep> planDelivery(const Answer &answer, const ControllerSimulator::Faults &faults);

// Pause between two chunks of a trickled answer.
constexpr int ChunkGapMs = 20;

} // namespace zilsim
