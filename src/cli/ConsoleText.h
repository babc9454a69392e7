#pragma once

#include <QString>

namespace lockleaf::cli
{

// `text` safe for one line of a terminal or a script: a backslash becomes
// "\\", line feed "\n", carriage return "\r", tab "\t", and every other
// control character (U+0000-U+001F, U+007F-U+009F) "\xHH". Anything else,
// including non-ASCII letters, is kept.
QString escaped(const QString &text);

} // namespace lockleaf::cli
