#include "catalogue/recipe_model.h"

#include "catalogue/recipe.h"
#include "catalogue/servings.h"
#include "core/cp1250.h"

#include <charconv>

namespace savorel {

namespace {

bool IsJsonBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

bool RecipeFacts::Empty() const {
    return sourceUrl.empty() && image.empty() && prepTime.empty() && cookTime.empty() &&
           totalTime.empty() && category.empty() && keywords.empty() && description.empty() &&
           language.empty() && identifier.empty() && yieldNote.empty();
}

bool IsLosslessText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsJsonBlank(text[i]))
        ++i;
    if (i >= text.size() || text[i] != '{')
        return false;
    ++i;
    while (i < text.size() && IsJsonBlank(text[i]))
        ++i;
    return text.substr(i, 10) == "\"@context\"";
}

Recipe ReadBookRecipe(std::string_view text) {
    Recipe recipe;
    recipe.form = RecipeForm::Book;
    recipe.storedText = std::string(text);
    const std::size_t first = text.find('#');
    recipe.author = std::string(text.substr(0, std::min(first, text.size())));
    const RecipePieces pieces = SplitRecipe(text);
    recipe.title = pieces.title;
    recipe.hasTitle = pieces.hasTitle;
    recipe.hasPreparation = pieces.hasPreparation;
    recipe.preparation = pieces.preparation;
    for (IngredientItem& item : SplitIngredientItems(pieces.ingredients)) {
        if (item.hasHeading || recipe.sections.empty()) {
            RecipeSection section;
            section.hasHeading = item.hasHeading;
            section.heading = std::move(item.heading);
            recipe.sections.push_back(std::move(section));
        }
        recipe.sections.back().items.push_back(std::move(item.text));
    }
    if (first != std::string_view::npos) {
        const std::size_t second = text.find('#', first + 1);
        if (second != std::string_view::npos) {
            const std::size_t third = text.find('#', second + 1);
            recipe.storedIngredients =
                std::string(text.substr(second + 1, std::min(third, text.size()) - second - 1));
        }
    }
    return recipe;
}

Recipe ReadRecipe(std::string_view text) {
    if (IsLosslessText(text))
        if (auto recipe = ReadLosslessRecipe(text))
            return std::move(*recipe);
    return ReadBookRecipe(text);
}

std::optional<int> ServingsOf(const Recipe& recipe) {
    if (recipe.form == RecipeForm::Lossless) {
        if (recipe.servings >= kMinServings && recipe.servings <= kMaxServings)
            return recipe.servings;
        return std::nullopt;
    }
    if (!recipe.hasTitle || recipe.sections.empty() || recipe.sections.front().hasHeading ||
        recipe.sections.front().items.empty())
        return std::nullopt;
    return ParseServingsItem(recipe.sections.front().items.front());
}

std::vector<std::string_view> AllItems(const Recipe& recipe) {
    std::vector<std::string_view> items;
    items.reserve(ItemCount(recipe));
    for (const RecipeSection& section : recipe.sections)
        for (const std::string& item : section.items)
            items.push_back(item);
    return items;
}

std::size_t ItemCount(const Recipe& recipe) {
    std::size_t n = 0;
    for (const RecipeSection& section : recipe.sections)
        n += section.items.size();
    return n;
}

std::string Cp1250Of(const Recipe& recipe, std::string_view text) {
    return recipe.form == RecipeForm::Book ? std::string(text) : Utf8ToCp1250Folded(text);
}

CalorieInput CalorieInputOf(const Recipe& recipe) {
    CalorieInput input;
    if (recipe.form == RecipeForm::Book) {
        input.text = recipe.storedIngredients;
        return input;
    }
    input.cut = false;
    input.servings = ServingsOf(recipe).value_or(0);
    for (const std::string_view item : AllItems(recipe)) {
        // The whole item is one ingredient; its punctuation separates words as blanks do, so
        // that "6 galbenusuri, batute" finds its food as the book's "6 galbenusuri" does. A
        // decimal comma or point stays.
        // What precedes a ":" names the use, as the calculator's own rule has it ("to serve:
        // tofu").
        std::string token = Utf8ToCp1250Folded(item);
        if (const std::size_t colon = token.rfind(':'); colon != std::string::npos)
            token.erase(0, colon + 1);
        for (std::size_t i = 0; i < token.size(); ++i) {
            const char c = token[i];
            const bool decimal = (c == ',' || c == '.') && i > 0 && i + 1 < token.size() &&
                                 token[i - 1] >= '0' && token[i - 1] <= '9' &&
                                 token[i + 1] >= '0' && token[i + 1] <= '9';
            if ((c == ',' || c == '.' || c == ';' || c == ':') && !decimal)
                token[i] = ' ';
        }
        input.tokens.push_back(std::move(token));
    }
    return input;
}

std::string SearchTextOf(const Recipe& recipe) {
    if (recipe.form == RecipeForm::Book)
        return recipe.storedText; // searched as the file stands
    return LosslessRecipeSearchText(recipe);
}

std::string TermsTextOf(const Recipe& recipe) {
    if (recipe.form == RecipeForm::Book) {
        // The author is no part of the recipe's text.
        const std::size_t hash = recipe.storedText.find('#');
        return hash == std::string::npos ? recipe.storedText : recipe.storedText.substr(hash + 1);
    }
    std::string text;
    const auto add = [&](std::string_view piece) {
        text += Cp1250Of(recipe, piece);
        text += '\n';
    };
    add(recipe.title);
    for (const RecipeSection& section : recipe.sections) {
        if (section.hasHeading)
            add(section.heading);
        for (const std::string& item : section.items)
            add(item);
    }
    add(recipe.preparation);
    for (const std::string& step : recipe.steps)
        add(step);
    return text;
}

std::string ListTitleOf(const Recipe& recipe) {
    std::string title = Cp1250Of(recipe, recipe.title);
    for (char& c : title)
        if (c == '\r' || c == '\n' || c == '#' || c == '~')
            c = ' ';
    return std::string(Trimmed(title));
}

PlainFields PlainFieldsOf(const Recipe& recipe) {
    PlainFields fields;
    if (recipe.form == RecipeForm::Book) {
        const std::string_view bookText = recipe.storedText;
        // The book form's plain window shows the fields exactly as the file holds them.
        std::size_t i = bookText.find('#');
        if (i == std::string_view::npos)
            return fields;
        ++i;
        auto field = [&](std::string& out) {
            while (i < bookText.size() && bookText[i] != '#') {
                if (bookText[i] != '\r' && bookText[i] != '\n')
                    out.push_back(bookText[i]);
                ++i;
            }
            if (i < bookText.size())
                ++i;
        };
        const bool titleEnded = bookText.find('#', i) != std::string_view::npos;
        field(fields.title);
        if (!titleEnded)
            return fields;
        const bool ingredientsEnded = bookText.find('#', i) != std::string_view::npos;
        field(fields.ingredients);
        if (!ingredientsEnded)
            return fields;
        for (; i < bookText.size() && fields.preparation.size() < kPlainPreparationLimit; ++i)
            fields.preparation.push_back(bookText[i] == '\r' || bookText[i] == '\n' ? ' '
                                                                                    : bookText[i]);
        return fields;
    }
    fields.utf8 = true;
    fields.title = recipe.title;
    if (const auto servings = ServingsOf(recipe))
        fields.ingredients = Cp1250ToUtf8(BookServingsText(*servings)) + "\n";
    fields.ingredients += LinesFromSections(recipe.sections);
    for (const std::string& step : recipe.steps) {
        if (!fields.preparation.empty())
            fields.preparation += '\n';
        fields.preparation += step;
    }
    return fields;
}

std::vector<RecipeSection> SectionsFromLines(std::string_view utf8) {
    std::vector<RecipeSection> sections;
    std::size_t start = 0;
    while (start <= utf8.size()) {
        std::size_t end = utf8.find('\n', start);
        if (end == std::string_view::npos)
            end = utf8.size();
        const std::string_view line = Trimmed(utf8.substr(start, end - start));
        start = end + 1;
        if (line.empty())
            continue;
        if (line.back() == ':') {
            RecipeSection section;
            section.hasHeading = true;
            section.heading = std::string(Trimmed(line.substr(0, line.size() - 1)));
            sections.push_back(std::move(section));
            continue;
        }
        if (sections.empty())
            sections.emplace_back();
        std::size_t from = 0;
        while (from <= line.size()) {
            std::size_t semicolon = line.find(';', from);
            if (semicolon == std::string_view::npos)
                semicolon = line.size();
            const std::string_view item = Trimmed(line.substr(from, semicolon - from));
            if (!item.empty())
                sections.back().items.emplace_back(item);
            from = semicolon + 1;
        }
    }
    return sections;
}

std::string LinesFromSections(const std::vector<RecipeSection>& sections) {
    std::string text;
    for (const RecipeSection& section : sections) {
        if (section.hasHeading) {
            text += section.heading;
            text += ":\n";
        }
        for (const std::string& item : section.items) {
            text += item;
            text += '\n';
        }
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

std::string ReadableDuration(std::string_view text) {
    const std::string_view t = Trimmed(text);
    if (t.size() < 3 || t[0] != 'P')
        return std::string(t);
    std::size_t i = 1;
    bool inTime = false;
    long long days = 0, hours = 0, minutes = 0;
    bool any = false;
    while (i < t.size()) {
        if (t[i] == 'T') {
            inTime = true;
            ++i;
            continue;
        }
        long long value = 0;
        const auto [end, ec] = std::from_chars(t.data() + i, t.data() + t.size(), value);
        if (ec != std::errc() || end == t.data() + t.size() || value < 0 || value > 100000)
            return std::string(t);
        i = static_cast<std::size_t>(end - t.data());
        const char unit = t[i++];
        if (unit == 'D' && !inTime)
            days += value;
        else if (unit == 'H' && inTime)
            hours += value;
        else if (unit == 'M' && inTime)
            minutes += value;
        else if (unit == 'S' && inTime)
            ;
        else
            return std::string(t);
        any = true;
    }
    if (!any)
        return std::string(t);
    hours += minutes / 60;
    minutes %= 60;
    std::string out;
    const auto part = [&](long long n, const char* unit) {
        if (n == 0)
            return;
        if (!out.empty())
            out += ' ';
        out += std::to_string(n);
        out += unit;
    };
    part(days, days == 1 ? " zi" : " zile");
    part(hours, " h");
    part(minutes, " min");
    return out.empty() ? std::string("0 min") : out;
}

} // namespace savorel
