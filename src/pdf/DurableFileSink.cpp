#include "pdf/DurableFileSink.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace lockleaf
{

DurableFileSink::DurableFileSink(int fd, std::string name)
    : Pipeline("output file", nullptr), m_fd(fd), m_name(std::move(name))
{
    m_buffer.reserve(kBufferSize);
}

void DurableFileSink::write(unsigned char const *data, size_t len)
{
    if (m_failed)
        return;
    if (m_buffer.size() + len > kBufferSize)
        flush();
    if (m_failed)
        return;
    if (len >= kBufferSize) {
        writeAll(data, len);
        return;
    }
    m_buffer.insert(m_buffer.end(), data, data + len);
}

void DurableFileSink::finish()
{
    flush();
}

void DurableFileSink::flush()
{
    if (!m_buffer.empty() && !m_failed)
        writeAll(m_buffer.data(), m_buffer.size());
    m_buffer.clear();
}

void DurableFileSink::writeAll(unsigned char const *data, size_t len)
{
    while (len > 0) {
        const ssize_t n = ::write(m_fd, data, len);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_failed = true;
            m_error = m_name + ": " + std::strerror(errno);
            m_buffer.clear();
            return;
        }
        data += n;
        len -= static_cast<size_t>(n);
        m_written += n;
    }
#ifdef __linux__
    if (m_written - m_writebackStart >= kWritebackChunk) {
        // Only a hint: a failure here leaves the fsync to do all the work.
        ::sync_file_range(m_fd, m_writebackStart, m_written - m_writebackStart, SYNC_FILE_RANGE_WRITE);
        m_writebackStart = m_written;
    }
#endif
}

void clearUpperVectorState()
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx)
        asm volatile("vzeroupper" ::: "memory");
#endif
}

void syncFolder(const QString &dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace lockleaf
