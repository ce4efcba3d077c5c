#include "core/fold.h"

namespace savorel {

std::string Folded(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = FoldChar(c);
    return out;
}

bool EqualsFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldChar(a[i]) != FoldChar(b[i]))
            return false;
    return true;
}

std::size_t FindFolded(std::string_view text, std::string_view needle) {
    if (needle.size() > text.size())
        return std::string_view::npos;
    for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && FoldChar(text[i + k]) == FoldChar(needle[k]))
            ++k;
        if (k == needle.size())
            return i;
    }
    return std::string_view::npos;
}

} // namespace savorel
