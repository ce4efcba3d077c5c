#include "bootstrap/payload.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace bootstrap {

namespace {

bool g_readOpenFault = false;

// Closes a descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool ok() const { return m_fd >= 0; }
    // Closes now and tells whether the close succeeded: a delayed write error shows up here.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

std::string CurrentFolder() {
    std::string buffer(PATH_MAX, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(buffer.find('\0'));
    return buffer;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

enum class Copied { All, SourceEnded, WriteFailed };

// Copies up to `count` bytes of `in` from `pos` on into `out`. The kernel copies while it
// can (no trip through user memory, as cp does); otherwise a buffer does. A read error
// counts as the end of the program file, the way a buffered stream reports both alike.
class Copier {
public:
    Copied Copy(int in, off_t& pos, int out, std::int64_t count) {
        while (count > 0) {
            if (m_kernelCopy) {
                const ssize_t n =
                    ::copy_file_range(in, &pos, out, nullptr, static_cast<std::size_t>(count), 0);
                if (n > 0) {
                    count -= n;
                    continue;
                }
                if (n == 0)
                    return Copied::SourceEnded;
                if (errno == EINTR)
                    continue;
                // Not supported here, or a failure the buffered copy can tell apart.
                m_kernelCopy = false;
                continue;
            }
            if (!m_buffer)
                m_buffer = std::make_unique<char[]>(kBufferSize);
            const std::size_t want = count < static_cast<std::int64_t>(kBufferSize)
                                         ? static_cast<std::size_t>(count)
                                         : kBufferSize;
            const ssize_t n = ::pread(in, m_buffer.get(), want, pos);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return Copied::SourceEnded;
            if (!WriteAll(out, m_buffer.get(), static_cast<std::size_t>(n)))
                return Copied::WriteFailed;
            pos += n;
            count -= n;
        }
        return Copied::All;
    }

private:
    static constexpr std::size_t kBufferSize = 1 << 20;
    bool m_kernelCopy = true;
    std::unique_ptr<char[]> m_buffer;
};

} // namespace

PayloadTotals WalkPayload(const PayloadTable& table) {
    PayloadTotals totals;
    for (; table.names[totals.files] != nullptr; ++totals.files)
        totals.bytes += table.sizes[totals.files];
    return totals;
}

void SetReadOpenFaultForTesting(bool fail) {
    g_readOpenFault = fail;
}

int ExtractPayload(const PayloadTable& table, const std::string& kit, const std::string& self,
                   std::int64_t offset, ExtractionSink& sink) {
    {
        // Non-blocking, so that a path naming a pipe cannot hang the bootstrap.
        Fd probe(::open(self.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (!probe.ok()) {
            sink.Show({std::string(kCantOpenSelf), CurrentFolder()});
            return 0;
        }
        // Only a regular file has a length to learn.
        struct stat st {};
        if (::fstat(probe.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
            sink.Show({std::nullopt, kLengthUnknown});
            return 0;
        }
    }

    Fd in(g_readOpenFault ? -1 : ::open(self.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.ok()) {
        sink.Show({std::nullopt, kCantReadSelf});
        return 0;
    }

    const PayloadTotals totals = WalkPayload(table);

    off_t pos = static_cast<off_t>(offset);
    if (::lseek(in.get(), pos, SEEK_SET) < 0) {
        sink.Show({std::nullopt, kCantPlace});
        return 0;
    }

    sink.BeginFiles(totals.files);
    Copier copier;
    bool selfEnded = false;
    for (int i = 0; i < totals.files; ++i) {
        const std::string path = kit + "/" + table.names[i];
        // A link planted in the folder is not followed; the file is replaced, never appended.
        Fd out(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666));
        if (!out.ok()) {
            sink.Show({path, kCantWrite});
            return 0;
        }
        if (!selfEnded) {
            const Copied result = copier.Copy(in.get(), pos, out.get(), table.sizes[i]);
            if (result == Copied::WriteFailed) {
                sink.Show({path, kCantWrite});
                return 0;
            }
            selfEnded = result == Copied::SourceEnded;
        }
        if (!out.Close()) {
            sink.Show({path, kCantWrite});
            return 0;
        }
        sink.FileWritten();
    }
    return 1;
}

} // namespace bootstrap
