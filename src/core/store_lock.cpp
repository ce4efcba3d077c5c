#include "core/store_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace savorel {

namespace {

// One lock per process: the lock file's descriptor and how deep the holders nest. The mutex
// keeps the threads of one process apart (the day's backup runs beside the windows); it is
// recursive, so a holder's own nested locks pass, and it guards the two values below.
std::recursive_timed_mutex g_threads;
int g_fd = -1;
int g_depth = 0;
std::chrono::milliseconds g_patience = kDefaultStorePatience;

} // namespace

std::chrono::milliseconds StorePatience() {
    return g_patience;
}

void SetStorePatience(std::chrono::milliseconds patience) {
    g_patience = patience;
}

StoreLock::StoreLock(std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    if (!g_threads.try_lock_until(deadline))
        return; // another thread of ours held it for the whole wait
    m_thread = true;
    if (g_depth > 0) {
        ++g_depth;
        m_held = true;
        return;
    }
    const auto openLockFile = [] {
        return ::open(kStoreLockFile, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    };
    int fd = openLockFile();
    if (fd < 0 && errno == ELOOP && ::unlink(kStoreLockFile) == 0)
        fd = openLockFile(); // a link planted under the lock file's name is not ours to follow
    if (fd < 0) {
        // No lock file can be made here (a read-only folder): nothing can be written either,
        // and the change itself says so.
        m_held = true;
        return;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            break; // a file system without locks: go on as a single copy would
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            m_thread = false;
            g_threads.unlock();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    g_fd = fd;
    g_depth = 1;
    m_held = true;
    m_outer = true;
}

StoreLock::~StoreLock() {
    if (m_held && g_depth > 0 && --g_depth == 0 && m_outer) {
        ::close(g_fd); // closing releases the lock
        g_fd = -1;
    }
    if (m_thread)
        g_threads.unlock();
}

} // namespace savorel
