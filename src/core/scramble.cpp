#include "core/scramble.h"

namespace savorel {

std::string ScrambleBytes(std::string_view bytes) {
    std::string out(bytes.size(), '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = static_cast<char>(ScrambleTable[static_cast<unsigned char>(bytes[i])]);
    return out;
}

bool WriteScrambledText(std::FILE* f, std::string_view text) {
    const std::string out = ScrambleBytes(text);
    return std::fwrite(out.data(), 1, out.size(), f) == out.size();
}

bool WriteScrambledLine(std::FILE* f, std::string_view text) {
    return WriteScrambledText(f, text) && std::putc(ScrambleTable['\n'], f) != EOF;
}

std::string ReadScrambledLine(std::FILE* f, std::size_t limit) {
    std::string line;
    int c = ReadScrambledChar(f);
    while (c != -1 && c != '\n' && line.size() < limit) {
        if (c != '\r')
            line.push_back(static_cast<char>(c));
        c = ReadScrambledChar(f);
    }
    return line;
}

} // namespace savorel
