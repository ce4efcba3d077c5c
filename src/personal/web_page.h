#pragma once

// A saved web page read with libxml2's HTML parser, as browsers read it: its declared
// character set honoured, markup never taken for text nor text for markup. What the recipe
// import needs of it: the JSON-LD blocks and the microdata items.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

inline constexpr std::size_t kWebPageSizeLimit = 32u << 20;
inline constexpr std::size_t kMicrodataItemLimit = 2000;

// One property value of a microdata item: text (already plain: references decoded, markup
// gone, block elements as line breaks), or another item.
struct MicrodataValue {
    std::string text;
    int item = -1; // index into WebPage::items, or -1 for text
};

struct MicrodataItem {
    std::string type; // the itemtype as written, e.g. "https://schema.org/Recipe"
    std::vector<std::pair<std::string, MicrodataValue>> properties; // in page order
    bool topLevel = true; // not itself the value of another item's property
};

struct WebPage {
    std::vector<std::string> jsonLdBlocks; // each <script type="application/ld+json">, UTF-8
    std::vector<MicrodataItem> items;      // nested items come after the item holding them
};

// False (with `error`) only when the page cannot be read at all.
bool ReadWebPage(std::string_view bytes, WebPage& page, std::string& error);

// The text a fragment of HTML shows (UTF-8 in, UTF-8 out): every character reference decoded
// once, block elements (<p>, <br>, <li>, ...) as line breaks, scripts and comments gone, and an
// element HTML does not have ("1 cup <sau> 2 cups") kept as the text it was written as.
std::string HtmlFragmentText(std::string_view html);

} // namespace savorel
