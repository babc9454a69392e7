#include "cli/ListedPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lockleaf::cli
{

ListReader::ListReader(const ListSource &source, bool nulSeparated) : m_name(source.name), m_nul(nulSeparated)
{
    m_device = std::make_unique<QFile>(source.file);
    m_device->open(QIODevice::ReadOnly);
}

bool ListReader::readLine(QByteArray *line, bool *tooLong)
{
    const char separator = m_nul ? '\0' : '\n';
    line->clear();
    *tooLong = false;
    for (;;) {
        const qsizetype end = m_buffer.indexOf(separator, m_pos);
        const qsizetype stop = end < 0 ? m_buffer.size() : end;
        // A line past any path's length (/dev/zero named by mistake) is kept
        // short and read on to its end, never held whole.
        const qsizetype room = kMaxLineBytes + 1 - line->size();
        if (room > 0)
            line->append(m_buffer.constData() + m_pos, std::min(room, stop - m_pos));
        if (line->size() > kMaxLineBytes)
            *tooLong = true;
        if (end >= 0) {
            m_pos = end + 1;
            return true;
        }
        m_buffer = m_device && m_device->isOpen() ? m_device->read(64 * 1024) : QByteArray();
        m_pos = 0;
        if (m_buffer.isEmpty())
            return !line->isEmpty(); // the last line, without its end
    }
}

std::optional<ListReader::Entry> ListReader::next()
{
    QByteArray raw;
    bool tooLong = false;
    while (readLine(&raw, &tooLong)) {
        ++m_lineNumber;
        if (!m_nul && raw.endsWith('\r'))
            raw.chop(1);
        if (raw.isEmpty())
            continue;
        const QString path = QFile::decodeName(raw);
        const QString where = QStringLiteral("line %1 of %2").arg(m_lineNumber).arg(m_name);
        if (tooLong)
            return Entry{path.left(64) + QStringLiteral("..."),
                         where + QStringLiteral(": longer than any path (%1 bytes)").arg(kMaxLineBytes)};
        // A NUL-separated list read as lines (or the other way round) gives
        // names no file has: said per line, not guessed at.
        if (!m_nul && raw.contains('\0'))
            return Entry{path, where + QStringLiteral(": holds a NUL byte (use --null)")};
        const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        const QFileInfo info(absolute);
        if (!info.exists() && !info.isSymLink())
            return Entry{path, where + QStringLiteral(": no such file or folder")};
        return Entry{absolute, QString()};
    }
    return std::nullopt;
}

} // namespace lockleaf::cli
