// The lossless own-recipe form: one schema.org Recipe object, the shape other recipe programs
// read, with one extension, "savorelSections", that says how many of the items each section
// holds and under which heading.
#include "catalogue/recipe.h"
#include "catalogue/recipe_model.h"
#include "catalogue/servings.h"
#include "core/cp1250.h"

#include <nlohmann/json.hpp>

#include <charconv>

namespace savorel {

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

constexpr const char* kSectionsKey = "savorelSections";

// The deepest nesting of arrays and objects outside strings, counted before the parser (which
// recurses) ever sees the text.
int JsonNestingDepth(std::string_view text) {
    int depth = 0, deepest = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            deepest = std::max(deepest, ++depth);
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return deepest;
}

// One line of text: line breaks and tabs become blanks, blanks at the ends go.
std::string OneLine(std::string_view text, std::size_t limit) {
    std::string line;
    for (const char c : text)
        line.push_back(c == '\r' || c == '\n' || c == '\t' ? ' ' : c);
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    line = line.substr(first, line.find_last_not_of(' ') - first + 1);
    if (line.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut; // never half a character
        line.resize(cut);
    }
    return line;
}

std::string StringOf(const Json& value) {
    if (value.is_string())
        return value.get<std::string>();
    if (value.is_number_integer())
        return std::to_string(value.get<long long>());
    if (value.is_number())
        return value.dump();
    return {};
}

// The non-empty texts `of` gives for the elements of an array, joined by ", ".
template <typename Of> std::string Joined(const Json& array, Of of) {
    std::string joined;
    for (const Json& element : array) {
        const std::string text = of(element);
        if (text.empty())
            continue;
        if (!joined.empty())
            joined += ", ";
        joined += text;
    }
    return joined;
}

// A text fact: a string, a number, or the strings of an array joined.
std::string TextOf(const Json& value) {
    return value.is_array() ? Joined(value, StringOf) : StringOf(value);
}

// A person or a thing with a name, or a list of them.
std::string NameOf(const Json& value) {
    if (value.is_object()) {
        const auto name = value.find("name");
        return name == value.end() ? std::string() : StringOf(*name);
    }
    return value.is_array() ? Joined(value, NameOf) : StringOf(value);
}

std::string ImageOf(const Json& value) {
    if (value.is_object()) {
        const auto url = value.find("url");
        return url == value.end() ? std::string() : StringOf(*url);
    }
    if (value.is_array())
        return value.empty() ? std::string() : ImageOf(value.front());
    return StringOf(value);
}

void AddSteps(const Json& value, std::vector<std::string>& steps, int depth) {
    if (depth > kLosslessDepthLimit || steps.size() >= kLosslessItemLimit)
        return;
    if (value.is_string()) {
        // A preparation in one text: each line a step.
        const std::string text = value.get<std::string>();
        std::size_t start = 0;
        while (start <= text.size() && steps.size() < kLosslessItemLimit) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            std::string step = OneLine(std::string_view(text).substr(start, end - start), 100000);
            if (!step.empty())
                steps.push_back(std::move(step));
            start = end + 1;
        }
        return;
    }
    if (value.is_array()) {
        for (const Json& element : value)
            AddSteps(element, steps, depth + 1);
        return;
    }
    if (!value.is_object())
        return;
    if (const auto list = value.find("itemListElement"); list != value.end()) {
        AddSteps(*list, steps, depth + 1);
        return;
    }
    if (const auto text = value.find("text"); text != value.end() && text->is_string())
        AddSteps(*text, steps, depth + 1);
}

// "4", "4 portii", "4-6 persoane": the leading whole number when it is a servings count.
int LeadingServings(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (ec != std::errc() || value < kMinServings || value > kMaxServings)
        return 0;
    (void)end;
    return value;
}

} // namespace

std::string LosslessRecipeText(const Recipe& recipe) {
    OrderedJson json;
    json["@context"] = "https://schema.org";
    json["@type"] = "Recipe";
    json["name"] = recipe.title;
    if (!recipe.author.empty())
        json["author"] = {{"@type", "Person"}, {"name", recipe.author}};
    const RecipeFacts& f = recipe.facts;
    if (!f.identifier.empty())
        json["identifier"] = f.identifier;
    if (!f.description.empty())
        json["description"] = f.description;
    // Servings with a note beside them (a range such as "4-6 portions", scaled from its first
    // number) are a list: the servings first, as readers of recipeYield expect.
    if (recipe.servings > 0 && !f.yieldNote.empty())
        json["recipeYield"] =
            OrderedJson::array({Cp1250ToUtf8(BookServingsText(recipe.servings)), f.yieldNote});
    else if (recipe.servings > 0)
        json["recipeYield"] = Cp1250ToUtf8(BookServingsText(recipe.servings));
    else if (!f.yieldNote.empty())
        json["recipeYield"] = f.yieldNote;
    const std::pair<const char*, const std::string*> texts[] = {
        {"prepTime", &f.prepTime},       {"cookTime", &f.cookTime}, {"totalTime", &f.totalTime},
        {"recipeCategory", &f.category}, {"keywords", &f.keywords}, {"inLanguage", &f.language},
        {"url", &f.sourceUrl},           {"image", &f.image}};
    for (const auto& [key, value] : texts)
        if (!value->empty())
            json[key] = *value;
    OrderedJson items = OrderedJson::array();
    OrderedJson sections = OrderedJson::array();
    bool anyHeading = false;
    for (const RecipeSection& section : recipe.sections) {
        OrderedJson entry;
        if (section.hasHeading) {
            entry["heading"] = section.heading;
            anyHeading = true;
        }
        entry["items"] = section.items.size();
        sections.push_back(std::move(entry));
        for (const std::string& item : section.items)
            items.push_back(item);
    }
    json["recipeIngredient"] = std::move(items);
    OrderedJson steps = OrderedJson::array();
    for (const std::string& step : recipe.steps)
        steps.push_back({{"@type", "HowToStep"}, {"text", step}});
    json["recipeInstructions"] = std::move(steps);
    if (anyHeading || recipe.sections.size() > 1)
        json[kSectionsKey] = std::move(sections);
    // Invalid UTF-8 (which the model never holds from its own readers) is replaced, not thrown.
    return json.dump(1, '\t', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::optional<Recipe> ReadLosslessRecipe(std::string_view text, std::string* error) {
    const auto fail = [&](const char* why) -> std::optional<Recipe> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (text.size() > kLosslessFileLimit)
        return fail("fisierul retetei este prea mare");
    if (JsonNestingDepth(text) > kLosslessDepthLimit)
        return fail("fisierul retetei are prea multe niveluri");
    const Json json = Json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object())
        return fail("fisierul retetei nu este o reteta");
    Recipe recipe;
    recipe.form = RecipeForm::Lossless;
    recipe.hasTitle = true;
    recipe.hasPreparation = true;
    const auto get = [&](const char* key) -> const Json* {
        const auto it = json.find(key);
        return it == json.end() ? nullptr : &*it;
    };
    if (const Json* name = get("name"))
        recipe.title = OneLine(StringOf(*name), kTitleLimit);
    if (const Json* author = get("author"))
        recipe.author = OneLine(NameOf(*author), kTitleLimit);
    RecipeFacts& f = recipe.facts;
    const std::pair<const char*, std::string*> texts[] = {
        {"prepTime", &f.prepTime},       {"cookTime", &f.cookTime},    {"totalTime", &f.totalTime},
        {"recipeCategory", &f.category}, {"keywords", &f.keywords},    {"inLanguage", &f.language},
        {"url", &f.sourceUrl},           {"identifier", &f.identifier}};
    for (const auto& [key, value] : texts)
        if (const Json* v = get(key))
            *value = OneLine(TextOf(*v), kTitleLimit);
    if (const Json* d = get("description"))
        f.description = StringOf(*d).substr(0, kLosslessFileLimit);
    if (const Json* image = get("image"))
        f.image = OneLine(ImageOf(*image), kTitleLimit);
    if (const Json* yield = get("recipeYield")) {
        const std::string note = OneLine(
            TextOf(yield->is_array() && !yield->empty() ? yield->front() : *yield), kTitleLimit);
        std::string folded = Utf8ToCp1250Folded(note);
        recipe.servings = ParseServingsItem(folded).value_or(0);
        if (recipe.servings == 0 && yield->is_number_integer())
            recipe.servings = LeadingServings(note);
        if (recipe.servings == 0)
            f.yieldNote = note;
        else if (yield->is_array() && yield->size() > 1)
            f.yieldNote = OneLine(TextOf((*yield)[1]), kTitleLimit);
    }
    std::vector<std::string> items;
    if (const Json* list = get("recipeIngredient"); list && list->is_array())
        for (const Json& element : *list) {
            if (items.size() >= kLosslessItemLimit)
                break;
            std::string item = OneLine(StringOf(element), kItemLimit);
            if (!item.empty())
                items.push_back(std::move(item));
        }
    if (const Json* steps = get("recipeInstructions"))
        AddSteps(*steps, recipe.steps, 0);
    // Sections by their counts; items the counts do not reach form a last plain section.
    std::size_t next = 0;
    if (const Json* sections = get(kSectionsKey); sections && sections->is_array())
        for (const Json& entry : *sections) {
            if (!entry.is_object() || recipe.sections.size() >= kLosslessItemLimit)
                continue;
            RecipeSection section;
            if (const auto h = entry.find("heading"); h != entry.end() && h->is_string()) {
                section.hasHeading = true;
                section.heading = OneLine(h->get<std::string>(), kItemLimit);
            }
            std::size_t count = 0;
            if (const auto n = entry.find("items"); n != entry.end() && n->is_number_unsigned())
                count = std::min<std::size_t>(n->get<std::size_t>(), items.size() - next);
            for (std::size_t k = 0; k < count; ++k)
                section.items.push_back(std::move(items[next++]));
            recipe.sections.push_back(std::move(section));
        }
    if (next < items.size()) {
        RecipeSection rest;
        for (; next < items.size(); ++next)
            rest.items.push_back(std::move(items[next]));
        recipe.sections.push_back(std::move(rest));
    }
    return recipe;
}

namespace {

// A scan of the JSON text that keeps only the strings the search looks at, in file order:
// values of "name", "text", "heading", "description" and the elements of "recipeIngredient",
// with the structure it needs to tell them apart (the key each value belongs to).
class SearchScanner {
public:
    SearchScanner(std::string_view text, std::string& out) : m_text(text), m_out(out) {}

    bool Run() {
        SkipBlanks();
        return Value(0, Key::Other);
    }

private:
    enum class Key { Other, Searched, Ingredients };

    bool Value(int depth, Key key) {
        if (depth > kLosslessDepthLimit || m_pos >= m_text.size())
            return false;
        const char c = m_text[m_pos];
        if (c == '"') {
            if (key == Key::Other)
                return String(nullptr);
            if (!String(&m_out))
                return false;
            m_out += '\n';
            return true;
        }
        if (c == '{')
            return Object(depth);
        if (c == '[')
            return Array(depth, key);
        // Numbers, true, false, null: nothing to search.
        while (m_pos < m_text.size() &&
               std::string_view(",}] \t\r\n").find(m_text[m_pos]) == std::string_view::npos)
            ++m_pos;
        return true;
    }

    bool Object(int depth) {
        ++m_pos; // {
        SkipBlanks();
        if (Peek('}'))
            return ++m_pos, true;
        std::string decoded;
        while (true) {
            if (!Peek('"'))
                return false;
            std::string_view key;
            // A key without escapes is read where it stands; one with them is decoded.
            const std::size_t close = m_text.find('"', m_pos + 1);
            if (close != std::string_view::npos &&
                m_text.substr(m_pos + 1, close - m_pos - 1).find('\\') == std::string_view::npos) {
                key = m_text.substr(m_pos + 1, close - m_pos - 1);
                m_pos = close + 1;
            } else {
                decoded.clear();
                if (!String(&decoded))
                    return false;
                key = decoded;
            }
            SkipBlanks();
            if (!Peek(':'))
                return false;
            ++m_pos;
            SkipBlanks();
            Key kind = Key::Other;
            if (key == "recipeIngredient")
                kind = Key::Ingredients;
            else if ((key == "name" && depth <= 1) || key == "text" || key == "heading" ||
                     (key == "description" && depth == 0))
                kind = Key::Searched;
            if (!Value(depth + 1, kind))
                return false;
            SkipBlanks();
            if (Peek(',')) {
                ++m_pos;
                SkipBlanks();
                continue;
            }
            if (Peek('}'))
                return ++m_pos, true;
            return false;
        }
    }

    bool Array(int depth, Key key) {
        ++m_pos; // [
        SkipBlanks();
        if (Peek(']'))
            return ++m_pos, true;
        // Only the ingredient list's own strings are searched, never those of other arrays.
        const Key elements = key == Key::Ingredients ? Key::Searched : Key::Other;
        while (true) {
            if (!Value(depth + 1, elements))
                return false;
            SkipBlanks();
            if (Peek(',')) {
                ++m_pos;
                SkipBlanks();
                continue;
            }
            if (Peek(']'))
                return ++m_pos, true;
            return false;
        }
    }

    // A JSON string at m_pos; when `out` is given its text is appended to it as one line
    // folded to the code page, as LosslessRecipeSearchText writes each text.
    bool String(std::string* out) {
        ++m_pos; // "
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == '"') {
                ++m_pos;
                return true;
            }
            if (c != '\\') {
                // A run of plain characters at once: to the next quote, escape or letter
                // beyond ASCII.
                std::size_t end = m_pos;
                while (end < m_text.size()) {
                    const auto u = static_cast<unsigned char>(m_text[end]);
                    if (u == '"' || u == '\\' || u < 0x20 || u >= 0x80)
                        break;
                    ++end;
                }
                if (end > m_pos) {
                    if (out)
                        out->append(m_text.substr(m_pos, end - m_pos));
                    m_pos = end;
                } else if (!out) {
                    ++m_pos;
                } else {
                    const char32_t ch = NextUtf8(m_text, m_pos);
                    AppendCp1250Folded(*out, ch == '\r' || ch == '\n' || ch == '\t' ? U' ' : ch);
                }
                continue;
            }
            ++m_pos;
            if (m_pos >= m_text.size())
                return false;
            const char e = m_text[m_pos++];
            if (e == 'u') {
                char32_t ch = 0;
                if (!Hex4(ch))
                    return false;
                if (ch >= 0xD800 && ch <= 0xDBFF && m_text.substr(m_pos, 2) == "\\u") {
                    m_pos += 2;
                    char32_t low = 0;
                    if (!Hex4(low))
                        return false;
                    ch = low >= 0xDC00 && low <= 0xDFFF
                             ? 0x10000 + ((ch - 0xD800) << 10) + (low - 0xDC00)
                             : 0xFFFD;
                }
                if (out) {
                    ch = ch >= 0xD800 && ch <= 0xDFFF ? 0xFFFD : ch;
                    AppendCp1250Folded(*out, ch == '\r' || ch == '\n' || ch == '\t' ? U' ' : ch);
                }
                continue;
            }
            const std::string_view simple = "\"\\/bfnrt";
            const std::string_view meant = "\"\\/\b\f   ";
            const std::size_t at = simple.find(e);
            if (at == std::string_view::npos)
                return false;
            if (out)
                AppendCp1250Folded(*out, static_cast<unsigned char>(meant[at]));
        }
        return false;
    }

    bool Hex4(char32_t& value) {
        if (m_pos + 4 > m_text.size())
            return false;
        unsigned v = 0;
        const auto [end, ec] =
            std::from_chars(m_text.data() + m_pos, m_text.data() + m_pos + 4, v, 16);
        if (ec != std::errc() || end != m_text.data() + m_pos + 4)
            return false;
        m_pos += 4;
        value = v;
        return true;
    }

    bool Peek(char c) const { return m_pos < m_text.size() && m_text[m_pos] == c; }
    void SkipBlanks() {
        while (m_pos < m_text.size() && IsBlankJson(m_text[m_pos]))
            ++m_pos;
    }
    static bool IsBlankJson(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::string& m_out;
};

} // namespace

std::string LosslessRecipeSearchText(const Recipe& recipe) {
    // The order LosslessRecipeText writes them in, so that the scan of a file finds the same.
    // Each text one line: its line breaks and tabs blanks, its letters folded to the code page.
    std::string text;
    const auto add = [&](std::string_view piece) {
        std::size_t i = 0;
        while (i < piece.size()) {
            const char32_t ch = NextUtf8(piece, i);
            AppendCp1250Folded(text, ch == '\r' || ch == '\n' || ch == '\t' ? U' ' : ch);
        }
        text += '\n';
    };
    add(recipe.title);
    if (!recipe.author.empty())
        add(recipe.author);
    if (!recipe.facts.description.empty())
        add(recipe.facts.description);
    for (const RecipeSection& section : recipe.sections)
        for (const std::string& item : section.items)
            add(item);
    for (const std::string& step : recipe.steps)
        add(step);
    for (const RecipeSection& section : recipe.sections)
        if (section.hasHeading)
            add(section.heading);
    return text;
}

std::optional<std::string> LosslessSearchText(std::string_view text) {
    std::string out;
    if (!LosslessSearchTextInto(text, out))
        return std::nullopt;
    return out;
}

bool LosslessSearchTextInto(std::string_view text, std::string& out) {
    out.clear();
    if (text.size() > kLosslessFileLimit)
        return false;
    // The search text is never longer than the JSON it comes from: one allocation at most.
    out.reserve(text.size());
    if (SearchScanner(text, out).Run())
        return true;
    out.clear();
    return false;
}

} // namespace savorel
