#pragma once

#include "cli/CliRunner.h"

#include <QString>
#include <QStringList>

namespace lockleaf::cli
{

// Whether `arguments` (arguments[0] is the program name) ask for the
// "passwords" command.
bool isPasswordsCommand(const QStringList &arguments);

// `lockleaf-cli passwords list [--show] | add | remove`: the window's saved
// password list, in the system keyring when there is one (its settings file
// otherwise, as the window does). add and remove read one password from the
// first line of standard input, never from the arguments. Returns the exit
// status: 0 done, 1 not done (remove of a password not saved, nothing could be
// saved), 2 usage error. Never throws.
int runPasswordsCommand(const QStringList &arguments, const CliIo &io);

// The saved list as the window would try it; a note for standard error (no
// secret in it) when the keyring cannot be used, "" otherwise.
QStringList savedPasswords(QString *note);

// The "passwords" part of --help.
QString passwordsUsageText();

} // namespace lockleaf::cli
