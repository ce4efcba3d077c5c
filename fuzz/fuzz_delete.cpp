// The helpers of an own recipe's deletion: the catalogue without the recipe's lines, and the
// free name its kept copy takes. Input: a file name, "@@", a catalogue, "@@", one byte
// choosing which of the kept copies' names are taken already.
#include "fuzz_util.h"
#include "personal/own_delete.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace savorel;

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// A catalogue line names the file when, after its first "~" and the blanks that follow it,
// the rest of the line (line breaks aside) is the file name in any ASCII case.
bool Names(std::string_view line, std::string_view file) {
    std::size_t i = 0;
    while (i < line.size() && line[i] != '~')
        ++i;
    if (i == line.size())
        return false;
    ++i;
    while (i < line.size() && line[i] == ' ')
        ++i;
    std::size_t k = 0;
    for (; i < line.size(); ++i) {
        if (line[i] == '\r' || line[i] == '\n')
            continue;
        if (k == file.size() || Lower(line[i]) != Lower(file[k]))
            return false;
        ++k;
    }
    return k == file.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string folder = fuzz::DataFolder();
    const auto parts =
        fuzz::SplitParts<3>(std::string_view(reinterpret_cast<const char*>(data), size), "@@");
    const std::string file(parts[0].substr(0, 64));
    const std::string_view catalogue = parts[1];

    // Every line kept or dropped whole, in order; only the lines naming the file dropped.
    std::string expected;
    for (std::size_t start = 0; start < catalogue.size();) {
        std::size_t end = start;
        while (end < catalogue.size() && catalogue[end] != '\n')
            ++end;
        if (end < catalogue.size())
            ++end;
        const std::string_view line = catalogue.substr(start, end - start);
        if (!Names(line, file))
            expected.append(line);
        start = end;
    }
    const std::string kept = CatalogueWithout(catalogue, file);
    FUZZ_CHECK(kept == expected);
    FUZZ_CHECK(CatalogueWithout(kept, file) == kept);

    // The kept copy's name: the name itself while free, else NAME-2.EXT, NAME-3.EXT, ...
    const bool usable = !file.empty() && file != "." && file != ".." &&
                        file.find('/') == std::string::npos && file.find('\0') == std::string::npos;
    if (!usable)
        return 0;
    const std::size_t dot = file.rfind('.');
    const bool hasExt = dot != std::string::npos && dot != 0;
    const std::string stem = hasExt ? file.substr(0, dot) : file;
    const std::string ext = hasExt ? file.substr(dot) : std::string();
    std::vector<std::string> names = {file};
    for (int n = 2; n <= 9; ++n)
        names.push_back(stem + "-" + std::to_string(n) + ext);
    std::error_code error;
    std::filesystem::remove_all("sterse", error);
    std::filesystem::create_directory("sterse", error);
    const unsigned taken = parts[2].empty() ? 0u : static_cast<unsigned char>(parts[2][0]);
    std::string first;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i < 8 && (taken >> i) & 1u)
            fuzz::WriteFile(("sterse/" + names[i]).c_str(), "x");
        else if (first.empty())
            first = "sterse/" + names[i];
    }
    const std::string free = FreeNameIn("sterse", file);
    FUZZ_CHECK(free == first);
    struct stat st;
    FUZZ_CHECK(::lstat(free.c_str(), &st) != 0);
    (void)folder;
    return 0;
}
