#pragma once

#include "model/FileItem.h"

#include <QDialog>
#include <QString>

namespace lockleaf
{

// The information window of one file on platforms without the Finder's: name,
// folder, size, pages, whether it is secured, and the created / modified /
// accessed dates, read from the item when the window is made.
//
// A plain non-modal window, like the Finder's, so several can stay open side
// by side; it deletes itself when closed. Main thread only.
class FileInformationDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileInformationDialog)

public:
    FileInformationDialog(const FileItemPtr &item, QWidget *parent);

    // The value shown beside a label ("Name", "Folder", "Size", "Pages",
    // "Secured", "Created", "Modified", "Accessed", in English whatever the
    // language shown); "" for another label.
    QString valueOf(const QString &label) const;
};

} // namespace lockleaf
