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
#include "viewing/calories.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
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

// Markup and character references are how web pages write text; the recipe page shows text
// unescaped, so markup from a foreign page must not reach it.
std::string PlainText(std::string_view html) {
    std::string out;
    for (std::size_t i = 0; i < html.size(); ++i) {
        const char c = html[i];
        if (c == '<' && i + 1 < html.size() &&
            (std::isalpha(static_cast<unsigned char>(html[i + 1])) || html[i + 1] == '/' ||
             html[i + 1] == '!')) {
            const std::size_t close = html.find('>', i);
            if (close != std::string_view::npos) {
                // Block elements end a line, as they would on the page they came from.
                std::size_t n = i + 1 + (html[i + 1] == '/');
                std::string tag;
                while (n < close && std::isalnum(static_cast<unsigned char>(html[n])))
                    tag += static_cast<char>(std::tolower(static_cast<unsigned char>(html[n++])));
                static const std::set<std::string> kBlocks = {"p",  "br", "li", "div", "ol",
                                                              "ul", "h1", "h2", "h3",  "h4"};
                out += kBlocks.count(tag) ? '\n' : ' ';
                i = close;
                continue;
            }
        }
        if (c == '&') {
            const std::size_t semi = html.find(';', i);
            if (semi != std::string_view::npos && semi - i <= 10) {
                const std::string_view name = html.substr(i + 1, semi - i - 1);
                static const std::map<std::string_view, char32_t> kNamed = {
                    {"amp", '&'},       {"lt", '<'},       {"gt", '>'},       {"quot", '"'},
                    {"apos", '\''},     {"nbsp", 0xA0},    {"ndash", 0x2013}, {"mdash", 0x2014},
                    {"hellip", 0x2026}, {"rsquo", 0x2019}, {"lsquo", 0x2018}, {"rdquo", 0x201D},
                    {"ldquo", 0x201C},  {"frac12", 0xBD},  {"frac14", 0xBC},  {"frac34", 0xBE},
                    {"deg", 0xB0}};
                char32_t ch = 0;
                std::uint32_t ch32 = 0;
                if (name.size() > 1 && name[0] == '#') {
                    const bool hex = name[1] == 'x' || name[1] == 'X';
                    const std::string digits(name.substr(hex ? 2 : 1));
                    if (!digits.empty() &&
                        digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") ==
                            std::string::npos)
                        std::from_chars(digits.data(), digits.data() + digits.size(), ch32,
                                        hex ? 16 : 10); // out of range leaves 0: no letter
                    ch = static_cast<char32_t>(ch32);
                } else if (const auto found = kNamed.find(name); found != kNamed.end()) {
                    ch = found->second;
                }
                if (ch > 0 && ch < 0x110000) {
                    AppendUtf8(out, ch);
                    i = semi;
                    continue;
                }
            }
        }
        out += c;
    }
    return out;
}

// One line of text: markup gone, every run of blanks and line breaks one blank.
std::string OneLine(std::string_view text) {
    return Collapsed(PlainText(text));
}

std::string TextOf(const Json& value) {
    if (value.is_string())
        return value.get<std::string>();
    if (value.is_number_integer())
        return std::to_string(value.get<long long>());
    if (value.is_number())
        return value.dump();
    return {};
}

bool IsType(const Json& node, std::string_view type) {
    if (!node.is_object() || !node.contains("@type"))
        return false;
    const auto matches = [&](const Json& t) {
        if (!t.is_string())
            return false;
        const std::string s = t.get<std::string>();
        return s == type || (s.size() > type.size() && s.ends_with(type) &&
                             s[s.size() - type.size() - 1] == '/');
    };
    const Json& t = node["@type"];
    if (t.is_array()) {
        for (const Json& one : t)
            if (matches(one))
                return true;
        return false;
    }
    return matches(t);
}

void CollectRecipes(const Json& node, std::vector<const Json*>& found, int depth = 0) {
    if (depth > 8)
        return;
    if (node.is_array()) {
        for (const Json& element : node)
            CollectRecipes(element, found, depth + 1);
        return;
    }
    if (!node.is_object())
        return;
    if (IsType(node, "Recipe")) {
        found.push_back(&node);
        return;
    }
    for (const char* key : {"@graph", "mainEntity", "mainEntityOfPage", "itemListElement"})
        if (node.contains(key))
            CollectRecipes(node[key], found, depth + 1);
}

std::string AuthorOf(const Json& author) {
    if (author.is_array()) {
        std::string names;
        for (const Json& one : author) {
            const std::string name = AuthorOf(one);
            if (!name.empty())
                names += (names.empty() ? "" : ", ") + name;
        }
        return names;
    }
    if (author.is_object())
        return author.contains("name") ? OneLine(TextOf(author["name"])) : std::string();
    return OneLine(TextOf(author));
}

void AddLines(std::string_view text, std::vector<std::string>& lines) {
    const std::string plain = PlainText(text);
    std::size_t start = 0;
    while (start <= plain.size()) {
        std::size_t end = plain.find('\n', start);
        if (end == std::string::npos)
            end = plain.size();
        const std::string line = Collapsed(std::string_view(plain).substr(start, end - start));
        if (!line.empty())
            lines.push_back(line);
        start = end + 1;
    }
}

// Instructions as lines: plain strings, HowToStep (and its kin) by their text, HowToSection
// by its name as a line of its own ending in ":" and then its steps.
void InstructionLines(const Json& node, std::vector<std::string>& lines, int depth = 0) {
    if (depth > 8)
        return;
    if (node.is_string()) {
        AddLines(node.get<std::string>(), lines);
    } else if (node.is_array()) {
        for (const Json& element : node)
            InstructionLines(element, lines, depth + 1);
    } else if (node.is_object()) {
        if (node.contains("itemListElement")) {
            if (node.contains("name")) {
                const std::string name = OneLine(TextOf(node["name"]));
                if (!name.empty())
                    lines.push_back(name.back() == ':' ? name : name + ":");
            }
            InstructionLines(node["itemListElement"], lines, depth + 1);
        } else if (node.contains("text")) {
            AddLines(TextOf(node["text"]), lines);
        } else if (node.contains("name")) {
            AddLines(TextOf(node["name"]), lines);
        }
    }
}

// The servings a recipeYield holds: its first whole number, when it is one from 1 to 99.
std::optional<int> ServingsOfYield(const Json& yield) {
    if (yield.is_array()) {
        for (const Json& one : yield)
            if (const auto servings = ServingsOfYield(one))
                return servings;
        return std::nullopt;
    }
    if (yield.is_number()) {
        const double value = yield.get<double>();
        if (value >= kMinServings && value <= kMaxServings && value == std::floor(value))
            return static_cast<int>(value);
        return std::nullopt;
    }
    const std::string text = TextOf(yield);
    const std::size_t digit = text.find_first_of("0123456789");
    if (digit == std::string::npos)
        return std::nullopt;
    const std::size_t end = text.find_first_not_of("0123456789", digit);
    const std::string number = text.substr(digit, end == std::string::npos ? end : end - digit);
    if (number.size() > 2)
        return std::nullopt;
    int value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value);
    if (value < kMinServings || value > kMaxServings)
        return std::nullopt;
    return value;
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
    model.sections.back().items.push_back(item.substr(0, kItemLimit));
}

// The facts schema.org carries beside the recipe, as the model keeps them.
void ReadFacts(const Json& node, RecipeFacts& facts) {
    const std::pair<const char*, std::string*> texts[] = {
        {"url", &facts.sourceUrl},           {"prepTime", &facts.prepTime},
        {"cookTime", &facts.cookTime},       {"totalTime", &facts.totalTime},
        {"recipeCategory", &facts.category}, {"keywords", &facts.keywords},
        {"inLanguage", &facts.language},     {"identifier", &facts.identifier}};
    for (const auto& [key, value] : texts) {
        if (!node.contains(key))
            continue;
        const Json& v = node[key];
        std::string text;
        if (v.is_array()) {
            for (const Json& one : v)
                if (const std::string part = OneLine(TextOf(one)); !part.empty())
                    text += (text.empty() ? "" : ", ") + part;
        } else {
            text = OneLine(TextOf(v));
        }
        *value = text.substr(0, kTitleLimit);
    }
    if (node.contains("description"))
        facts.description = PlainText(TextOf(node["description"])).substr(0, kLosslessFileLimit);
}

ForeignRecipe ConvertRecipe(const Json& node) {
    ForeignRecipe recipe;
    Recipe& model = recipe.model;
    model.form = RecipeForm::Lossless;
    model.hasTitle = model.hasPreparation = true;
    ReadFacts(node, model.facts);
    std::vector<std::string> unheld;
    const auto convert = [&](std::string_view utf8) { return TransliterateToCp1250(utf8, unheld); };
    if (node.contains("name")) {
        model.title = OneLine(TextOf(node["name"])).substr(0, kTitleLimit);
        recipe.fields.name = convert(OneLine(TextOf(node["name"])));
    }
    if (node.contains("author")) {
        model.author = AuthorOf(node["author"]).substr(0, kTitleLimit);
        recipe.fields.author = convert(AuthorOf(node["author"]));
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
        if (!node.contains(key))
            continue;
        const Json& list = node[key];
        if (list.is_array()) {
            for (const Json& one : list)
                addItem(OneLine(TextOf(one)));
        } else {
            addItem(OneLine(TextOf(list)));
        }
        break;
    }
    if (node.contains("recipeYield")) {
        const std::optional<int> servings = ServingsOfYield(node["recipeYield"]);
        model.servings = servings.value_or(0);
        if (!servings)
            model.facts.yieldNote =
                OneLine(node["recipeYield"].is_array() && !node["recipeYield"].empty()
                            ? TextOf(node["recipeYield"].front())
                            : TextOf(node["recipeYield"]))
                    .substr(0, kTitleLimit);
        if (!servings)
            recipe.notes.push_back(
                "recipeYield fara un numar de portii intre 1 si 99: \"" +
                convert(OneLine(node["recipeYield"].is_array() ? node["recipeYield"].dump()
                                                               : TextOf(node["recipeYield"]))) +
                "\"");
        else if (items.empty() || !ParseServingsItem(items.front()))
            items.insert(items.begin(), BookServingsItem(*servings));
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
    if (node.contains("recipeInstructions"))
        InstructionLines(node["recipeInstructions"], lines);
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
    return recipe;
}

bool ParseJson(std::string_view text, Json& out, std::string& error) {
    try {
        out = Json::parse(text.begin(), text.end());
        return true;
    } catch (const Json::parse_error& e) {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..." without
        // the library's own tag.
        std::string what = e.what();
        if (const std::size_t tag = what.find("] "); tag != std::string::npos)
            what.erase(0, tag + 2);
        error = what;
        return false;
    }
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The contents of the page's <script type="application/ld+json"> blocks.
std::vector<std::string> JsonLdBlocks(std::string_view page) {
    const std::string lower = LowerAscii(page);
    std::vector<std::string> blocks;
    std::size_t pos = 0;
    while ((pos = lower.find("<script", pos)) != std::string::npos) {
        const std::size_t tagEnd = lower.find('>', pos);
        if (tagEnd == std::string::npos)
            break;
        const std::size_t close = lower.find("</script", tagEnd);
        if (close == std::string::npos)
            break;
        if (lower.substr(pos, tagEnd - pos).find("application/ld+json") != std::string::npos)
            blocks.emplace_back(page.substr(tagEnd + 1, close - tagEnd - 1));
        pos = close + 1;
    }
    return blocks;
}

} // namespace

std::string TransliterateToCp1250(std::string_view utf8, std::vector<std::string>& unheld) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const char32_t ch = NextCodePoint(utf8, i);
        if (const char* ascii = AsciiSpelling(ch)) {
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
    if (first != std::string_view::npos && bytes[first] == '<') {
        const std::vector<std::string> blocks = JsonLdBlocks(bytes);
        for (std::size_t b = 0; b < blocks.size(); ++b) {
            Json doc;
            std::string what;
            if (!ParseJson(blocks[b], doc, what)) {
                error = "blocul application/ld+json nr. " + std::to_string(b + 1) +
                        " al paginii nu este JSON valid (" + what + "); nu s-a importat nimic.";
                return false;
            }
            documents.push_back(std::move(doc));
        }
    } else {
        Json doc;
        std::string what;
        if (!ParseJson(bytes, doc, what)) {
            error = "fisierul nu este JSON valid (" + what + "); nu s-a importat nimic.";
            return false;
        }
        documents.push_back(std::move(doc));
    }
    std::vector<const Json*> found;
    for (const Json& doc : documents)
        CollectRecipes(doc, found);
    if (found.empty()) {
        error = "fisierul nu contine nicio reteta schema.org (\"@type\": \"Recipe\"); nu s-a "
                "importat nimic.";
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
        if (!Utf8ToCp1250Exact(*text, exact))
            return false;
    for (const std::string& step : model.steps)
        if (!Utf8ToCp1250Exact(step, exact))
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
