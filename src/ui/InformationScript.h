#pragma once

#include <QString>

namespace lockleaf
{

// The script that asks the macOS Finder to open its information window for the
// file at `path` (an absolute local path):
//
//   tell application "Finder"
//   activate
//   open information window of document file "a.pdf" of folder "Documents"
//   ... of folder "Users" of startup disk
//   end tell
//
// one "of folder" piece per folder, innermost first, none for the root. Every
// name is put inside an AppleScript string literal with its backslashes and
// double quotes escaped, so no file name can end the literal early and run as
// script. Pure function; any thread.
QString informationScript(const QString &path);

// `text` as the content of an AppleScript string literal.
QString appleScriptEscaped(const QString &text);

} // namespace lockleaf
