#pragma once

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

// Fuzz targets check properties; a broken one aborts so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

// Splits the input at the first occurrence of `separator` (the rest is empty without one).
inline std::pair<std::string_view, std::string_view> SplitAt(std::string_view data,
                                                             std::string_view separator) {
    const std::size_t at = data.find(separator);
    if (at == std::string_view::npos)
        return {data, {}};
    return {data.substr(0, at), data.substr(at + separator.size())};
}

// The input cut into N parts at `separator` (missing parts are empty).
template <std::size_t N>
std::array<std::string_view, N> SplitParts(std::string_view data, std::string_view separator) {
    std::array<std::string_view, N> parts;
    for (auto& part : parts) {
        auto [head, tail] = SplitAt(data, separator);
        part = head;
        data = tail;
    }
    return parts;
}

// A private data folder for targets that read files by name; made the current directory once.
inline const std::string& DataFolder() {
    static const std::string folder = [] {
        // Memory-backed when the system has it: targets rewrite their files every execution.
        char shm[] = "/dev/shm/savorel-fuzz-XXXXXX";
        char tmp[] = "/tmp/savorel-fuzz-XXXXXX";
        const char* made = mkdtemp(shm);
        if (!made)
            made = mkdtemp(tmp);
        if (!made || chdir(made) != 0)
            std::abort();
        return std::string(made);
    }();
    return folder;
}

inline void WriteFile(const char* name, std::string_view bytes) {
    std::FILE* f = std::fopen(name, "wb");
    if (!f)
        std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

} // namespace fuzz
