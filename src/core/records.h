#pragma once

// What the two record lists (pers.txt, pref.txt) share: lines read whole, the file name an
// entry carries, and appends that never leave a half-written list behind.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

// The text after the first "#" of a list entry, every carriage return and line feed removed;
// empty when the entry holds no "#".
std::string FileNameFromEntry(std::string_view entry);

// The part of a list entry a person sees: the text before its first "#" without the run of
// blanks that pushes the file name out of sight.
std::string VisibleNameOfEntry(std::string_view entry);

// What becomes of a last line without its line feed: a list being appended to may hold a
// half-written record, which is not an entry; a checker looks at every line written.
enum class UnendedLine { Dropped, KeptUnlessEmpty };

// The complete lines of an unscrambled text: a line feed ends each, carriage returns are
// dropped, and a last line without its line feed is not a line (unless kept, when it holds
// more than carriage returns). Lines have no length limit, so a long record is never split
// into two entries.
std::vector<std::string> CompleteLines(std::string_view text,
                                       UnendedLine unended = UnendedLine::Dropped);

// The complete lines of a scrambled data file, read from byte `offset` on; no value when the
// file cannot be opened. `consumed` receives how many bytes from `offset` the complete lines
// took (a last line without its line feed is not among them).
[[nodiscard]] std::optional<std::vector<std::string>>
ReadListFile(std::string_view name, long long offset = 0, long long* consumed = nullptr);

// Whether a data file of that name exists (in any letter case).
bool DataFileExists(std::string_view name);

// Appends `line` and a line feed, scrambled, to a data file, creating it when missing. The
// file is replaced whole and atomically, so a failure leaves it as it was; a last line left
// without its line feed is ended first, so that the new line stays a line of its own. False
// when nothing was written: the file exists but cannot be read, or the write failed.
[[nodiscard]] bool AppendListLine(std::string_view name, std::string_view line);

} // namespace savorel
