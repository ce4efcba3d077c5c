#pragma once

// The size of pers.txt is the system's signal that an own recipe was added: the own recipes
// window watches it once a second, the main window every three seconds.
#include <optional>
#include <string>
#include <vector>

namespace savorel {

// A shortened pers.txt; applied by the main window's watch, then removed.
inline constexpr const char* kShortenedOwnRecipeList = "tmp.dat";

// The complete records of pers.txt; no value when it cannot be opened.
[[nodiscard]] std::optional<std::vector<std::string>> ReadOwnRecipeList();

// Size of pers.txt in bytes, -1 when it cannot be opened.
long long OwnRecipeListSize();

// The main window's check (every sixth tick of its timer): first applies tmp.dat over
// pers.txt when tmp.dat is not empty and smaller than `knownSize`, and removes it once
// applied, so it is never applied to a later, longer list. Then answers the size of pers.txt
// when it differs from `knownSize` (the catalogue must be reloaded and the answer becomes the
// known size), no value when it is the same or pers.txt cannot be opened.
[[nodiscard]] std::optional<long long> CheckOwnRecipeList(long long knownSize);

// The own recipes window's watch. Its known size outlives the window (one per process, kept
// by the window's module), as the next opening starts from it.
class OwnRecipesWatch {
public:
    // Window start: the records of pers.txt (no value when it cannot be opened); the size is
    // taken anew, 0 when the file cannot be opened.
    [[nodiscard]] std::optional<std::vector<std::string>> Start();

    struct Change {
        enum class Kind {
            None,  // same size, or pers.txt cannot be opened
            Grown, // `records` are those after the known size: add them
            Shrunk // `records` are the whole list: empty the list, say "Begin", add them
        };
        Kind kind = Kind::None;
        bool read = false; // pers.txt could be read; when not, the list stays as it is
        std::vector<std::string> records;
    };

    // One timer tick. The new size becomes the known size whenever it differs.
    Change Tick();

    long long KnownSize() const { return m_knownSize; }

private:
    long long m_knownSize = 0;
    long long m_lineStart = 0; // where the first line not yet listed starts
};

} // namespace savorel
