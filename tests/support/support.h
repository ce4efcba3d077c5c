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

// Windows-1250 bytes for text written in UTF-8 for the eye; fails the test when the text is
// not UTF-8 or holds a character the code page has no byte for.
std::string Utf8ToCp1250(std::string_view utf8);

} // namespace savorel::testing
