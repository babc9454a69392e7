#pragma once

#include <QString>

namespace lockleaf
{

// Copies the file at `from` to the new name `to` (never replacing anything
// there): the copy has `from`'s owner, group, extended attributes and mode,
// and is flushed to disk, with its folder, before this returns. It is
// written under a temporary name first, so `to` never names a partial copy.
// Empty on success, else why it failed (nothing is left behind then).
QString copyFileDurably(const QString &from, const QString &to);

} // namespace lockleaf
