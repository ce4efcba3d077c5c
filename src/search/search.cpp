#include "search/search.h"

#include "catalogue/catalogue.h"
#include "catalogue/recipe_model.h"
#include "core/files.h"
#include "core/fold.h"
#include "core/scramble.h"

#include <algorithm>
#include <array>
#include <bit>
#include <bitset>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>

namespace savorel {

namespace {

using ByteTable = std::array<unsigned char, 256>;

// Unscrambling and folding in one step: the scan reads stored bytes through it and looks for
// pre-folded keys, which finds exactly what the window-by-window comparison finds. Folding is
// one byte for one byte, so it costs the scan nothing.
constexpr ByteTable MakeFoldedUnscramble() {
    ByteTable table{};
    for (int s = 0; s < 256; ++s)
        table[s] = kFoldTable[ScrambleTable[s]];
    return table;
}
constexpr ByteTable kFoldedUnscramble = MakeFoldedUnscramble();

// The keys of the three lists, folded once per search and looked for together in one pass
// over a text read through a folding table: a table of the keys' first three characters (two
// when a key is shorter) picks the few places worth comparing, so the cost hardly grows with
// the number of keys.
class KeyScanner {
public:
    explicit KeyScanner(const SearchKeys& keys) {
        Add(keys.allowed, Kind::Allowed);
        Add(keys.forbidden, Kind::Forbidden);
        Add(keys.required, Kind::Required);
        m_found.resize(m_keys.size());
    }

    bool Passes(const unsigned char* text, std::size_t n, const ByteTable& table) const {
        if (m_keys.empty())
            return true;
        std::fill(m_found.begin(), m_found.end(), 0);
        m_requiredFound = 0;
        m_allowedFound = false;
        for (std::size_t k = 0; k < m_keys.size(); ++k)
            if (m_keys[k].text.empty() && !Mark(k)) // an empty key is found anywhere
                return false;
        if (n > 0 && m_shortest >= 3) {
            // Keys of three characters or more: a table of their first three is seldom hit by
            // ordinary text, so the scan tests eight places at once and looks closer only
            // where one of them is hit.
            const PairBits& triples = StoredTriples(table);
            auto hit = [&](std::size_t i) {
                const unsigned h = TripleHash(text[i], text[i + 1], text[i + 2]);
                return (triples[h >> 6] >> (h & 63)) & 1;
            };
            const std::size_t places = n >= 3 ? n - 2 : 0;
            std::size_t i = 0;
            // Eight places at once while four bytes can be read at each (one load a place).
            for (; i + 11 <= n; i += 8) {
                std::uint64_t any = 0;
                for (std::size_t j = i; j < i + 8; ++j) {
                    const unsigned h = TripleHash(LoadFour(text + j));
                    any |= triples[h >> 6] >> (h & 63);
                }
                if (!(any & 1))
                    continue;
                for (std::size_t j = i; j < i + 8; ++j) {
                    if (!hit(j))
                        continue;
                    const Outcome o = TryAt(text, n, j, table[text[j]], table);
                    if (o != Outcome::Open)
                        return o == Outcome::Passes;
                }
            }
            for (; i < places; ++i) {
                if (!hit(i))
                    continue;
                const Outcome o = TryAt(text, n, i, table[text[i]], table);
                if (o != Outcome::Open)
                    return o == Outcome::Passes;
            }
        } else if (n > 0) {
            // Pairs of stored bytes, so the scan looks each byte up once: the folding table
            // is applied to the few places worth comparing only.
            const PairBits& pairs = StoredPairs(table);
            unsigned pair = text[0];
            for (std::size_t i = 0; i + 1 < n; ++i) {
                pair = ((pair << 8) | text[i + 1]) & 0xFFFFu;
                if (!((pairs[pair >> 6] >> (pair & 63)) & 1))
                    continue;
                const Outcome o = TryAt(text, n, i, table[text[i]], table);
                if (o != Outcome::Open)
                    return o == Outcome::Passes;
            }
            // A one-character key can still lie at the last position.
            const unsigned last = table[text[n - 1]];
            if (m_singles[last]) {
                const Outcome o = TryAt(text, n, n - 1, last, table);
                if (o != Outcome::Open)
                    return o == Outcome::Passes;
            }
        }
        return m_requiredFound == m_required && (m_allowed == 0 || m_allowedFound);
    }

private:
    enum class Kind : unsigned char { Allowed, Forbidden, Required };
    enum class Outcome { Open, Passes, Fails };
    struct Key {
        std::string text; // folded
        Kind kind;
    };
    // 65,536 bits, one per pair of bytes, as plain words: the scan tests one bit a byte.
    using PairBits = std::array<std::uint64_t, 65536 / 64>;

    void Add(const SearchKeyList& list, Kind kind) {
        for (const std::string& k : list.keys) {
            Key key{Folded(k), kind};
            const auto* b = reinterpret_cast<const unsigned char*>(key.text.data());
            if (key.text.size() == 1) {
                m_singles.set(b[0]);
                for (unsigned next = 0; next < 256; ++next)
                    m_pairs.set((static_cast<unsigned>(b[0]) << 8) | next);
            } else if (key.text.size() > 1) {
                m_pairs.set((static_cast<unsigned>(b[0]) << 8) | b[1]);
            }
            m_allowed += kind == Kind::Allowed;
            m_forbidden += kind == Kind::Forbidden;
            m_required += kind == Kind::Required;
            if (!key.text.empty())
                m_shortest = std::min(m_shortest, key.text.size());
            if (!key.text.empty())
                m_byFirst[static_cast<unsigned char>(key.text[0])].push_back(m_keys.size());
            m_keys.push_back(std::move(key));
        }
    }

    // Compares every key not yet found that starts with `c` at position i.
    Outcome TryAt(const unsigned char* text, std::size_t n, std::size_t i, unsigned c,
                  const ByteTable& table) const {
        for (const std::size_t k : m_byFirst[c]) {
            const std::string& key = m_keys[k].text;
            if (m_found[k] || key.size() > n - i)
                continue;
            std::size_t j = 1;
            while (j < key.size() && table[text[i + j]] == static_cast<unsigned char>(key[j]))
                ++j;
            if (j < key.size())
                continue;
            if (!Mark(k))
                return Outcome::Fails;
            if (m_forbidden == 0 && m_requiredFound == m_required &&
                (m_allowed == 0 || m_allowedFound))
                return Outcome::Passes; // nothing later in the text can change the answer
        }
        return Outcome::Open;
    }

    // The key pairs as the stored bytes spell them through `table`, made once per table.
    const PairBits& StoredPairs(const ByteTable& table) const {
        if (m_storedFor != &table) {
            m_stored.fill(0);
            for (unsigned a = 0; a < 256; ++a)
                for (unsigned b = 0; b < 256; ++b)
                    if (m_pairs[(static_cast<unsigned>(table[a]) << 8) | table[b]])
                        m_stored[((a << 8) | b) >> 6] |= std::uint64_t{1} << (b & 63);
            m_storedFor = &table;
        }
        return m_stored;
    }

    // Three stored bytes folded onto 16 bits; two triples sharing a value only cost a
    // comparison that fails.
    static unsigned TripleHash(std::uint32_t four) {
        return ((four & 0xFFFFFFu) * 0x9E3779B1u) >> 16;
    }
    static unsigned TripleHash(unsigned a, unsigned b, unsigned c) {
        return TripleHash(a | (b << 8) | (c << 16));
    }
    // Four bytes as one number, the first in the lowest bits.
    static std::uint32_t LoadFour(const unsigned char* p) {
        if constexpr (std::endian::native == std::endian::little) {
            std::uint32_t v;
            std::memcpy(&v, p, sizeof v);
            return v;
        } else {
            return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
        }
    }

    // The keys' first three characters as the stored bytes spell them through `table`.
    const PairBits& StoredTriples(const ByteTable& table) const {
        if (m_triplesFor != &table) {
            std::array<std::vector<unsigned char>, 256> spelled; // stored bytes of each character
            for (unsigned b = 0; b < 256; ++b)
                spelled[table[b]].push_back(static_cast<unsigned char>(b));
            m_triples.fill(0);
            for (const Key& key : m_keys) {
                if (key.text.size() < 3)
                    continue;
                const auto* k = reinterpret_cast<const unsigned char*>(key.text.data());
                for (const unsigned a : spelled[k[0]])
                    for (const unsigned b : spelled[k[1]])
                        for (const unsigned c : spelled[k[2]]) {
                            const unsigned h = TripleHash(a, b, c);
                            m_triples[h >> 6] |= std::uint64_t{1} << (h & 63);
                        }
            }
            m_triplesFor = &table;
        }
        return m_triples;
    }

    // Records key k as found; false when that fails the recipe (a forbidden key).
    bool Mark(std::size_t k) const {
        m_found[k] = 1;
        switch (m_keys[k].kind) {
        case Kind::Forbidden:
            return false;
        case Kind::Required:
            ++m_requiredFound;
            break;
        case Kind::Allowed:
            m_allowedFound = true;
            break;
        }
        return true;
    }

    std::vector<Key> m_keys;
    std::bitset<65536> m_pairs; // first two characters of the keys; any second one for
    std::bitset<256> m_singles; // the one-character keys
    std::array<std::vector<std::size_t>, 256> m_byFirst; // the keys by their first character
    mutable PairBits m_stored{};                         // m_pairs through the last table used
    mutable const ByteTable* m_storedFor = nullptr;
    std::size_t m_shortest = SIZE_MAX; // the shortest key that is not empty
    mutable PairBits m_triples{};      // the keys' first three characters, hashed
    mutable const ByteTable* m_triplesFor = nullptr;
    std::size_t m_allowed = 0, m_forbidden = 0, m_required = 0;
    // Scratch of one Passes call (the search runs on one thread).
    mutable std::vector<unsigned char> m_found;
    mutable std::size_t m_requiredFound = 0;
    mutable bool m_allowedFound = false;
};

// The stored (still scrambled) first bytes of a data file into `buffer` (kExaminedLimit
// bytes), read with plain system calls: a search opens hundreds of files and needs no stream
// buffer for any of them.
bool ReadStoredHead(const std::string& name, unsigned char* buffer, std::size_t& got) {
    got = 0;
    if (!IsSafeDataName(name))
        return false;
    // One open for a plain file of that name (the usual case, and the search opens hundreds);
    // otherwise the name as the data folder spells it, never through a link leading outside.
    // Only regular files: a FIFO or a device among the recipes must not hang the search.
    long long size = 0;
    int fd = OpenRegularFile(name, O_RDONLY | O_NOFOLLOW, &size);
    if (fd < 0 && (errno == ENOENT || errno == ELOOP))
        fd = OpenRegularFile(ResolveDataName(name), O_RDONLY, &size);
    if (fd < 0)
        return false;
    // A file read up to the size it had when opened needs no further read to see its end.
    const std::size_t wanted =
        std::min(kExaminedLimit, static_cast<std::size_t>(std::max(size, 0LL)));
    bool ok = true;
    while (got < wanted) {
        const ssize_t n = ::read(fd, buffer + got, kExaminedLimit - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (!ok)
        got = 0;
    return ok;
}

// A lossless own recipe is searched by its recipe text, not by its JSON: the title, author,
// items, steps and headings, folded to Windows-1250 and scanned through the fold table alone.
// False when the head is no lossless recipe. `text` is room for the file, kept between calls.
bool LosslessExamined(const std::string& name, const unsigned char* head, std::size_t got,
                      std::string& text, std::string& examined) {
    char start[64];
    const std::size_t n = std::min(got, sizeof start);
    for (std::size_t i = 0; i < n; ++i)
        start[i] = static_cast<char>(ScrambleTable[head[i]]);
    if (!IsLosslessText(std::string_view(start, n)))
        return false;
    examined.clear();
    if (got < kExaminedLimit) {
        // The head is the whole file (the read stops at the size the file had).
        text.resize(got);
        for (std::size_t i = 0; i < got; ++i)
            text[i] = static_cast<char>(ScrambleTable[head[i]]);
    } else {
        const long long size = DataFileSize(name);
        if (size < 0 || static_cast<unsigned long long>(size) > kLosslessFileLimit ||
            !ReadWholeDataFile(name, text) || text.size() > kLosslessFileLimit)
            return true; // nothing of it is searched
        text = ScrambleBytes(text);
    }
    (void)LosslessSearchTextInto(text, examined); // what cannot be scanned has nothing to find
    return true;
}

// Calls fn(line) for each line by the search's rule, taking characters from next() (-1 at the
// end): a line feed ends a line, carriage returns are dropped, kSearchLineLimit characters
// end a line too, and a last line without a line feed is taken. Only one line is ever held.
template <typename Next, typename Fn> void SearchLines(Next&& next, Fn&& fn) {
    std::string piece;
    bool started = false; // characters of the current line have been read
    bool cut = false;     // a piece of this line has already gone out at the limit
    for (int c = next(); c != -1; c = next()) {
        if (c == '\n') {
            if (!piece.empty() || !cut)
                fn(std::string_view(piece));
            piece.clear();
            started = cut = false;
            continue;
        }
        started = true;
        if (c == '\r')
            continue;
        piece.push_back(static_cast<char>(c));
        if (piece.size() == kSearchLineLimit) {
            fn(std::string_view(piece));
            piece.clear();
            cut = true;
        }
    }
    if (started && (!piece.empty() || !cut))
        fn(std::string_view(piece));
}

// The same rule over text in memory. A line without carriage returns and shorter than the
// limit (every line of a well-kept catalogue) goes out as it stands, without a copy.
template <typename Fn> void ForEachSearchLine(std::string_view text, Fn&& fn) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t feed = text.find('\n', start);
        const std::size_t end = feed == std::string_view::npos ? text.size() : feed;
        const std::string_view line = text.substr(start, end - start);
        if (line.size() < kSearchLineLimit && line.find('\r') == std::string_view::npos) {
            fn(line);
        } else {
            std::size_t i = 0;
            SearchLines(
                [&] { return i < line.size() ? static_cast<unsigned char>(line[i++]) : -1; }, fn);
        }
        start = end + 1;
    }
}

struct RecipeLineView {
    std::string_view name;
    std::string_view file; // before blanks and carriage returns are removed
};

std::optional<RecipeLineView> ParseRecipeLine(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (i >= line.size() || line[i] != 'i')
        return std::nullopt;
    ++i;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    const std::size_t tilde = line.find('~', i);
    if (tilde == std::string_view::npos)
        return std::nullopt;
    std::size_t j = tilde + 1;
    while (j < line.size() && (line[j] == ' ' || line[j] == '\t'))
        ++j;
    return RecipeLineView{line.substr(i, tilde - i), line.substr(j)};
}

void CleanFileName(std::string_view raw, std::string& out) {
    out.clear();
    for (const char c : raw)
        if (c != ' ' && c != '\r')
            out.push_back(c);
}

} // namespace

bool ParseKeys(std::string_view fieldText, SearchKeyList& list) {
    bool complete = true;
    std::string key;
    auto finish = [&] {
        // "ceapa + morcov" means the same as "ceapa+morcov": blanks and tabs at the ends of a
        // key are how people type a list, never part of what they look for.
        const std::size_t first = key.find_first_not_of(" \t");
        if (first == std::string::npos) {
            key.clear();
            return;
        }
        key.erase(key.find_last_not_of(" \t") + 1);
        key.erase(0, first);
        if (list.keys.size() < kMaxSearchKeys)
            list.keys.push_back(key);
        else
            complete = false;
        key.clear();
    };
    for (const char c : fieldText) {
        if (c == '+' || c == ',')
            finish();
        else if (c != '\r' && c != '\n')
            key.push_back(c);
    }
    finish();
    return complete;
}

std::string ResultEntry(std::string_view name, std::string_view fileName) {
    std::string entry;
    entry.reserve(name.size() + kResultFiller.size() + fileName.size());
    entry += name;
    entry += kResultFiller;
    entry += fileName;
    return entry;
}

std::string FileNameOfResult(std::string_view entry) {
    const std::size_t hash = entry.find('#');
    return hash == std::string_view::npos ? std::string() : std::string(entry.substr(hash + 1));
}

std::string SearchCountMessage(int count) {
    return "Am gasit un numar de " + std::to_string(count) +
           " retete convenind acestor criterii!!!";
}

bool ReadExaminedFolded(const std::string& fileName, std::string& text) {
    text.assign(kExaminedLimit, '\0');
    auto* bytes = reinterpret_cast<unsigned char*>(text.data());
    std::size_t got = 0;
    const bool read = ReadStoredHead(fileName, bytes, got);
    text.resize(got);
    for (char& c : text)
        c = static_cast<char>(kFoldedUnscramble[static_cast<unsigned char>(c)]);
    return read;
}

int RunSearch(const SearchFields& fields, Reporter& reporter,
              const std::function<void(const SearchMatch&)>& onMatch, SearchKeys* keysUsed) {
    SearchKeys keys;
    const std::string_view texts[] = {fields.allowed, fields.forbidden, fields.required};
    SearchKeyList* lists[] = {&keys.allowed, &keys.forbidden, &keys.required};
    for (int f = 0; f < 3; ++f)
        if (!ParseKeys(texts[f].substr(0, kSearchFieldLimit), *lists[f]))
            reporter.Show(BoxForm::Owned, kKeyLimitMessage);
    if (keysUsed)
        *keysUsed = keys;

    // Read whole and unscrambled in place: byte-by-byte stream reads cost more than the
    // catalogue's few megabytes of memory, even at 100,000 recipes.
    std::string catalogue;
    if (!ReadWholeDataFile(kCatalogueFile, catalogue)) {
        reporter.Show(BoxForm::Owned, kSearchNoCatalogue);
        return -1;
    }
    for (char& c : catalogue)
        c = static_cast<char>(ScrambleTable[static_cast<unsigned char>(c)]);

    const KeyScanner scanner(keys);
    const auto buffer = std::make_unique<unsigned char[]>(kExaminedLimit);
    int recipeNumber = 0;
    int count = 0;
    std::string fileName;
    std::string losslessFile, lossless;
    ForEachSearchLine(catalogue, [&](std::string_view line) {
        const auto recipe = ParseRecipeLine(line);
        if (!recipe)
            return;
        ++recipeNumber;
        CleanFileName(recipe->file, fileName);
        std::size_t got = 0;
        if (!ReadStoredHead(fileName, buffer.get(), got))
            reporter.Show(BoxForm::CaptionOnly, kSearchNoRecipe);
        const bool passes =
            LosslessExamined(fileName, buffer.get(), got, losslessFile, lossless)
                ? scanner.Passes(reinterpret_cast<const unsigned char*>(lossless.data()),
                                 lossless.size(), kFoldTable)
                : scanner.Passes(buffer.get(), got, kFoldedUnscramble);
        if (!passes)
            return;
        ++count;
        if (onMatch)
            onMatch({recipeNumber, std::string(recipe->name), fileName});
    });
    return count;
}

} // namespace savorel
