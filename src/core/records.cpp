#include "core/records.h"

#include "core/files.h"
#include "core/scramble.h"

#include <unistd.h>

namespace savorel {

std::string FileNameFromEntry(std::string_view entry) {
    const std::size_t hash = entry.find('#');
    std::string name;
    if (hash == std::string_view::npos)
        return name;
    for (const char c : entry.substr(hash + 1))
        if (c != '\r' && c != '\n')
            name.push_back(c);
    return name;
}

std::string VisibleNameOfEntry(std::string_view entry) {
    std::string_view name = entry.substr(0, entry.find('#'));
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    return std::string(name);
}

std::vector<std::string> CompleteLines(std::string_view text, UnendedLine unended) {
    std::vector<std::string> lines;
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
        } else if (c != '\r') {
            line.push_back(c);
        }
    }
    if (unended == UnendedLine::KeptUnlessEmpty && !line.empty())
        lines.push_back(std::move(line));
    return lines;
}

std::optional<std::vector<std::string>> ReadListFile(std::string_view name, long long offset,
                                                     long long* consumed) {
    if (consumed)
        *consumed = 0;
    FilePtr f = OpenDataFile(name, "rb");
    if (!f)
        return std::nullopt;
    if (offset > 0 && std::fseek(f.get(), static_cast<long>(offset), SEEK_SET) != 0)
        return std::vector<std::string>();
    std::string bytes;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0)
        bytes.append(buffer, n);
    const std::string text = ScrambleBytes(bytes);
    if (consumed) {
        const std::size_t lastBreak = text.rfind('\n');
        *consumed = lastBreak == std::string::npos ? 0 : static_cast<long long>(lastBreak + 1);
    }
    return CompleteLines(text);
}

bool DataFileExists(std::string_view name) {
    return IsSafeDataName(name) && ::access(ResolveDataName(name).c_str(), F_OK) == 0;
}

bool AppendListLine(std::string_view name, std::string_view line) {
    if (!IsSafeDataName(name))
        return false;
    std::string bytes;
    if (!ReadWholeDataFile(name, bytes)) {
        // Rewriting a list that exists but cannot be read would lose every record in it.
        if (DataFileExists(name))
            return false;
        bytes.clear();
    }
    std::string added;
    if (!bytes.empty() && Scramble(static_cast<unsigned char>(bytes.back())) != '\n')
        added.push_back('\n');
    added.append(line);
    added.push_back('\n');
    bytes += ScrambleBytes(added);
    return static_cast<bool>(WriteFileAtomically(std::string(name), bytes));
}

} // namespace savorel
