#pragma once

#include "model/FileItem.h"

#include <QList>
#include <QString>

#include <memory>

namespace lockleaf
{

// One output document to produce: the source's full path and the file items
// (the window's own, shared) whose documents make it. The window puts exactly
// one item in each.
struct OutputFile {
    QString filename;
    QList<FileItemPtr> fileItems;
};
using OutputFilePtr = std::shared_ptr<OutputFile>;

} // namespace lockleaf
