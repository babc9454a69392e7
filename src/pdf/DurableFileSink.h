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
// It never throws: qpdf calls write() and finish() from destructors (when it
// pops its pipeline stack), where a throw terminates the program, as a full
// disk once did. A failed write drops what is buffered, turns every later
// write into a no-op, and is reported by failed() / error() after the write.
class DurableFileSink final : public Pipeline
{
public:
    DurableFileSink(int fd, std::string name);

    void write(unsigned char const *data, size_t len) override;
    void finish() override;
    // True once a write to the descriptor failed; error() says why.
    bool failed() const { return m_failed; }
    std::string error() const { return m_error; }

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
    bool m_failed = false;
    std::string m_error;
};

// Some vector routines that run before a write (measured: string and URL work
// while gathering) leave the upper halves of the AVX registers dirty. The AES-NI
// code qpdf reaches through gnutls is legacy SSE and then pays a transition
// penalty on every 16-byte block: a 128-bit secured write ran 3x slower than
// qpdf's own. vzeroupper clears that state and changes nothing else.
void clearUpperVectorState();

// Makes a rename durable; a failure here does not undo a completed write.
void syncFolder(const QString &dir);

} // namespace lockleaf
