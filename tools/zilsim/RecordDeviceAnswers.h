#pragma once

#include "ControllerAnswer.h"

namespace zilsim {

struct ControllerState;

// How a record device (models 1..4) answers one frame, carriage return
// included. Over TCP the frame body comes several times before the carriage
// return; the controller acts on the first copy. Frames for another unit
// than "001" and unknown commands get no answer. Record and test commands
// with fields out of range are refused with status "N" and change nothing.
// wrongStatus: status "N" for "%ZW"/"%ZR", the letters "ER" in place of
// "DT", "DR" and "UR".
Answer answerRecordFrame(const QByteArray &frame, ControllerState &state, bool wrongStatus);

} // namespace zilsim
