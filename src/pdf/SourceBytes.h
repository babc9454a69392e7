#pragma once

#include <QString>

#include <memory>
#include <string>

class QPDF;

namespace lockleaf
{

// Files up to this size are read whole, in one call, and parsed from memory.
// qpdf's file source seeks and rereads a few hundred times while it opens a
// file, which costs more than the parse itself for one-page documents.
inline constexpr qint64 kInMemorySourceLimit = 8 * 1024 * 1024;

// The bytes of the file at `path` when it is a non-empty regular file no
// larger than kInMemorySourceLimit that reads completely; otherwise null, and
// the caller reads the file from disk (where qpdf reports what went wrong).
std::shared_ptr<const std::string> readSmallFile(const QString &path);

// Opens `path` in `qpdf` with `password`: from `bytes` when not null (they
// must outlive `qpdf`), else from the file. Throws what QPDF::processFile does.
void processSource(QPDF &qpdf, const QString &path, const std::shared_ptr<const std::string> &bytes,
                   const std::string &password);

} // namespace lockleaf
