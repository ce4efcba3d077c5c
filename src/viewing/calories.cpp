#include "viewing/calories.h"

#include "catalogue/recipe_model.h"
#include "catalogue/servings.h"
#include "core/files.h"
#include "core/fold.h"
#include "core/folders.h"
#include "core/scramble.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace savorel {

namespace {

// Table files may hold any bytes; a number longer than this is not a number.
constexpr std::size_t kNumberLimit = 999;

// A number with `precision` decimals and a decimal point whatever the locale: the application
// runs in the user's locale, and a Romanian one would write decimal commas into the page.
std::string Fixed(double value, int precision) {
    char buffer[400];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    if (r.ec != std::errc())
        return "inf";
    return std::string(buffer, r.ptr);
}

// What a "%s" of the text writes: it ends at a NUL byte.
std::string UpToNul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

// Whether a field of the calorie table is empty or holds only spaces (tabs are text there).
bool OnlySpaces(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

std::string Normalise(std::string_view token) {
    std::string out = " ";
    for (const char c : token) {
        if (c == ' ' && out.back() == ' ')
            continue;
        out.push_back(c);
    }
    if (out.back() != ' ')
        out.push_back(' ');
    return out;
}

} // namespace

// The "%f" scan of a number: optional sign, digits with "." and an exponent, or inf/nan.
// Independent of the locale, so a Romanian decimal comma never changes the tables.
TableNumber ConvertTableNumber(std::string_view text, float& value) {
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    bool negative = false;
    if (begin != end && (*begin == '+' || *begin == '-')) {
        negative = *begin == '-';
        ++begin;
    }
    if (begin != end && (*begin == '+' || *begin == '-'))
        return TableNumber::NotANumber;
    float v = 0;
    const auto r = std::from_chars(begin, end, v, std::chars_format::general);
    if (r.ec == std::errc::invalid_argument)
        return TableNumber::NotANumber;
    if (r.ec == std::errc::result_out_of_range || !std::isfinite(v) || (negative && v > 0))
        return TableNumber::Unusable;
    value = negative ? -v : v;
    return TableNumber::Usable;
}

std::size_t FindAndBlank(std::string& text, std::string_view phrase) {
    const std::size_t i = FindFolded(text, phrase);
    if (i == std::string::npos)
        return 0;
    text.replace(i, phrase.size(), phrase.size(), ' ');
    return i + 1;
}

float ParseQuantity(std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && !IsAsciiDigit(static_cast<unsigned char>(text[i])))
        ++i;
    if (i == text.size())
        return 1.0f;
    float n = 0, d = 0;
    bool slash = false, separator = false;
    int k = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        const bool digit = IsAsciiDigit(static_cast<unsigned char>(c));
        if (!digit && c != '/' && c != '.' && c != ',')
            break;
        text[i] = ' ';
        if (c == '/') {
            slash = true;
            continue;
        }
        if (c == '.' || c == ',')
            separator = true;
        if (separator)
            ++k;
        if (digit) {
            if (slash)
                d = d * 10 + static_cast<float>(c - '0');
            else
                n = n * 10 + static_cast<float>(c - '0');
        }
    }
    for (int j = 1; j < k; ++j)
        n *= 0.1f;
    return d != 0 ? n / d : n;
}

bool ReadTableLine(std::FILE* f, TableLine& line, float& current, int trailingBlanks) {
    int c = ReadScrambledChar(f);
    while (c == ' ')
        c = ReadScrambledChar(f);
    if (c == -1)
        return false;
    std::string number;
    while (c != -1 && c != ' ' && c != '\n') {
        if (c != '\r' && number.size() < kNumberLimit)
            number.push_back(static_cast<char>(c));
        c = ReadScrambledChar(f);
    }
    if (c == -1)
        return false; // the end of the file right after a number: the line is ignored
    float value = 0;
    const TableNumber kind = ConvertTableNumber(number, value);
    if (kind == TableNumber::Usable)
        current = value;
    line.usable = kind != TableNumber::Unusable;
    line.number = current;
    line.field.clear();
    if (c == ' ') {
        line.field.push_back(' ');
        for (c = ReadScrambledChar(f); c != -1 && c != '\n'; c = ReadScrambledChar(f))
            if (c != '\r')
                line.field.push_back(static_cast<char>(c));
    }
    line.field.append(static_cast<std::size_t>(trailingBlanks), ' ');
    return true;
}

float LookUpUnitMass(std::string& text, Reporter& reporter, bool& tableMissing,
                     std::string* unitField) {
    if (unitField)
        unitField->clear();
    FilePtr f = OpenDataFile(kUnitTableFile, "rb");
    if (!f) {
        reporter.Show(BoxForm::CaptionOnly, kUnitTableFile);
        tableMissing = true;
        return kNoUnit;
    }
    TableLine line;
    float current = 0;
    while (ReadTableLine(f.get(), line, current, 1)) {
        // A line without a name would match every blank; it names no unit.
        if (!line.usable || OnlySpaces(line.field))
            continue;
        if (FindAndBlank(text, line.field) != 0) {
            if (unitField)
                *unitField = line.field;
            return line.number;
        }
    }
    return kNoUnit;
}

float LookUpPieceMass(std::string_view foodField, Reporter& reporter, bool& tableMissing) {
    FilePtr f = OpenDataFile(kPieceTableFile, "rb");
    if (!f) {
        reporter.Show(BoxForm::CaptionOnly, kPieceTableFile);
        tableMissing = true;
        return -1.0f;
    }
    TableLine line;
    float current = -1.0f;
    while (ReadTableLine(f.get(), line, current, 4))
        if (line.usable && FindFolded(line.field, foodField) != std::string_view::npos)
            return line.number;
    return -1.0f;
}

namespace {

// The number of the first line of an optional table whose name is `field` (compared folded),
// or -1 when the table is missing or has no such line. Numbers of 0 or less mean nothing here.
float LookUpOptional(const char* table, std::string_view field) {
    FilePtr f = OpenDataFile(table, "rb");
    if (!f)
        return -1.0f;
    TableLine line;
    float current = -1.0f;
    while (ReadTableLine(f.get(), line, current, 1))
        if (line.usable && line.number > 0 && EqualsFolded(line.field, field))
            return line.number;
    return -1.0f;
}

// A measure in parentheses: "(400 g)", "(400 ml)", "(400 g fiecare)".
struct StatedMeasure {
    bool found = false;
    float quantity = 0;
    float tableMass = 0;
    std::string unitField;
};

// Takes the first parenthesised measure out of `work` (blanks it, then normalises again, so
// that "2 conserve (400 g) fasole alba" still names the food "conserve fasole alba"). A
// parenthesis that holds anything else stays where it is. A missing unit table is told later,
// in the order the calculation always told it.
StatedMeasure TakeStatedMeasure(std::string& work) {
    StatedMeasure measure;
    const std::size_t open = work.find('(');
    if (open == std::string::npos)
        return measure;
    const std::size_t close = work.find(')', open + 1);
    if (close == std::string::npos)
        return measure;
    std::string inside = " " + work.substr(open + 1, close - open - 1) + " ";
    const std::size_t first = inside.find_first_not_of(' ');
    if (first == std::string::npos || !IsAsciiDigit(static_cast<unsigned char>(inside[first])))
        return measure;
    const float quantity = ParseQuantity(inside);
    std::string unitField;
    CollectingReporter quiet;
    bool missing = false;
    const float mass = LookUpUnitMass(inside, quiet, missing, &unitField);
    if (!(mass > 0))
        return measure;
    FindAndBlank(inside, " fiecare ");
    if (!OnlySpaces(inside))
        return measure;
    measure = {true, quantity, mass, unitField};
    work.replace(open, close - open + 1, close - open + 1, ' ');
    work = Normalise(work);
    return measure;
}

// Whether what is left of a counted ingredient is more than words that describe it: a number
// (a second quantity) or the name of a food (a second ingredient joined to the first).
bool LeftoverMatters(std::string_view work, Reporter& reporter, bool& tableMissing) {
    for (const char c : work)
        if (IsAsciiDigit(static_cast<unsigned char>(c)))
            return true;
    FilePtr foods = OpenDataFile(kFoodTableFile, "rb");
    if (!foods) {
        reporter.Show(BoxForm::CaptionOnly, kFoodTableFile);
        tableMissing = true;
        return true;
    }
    TableLine line;
    float current = -1.0f;
    while (ReadTableLine(foods.get(), line, current, 1))
        if (line.usable && !OnlySpaces(line.field) &&
            FindFolded(work, line.field) != std::string_view::npos)
            return true;
    return false;
}

void SplitWords(std::string_view text, std::vector<std::string>& words) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = text.find_first_not_of(' ', i);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(text.find(' ', start), text.size());
        words.emplace_back(text.substr(start, end - start));
        i = end;
    }
}

} // namespace

float UnitMassOfFood(std::string_view unitField, std::string_view foodField, float tableMass) {
    if (unitField.empty() || OnlySpaces(unitField))
        return tableMass;
    const float millilitres = LookUpOptional(kVolumeTableFile, unitField);
    if (millilitres <= 0)
        return tableMass;
    const float density = LookUpOptional(kDensityTableFile, foodField);
    if (density <= 0)
        return tableMass;
    return millilitres * density;
}

void EvaluateIngredient(std::string_view token, CalorieState& state, Reporter& reporter,
                        double factor) {
    if (OnlySpaces(token))
        return;
    if (token.size() > kTokenLimit)
        reporter.Show(BoxForm::CaptionOnly, kTokenTooBig);
    ++state.tokens;
    std::string work = Normalise(token);
    // Scaled to other servings, the line shows the item as the scaled page writes it; the
    // arithmetic below uses the exact quantity.
    const std::string display = factor == 1.0 ? work : Normalise(ScaleItemText(token, factor));
    const std::string whole = work;
    const StatedMeasure stated = TakeStatedMeasure(work);

    FilePtr foods = OpenDataFile(kFoodTableFile, "rb");
    if (!foods) {
        reporter.Show(BoxForm::CaptionOnly, kFoodTableFile);
        state.tableMissing = true;
        return;
    }
    TableLine line;
    float current = -1.0f;
    bool matched = false;
    while (ReadTableLine(foods.get(), line, current, 1)) {
        if (!line.usable || OnlySpaces(line.field))
            continue;
        if (FindAndBlank(work, line.field) != 0) {
            matched = true;
            break;
        }
    }
    foods.reset();
    if (!matched)
        work = whole; // nothing was counted: the list shows the ingredient as written

    if (matched) {
        const float perUnit = line.number * 0.01f;
        const double quantity = static_cast<double>(ParseQuantity(work)) * factor;
        std::string unitField;
        float mass = LookUpUnitMass(work, reporter, state.tableMissing, &unitField);
        if (mass > 0)
            mass = UnitMassOfFood(unitField, line.field, mass);
        else
            mass = LookUpPieceMass(line.field, reporter, state.tableMissing);
        // The recipe's own measure of one unit or piece wins over the tables'.
        if (stated.found)
            mass = stated.quantity * UnitMassOfFood(stated.unitField, line.field, stated.tableMass);
        if (state.tableMissing)
            return;
        ++state.matchedTokens;
        if (mass >= 0)
            ++state.tokensWithMass;
        state.page += "\n<li>" + UpToNul(display) + ".......";
        state.page += "<font color=#006f00> " + Fixed(perUnit, 3) + " </font>";
        state.page += "<font color=#000000> *  </font>";
        state.page += "<font color=#006f00>" + Fixed(quantity, 3) + "</font>";
        if (mass >= 0) {
            state.page += "<font color=#000000> *  </font>";
            state.page += "<font color=#006f00>" + Fixed(mass, 2) + "</font>";
        }
        const double product = static_cast<double>(static_cast<long double>(perUnit) *
                                                   static_cast<long double>(quantity) *
                                                   static_cast<long double>(mass));
        // A quantity of forty digits overflows to inf; such a line adds nothing, as a
        // product without a mass adds nothing, so that the total stays a number.
        if (product >= 0 && std::isfinite(product)) {
            state.total += product;
            state.page += "<font color=#000000> = </font>";
            state.page += "<font color=#770000>" + Fixed(product, 2) + "</font>";
            if (!OnlySpaces(work) && !LeftoverMatters(work, reporter, state.tableMissing)) {
                SplitWords(work, state.describingWords);
                return;
            }
            if (state.tableMissing)
                return;
        }
    }
    if (!OnlySpaces(work)) {
        SplitWords(work, state.leftoverWords);
        state.notUnderstood +=
            "<font color=#ff2222>" + UpToNul(work) + "</font><font color=#0>*</font>";
    }
    if (!matched) {
        state.page += "\n<li>" + UpToNul(display) + ".......";
        state.page += "<font color=#ff0000> nu inteleg ???? </font>";
    }
}

std::vector<std::string> CalorieTokensOf(std::string_view ingredients) {
    std::vector<std::string> tokens;
    std::string token;
    char previous = 0;
    const std::string text = std::string(ingredients) + "#";
    for (char c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
        if (c == ':') {
            token.clear();
        } else if ((c == ',' || c == '.') && IsAsciiDigit(static_cast<unsigned char>(previous))) {
            token.push_back(c);
        } else if (c == ',' || c == '.' || c == ';' || c == '#') {
            tokens.push_back(std::move(token));
            token.clear();
        } else if (!(c == ' ' && token.empty())) {
            token.push_back(c);
        }
        previous = c;
    }
    return tokens;
}

void CalculateFromIngredients(std::string_view ingredients, CalorieState& state, Reporter& reporter,
                              int servings) {
    // The servings item is no ingredient: it is the first token, which is skipped.
    const auto stated = ServingsOfIngredients(ingredients);
    std::vector<std::string> tokens = CalorieTokensOf(ingredients);
    if (stated && !tokens.empty())
        tokens.erase(tokens.begin());
    CalculateFromTokens(tokens, stated ? stated->servings : 0, state, reporter, servings);
}

void CalculateFromTokens(const std::vector<std::string>& tokens, int stated, CalorieState& state,
                         Reporter& reporter, int servings) {
    state.page += "<html>";
    double factor = 1.0;
    state.servings = 0;
    if (stated > 0) {
        state.servings = servings >= kMinServings && servings <= kMaxServings ? servings : stated;
        if (state.servings != stated)
            factor = static_cast<double>(state.servings) / stated;
    }
    for (const std::string& token : tokens) {
        if (state.tableMissing)
            return;
        EvaluateIngredient(token, state, reporter, factor);
    }
    if (state.tableMissing)
        return;
    if (!OnlySpaces(state.notUnderstood))
        state.page += "<hr>Nu am inteles urmatoarele:<p><font color=#ff0000> <b>" +
                      UpToNul(state.notUnderstood) + "</b> </font>";
    else
        state.page += "<hr>Am inteles toate ingredientele";
    state.page +=
        "\n<hr><p><BIG><BIG>TOTAL:<b> " + Fixed(state.total, 2) + "</b> calorii. </BIG></BIG>";
    if (state.servings > 0)
        state.page += "<br>Pe portie (" + ServingsItemText(state.servings) + "): <b> " +
                      Fixed(state.total / state.servings, 2) + "</b> calorii.";
    state.page += "</html>";
}

bool CalculateCalories(const std::string& recipeFile, const std::string& tempFolderText,
                       Reporter& reporter, CalorieState* result, int servings) {
    CalorieState local;
    CalorieState& state = result ? *result : local;
    state = CalorieState{};
    std::string text;
    if (!ReadWholeDataFile(recipeFile, text)) {
        reporter.Show(BoxForm::CaptionOnly, kArgumentNotFound);
        return false;
    }
    text = ScrambleBytes(text);
    if (IsLosslessText(text)) {
        const auto recipe = ReadLosslessRecipe(text);
        if (!recipe) {
            reporter.Show(BoxForm::CaptionOnly, kBadFileFormat);
            return false;
        }
        const CalorieInput input = CalorieInputOf(*recipe);
        CalculateFromTokens(input.tokens, input.servings, state, reporter, servings);
    } else if (!CalculateFromBookText(text, state, reporter, servings)) {
        return false;
    }
    if (state.tableMissing)
        return false;
    if (!WriteTempFolderFile(tempFolderText, kCaloriePageName, state.page)) {
        reporter.Show(BoxForm::CaptionOnly, kCaloriePageName);
        return false;
    }
    return true;
}

bool CalculateFromBookText(std::string_view text, CalorieState& state, Reporter& reporter,
                           int servings) {
    std::size_t markers[3];
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '#') {
            if (count < 3)
                markers[count] = i;
            ++count;
        }
    if (count != 3)
        reporter.Show(BoxForm::CaptionOnly, kBadFileFormat);
    if (count < 3)
        return false; // no ingredients text to read
    CalculateFromIngredients(text.substr(markers[1] + 1, markers[2] - markers[1] - 1), state,
                             reporter, servings);
    return true;
}

namespace {

std::string Trimmed(std::string_view field) {
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = field.find_last_not_of(' ');
    return std::string(field.substr(first, last - first + 1));
}

} // namespace

// The steps of EvaluateIngredient, in its order, keeping what each found rather than its
// product; the calorie tests check that both read every ingredient of the book alike.
IngredientReading ReadIngredient(std::string_view token, double factor) {
    IngredientReading reading;
    if (OnlySpaces(token))
        return reading;
    std::string work = Normalise(token);
    const StatedMeasure stated = TakeStatedMeasure(work);
    FilePtr foods = OpenDataFile(kFoodTableFile, "rb");
    if (!foods) {
        reading.tableMissing = true;
        return reading;
    }
    TableLine line;
    float current = -1.0f;
    while (ReadTableLine(foods.get(), line, current, 1)) {
        if (!line.usable || OnlySpaces(line.field))
            continue;
        if (FindAndBlank(work, line.field) != 0) {
            reading.matched = true;
            break;
        }
    }
    foods.reset();
    if (!reading.matched)
        return reading;
    reading.food = Trimmed(line.field);
    reading.foodKcal = line.number;
    reading.hasNumber = std::any_of(work.begin(), work.end(), [](char c) {
        return IsAsciiDigit(static_cast<unsigned char>(c));
    });
    reading.quantity = static_cast<double>(ParseQuantity(work)) * factor;
    CollectingReporter quiet;
    std::string unitField;
    float mass = LookUpUnitMass(work, quiet, reading.tableMissing, &unitField);
    reading.unit = Trimmed(unitField);
    reading.unitMass = mass;
    if (mass > 0) {
        reading.byDensity = MillilitresOfUnit(reading.unit) > 0 && DensityOfFood(reading.food) > 0;
        mass = UnitMassOfFood(unitField, line.field, mass);
    } else {
        mass = LookUpPieceMass(line.field, quiet, reading.tableMissing);
    }
    if (stated.found) {
        reading.stated = true;
        reading.statedQuantity = stated.quantity;
        reading.statedUnit = Trimmed(stated.unitField);
        reading.statedUnitMass = stated.tableMass;
        mass = stated.quantity * UnitMassOfFood(stated.unitField, line.field, stated.tableMass);
    }
    reading.mass = mass;
    if (reading.tableMissing)
        return reading;
    reading.understood = OnlySpaces(work) || !LeftoverMatters(work, quiet, reading.tableMissing);
    return reading;
}

float MillilitresOfUnit(std::string_view unit) {
    return LookUpOptional(kVolumeTableFile, " " + std::string(unit) + " ");
}

float DensityOfFood(std::string_view food) {
    return LookUpOptional(kDensityTableFile, " " + std::string(food) + " ");
}

} // namespace savorel
