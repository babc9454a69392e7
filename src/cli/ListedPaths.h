#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QTemporaryFile>

#include <memory>
#include <optional>

namespace lockleaf::cli
{

// A --files-from list as the command line names it.
struct ListSource {
    QString name; // as messages name it: the file given, or "standard input"
    QString file; // the list's file, absolute
    // Standard input, copied to a file when the command starts (so the list
    // can be read twice and is never held in memory); removed with the last copy.
    std::shared_ptr<QTemporaryFile> spool;
};

// Reads a --files-from list one path at a time, so a list of a million paths
// is never held: one path per line ("\n", "\r\n"), or, `nulSeparated`, paths
// ended by NUL bytes as `find -print0` writes them. Paths are in the
// file-name encoding; relative ones are taken from the current folder. Empty
// lines are passed over; a line that names nothing usable is given with the
// reason, its line number included.
class ListReader
{
public:
    ListReader(const ListSource &source, bool nulSeparated);

    struct Entry {
        QString path;   // absolute, cleaned, when usable; else what the line said
        QString reason; // "" when usable; "line N of LIST: ..." when not
    };
    // The next entry; none at the end of the list.
    std::optional<Entry> next();
    // Whether the list could be opened at all.
    bool isOpen() const { return m_device && m_device->isOpen(); }

    // The longest path a line may hold (PATH_MAX); a longer line is a bad one.
    static constexpr qsizetype kMaxLineBytes = 4096;

private:
    bool readLine(QByteArray *line, bool *tooLong);

    QString m_name;
    bool m_nul;
    std::unique_ptr<QIODevice> m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_lineNumber = 0;
};

} // namespace lockleaf::cli
