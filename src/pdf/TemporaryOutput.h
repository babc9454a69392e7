#pragma once

#include <QByteArray>
#include <QString>

namespace lockleaf
{

// The hidden file a write goes to before it replaces its target: created in
// the target's folder (so the final rename stays on one file system), named
// .lockleaf-<pid>-XXXXXX.tmp, owner-only until it replaces something, and
// removed when the object dies without replace() having succeeded.
//
// The first time a process writes to a folder, the temporary files that
// processes no longer running left there (kill -9, a crash, a power cut) are
// removed: they may hold decrypted content.
class TemporaryOutput final
{
public:
    explicit TemporaryOutput(const QString &targetPath);
    ~TemporaryOutput();
    TemporaryOutput(const TemporaryOutput &) = delete;
    TemporaryOutput &operator=(const TemporaryOutput &) = delete;

    // Creates the file. False with error() set when the folder refuses it.
    bool create();
    // The descriptor to write to; open until replace() or destruction.
    int fd() const { return m_fd; }
    QByteArray nativePath() const { return m_path; }
    QString path() const;
    // Flushes the written bytes to the disk.
    bool sync();
    // The permission bits a new target is given: these without the execute
    // bits and with the umask applied, so never wider than the file it was
    // made from. Default 0644 (before the umask).
    void setNewFileMode(unsigned mode) { m_newFileMode = mode; }
    // Gives the file the owner, group, extended attributes and mode of the
    // target it replaces (see copyFileAttributes), or the new-file mode, then
    // renames it over the target.
    bool replace();
    // Gives the file the name of the target only when nothing has that name
    // yet; its attributes are the caller's. Then the folder is synced.
    bool placeAsNew();
    QString error() const { return m_error; }

private:
    bool fail(const QString &what);

    QString m_target;
    QByteArray m_path;
    int m_fd = -1;
    unsigned m_newFileMode = 0644;
    bool m_replaced = false;
    QString m_error;
};

// Removes from `dir` the regular files named .lockleaf-<pid>-XXXXXX.tmp whose
// process no longer exists; a live process's files and every other name are
// left alone. Done once per folder per process unless `force`.
void removeStaleTemporaryFiles(const QString &dir, bool force = false);

} // namespace lockleaf
