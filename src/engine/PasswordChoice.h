#pragma once

#include <QString>
#include <QStringList>

namespace lockleaf
{

// Of `passwords`, the first that opens the encrypted PDF at `path` with the
// right to copy (which rewriting it without security needs: the permission
// password, or an open password whose file allows copying); failing that, the
// first that opens it at all. "" when none opens it or it is not encrypted.
// Each try re-reads the file. Never throws.
QString passwordGrantingCopy(const QString &path, const QStringList &passwords);

} // namespace lockleaf
