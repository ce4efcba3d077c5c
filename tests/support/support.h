#pragma once

#include <string>
#include <string_view>

namespace savorel::testing {

// A fresh folder that becomes the current directory (the data folder) for the test's life.
class TempDataDir {
public:
    TempDataDir();
    ~TempDataDir();
    TempDataDir(const TempDataDir&) = delete;
    TempDataDir& operator=(const TempDataDir&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::string m_previous;
};

// Writes plain text scrambled, as the book's files are stored.
void WriteScrambled(const std::string& path, std::string_view plain);
void WritePlain(const std::string& path, std::string_view bytes);
// Reads a file back; unscrambled when asked.
std::string ReadBack(const std::string& path, bool unscramble = false);
bool Exists(const std::string& path);

} // namespace savorel::testing
