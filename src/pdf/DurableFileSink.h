#pragma once

#include <QString>

#include <qpdf/Pipeline.hh>

#include <string>
#include <sys/types.h>
#include <vector>

namespace lockleaf
{

// The output pipeline of a write: buffered writes to a descriptor it does not
// own. On Linux it asks the kernel to start writing back every few MiB while
// qpdf is still encrypting, so the fsync before the rename finds little left
// to do; a large file then costs about what an unsynced write would.
// A failed write throws QPDFExc(qpdf_e_system) naming `name`.
class DurableFileSink final : public Pipeline
{
public:
    DurableFileSink(int fd, std::string name);

    void write(unsigned char const *data, size_t len) override;
    void finish() override;

private:
    static constexpr size_t kBufferSize = 1 << 20;
    static constexpr off_t kWritebackChunk = 8 << 20;

    void flush();
    void writeAll(unsigned char const *data, size_t len);

    int m_fd;
    std::string m_name;
    std::vector<unsigned char> m_buffer;
    off_t m_written = 0;
    off_t m_writebackStart = 0;
};

// Some vector routines that run before a write (measured: string and URL work
// while gathering) leave the upper halves of the AVX registers dirty. The AES-NI
// code qpdf reaches through gnutls is legacy SSE and then pays a transition
// penalty on every 16-byte block: a 128-bit secured write ran 3x slower than
// qpdf's own. vzeroupper clears that state and changes nothing else.
void clearUpperVectorState();

// Closes a descriptor on every path out of a write.
struct FdGuard {
    int fd;
    ~FdGuard();
};

// Makes a rename durable; a failure here does not undo a completed write.
void syncFolder(const QString &dir);

} // namespace lockleaf
