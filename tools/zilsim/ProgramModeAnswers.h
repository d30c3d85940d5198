#pragma once

#include "ControllerAnswer.h"

namespace zilsim {

struct ControllerState;

// How a "V1" controller answers one frame (carriage return included).
// Frames it does not understand, malformed ones, block writes and dumps
// outside program mode and addresses beyond its memory get no answer.
// wrongStatus: acknowledgements turn into refusals of the same length, the
// clock answer carries other letters than "SRTC" and the dump other letters
// than "RE". noAck: "%CM" requests are never answered.
Answer answerProgramModeFrame(const QByteArray &frame, ControllerState &state, SessionState &session, bool wrongStatus, bool noAck);

// The acknowledgement "%PICOKXXX" padded to the 28 characters the program
// waits for; a refusal has the same length.
QByteArray programModeAck();
QByteArray programModeRefusal();

} // namespace zilsim
