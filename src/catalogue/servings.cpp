#include "catalogue/servings.h"

#include "catalogue/page.h"
#include "catalogue/recipe.h"
#include "catalogue/recipe_model.h"
#include "core/cp1250.h"
#include "core/files.h"

#include <algorithm>
#include <cmath>

namespace savorel {

namespace {

// Longer digit runs are not quantities a cook writes; they would only overflow.
constexpr std::size_t kMaxDigits = 9;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsBlankOrBreak(char c) {
    return IsBlank(c) || c == '\r' || c == '\n';
}

bool IsDigit(char c) {
    return IsAsciiDigit(static_cast<unsigned char>(c));
}

bool IsLetter(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u >= 0x80;
}

// Case and the t-cedilla folded for the one word recognised here (Windows-1250: 0xFE is the
// small letter, 0xDE the capital).
char FoldServingsChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u == 0xFE || u == 0xDE)
        return 't';
    if (u >= 'A' && u <= 'Z')
        return static_cast<char>(u - 'A' + 'a');
    return c;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlankOrBreak(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlankOrBreak(text.back()))
        text.remove_suffix(1);
    return text;
}

// Reads a run of digits at `i`; false when there is none or it is too long.
bool ReadDigits(std::string_view text, std::size_t& i, long long& value, std::size_t& count) {
    const std::size_t start = i;
    value = 0;
    while (i < text.size() && IsDigit(text[i])) {
        if (i - start >= kMaxDigits)
            return false;
        value = value * 10 + (text[i] - '0');
        ++i;
    }
    count = i - start;
    return count > 0;
}

// What may follow a quantity: the end, a blank or a word. "2-3", "1,5/2" or "3%" are not
// quantities to scale.
bool EndsQuantity(std::string_view text, std::size_t i) {
    return i >= text.size() || IsBlankOrBreak(text[i]) || IsLetter(text[i]);
}

// A mass or volume written in g or ml: rounded to whole units when scaled.
bool InWholeUnits(std::string_view rest) {
    std::size_t i = 0;
    while (i < rest.size() && IsBlank(rest[i]))
        ++i;
    std::string word;
    while (i < rest.size() && IsLetter(rest[i]))
        word.push_back(FoldServingsChar(rest[i++]));
    return word == "g" || word == "gr" || word == "grame" || word == "ml";
}

bool Near(double a, double b) {
    return std::fabs(a - b) < 1e-9 * std::max(1.0, std::fabs(b));
}

} // namespace

std::optional<int> ParseServingsItem(std::string_view item) {
    item = Trim(item);
    std::size_t i = 0;
    long long number = 0;
    std::size_t digits = 0;
    if (!ReadDigits(item, i, number, digits) || digits > 2 || number < kMinServings ||
        number > kMaxServings)
        return std::nullopt;
    const std::size_t blanks = i;
    while (i < item.size() && IsBlankOrBreak(item[i]))
        ++i;
    if (i == blanks)
        return std::nullopt;
    // Romanian puts "de" between a number from 20 up and its noun ("24 de portii"); it is
    // read whatever the number, as a cook may write it.
    if (i + 2 < item.size() && FoldServingsChar(item[i]) == 'd' &&
        FoldServingsChar(item[i + 1]) == 'e' && IsBlankOrBreak(item[i + 2])) {
        i += 2;
        while (i < item.size() && IsBlankOrBreak(item[i]))
            ++i;
    }
    const std::string_view word = item.substr(i);
    if (word.size() != 6)
        return std::nullopt;
    std::string folded;
    for (const char c : word)
        folded.push_back(FoldServingsChar(c));
    if (folded == "portii" || (folded == "portie" && number == 1))
        return static_cast<int>(number);
    return std::nullopt;
}

std::optional<StatedServings> ServingsOfIngredients(std::string_view ingredients) {
    // The first item, cut as the page generator cuts items.
    std::size_t end = 0;
    while (end < ingredients.size()) {
        const char c = ingredients[end];
        if (c == ';')
            break;
        if ((c == '.' || c == ',') && end > 0 && !IsDigit(ingredients[end - 1]))
            break;
        ++end;
    }
    const std::string_view item = ingredients.substr(0, end);
    if (item.find(':') != std::string_view::npos)
        return std::nullopt; // a heading and its item: not a servings item
    const auto servings = ParseServingsItem(item);
    if (!servings)
        return std::nullopt;
    std::size_t prefix = end < ingredients.size() ? end + 1 : end;
    while (prefix < ingredients.size() && IsBlankOrBreak(ingredients[prefix]))
        ++prefix;
    return StatedServings{*servings, prefix};
}

std::optional<int> ServingsOfRecipe(std::string_view recipeText) {
    return ServingsOf(ReadRecipe(recipeText));
}

std::string ServingsItemText(int servings) {
    return std::to_string(servings) + (servings == 1 ? " portie" : " portii");
}

std::optional<LeadingQuantity> ParseLeadingQuantity(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    LeadingQuantity q;
    q.begin = i;
    long long whole = 0;
    std::size_t count = 0;
    if (!ReadDigits(text, i, whole, count))
        return std::nullopt;
    if (i + 1 < text.size() && (text[i] == '.' || text[i] == ',') && IsDigit(text[i + 1])) {
        ++i;
        long long decimals = 0;
        std::size_t places = 0;
        if (!ReadDigits(text, i, decimals, places))
            return std::nullopt;
        q.value = static_cast<double>(whole) +
                  static_cast<double>(decimals) / std::pow(10.0, static_cast<double>(places));
    } else if (i + 1 < text.size() && text[i] == '/' && IsDigit(text[i + 1])) {
        ++i;
        long long denominator = 0;
        if (!ReadDigits(text, i, denominator, count) || denominator == 0)
            return std::nullopt;
        q.value = static_cast<double>(whole) / static_cast<double>(denominator);
    } else {
        q.value = static_cast<double>(whole);
        // "1 1/2": a whole number, blanks, a fraction.
        std::size_t j = i;
        while (j < text.size() && IsBlank(text[j]))
            ++j;
        std::size_t k = j;
        long long numerator = 0;
        if (j > i && ReadDigits(text, k, numerator, count) && k < text.size() && text[k] == '/') {
            ++k;
            long long denominator = 0;
            if (!ReadDigits(text, k, denominator, count) || denominator == 0 ||
                !EndsQuantity(text, k))
                return std::nullopt;
            q.value += static_cast<double>(numerator) / static_cast<double>(denominator);
            i = k;
        }
    }
    if (!EndsQuantity(text, i))
        return std::nullopt;
    q.end = i;
    return q;
}

std::string FormatQuantity(double value, bool wholeUnits) {
    if (!(value > 0))
        return "0";
    if (wholeUnits)
        return std::to_string(std::max(1LL, std::llround(value)));
    const double rounded = std::round(value);
    if (Near(value, rounded))
        return std::to_string(static_cast<long long>(rounded));
    // Halves, thirds and quarters of small counts, as a cook measures them.
    if (value < 10) {
        const double whole = std::floor(value);
        const double part = value - whole;
        static const int fractions[][2] = {{1, 2}, {1, 3}, {2, 3}, {1, 4}, {3, 4}};
        for (const auto& [n, d] : fractions)
            if (Near(part, static_cast<double>(n) / d)) {
                std::string text =
                    whole > 0 ? std::to_string(static_cast<long long>(whole)) + " " : std::string();
                return text + std::to_string(n) + "/" + std::to_string(d);
            }
    }
    const long long hundredths = std::max(1LL, std::llround(value * 100));
    std::string text = std::to_string(hundredths / 100);
    const long long cents = hundredths % 100;
    if (cents == 0)
        return text;
    text += ',';
    text += static_cast<char>('0' + cents / 10);
    if (cents % 10 != 0)
        text += static_cast<char>('0' + cents % 10);
    return text;
}

std::string ScaleItemText(std::string_view item, double factor) {
    const auto q = ParseLeadingQuantity(item);
    if (!q)
        return std::string(item);
    std::string out(item.substr(0, q->begin));
    out += FormatQuantity(q->value * factor, InWholeUnits(item.substr(q->end)));
    out += item.substr(q->end);
    return out;
}

std::string RenderServingsPage(std::string_view sourceName, std::string_view recipeText,
                               int wanted) {
    return RenderServingsPage(sourceName, ReadRecipe(recipeText), wanted);
}

std::string RenderServingsPage(std::string_view sourceName, const Recipe& recipe, int wanted) {
    const auto own = ServingsOf(recipe);
    if (!own || wanted == *own)
        return RenderRecipePageText(sourceName, recipe);
    const double factor = static_cast<double>(wanted) / *own;
    return RenderRecipePageText(
        sourceName, recipe, [&](std::size_t index, std::string_view text) {
            if (index != 0)
                return ScaleItemText(text, factor);
            // The servings item keeps the blanks around it.
            const std::size_t first = text.find_first_not_of(" \t");
            const std::size_t last = text.find_last_not_of(" \t");
            const std::string item = ServingsItemText(wanted);
            return std::string(text.substr(0, first)) +
                   (recipe.form == RecipeForm::Book ? item : Cp1250ToUtf8(item)) +
                   std::string(text.substr(last + 1));
        });
}

} // namespace savorel
