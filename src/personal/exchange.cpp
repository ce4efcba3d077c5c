#include "personal/exchange.h"
#include "personal/recipe_folders.h"

#include "catalogue/catalogue.h"
#include "catalogue/page.h"
#include "catalogue/recipe.h"
#include "catalogue/recipe_model.h"
#include "catalogue/servings.h"
#include "core/cp1250.h"
#include "core/files.h"
#include "core/records.h"
#include "core/store_lock.h"
#include "personal/html_entities.h"
#include "personal/lenient_json.h"
#include "personal/web_page.h"
#include "viewing/calories.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unordered_map>

namespace savorel {

using Json = nlohmann::ordered_json;

namespace {

// A blank, a tab or a line break (the white space of JSON).
bool IsBlankOrBreak(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Every run of blanks and line breaks one blank, none at the ends.
std::string Collapsed(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (!IsBlankOrBreak(c))
            out += c;
        else if (!out.empty() && out.back() != ' ')
            out += ' ';
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string Trimmed(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlankOrBreak(text[begin]))
        ++begin;
    while (end > begin && IsBlankOrBreak(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

// The ingredient items as recipe managers list them: the servings item left out (it becomes
// recipeYield), a heading as its own string ending in ":", blanks at the ends dropped.
struct ExportedIngredients {
    std::vector<std::string> items;
    std::string servingsItem;
};

// The servings item as the book writes it, with the t-cedilla and "de" from 20 up.
std::string BookServingsItem(int servings) {
    return std::to_string(servings) + (servings >= 20 ? " de" : "") +
           (servings == 1 ? " por\xFEie" : " por\xFEii");
}

ExportedIngredients IngredientStrings(const Recipe& recipe) {
    ExportedIngredients out;
    const auto utf8 = [&](std::string_view text) {
        return recipe.form == RecipeForm::Book ? Cp1250ToUtf8(text) : std::string(text);
    };
    const std::optional<int> servings = ServingsOf(recipe);
    bool first = true;
    for (const RecipeSection& section : recipe.sections) {
        if (section.hasHeading) {
            const std::string heading = Trimmed(section.heading);
            if (!heading.empty())
                out.items.push_back(utf8(heading) + ":");
        }
        for (const std::string& item : section.items) {
            if (first && servings && recipe.form == RecipeForm::Book) {
                out.servingsItem = utf8(Trimmed(item));
                first = false;
                continue;
            }
            first = false;
            std::string text = Trimmed(item);
            if (!text.empty())
                out.items.push_back(utf8(text));
        }
    }
    if (servings && recipe.form == RecipeForm::Lossless)
        out.servingsItem = Cp1250ToUtf8(BookServingsItem(*servings));
    return out;
}

std::string Kcal(double value) {
    return std::to_string(std::llround(value)) + " kcal";
}

} // namespace

// ---- export ----

std::optional<std::vector<ExportEntry>> ExportEntries(bool ownOnly) {
    CategoryTable table;
    CollectingReporter quiet;
    const bool catalogued = LoadCatalogue(table, quiet);
    if (!catalogued && !ownOnly)
        return std::nullopt;
    std::vector<ExportEntry> entries;
    std::map<std::string, std::size_t> byFile;
    for (const auto& category : table.categories)
        for (const auto& sub : category.subcategories)
            for (const auto& recipe : sub.recipes)
                if (byFile.emplace(recipe.fileName, entries.size()).second)
                    entries.push_back({recipe.fileName, category.name, sub.name});
    std::vector<ExportEntry> own;
    std::set<std::string> seen;
    for (const std::string& record :
         ReadListFile(kOwnRecipeList).value_or(std::vector<std::string>())) {
        const std::string file = FileNameFromEntry(record);
        if (file.empty() || !seen.insert(file).second)
            continue;
        const auto found = byFile.find(file);
        if (found != byFile.end())
            entries[found->second].own = true;
        own.push_back(found != byFile.end() ? entries[found->second] : ExportEntry{file, {}, {}});
        own.back().own = true;
    }
    return ownOnly ? own : entries;
}

std::string RecipeJsonLd(const ExportEntry& entry, std::string_view recipeText,
                         const ExportCalories& calories) {
    return RecipeJsonLd(entry, ReadRecipe(recipeText), calories);
}

std::string RecipeJsonLd(const ExportEntry& entry, const Recipe& model,
                         const ExportCalories& calories) {
    const bool book = model.form == RecipeForm::Book;
    const auto utf8 = [&](std::string_view text) {
        return book ? Cp1250ToUtf8(text) : std::string(text);
    };
    Json recipe = Json::object();
    recipe["@context"] = "https://schema.org";
    recipe["@type"] = "Recipe";
    recipe["name"] = utf8(Trimmed(model.title));
    const RecipeFacts& facts = model.facts;
    // The identifier that came with a recipe stays with it; the book's own is its file name.
    recipe["identifier"] =
        facts.identifier.empty() ? Cp1250ToUtf8(entry.fileName) : facts.identifier;
    // A book recipe's place is its catalogue line. An own recipe keeps what it came with, or
    // takes the own recipes' place: its line may have been appended under any category.
    std::string category = Cp1250ToUtf8(Trimmed(entry.category));
    std::string keywords = Cp1250ToUtf8(Trimmed(entry.subcategory));
    if (entry.own) {
        const bool came = !facts.category.empty() || !facts.keywords.empty();
        category = came ? facts.category : Cp1250ToUtf8(kOwnCategory);
        keywords = came ? facts.keywords : Cp1250ToUtf8(kOwnSubcategory);
    } else {
        if (category.empty())
            category = facts.category;
        if (keywords.empty())
            keywords = facts.keywords;
    }
    if (!category.empty())
        recipe["recipeCategory"] = category;
    if (!keywords.empty())
        recipe["keywords"] = keywords;
    // Own recipe files keep the author before the first "#"; the book's files leave it empty.
    const std::string author = Trimmed(model.author);
    if (!author.empty())
        recipe["author"] = {{"@type", "Person"}, {"name", utf8(author)}};
    // Always there, empty when unknown: one of the self-hosted recipe programs refuses an
    // object without them.
    recipe["description"] = facts.description;
    recipe["image"] = facts.image;
    recipe["inLanguage"] = facts.language.empty() ? std::string("ro") : facts.language;
    const std::pair<const char*, const std::string*> texts[] = {{"prepTime", &facts.prepTime},
                                                                {"cookTime", &facts.cookTime},
                                                                {"totalTime", &facts.totalTime},
                                                                {"url", &facts.sourceUrl}};
    for (const auto& [key, value] : texts)
        if (!value->empty())
            recipe[key] = *value;

    const ExportedIngredients ingredients = IngredientStrings(model);
    const std::optional<int> servings = ServingsOf(model);
    // The servings as the book writes them, whatever spelling the item had: the same recipe
    // exported from either form says the same.
    if (servings)
        recipe["recipeYield"] = Cp1250ToUtf8(BookServingsItem(*servings));
    else if (!facts.yieldNote.empty())
        recipe["recipeYield"] = facts.yieldNote;
    Json items = Json::array();
    for (const std::string& item : ingredients.items)
        items.push_back(item);
    recipe["recipeIngredient"] = std::move(items);

    std::vector<std::string> lines;
    if (book) {
        std::size_t start = 0;
        const std::string_view preparation = model.preparation;
        while (start <= preparation.size()) {
            std::size_t end = preparation.find('\n', start);
            if (end == std::string_view::npos)
                end = preparation.size();
            if (const std::string line = Trimmed(preparation.substr(start, end - start));
                !line.empty())
                lines.push_back(Cp1250ToUtf8(line));
            start = end + 1;
        }
    } else {
        for (const std::string& step : model.steps)
            lines.push_back(step);
    }
    // A line ending in ":" with steps after it heads them: a HowToSection.
    Json steps = Json::array();
    Json* section = nullptr;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.size() > 1 && line.back() == ':' && i + 1 < lines.size() &&
            lines[i + 1].back() != ':') {
            steps.push_back({{"@type", "HowToSection"},
                             {"name", line.substr(0, line.size() - 1)},
                             {"itemListElement", Json::array()}});
            section = &steps.back()["itemListElement"];
            continue;
        }
        (section ? *section : steps).push_back({{"@type", "HowToStep"}, {"text", line}});
    }
    recipe["recipeInstructions"] = std::move(steps);

    if (calories.known && servings) {
        recipe["nutrition"] = {{"@type", "NutritionInformation"},
                               {"servingSize", Cp1250ToUtf8(BookServingsItem(1))},
                               {"calories", Kcal(calories.total / *servings)}};
    } else if (calories.known) {
        // schema.org's calories are per serving; a recipe that states no servings has only
        // the whole recipe's figure, which a per-serving field would misstate.
        recipe["caloriesWholeRecipe"] = Kcal(calories.total);
    }
    return recipe.dump(2, ' ', false, Json::error_handler_t::replace);
}

ExportCalories CaloriesForExport(std::string_view recipeText) {
    ExportCalories calories;
    CollectingReporter quiet;
    CalorieState state;
    if (IsLosslessText(recipeText)) {
        const auto recipe = ReadLosslessRecipe(recipeText);
        if (!recipe)
            return calories;
        const CalorieInput input = CalorieInputOf(*recipe);
        CalculateFromTokens(input.tokens, input.servings, state, quiet);
    } else {
        if (CountMarkers(recipeText) != 3)
            return calories;
        const std::size_t second = recipeText.find('#', recipeText.find('#') + 1);
        const std::size_t third = recipeText.find('#', second + 1);
        CalculateFromIngredients(recipeText.substr(second + 1, third - second - 1), state, quiet);
    }
    // A total with ingredients left out would understate the recipe: better none at all.
    calories.known = !state.tableMissing && state.leftoverWords.empty() &&
                     state.notUnderstood.find_first_not_of(" \t\r\n") == std::string::npos;
    calories.total = state.total;
    return calories;
}

std::string ExportRecipes(const std::vector<ExportEntry>& entries,
                          std::vector<std::string>& unreadable) {
    std::string out = "[";
    bool first = true;
    for (const ExportEntry& entry : entries) {
        std::string text;
        if (!IsSafeDataName(entry.fileName) || !ReadRecipeText(entry.fileName, text)) {
            unreadable.push_back(entry.fileName);
            continue;
        }
        std::string object = RecipeJsonLd(entry, text, CaloriesForExport(text));
        // Indented one level further inside the array.
        std::string indented = "\n  ";
        for (const char c : object) {
            indented += c;
            if (c == '\n')
                indented += "  ";
        }
        out += (first ? "" : ",") + indented;
        first = false;
    }
    out += first ? "]\n" : "\n]\n";
    return out;
}

// ---- import ----

namespace {

// One code point from valid UTF-8 at `i` (the JSON parser has checked the text already).
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const unsigned char lead = static_cast<unsigned char>(text[i++]);
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : 3;
    char32_t ch = extra == 0 ? lead : (lead & (0x3F >> extra));
    for (int k = 0; k < extra && i < text.size(); ++k)
        ch = (ch << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    return ch;
}

// Characters the code page has but the book writes in ASCII, and ones it lacks that have a
// plain spelling.
const char* AsciiSpelling(char32_t ch) {
    switch (ch) {
    case 0x2018:
    case 0x2019:
    case 0x201A:
    case 0x201B:
    case 0x2032:
    case 0x00B4:
    case 0x0060:
        return "'";
    case 0x201C:
    case 0x201D:
    case 0x201E:
    case 0x201F:
    case 0x2033:
    case 0x00AB:
    case 0x00BB:
        return "\"";
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2013:
    case 0x2014:
    case 0x2015:
    case 0x2212:
        return "-";
    case 0x2026:
        return "...";
    case 0x00A0:
    case 0x2002:
    case 0x2003:
    case 0x2007:
    case 0x2009:
    case 0x200A:
    case 0x202F:
        return " ";
    case 0x200B:
    case 0x200C:
    case 0x200D:
    case 0xFEFF:
    case 0x00AD:
        return "";
    case 0x2022:
    case 0x00B7:
        return "-";
    case 0x00BD:
        return "1/2";
    case 0x2153:
        return "1/3";
    case 0x2154:
        return "2/3";
    case 0x00BC:
        return "1/4";
    case 0x00BE:
        return "3/4";
    case 0x215B:
        return "1/8";
    case 0x2044:
        return "/";
    default:
        return nullptr;
    }
}

// At most `limit` bytes of UTF-8 text, never half a character.
std::string Utf8Prefix(std::string_view text, std::size_t limit) {
    if (text.size() <= limit)
        return std::string(text);
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(text.substr(0, cut));
}

// Markup and character references are how web pages write text; the recipe page shows text
// escaped, but the model is to hold what the page showed, not how it was written. Text with
// no "<" has only references to decode; anything else goes through the HTML parser.
std::string PlainText(std::string_view html) {
    std::string text = html.find('<') == std::string_view::npos ? DecodeHtmlEntities(html)
                                                                : HtmlFragmentText(html);
    // No-break blanks (which pages write between a number and its unit) are blanks to the
    // model, whose items are matched and cut by blanks.
    for (const std::string_view nbsp : {"\xC2\xA0", "\xE2\x80\xAF"})
        for (std::size_t at = text.find(nbsp); at != std::string::npos; at = text.find(nbsp, at))
            text.replace(at, nbsp.size(), " ");
    return text;
}

// One line of text: markup gone, every run of blanks and line breaks one blank.
std::string OneLine(std::string_view text) {
    return Collapsed(PlainText(text));
}

const Json* Get(const Json& node, const char* key) {
    if (!node.is_object())
        return nullptr;
    const auto it = node.find(key);
    return it == node.end() ? nullptr : &*it;
}

std::string TextOf(const Json& value) {
    if (value.is_string())
        return value.get<std::string>();
    if (value.is_number_unsigned())
        return std::to_string(value.get<unsigned long long>());
    if (value.is_number_integer())
        return std::to_string(value.get<long long>());
    if (value.is_number())
        return value.dump();
    // A language-tagged literal of JSON-LD: {"@value": "...", "@language": "ro"}.
    if (const Json* literal = Get(value, "@value"))
        return literal->is_object() ? std::string() : TextOf(*literal);
    return {};
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Whether a type name (in any case, bare or as an address such as "http://schema.org/Recipe"
// or a prefixed "schema:Recipe") is `type`; `type` is given in lower case.
bool IsTypeName(std::string_view name, std::string_view type) {
    const std::string lower = LowerAscii(name);
    std::string_view s = lower;
    while (!s.empty() && (s.back() == ' ' || s.back() == '/'))
        s.remove_suffix(1);
    if (const std::size_t cut = s.find_last_of("/#:"); cut != std::string_view::npos)
        s.remove_prefix(cut + 1);
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    return s == type;
}

bool IsType(const Json& node, std::string_view type) {
    const Json* t = Get(node, "@type");
    if (!t)
        return false;
    if (t->is_array()) {
        for (const Json& one : *t)
            if (one.is_string() && IsTypeName(one.get<std::string>(), type))
                return true;
        return false;
    }
    return t->is_string() && IsTypeName(t->get<std::string>(), type);
}

constexpr int kWalkDepthLimit = 24;

// The Recipe objects of a document: the document itself, inside arrays, under "@graph",
// "mainEntity", "mainEntityOfPage" or an item list.
void CollectRecipes(const Json& node, std::vector<const Json*>& found, int depth = 0) {
    if (depth > kWalkDepthLimit)
        return;
    if (node.is_array()) {
        for (const Json& element : node)
            CollectRecipes(element, found, depth + 1);
        return;
    }
    if (!node.is_object())
        return;
    if (IsType(node, "recipe")) {
        found.push_back(&node);
        return;
    }
    for (const char* key : {"@graph", "mainEntity", "mainEntityOfPage", "itemListElement", "item"})
        if (const Json* inner = Get(node, key))
            CollectRecipes(*inner, found, depth + 1);
}

std::string AuthorOf(const Json& author, int depth = 0) {
    if (depth > kWalkDepthLimit)
        return {};
    if (author.is_array()) {
        std::string names;
        for (const Json& one : author) {
            const std::string name = AuthorOf(one, depth + 1);
            if (!name.empty() && names.find(name) == std::string::npos)
                names += (names.empty() ? "" : ", ") + name;
        }
        return names;
    }
    if (author.is_object()) {
        const Json* name = Get(author, "name");
        return name ? AuthorOf(*name, depth + 1) : std::string();
    }
    return OneLine(TextOf(author));
}

// The lines of plain text, each collapsed, empty ones left out.
void AddPlainLines(std::string_view plain, std::vector<std::string>& lines) {
    std::size_t start = 0;
    while (start <= plain.size() && lines.size() < kLosslessItemLimit) {
        std::size_t end = plain.find('\n', start);
        if (end == std::string::npos)
            end = plain.size();
        const std::string line = Collapsed(std::string_view(plain).substr(start, end - start));
        if (!line.empty())
            lines.push_back(line);
        start = end + 1;
    }
}

// The lines of a text once its markup is read: block elements and line breaks end lines.
void AddLines(std::string_view text, std::vector<std::string>& lines) {
    AddPlainLines(PlainText(text), lines);
}

// A section's name as a line of its own ending in ":", the form the model's steps and the
// book's items give headings.
void AddHeading(const Json& node, std::vector<std::string>& lines) {
    const Json* name = Get(node, "name");
    if (!name)
        return;
    const std::string heading = OneLine(TextOf(*name));
    if (!heading.empty())
        lines.push_back(heading.back() == ':' ? heading : heading + ":");
}

// Instructions as lines: plain strings, HowToStep (and its kin) by their text, HowToSection
// (and any list that is no step) by its name as a line ending in ":" and then its steps.
void InstructionLines(const Json& node, std::vector<std::string>& lines, int depth = 0) {
    if (depth > kWalkDepthLimit || lines.size() >= kLosslessItemLimit)
        return;
    if (node.is_string()) {
        AddLines(node.get<std::string>(), lines);
    } else if (node.is_array()) {
        for (const Json& element : node)
            InstructionLines(element, lines, depth + 1);
    } else if (node.is_object()) {
        const Json* list = Get(node, "itemListElement");
        const Json* text = Get(node, "text");
        if (list && !IsType(node, "howtostep")) {
            AddHeading(node, lines);
            InstructionLines(*list, lines, depth + 1);
        } else if (text && !TextOf(*text).empty()) {
            AddLines(TextOf(*text), lines);
        } else if (list) {
            InstructionLines(*list, lines, depth + 1);
        } else if (const Json* name = Get(node, "name")) {
            AddLines(TextOf(*name), lines);
        }
    }
}

// Ingredients as lines: strings (one item per line of their text), and groups given as
// HowToSection-like objects (a heading line ending in ":" and then their items).
void IngredientLines(const Json& node, std::vector<std::string>& lines, int depth = 0) {
    if (depth > kWalkDepthLimit || lines.size() >= kLosslessItemLimit)
        return;
    if (node.is_array()) {
        for (const Json& element : node)
            IngredientLines(element, lines, depth + 1);
    } else if (node.is_object()) {
        const Json* list = Get(node, "itemListElement");
        if (!list)
            list = Get(node, "recipeIngredient");
        if (list) {
            AddHeading(node, lines);
            IngredientLines(*list, lines, depth + 1);
        } else if (const Json* text = Get(node, "text")) {
            AddLines(TextOf(*text), lines);
        } else if (const Json* name = Get(node, "name")) {
            AddLines(TextOf(*name), lines);
        }
    } else {
        AddLines(TextOf(node), lines);
    }
}

// What a recipeYield says: servings where it counts people, a note where it counts things
// (or a range, or anything else than one number of servings).
struct Yield {
    int servings = 0;
    std::string note;   // the yield as written, one line
    bool thing = false; // counts things ("24 cookies"), not people
    bool range = false; // "4-6": the servings are its first number
};

// Words that say a yield counts people, lower case, without diacritics.
bool IsPeopleWord(std::string_view word) {
    static const std::set<std::string_view> kPeople = {
        "serving",  "servings",  "serves",    "serve",    "portion",   "portions",
        "people",   "persons",   "person",    "pers",     "portii",    "portie",
        "portia",   "persoane",  "persoana",  "pentru",   "feeds",     "personas",
        "raciones", "porciones", "portionen", "personen", "portions.", "servings."};
    return kPeople.count(word) > 0;
}

// A yield's text read word by word, diacritics folded: a leading or trailing number, a range,
// and whether a word counts people or things.
Yield YieldOfText(const std::string& text) {
    Yield yield;
    yield.note = Utf8Prefix(OneLine(text), kTitleLimit);
    const std::string folded = LowerAscii(Utf8ToCp1250Folded(yield.note));
    std::string plain;
    for (const char c : folded) {
        const unsigned char u = static_cast<unsigned char>(c);
        // The code page's own letters folded to ASCII for the word list: s,t with cedilla,
        // a with breve, a and i with circumflex.
        switch (u) {
        case 0xBA:
        case 0xAA:
            plain += 's';
            break;
        case 0xFE:
        case 0xDE:
            plain += 't';
            break;
        case 0xE3:
        case 0xC3:
        case 0xE2:
        case 0xC2:
            plain += 'a';
            break;
        case 0xEE:
        case 0xCE:
            plain += 'i';
            break;
        default:
            plain += static_cast<char>(u >= 0x80 ? ' ' : c);
        }
    }
    std::vector<int> numbers;
    bool people = false, words = false, makes = false, bigNumber = false;
    std::size_t i = 0;
    while (i < plain.size()) {
        const char c = plain[i];
        if (c >= '0' && c <= '9') {
            std::size_t end = i;
            while (end < plain.size() && plain[end] >= '0' && plain[end] <= '9')
                ++end;
            if (end - i > 4) {
                bigNumber = true;
            } else {
                int value = 0;
                std::from_chars(plain.data() + i, plain.data() + end, value);
                numbers.push_back(value);
            }
            i = end;
            continue;
        }
        if ((c >= 'a' && c <= 'z')) {
            std::size_t end = i;
            while (end < plain.size() && plain[end] >= 'a' && plain[end] <= 'z')
                ++end;
            const std::string_view word = std::string_view(plain).substr(i, end - i);
            if (IsPeopleWord(word))
                people = true;
            else if (word == "makes" || word == "yields" || word == "yield" || word == "face")
                makes = true;
            else if (word != "to" && word != "sau" && word != "or" && word != "de" &&
                     word != "about" && word != "aprox" && word != "circa" && word != "cca")
                words = true;
            i = end;
            continue;
        }
        ++i;
    }
    // More numbers than one ("4-6", "4 sau 6"): the text says more than one number of servings.
    yield.range = yield.range || numbers.size() > 1;
    const bool counted = !numbers.empty() && !bigNumber;
    const int first = counted ? numbers.front() : 0;
    if (people && counted) {
        yield.servings = first;
    } else if (!people && !makes && !words && counted) {
        yield.servings = first; // a bare number ("4", "4-6") counts people
    } else if (counted || makes || words) {
        yield.thing = true;
    }
    if (yield.servings < kMinServings || yield.servings > kMaxServings) {
        yield.servings = 0;
        if (!people)
            yield.thing = yield.thing || counted;
    }
    return yield;
}

// Every shape a recipeYield comes in: a number, a text, QuantitativeValue {value, unitText},
// and arrays of them ("4", "4 servings"): people counted anywhere win, then things, then a
// bare number.
Yield YieldOf(const Json& value, int depth = 0) {
    if (depth > kWalkDepthLimit)
        return {};
    if (value.is_array()) {
        Yield best;
        bool any = false;
        for (const Json& one : value) {
            const Yield y = YieldOf(one, depth + 1);
            if (y.note.empty())
                continue;
            if (!any || (best.servings == 0 && y.servings > 0 && !best.thing) ||
                (y.servings > 0 && best.thing && !y.thing && y.note != std::to_string(y.servings)))
                best = y;
            any = true;
        }
        // ["24", "24 cookies"]: the number with a thing named beside it counts things.
        for (const Json& one : value) {
            const Yield y = YieldOf(one, depth + 1);
            if (y.thing && best.servings > 0 && best.note == std::to_string(best.servings)) {
                best = y;
                break;
            }
        }
        return best;
    }
    if (value.is_number()) {
        Yield yield;
        const double number = value.get<double>();
        yield.note = TextOf(value);
        if (number >= kMinServings && number <= kMaxServings && number == std::floor(number))
            yield.servings = static_cast<int>(number);
        return yield;
    }
    if (value.is_object()) {
        const Json* number = Get(value, "value");
        if (!number)
            return {};
        std::string text = TextOf(*number);
        if (const Json* unit = Get(value, "unitText"))
            text += " " + TextOf(*unit);
        return YieldOfText(text);
    }
    return YieldOfText(TextOf(value));
}

constexpr std::string_view kUnheldNote = "caractere fara loc in Windows-1250, scrise \"?\": ";

// An ingredient string as the model holds it: one ending in ":" heads the items after it.
void AddModelItem(Recipe& model, const std::string& item) {
    if (ItemCount(model) + model.sections.size() >= kLosslessItemLimit)
        return;
    if (item.size() > 1 && item.back() == ':') {
        RecipeSection section;
        section.hasHeading = true;
        section.heading = item.substr(0, item.size() - 1);
        model.sections.push_back(std::move(section));
        return;
    }
    if (model.sections.empty())
        model.sections.emplace_back();
    model.sections.back().items.push_back(Utf8Prefix(item, kItemLimit));
}

// An ISO 8601 duration ("PT1H30M", "P1DT2H", "PT90M", "P0DT0H45M"): whether it is one, and
// how long it lasts (months as 30 days, years as 365).
std::optional<std::chrono::seconds> IsoDuration(std::string_view text) {
    using namespace std::chrono;
    if (text.size() < 3 || text.size() > 40 || (text[0] != 'P' && text[0] != 'p'))
        return std::nullopt;
    seconds total{0};
    bool inTime = false, any = false;
    std::string_view order = "YMWD";
    std::size_t i = 1;
    while (i < text.size()) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
        if (c == 'T') {
            if (inTime)
                return std::nullopt;
            inTime = true;
            order = "HMS";
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() &&
               ((text[i] >= '0' && text[i] <= '9') || text[i] == '.' || text[i] == ','))
            ++i;
        if (i == start || i >= text.size() || i - start > 9)
            return std::nullopt;
        std::string number(text.substr(start, i - start));
        std::replace(number.begin(), number.end(), ',', '.');
        double value = 0;
        const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (ec != std::errc() || end != number.data() + number.size())
            return std::nullopt;
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i++])));
        const std::size_t at = order.find(c);
        if (at == std::string_view::npos)
            return std::nullopt;
        order.remove_prefix(at + 1); // each unit once, largest first
        double unit = 0;
        if (!inTime)
            unit = c == 'Y'   ? 365 * 86400.0
                   : c == 'M' ? 30 * 86400.0
                   : c == 'W' ? 7 * 86400.0
                              : 86400.0;
        else
            unit = c == 'H' ? 3600.0 : c == 'M' ? 60.0 : 1.0;
        total += seconds(std::llround(value * unit));
        any = true;
    }
    if (!any || total > hours(24 * 366))
        return std::nullopt;
    return total;
}

// A time fact: an ISO 8601 duration kept as written (upper case), a zero one left out, text
// that starts as one but is none left out with a note; other text (rare) kept as it stands.
void ReadTime(const Json* value, const char* key, std::string& fact,
              std::vector<std::string>& notes) {
    if (!value)
        return;
    std::string text = OneLine(TextOf(*value));
    if (text.empty())
        return;
    if (text[0] == 'P' || text[0] == 'p' || text[0] == '-') {
        const auto duration = IsoDuration(text);
        if (!duration) {
            notes.push_back(std::string(key) + " nu este o durata ISO 8601: \"" +
                            Utf8ToCp1250Folded(text.substr(0, 60)) + "\" (lasat deoparte)");
            return;
        }
        if (duration->count() == 0)
            return;
        for (char& c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    fact = Utf8Prefix(text, kTitleLimit);
}

// Texts from a string or a list of them, joined by ", ".
std::string JoinedText(const Json& value, int depth = 0) {
    if (depth > kWalkDepthLimit)
        return {};
    if (!value.is_array()) {
        if (const Json* name = Get(value, "name"))
            return JoinedText(*name, depth + 1);
        return OneLine(TextOf(value));
    }
    std::string text;
    for (const Json& one : value)
        if (const std::string part = JoinedText(one, depth + 1); !part.empty())
            text += (text.empty() ? "" : ", ") + part;
    return text;
}

// An image address from a string, an ImageObject (url, contentUrl or @id) or a list of
// them: the first one that is a web address. Nothing else is kept, so that no imported text
// ever names a file of this computer.
std::string ImageAddress(const Json& value, int depth = 0) {
    if (depth > kWalkDepthLimit)
        return {};
    if (value.is_array()) {
        for (const Json& one : value)
            if (std::string address = ImageAddress(one, depth + 1); !address.empty())
                return address;
        return {};
    }
    if (value.is_object()) {
        for (const char* key : {"url", "contentUrl", "@id"})
            if (const Json* inner = Get(value, key))
                if (std::string address = ImageAddress(*inner, depth + 1); !address.empty())
                    return address;
        return {};
    }
    const std::string text = OneLine(TextOf(value));
    const std::string lower = LowerAscii(text.substr(0, 8));
    if ((lower.starts_with("https://") || lower.starts_with("http://")) &&
        text.find_first_of(" \"'<>") == std::string::npos && text.size() <= kTitleLimit)
        return text;
    return {};
}

// A text that stands for the recipe's address: a string, or an object's @id or url.
std::string AddressOf(const Json& value) {
    if (value.is_object()) {
        for (const char* key : {"@id", "url"})
            if (const Json* inner = Get(value, key); inner && inner->is_string())
                return OneLine(inner->get<std::string>());
        return {};
    }
    return OneLine(TextOf(value));
}

// The facts schema.org carries beside the recipe, as the model keeps them.
void ReadFacts(const Json& node, RecipeFacts& facts, std::vector<std::string>& notes) {
    ReadTime(Get(node, "prepTime"), "prepTime", facts.prepTime, notes);
    ReadTime(Get(node, "cookTime"), "cookTime", facts.cookTime, notes);
    ReadTime(Get(node, "totalTime"), "totalTime", facts.totalTime, notes);
    const std::pair<const char*, std::string*> lists[] = {{"recipeCategory", &facts.category},
                                                          {"keywords", &facts.keywords},
                                                          {"inLanguage", &facts.language}};
    for (const auto& [key, value] : lists)
        if (const Json* v = Get(node, key))
            *value = Utf8Prefix(JoinedText(*v), kTitleLimit);
    if (const Json* v = Get(node, "url"))
        facts.sourceUrl = Utf8Prefix(AddressOf(*v), kTitleLimit);
    if (facts.sourceUrl.empty())
        if (const Json* v = Get(node, "mainEntityOfPage"))
            facts.sourceUrl = Utf8Prefix(AddressOf(*v), kTitleLimit);
    if (const Json* v = Get(node, "identifier")) {
        const Json* inner = Get(*v, "value");
        facts.identifier = Utf8Prefix(inner ? JoinedText(*inner) : JoinedText(*v), kTitleLimit);
    }
    // A node's own @id names it on its page; a blank node's ("_:b0") names nothing.
    if (const Json* id = Get(node, "@id"); facts.identifier.empty() && id && id->is_string())
        if (const std::string text = OneLine(id->get<std::string>()); !text.starts_with("_:"))
            facts.identifier = Utf8Prefix(text, kTitleLimit);
    if (const Json* v = Get(node, "image")) {
        facts.image = ImageAddress(*v);
        if (facts.image.empty() && !JoinedText(*v).empty())
            notes.push_back("imaginea nu are o adresa web (http/https): lasata deoparte");
    }
    if (const Json* v = Get(node, "description"))
        facts.description = Utf8Prefix(PlainText(TextOf(*v)), kLosslessFileLimit);
    // Line breaks of the description kept, blanks at its ends and runs of blank lines not.
    std::string description;
    std::vector<std::string> lines;
    AddPlainLines(facts.description, lines);
    for (const std::string& line : lines)
        description += (description.empty() ? "" : "\n") + line;
    facts.description = std::move(description);
}

// A vulgar fraction right after a digit ("1½") written as the book writes mixed numbers
// ("1 1/2") once it is spelled in ASCII.
bool IsVulgarFraction(char32_t ch) {
    return ch == 0xBC || ch == 0xBD || ch == 0xBE || (ch >= 0x2150 && ch <= 0x215E);
}

// Text that would read as the book layout's markers or be lost in it.
bool HasBookMarkers(std::string_view text) {
    return text.find_first_of("#~") != std::string_view::npos;
}

ForeignRecipe ConvertRecipe(const Json& node) {
    ForeignRecipe recipe;
    Recipe& model = recipe.model;
    model.form = RecipeForm::Lossless;
    model.hasTitle = model.hasPreparation = true;
    ReadFacts(node, model.facts, recipe.notes);
    std::vector<std::string> unheld;
    const auto convert = [&](std::string_view utf8) { return TransliterateToCp1250(utf8, unheld); };
    if (const Json* name = Get(node, "name")) {
        const std::string title = OneLine(TextOf(*name));
        model.title = Utf8Prefix(title, kTitleLimit);
        recipe.fields.name = convert(title);
    }
    if (const Json* author = Get(node, "author")) {
        const std::string name = AuthorOf(*author);
        model.author = Utf8Prefix(name, kTitleLimit);
        recipe.fields.author = convert(name);
    }

    std::vector<std::string> items;
    // An item may be empty only once converted: zero-width characters and soft hyphens go,
    // no-break blanks become blanks. Such an item is no item.
    const auto addItem = [&](const std::string& utf8) {
        if (std::string item = Collapsed(convert(utf8)); !item.empty()) {
            AddModelItem(model, utf8);
            items.push_back(std::move(item));
        }
    };
    for (const char* key : {"recipeIngredient", "ingredients"}) {
        const Json* list = Get(node, key);
        if (!list)
            continue;
        std::vector<std::string> lines;
        IngredientLines(*list, lines);
        for (const std::string& line : lines)
            addItem(line);
        break;
    }
    if (const Json* value = Get(node, "recipeYield")) {
        const Yield yield = YieldOf(*value);
        model.servings = yield.servings;
        const std::string written = convert(yield.note);
        if (yield.servings == 0) {
            model.facts.yieldNote = yield.note;
            recipe.notes.push_back("recipeYield fara un numar de portii intre 1 si 99: \"" +
                                   written + "\"");
        } else if (yield.range) {
            // The page is scaled from one number: the range's first, its text kept beside.
            model.facts.yieldNote = yield.note;
            recipe.notes.push_back("recipeYield \"" + written + "\": luate " +
                                   std::to_string(yield.servings) + " portii");
        }
        if (yield.servings > 0 && (items.empty() || !ParseServingsItem(items.front())))
            items.insert(items.begin(), BookServingsItem(yield.servings));
    }
    // The book's item form: items separated by "; ", a heading joined to the item after it.
    std::string ingredients;
    bool afterHeading = false;
    for (const std::string& item : items) {
        if (!ingredients.empty())
            ingredients += afterHeading ? " " : "; ";
        ingredients += item;
        afterHeading = !item.empty() && item.back() == ':';
    }
    recipe.fields.ingredients = ingredients;

    std::vector<std::string> lines;
    if (const Json* instructions = Get(node, "recipeInstructions"))
        InstructionLines(*instructions, lines);
    std::string preparation;
    for (const std::string& line : lines) {
        preparation += (preparation.empty() ? "" : "\r\n") + convert(line);
        if (model.steps.size() < kLosslessItemLimit)
            model.steps.push_back(line);
    }
    recipe.fields.preparation = preparation;

    if (!unheld.empty()) {
        std::string list;
        for (const std::string& u : unheld)
            list += (list.empty() ? "" : " ") + u;
        recipe.notes.push_back(std::string(kUnheldNote) + list);
    }
    // A name or a yield alone is no recipe to keep.
    if (ItemCount(model) == 0 && model.steps.empty())
        recipe.refusal = kImportEmpty;
    return recipe;
}

// A document's JSON, read leniently; the error without position for an empty text.
LenientJsonResult ParseJson(std::string_view text, Json& out, std::string& error) {
    return ParseLenientJson(text, out, error);
}

// Microdata text made into the JSON-LD shape the rest of the import reads. JSON-LD strings
// are written as HTML, so the text is written so too: its references and markup (which the
// page showed as text) are read back as the same text.
std::string AsHtmlText(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else
            out += c;
    }
    return out;
}

Json MicrodataJson(const std::vector<MicrodataItem>& items, std::size_t index, int depth = 0) {
    const MicrodataItem& item = items[index];
    Json node = Json::object();
    // Several types may stand in itemtype, one address each.
    Json types = Json::array();
    std::size_t start = 0;
    while (start < item.type.size()) {
        std::size_t end = item.type.find(' ', start);
        if (end == std::string::npos)
            end = item.type.size();
        if (end > start)
            types.push_back(item.type.substr(start, end - start));
        start = end + 1;
    }
    node["@type"] = std::move(types);
    for (const auto& [key, value] : item.properties) {
        Json v;
        if (value.item >= 0 && static_cast<std::size_t>(value.item) > index &&
            depth < kWalkDepthLimit)
            v = MicrodataJson(items, static_cast<std::size_t>(value.item), depth + 1);
        else
            v = AsHtmlText(value.text);
        // A property given more than once is a list, in page order.
        const auto it = node.find(key);
        if (it == node.end()) {
            node[key] = std::move(v);
        } else {
            if (!it->is_array())
                *it = Json::array({*it});
            it->push_back(std::move(v));
        }
    }
    return node;
}

} // namespace

std::string TransliterateToCp1250(std::string_view utf8, std::vector<std::string>& unheld) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const char32_t ch = NextCodePoint(utf8, i);
        if (const char* ascii = AsciiSpelling(ch)) {
            if (IsVulgarFraction(ch) && !out.empty() && out.back() >= '0' && out.back() <= '9')
                out += ' '; // "1½" is "1 1/2", not "11/2"
            out += ascii;
            continue;
        }
        if (ch < 0x20 && ch != '\r' && ch != '\n') {
            out += ' ';
            continue;
        }
        const int byte = UnicodeToCp1250(ch);
        if (byte >= 0 && !(byte >= 0x80 && byte < 0xA0 && ch == static_cast<char32_t>(byte))) {
            out += static_cast<char>(byte);
            continue;
        }
        out += '?';
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(ch));
        if (std::find(unheld.begin(), unheld.end(), code) == unheld.end())
            unheld.push_back(code);
    }
    return out;
}

bool ParseRecipeDocument(std::string_view bytes, std::vector<ForeignRecipe>& recipes,
                         std::string& error) {
    recipes.clear();
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    const std::size_t first = bytes.find_first_not_of(" \t\r\n");
    std::vector<Json> documents;
    // Each block of a page on its own: one a page has broken refuses only itself. Its
    // message stands when the page then has no recipe at all.
    std::string blockError;
    if (first != std::string_view::npos && bytes[first] == '<') {
        WebPage page;
        if (!ReadWebPage(bytes, page, error)) {
            error = "fisierul nu poate fi citit: " + error + "; nu s-a importat nimic.";
            return false;
        }
        for (std::size_t b = 0; b < page.jsonLdBlocks.size(); ++b) {
            Json doc;
            std::string what;
            const LenientJsonResult result = ParseJson(page.jsonLdBlocks[b], doc, what);
            if (result == LenientJsonResult::Value)
                documents.push_back(std::move(doc));
            else if (result == LenientJsonResult::Error && blockError.empty())
                blockError = "blocul application/ld+json nr. " + std::to_string(b + 1) +
                             " al paginii nu este JSON valid (" + what + ")";
        }
        // Microdata only where the page's JSON-LD has no recipe: pages that have both
        // describe the same recipe twice.
        std::vector<const Json*> inBlocks;
        for (const Json& doc : documents)
            CollectRecipes(doc, inBlocks);
        if (inBlocks.empty())
            for (std::size_t i = 0; i < page.items.size(); ++i)
                if (page.items[i].topLevel)
                    documents.push_back(MicrodataJson(page.items, i));
    } else {
        Json doc;
        std::string what;
        const LenientJsonResult result = ParseJson(bytes, doc, what);
        if (result != LenientJsonResult::Value) {
            error = result == LenientJsonResult::Empty
                        ? std::string("fisierul este gol; nu s-a importat nimic.")
                        : "fisierul nu este JSON valid (" + what + "); nu s-a importat nimic.";
            return false;
        }
        documents.push_back(std::move(doc));
    }
    std::vector<const Json*> found;
    for (const Json& doc : documents)
        CollectRecipes(doc, found);
    if (found.empty()) {
        error = !blockError.empty()
                    ? blockError + "; nu s-a importat nimic."
                    : std::string("fisierul nu contine nicio reteta schema.org (\"@type\": "
                                  "\"Recipe\"); nu s-a importat nimic.");
        return false;
    }
    for (const Json* node : found)
        recipes.push_back(ConvertRecipe(*node));
    return true;
}

int ImportReport::StoredCount() const {
    int count = 0;
    for (const ImportedRecipe& r : recipes)
        count += r.stored;
    return count;
}

int ImportReport::Count(ImportOutcome outcome) const {
    int count = 0;
    for (const ImportedRecipe& r : recipes)
        count += r.outcome == outcome;
    return count;
}

bool BookLayoutHolds(const ForeignRecipe& recipe) {
    const Recipe& model = recipe.model;
    if (!model.hasTitle)
        return true; // fields alone, nothing more to keep
    if (!model.facts.Empty())
        return false;
    std::string exact;
    for (const std::string* text : {&model.title, &model.author})
        if (!Utf8ToCp1250Exact(*text, exact) || HasBookMarkers(*text))
            return false;
    for (const std::string& step : model.steps)
        if (!Utf8ToCp1250Exact(step, exact) || HasBookMarkers(step))
            return false;
    for (const RecipeSection& section : model.sections)
        for (const std::string& item : section.items)
            if (HasBookMarkers(item) || HasBookMarkers(section.heading))
                return false;
    // The items the book's cutting rule gives back from the fields must be the recipe's own.
    const Recipe book = ReadBookRecipe(OwnRecipeText(recipe.fields));
    std::vector<std::string> cut;
    for (const RecipeSection& section : book.sections) {
        if (section.hasHeading)
            cut.push_back(Cp1250ToUtf8(Trimmed(section.heading)) + ":");
        for (const std::string& item : section.items)
            if (const std::string text = Trimmed(item); !text.empty())
                cut.push_back(Cp1250ToUtf8(text));
    }
    std::vector<std::string> own;
    if (model.servings > 0)
        own.push_back(Cp1250ToUtf8(BookServingsItem(model.servings)));
    for (const RecipeSection& section : model.sections) {
        if (section.hasHeading)
            own.push_back(section.heading + ":");
        for (const std::string& item : section.items)
            own.push_back(item);
    }
    return cut == own;
}

namespace {

std::string LowerCaseAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}

} // namespace

namespace {

// What an import compares a recipe by, UTF-8, each text with its blanks collapsed.
struct Comparable {
    std::string match;   // title, ingredients and steps: the same recipe
    std::string content; // all a reader sees: an identical one
};

Comparable ComparableOf(const Recipe& model) {
    const bool book = model.form == RecipeForm::Book;
    const auto utf8 = [&](std::string_view text) {
        return Collapsed(book ? Cp1250ToUtf8(text) : std::string(text));
    };
    Comparable c;
    // Letters the lists fold compare folded, so that a title the lists carry matches again.
    c.match = Collapsed(ListTitleOf(model));
    const ExportedIngredients ingredients = IngredientStrings(model);
    for (const std::string& item : ingredients.items)
        c.match += '\x1F' + Collapsed(item);
    c.match += '\x1E';
    if (book) {
        std::size_t start = 0;
        const std::string_view preparation = model.preparation;
        while (start <= preparation.size()) {
            std::size_t end = preparation.find('\n', start);
            if (end == std::string_view::npos)
                end = preparation.size();
            if (const std::string line = utf8(preparation.substr(start, end - start));
                !line.empty())
                c.match += '\x1F' + line;
            start = end + 1;
        }
    } else {
        for (const std::string& step : model.steps)
            if (const std::string line = Collapsed(step); !line.empty())
                c.match += '\x1F' + line;
    }
    c.content = c.match + '\x1E' + utf8(model.title) + '\x1E' + utf8(model.author) + '\x1E' +
                std::to_string(ServingsOf(model).value_or(0));
    const RecipeFacts& f = model.facts;
    for (const std::string* fact : {&f.description, &f.prepTime, &f.cookTime, &f.totalTime,
                                    &f.sourceUrl, &f.yieldNote, &f.image})
        c.content += '\x1E' + Collapsed(*fact);
    return c;
}

// An own recipe an import may meet again.
struct KnownRecipe {
    std::string file;                        // empty: planned in this import, not yet stored
    std::size_t planned = std::string::npos; // its place in the plan, for one planned
    std::string identifier;
    std::size_t contentHash = 0;
};

class KnownRecipes {
public:
    void Add(KnownRecipe known, const Recipe& model, const Comparable& c) {
        const std::size_t index = m_known.size();
        known.contentHash = std::hash<std::string>()(c.content);
        if (!model.facts.identifier.empty())
            m_byIdentifier.emplace(model.facts.identifier, index);
        if (!model.facts.sourceUrl.empty())
            m_bySource.emplace(model.facts.sourceUrl, index);
        m_byMatch.emplace(c.match, index);
        if (!known.file.empty())
            m_byFile.emplace(LowerCaseAscii(known.file), index);
        known.identifier = model.facts.identifier;
        m_known.push_back(std::move(known));
        m_titles.push_back(ListTitleOf(model));
    }

    // The own recipe a recipe meets again, or null.
    KnownRecipe* Find(const Recipe& model, const Comparable& c) {
        const RecipeFacts& f = model.facts;
        if (!f.identifier.empty()) {
            if (const auto it = m_byIdentifier.find(f.identifier); it != m_byIdentifier.end())
                return &m_known[it->second];
            // The identifier an own recipe in the book layout is exported with: its file name,
            // which another data folder's recipe may carry too, so the title must agree.
            if (const auto it = m_byFile.find(LowerCaseAscii(f.identifier));
                it != m_byFile.end() && m_titles[it->second] == ListTitleOf(model))
                return &m_known[it->second];
        }
        if (!f.sourceUrl.empty())
            if (const auto it = m_bySource.find(f.sourceUrl); it != m_bySource.end())
                return &m_known[it->second];
        if (const auto it = m_byMatch.find(c.match); it != m_byMatch.end())
            return &m_known[it->second];
        return nullptr;
    }

private:
    std::vector<KnownRecipe> m_known;
    std::vector<std::string> m_titles;
    std::unordered_map<std::string, std::size_t> m_byIdentifier, m_bySource, m_byMatch, m_byFile;
};

} // namespace

ImportPlan PlanImport(const std::vector<ForeignRecipe>& recipes) {
    ImportPlan plan;
    KnownRecipes known;
    for (const std::string& record :
         ReadListFile(kOwnRecipeList).value_or(std::vector<std::string>())) {
        const std::string file = FileNameFromEntry(record);
        std::string text;
        if (!IsSafeDataName(file) || !ReadRecipeText(file, text))
            continue;
        const Recipe model = ReadRecipe(text);
        KnownRecipe own;
        own.file = file;
        known.Add(std::move(own), model, ComparableOf(model));
    }
    for (const ForeignRecipe& foreign : recipes) {
        ImportPlan::Planned planned;
        ImportedRecipe& result = planned.result;
        const bool lossless = !BookLayoutHolds(foreign);
        result.notes = foreign.notes;
        // Kept whole, the recipe lost no letter: the note on what the code page lacks is moot.
        if (lossless)
            std::erase_if(result.notes,
                          [](const std::string& note) { return note.starts_with(kUnheldNote); });
        if (!foreign.refusal.empty()) {
            // A name or a yield alone is no recipe: said, never stored as an empty one.
            result.name = CleanField(OwnRecipeField::Name,
                                     lossless ? ListTitleOf(foreign.model) : foreign.fields.name);
            result.outcome = ImportOutcome::Refused;
            result.reason = foreign.refusal;
            plan.recipes.push_back(std::move(planned));
            continue;
        }
        OwnRecipeFields cleaned;
        const WorkingFileResult checked = lossless ? CheckLosslessRecipe(foreign.model, cleaned)
                                                   : CleanFields(foreign.fields, cleaned);
        result.name = !cleaned.name.empty()
                          ? cleaned.name
                          : CleanField(OwnRecipeField::Name,
                                       lossless ? ListTitleOf(foreign.model) : foreign.fields.name);
        if (checked != WorkingFileResult::Written) {
            const char* refusal = RefusalMessage(checked);
            result.reason = refusal ? refusal : kStoreNotWritten;
            plan.recipes.push_back(std::move(planned));
            continue;
        }
        Recipe model = foreign.model;
        std::string text = lossless ? std::string() : OwnRecipeText(cleaned);
        const Recipe stored = lossless ? model : ReadRecipe(text);
        const Comparable c = ComparableOf(stored);
        planned.listName = cleaned.name;
        KnownRecipe* match = known.Find(stored, c);
        if (match && match->contentHash == std::hash<std::string>()(c.content)) {
            result.outcome = ImportOutcome::Identical;
            result.reason = kImportDuplicate;
            result.fileName = match->file;
            plan.recipes.push_back(std::move(planned));
            continue;
        }
        // An update keeps the identifier of the recipe it replaces, so the lossless form holds
        // it even where the book layout would hold the rest.
        const bool keepIdentifier =
            match && !match->identifier.empty() && model.hasTitle && model.facts.identifier.empty();
        if (keepIdentifier)
            model.facts.identifier = match->identifier;
        if (lossless && model.facts.identifier.empty())
            model.facts.identifier = NewRecipeIdentifier();
        if (lossless || keepIdentifier)
            text = LosslessRecipeText(model);
        planned.text = std::move(text);
        if (match) {
            result.outcome = ImportOutcome::Differs;
            result.reason = kImportDiffers;
            if (match->file.empty()) {
                // Met twice in one import: the later one is what the earlier one stores.
                ImportPlan::Planned& earlier = plan.recipes[match->planned];
                earlier.text = planned.text;
                earlier.listName = planned.listName;
                match->contentHash = std::hash<std::string>()(c.content);
                result.outcome = ImportOutcome::Identical;
                result.reason = kImportDuplicate;
            } else {
                result.fileName = match->file;
                planned.replaces = match->file;
                ++plan.differing;
            }
            plan.recipes.push_back(std::move(planned));
            continue;
        }
        result.outcome = ImportOutcome::Stored;
        KnownRecipe pending;
        pending.planned = plan.recipes.size();
        known.Add(std::move(pending), stored, c);
        plan.recipes.push_back(std::move(planned));
    }
    return plan;
}

ImportReport StoreImportPlan(const ImportPlan& plan, const ImportOptions& options) {
    ImportReport report;
    std::vector<OwnRecipeBatchEntry> batch;
    std::vector<std::size_t> place; // the plan's recipe of each batch entry
    for (std::size_t i = 0; i < plan.recipes.size(); ++i) {
        const ImportPlan::Planned& p = plan.recipes[i];
        report.recipes.push_back(p.result);
        const bool update = p.result.outcome == ImportOutcome::Differs && options.update;
        if (p.result.outcome != ImportOutcome::Stored && !update)
            continue;
        batch.push_back({p.text, p.listName, update ? p.replaces : std::string()});
        place.push_back(i);
    }
    const OwnRecipeBatchOutcome outcome = StoreOwnRecipes(batch, options.progress);
    for (std::size_t b = 0; b < batch.size(); ++b) {
        ImportedRecipe& r = report.recipes[place[b]];
        const bool update = !batch[b].replaces.empty();
        if (outcome.busy) {
            r.outcome = ImportOutcome::Refused;
            r.reason = kStoreBusy;
        } else if (outcome.results[b] == StoreResult::Stored) {
            r.outcome = update ? ImportOutcome::Updated : ImportOutcome::Stored;
            r.stored = true;
            r.reason.clear();
            r.fileName = outcome.fileNames[b];
        } else {
            r.outcome = ImportOutcome::Refused;
            const char* message = StoreMessage(outcome.results[b]);
            r.reason = message ? message : kStoreNotWritten;
            if (!outcome.failure.empty())
                r.reason += std::string(" (") + outcome.failure + ")";
            r.fileName.clear();
        }
    }
    return report;
}

ImportReport StoreForeignRecipes(const std::vector<ForeignRecipe>& recipes,
                                 const ImportOptions& options) {
    // Compared and stored under one hold of the lock, so that no other copy stores between.
    const StoreLock lock;
    if (!lock.Held()) {
        ImportReport report;
        for (const ForeignRecipe& foreign : recipes) {
            ImportedRecipe r;
            r.name = CleanField(OwnRecipeField::Name, BookLayoutHolds(foreign)
                                                          ? foreign.fields.name
                                                          : ListTitleOf(foreign.model));
            r.reason = kStoreBusy;
            report.recipes.push_back(std::move(r));
        }
        return report;
    }
    return StoreImportPlan(PlanImport(recipes), options);
}

bool ReadRecipePath(const std::string& path, std::vector<ForeignRecipe>& recipes,
                    std::vector<std::string>& notes, std::string& error) {
    recipes.clear();
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return ReadRecipeFolders(path, recipes, notes, error);
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        error = "fi\xBAierul nu poate fi citit; nu s-a importat nimic.";
        return false;
    }
    return ParseRecipeDocumentGuarded(bytes, recipes, error);
}

ImportReport ImportRecipeFile(const std::string& path, const ImportOptions& options) {
    ImportReport report;
    std::vector<ForeignRecipe> recipes;
    std::vector<std::string> notes;
    if (!ReadRecipePath(path, recipes, notes, report.error))
        return report;
    report = StoreForeignRecipes(recipes, options);
    if (!notes.empty() && !report.recipes.empty())
        report.recipes.front().notes.insert(report.recipes.front().notes.begin(), notes.begin(),
                                            notes.end());
    return report;
}

std::string ImportReportLine(const ImportedRecipe& r) {
    const std::string name = r.name.empty() ? std::string("(f\xE3r\xE3 nume)") : r.name;
    switch (r.outcome) {
    case ImportOutcome::Stored:
        return "importat\xE3: " + name + " (" + r.fileName + ")" +
               (r.reason.empty() ? "" : "; " + r.reason);
    case ImportOutcome::Updated:
        return "actualizat\xE3: " + name + " (" + r.fileName + ")";
    case ImportOutcome::Identical:
    case ImportOutcome::Differs:
        return "s\xE3rit\xE3: " + name + ": " + r.reason +
               (r.fileName.empty() ? "" : " (" + r.fileName + ")");
    case ImportOutcome::Refused:
        break;
    }
    return "s\xE3rit\xE3: " + name + ": " + r.reason;
}

std::string ImportReportSummary(const ImportReport& report) {
    const int stored = report.Count(ImportOutcome::Stored);
    const int updated = report.Count(ImportOutcome::Updated);
    const int skipped = static_cast<int>(report.recipes.size()) - stored - updated;
    return std::to_string(stored) + " importate, " + std::to_string(updated) + " actualizate, " +
           std::to_string(skipped) + " s\xE3rite";
}

std::string ImportReportText(std::string_view label, const ImportReport& report) {
    std::string text(label);
    text += ":\n";
    if (!report.error.empty())
        return text + "  " + report.error + "\n";
    for (const ImportedRecipe& r : report.recipes) {
        text += "  " + ImportReportLine(r) + "\n";
        for (const std::string& note : r.notes)
            text += "    " + note + "\n";
    }
    text += "  " + ImportReportSummary(report) + "\n";
    return text;
}

} // namespace savorel
