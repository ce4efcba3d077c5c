#include "support/support.h"

#include "core/cp1250.h"
#include "core/scramble.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>

namespace savorel::testing {

TempDataDir::TempDataDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "savorel-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        ADD_FAILURE() << "cannot create a temporary folder";
    m_path = pattern;
    m_previous = std::filesystem::current_path().string();
    std::filesystem::current_path(m_path);
}

TempDataDir::~TempDataDir() {
    std::error_code ec;
    std::filesystem::current_path(m_previous, ec);
    // Folders made read-only by a test must be writable again to be removed.
    for (auto& entry : std::filesystem::recursive_directory_iterator(m_path, ec))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

void WritePlain(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

void WriteScrambled(const std::string& path, std::string_view plain) {
    WritePlain(path, ScrambleBytes(plain));
}

std::string ReadBack(const std::string& path, bool unscramble) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return unscramble ? ScrambleBytes(bytes) : bytes;
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::string Utf8ToCp1250(std::string_view utf8) {
    std::string bytes;
    char32_t bad = 0;
    EXPECT_TRUE(Utf8ToCp1250Exact(utf8, bytes, &bad))
        << "U+" << std::hex << static_cast<unsigned>(bad) << " in " << utf8;
    return bytes;
}

} // namespace savorel::testing
