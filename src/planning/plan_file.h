#pragma once

// The rule the plan and the shopping state share for their files: read with a size limit,
// and a file that cannot be read is renamed aside under the store's lock and reported, never
// overwritten.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace savorel {

enum class KeptFileRead {
    Missing, // no such file: the data starts empty
    Read,    // `text` holds the unscrambled file, which `valid` accepted
    Damaged, // renamed aside as `keptAs` (empty: it could not be, and must not be written)
    Busy     // the store's lock could not be taken to keep it aside
};

using TextCheck = std::function<bool(std::string_view text, std::string* why)>;

KeptFileRead ReadKeptFile(const char* name, std::size_t limit, std::string& text,
                          std::string& message, std::string& keptAs, const TextCheck& valid);

} // namespace savorel
