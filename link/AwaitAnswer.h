#pragma once

#include <QByteArray>
#include <optional>

class DeviceLink;

enum class WaitForm {
    Strict,    // passes run while the clock reads earlier than the deadline
    Inclusive, // passes run while the clock reads no later than the deadline
};

enum class LateAnswer {
    Used,     // text read in the pass that ends the wait still counts
    Rejected, // such text is dropped and the wait is a time-out
};

// Waits for at least minChars received characters on the link's open
// channel, counted from the first `marker` when one is given (stray bytes
// before an answer are no part of it), with the deadline `seconds` whole
// seconds after the clock's reading at the start. Text that holds no marker
// is read from its first character: it is complete with minChars - 1
// characters, an answer without its leading "%" or "$", and goes to the
// caller at once to be judged by its first letters. Every pass reads the
// clock, yields once and checks the count; between passes it sleeps until
// data arrives or the next whole second. Returns every waiting character, or
// nullopt on a time-out. The pass whose own clock reading is past the
// deadline is the last one: text it reads is used, or with
// LateAnswer::Rejected dropped as a time-out. With no open channel (or one
// closed during the wait) the result is a time-out. An answer whose marker
// came but whose tail did not is a time-out.
std::optional<QByteArray> AwaitAnswer(DeviceLink &link, int minChars, int seconds, WaitForm form, LateAnswer late,
                                      const QByteArray &marker = {});
