#pragma once

// Permission faults for tests. Root reads and writes anywhere, so a test run as root gives
// up its effective user id while the fault is in place.
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace savorel::testing {

class AsOtherUser {
public:
    AsOtherUser() {
        if (::geteuid() == 0)
            m_droppedRoot = ::seteuid(65534) == 0;
    }
    ~AsOtherUser() {
        if (m_droppedRoot)
            (void)::seteuid(0);
    }
    AsOtherUser(const AsOtherUser&) = delete;
    AsOtherUser& operator=(const AsOtherUser&) = delete;

private:
    bool m_droppedRoot = false;
};

// The current folder read-only for the object's life.
class ReadOnlyFolder {
public:
    ReadOnlyFolder() {
        ::chmod(".", 0555);
        m_user.emplace();
    }
    ~ReadOnlyFolder() {
        m_user.reset();
        ::chmod(".", 0755);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

private:
    std::optional<AsOtherUser> m_user;
};

} // namespace savorel::testing
