#pragma once

#include <QVariantList>

// The result of the last successful memory dump (32 byte values as numbers)
// or program-mode clock read (seven two-character texts and an empty eighth).
// A failed command leaves it as it was.
using ReplyData = QVariantList;
