#pragma once

#include <QByteArray>

namespace lockleaf
{

// Gives the open file `toFd` what the file at `from` carries besides its
// bytes: owner and group, extended attributes (ACLs, labels, user.*) and
// permission bits, in that order (a change of owner may clear mode bits, and
// an ACL written after the mode would set the group bits). An owner that
// cannot be kept (not running as root) leaves the writer's, with the group
// where allowed; an attribute the file system or the rights refuse is left
// out. False when `from` cannot be read at all.
bool copyFileAttributes(const QByteArray &from, int toFd);

// The process's file-mode creation mask, read without changing it (umask(2)
// can only be read by setting it, which races with other threads' files).
unsigned currentUmask();

} // namespace lockleaf
