#include "personal/html_entities.h"

#include "core/cp1250.h"
#include "personal/html_entities_table.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

namespace savorel {

namespace {

using NamedEntity = HtmlNamedEntity;
constexpr const auto& kNamedEntities = kHtmlNamedEntities;

constexpr std::size_t kLongestName = 32;

bool IsAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

const NamedEntity* FindNamed(std::string_view name) {
    const auto it = std::lower_bound(
        std::begin(kNamedEntities), std::end(kNamedEntities), name,
        [](const NamedEntity& entity, std::string_view key) { return entity.name < key; });
    return it != std::end(kNamedEntities) && it->name == name ? &*it : nullptr;
}

// What browsers make of the C1 controls in a numeric reference: the Windows-1252 letters.
constexpr std::array<char16_t, 32> kC1AsWindows1252 = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

// A reference at `amp` (which holds "&"): its length and the code point of a numeric one, or
// the named entry. Zero length for no reference.
struct Reference {
    std::size_t length = 0;
    char32_t code = 0;
    const NamedEntity* named = nullptr;
};

Reference ReferenceAt(std::string_view text, std::size_t amp) {
    Reference ref;
    std::size_t i = amp + 1;
    if (i < text.size() && text[i] == '#') {
        ++i;
        const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
        if (hex)
            ++i;
        const std::size_t digits = i;
        std::uint32_t value = 0;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            int d = -1;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            if (d < 0)
                break;
            // Past the last code point the value only has to stay too large.
            value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + d, 0x110000);
        }
        if (i == digits)
            return ref;
        if (i < text.size() && text[i] == ';')
            ++i;
        char32_t code = value;
        if (code == 0 || code >= 0x110000 || (code >= 0xD800 && code <= 0xDFFF))
            code = 0xFFFD;
        else if (code >= 0x80 && code <= 0x9F)
            code = kC1AsWindows1252[code - 0x80];
        ref.length = i - amp;
        ref.code = code;
        return ref;
    }
    std::size_t run = 0;
    while (i + run < text.size() && run < kLongestName && IsAlnum(text[i + run]))
        ++run;
    const bool semicolon = i + run < text.size() && text[i + run] == ';';
    if (semicolon) {
        std::string key(text.substr(i, run));
        key += ';';
        if (const NamedEntity* found = FindNamed(key)) {
            ref.length = run + 2;
            ref.named = found;
            return ref;
        }
    }
    // The longest legacy name without ";" that the text starts with, where nothing that
    // could continue a word or an address parameter follows it.
    for (std::size_t n = run; n > 0; --n) {
        const NamedEntity* found = FindNamed(text.substr(i, n));
        if (!found)
            continue;
        const std::size_t after = i + n;
        if (after < text.size() && (IsAlnum(text[after]) || text[after] == '='))
            return ref;
        ref.length = n + 1;
        ref.named = found;
        return ref;
    }
    return ref;
}

void AppendHexReference(std::string& out, char32_t code) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "&#x";
    char digits[8];
    int n = 0;
    do {
        digits[n++] = kHex[code & 0xF];
        code >>= 4;
    } while (code != 0);
    while (n > 0)
        out += digits[--n];
    out += ';';
}

// One code point of valid UTF-8 (the table's texts are).
char32_t DecodeOne(std::string_view utf8, std::size_t& i) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i++]);
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : 3;
    char32_t ch = extra == 0 ? lead : (lead & (0x3F >> extra));
    for (int k = 0; k < extra && i < utf8.size(); ++k)
        ch = (ch << 6) | (static_cast<unsigned char>(utf8[i++]) & 0x3F);
    return ch;
}

} // namespace

std::string DecodeHtmlEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t amp = text.find('&'); amp != std::string_view::npos;
         amp = text.find('&', amp + 1)) {
        const Reference ref = ReferenceAt(text, amp);
        if (ref.length == 0)
            continue;
        out.append(text.substr(start, amp - start));
        if (ref.named)
            out.append(ref.named->utf8);
        else
            AppendUtf8(out, ref.code);
        start = amp + ref.length;
        amp = start - 1;
    }
    out.append(text.substr(start));
    return out;
}

std::string NamedEntitiesAsNumeric(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t amp = text.find('&'); amp != std::string_view::npos;
         amp = text.find('&', amp + 1)) {
        const Reference ref = ReferenceAt(text, amp);
        if (ref.length == 0 || !ref.named)
            continue;
        out.append(text.substr(start, amp - start));
        for (std::size_t i = 0; i < ref.named->utf8.size();)
            AppendHexReference(out, DecodeOne(ref.named->utf8, i));
        start = amp + ref.length;
        amp = start - 1;
    }
    out.append(text.substr(start));
    return out;
}

} // namespace savorel
