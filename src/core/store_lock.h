#pragma once

// The user's lists (pers.txt, pref.txt, virt-dir.txt) and the choice of a new own recipe's
// file name are read, changed and replaced whole. Two copies of the program doing that at
// once would each write back a list without the other's change, so every such change holds
// one advisory lock on a file of the data folder.
#include <chrono>

namespace savorel {

inline constexpr const char* kStoreLockFile = "savorel.lock";
inline constexpr const char* kStoreBusy =
    "Alt exemplar Savorel salveaza chiar acum. Incercati din nou peste cateva secunde.";

// How long every saver waits for the lock (5 s, a pause a user sits out without wondering).
// The process's one setting, made before any save runs (tests that hold the lock elsewhere
// shorten it rather than sit out the wait).
inline constexpr std::chrono::milliseconds kDefaultStorePatience = std::chrono::seconds(5);
std::chrono::milliseconds StorePatience();
void SetStorePatience(std::chrono::milliseconds patience);

class StoreLock final {
public:
    // Waits at most `patience` for the lock. A data folder where the lock file cannot be
    // created at all (read-only) is not locked against anyone: the change itself then fails
    // and says so. Taken again by the same thread, it nests; another thread of the process
    // waits for it as another process would.
    explicit StoreLock(std::chrono::milliseconds patience = StorePatience());
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    // False when another process held the lock for the whole wait.
    [[nodiscard]] bool Held() const { return m_held; }

private:
    bool m_held = false;
    bool m_outer = false;
    bool m_thread = false; // this object holds the process's thread mutex
};

} // namespace savorel
