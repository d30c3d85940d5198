#pragma once

#include <QString>
#include <optional>
#include <string_view>

// Debian's toml++ 3.3 mishandles a few inputs that a site file can hold:
// - a non-ASCII character where it asks "is this a blank?" (outside quotes,
//   or at a line that a backslash continues in a """ text): its table has no
//   entry for U+00A1-U+0499, U+2C5E-U+3057 and U+FB26-U+FEFE, and the lookup
//   runs into undefined behaviour;
// - "[" with no name after it ("[=", "[\n"): the key reader is entered on a
//   character no key starts with;
// - a date, a blank and one digit ("2027-02-01 1"): the look-ahead for a time
//   reads past the end of the value;
// - "}" where an array wants a value ("[}", "[1,}").
// The last three are assertions in a debug build and assumptions in a
// release one. Each is a syntax error, so the text is walked before the
// reader sees it, as the reader would walk it, and the first such place is
// refused with a plain message. Line and column count as the reader's do.
struct TomlTrap
{
    int line = 0;
    int column = 0;
    QString message;
};

std::optional<TomlTrap> findTomlReaderTrap(std::string_view text);
