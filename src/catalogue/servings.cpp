#include "catalogue/servings.h"

#include "catalogue/page.h"
#include "catalogue/recipe.h"
#include "catalogue/recipe_model.h"
#include "core/cp1250.h"
#include "core/files.h"
#include "core/fold.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace savorel {

namespace {

// Longer digit runs are not quantities a cook writes; they would only overflow.
constexpr std::size_t kMaxDigits = 9;

// A blank within a line.
bool IsSpaceOrTab(char c) {
    return c == ' ' || c == '\t';
}

bool IsBlankOrBreak(char c) {
    return IsSpaceOrTab(c) || c == '\r' || c == '\n';
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
    while (i < text.size() && IsSpaceOrTab(text[i]))
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
        while (j < text.size() && IsSpaceOrTab(text[j]))
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

namespace {

struct UnitWord {
    QuantityStyle style;
    const char* singular; // Windows-1250, as the book writes it
    const char* plural;
    bool takesDe; // "20 de linguri"; abbreviations never take it ("20 g")
};

// The units and counted things of the book's items, singular and plural.
constexpr UnitWord kUnitWords[] = {
    {QuantityStyle::Whole, "g", "g", false},
    {QuantityStyle::Whole, "gr", "gr", false},
    {QuantityStyle::Whole, "ml", "ml", false},
    {QuantityStyle::Whole, "gram", "grame", true},           // gram/grame
    {QuantityStyle::Decimal, "kg", "kg", false},             // kg
    {QuantityStyle::Decimal, "l", "l", false},               // l
    {QuantityStyle::Decimal, "litru", "litri", true},        // litru/litri
    {QuantityStyle::Decimal, "kilogram", "kilograme", true}, // kilogram/kilograme
    {QuantityStyle::Spoon, "lingur\xE3", "linguri", true},   // lingura/linguri
    {QuantityStyle::Spoon, "linguri\xFE\xE3",
     "linguri\xFE"
     "e",
     true},                                             // lingurita/lingurite
    {QuantityStyle::Spoon, "can\xE3", "c\xE3ni", true}, // cana/cani
    {QuantityStyle::Spoon,
     "cea\xBA"
     "c\xE3",
     "ce\xBAti", true},                                // ceasca/cesti
    {QuantityStyle::Spoon, "pahar", "pahare", true},   // pahar/pahare
    {QuantityStyle::WholePiece, "ou", "ou\xE3", true}, // ou/oua
    {QuantityStyle::WholePiece, "g\xE3lbenu\xBA", "g\xE3lbenu\xBAuri",
     true},                                                       // galbenus/galbenusuri
    {QuantityStyle::WholePiece, "albu\xBA", "albu\xBAuri", true}, // albus/albusuri
    {QuantityStyle::WholePiece,
     "c\xE3\xFE"
     "el",
     "c\xE3\xFE"
     "ei",
     true},                                                         // catel/catei
    {QuantityStyle::WholePiece, "frunz\xE3", "frunze", true},       // frunza/frunze
    {QuantityStyle::WholePiece, "fir", "fire", true},               // fir/fire
    {QuantityStyle::WholePiece, "foaie", "foi", true},              // foaie/foi
    {QuantityStyle::WholePiece, "boab\xE3", "boabe", true},         // boaba/boabe
    {QuantityStyle::WholePiece, "cui\xBAor", "cui\xBAoare", true},  // cuisor/cuisoare
    {QuantityStyle::WholePiece, "felie", "felii", true},            // felie/felii
    {QuantityStyle::WholePiece, "cub", "cuburi", true},             // cub/cuburi
    {QuantityStyle::WholePiece, "v\xE2rf", "v\xE2rfuri", true},     // varf/varfuri
    {QuantityStyle::WholePiece, "praf", "prafuri", true},           // praf/prafuri
    {QuantityStyle::WholePiece, "bucat\xE3", "buc\xE3\xFEi", true}, // bucata/bucati
    {QuantityStyle::WholePiece, "chifl\xE3", "chifle", true},       // chifla/chifle
    {QuantityStyle::WholePiece, "lipie", "lipii", true},            // lipie/lipii
    {QuantityStyle::WholePiece, "prepeli\xFE\xE3",
     "prepeli\xFE"
     "e",
     true},                                                        // prepelita/prepelite
    {QuantityStyle::WholePiece, "floare", "flori", true},          // floare/flori
    {QuantityStyle::Piece, "ceap\xE3", "cepe", true},              // ceapa/cepe
    {QuantityStyle::Piece, "morcov", "morcovi", true},             // morcov/morcovi
    {QuantityStyle::Piece, "ro\xBAie", "ro\xBAii", true},          // rosie/rosii
    {QuantityStyle::Piece, "cartof", "cartofi", true},             // cartof/cartofi
    {QuantityStyle::Piece, "l\xE3m\xE2ie", "l\xE3m\xE2i", true},   // lamaie/lamai
    {QuantityStyle::Piece, "leg\xE3tur\xE3", "leg\xE3turi", true}, // legatura/legaturi
    {QuantityStyle::Piece, "conserv\xE3", "conserve", true},       // conserva/conserve
    {QuantityStyle::Piece, "plic", "plicuri", true},               // plic/plicuri
    {QuantityStyle::Piece, "dovlecel", "dovlecei", true},          // dovlecel/dovlecei
    {QuantityStyle::Piece, "castravete", "castrave\xFEi", true},   // castravete/castraveti
    {QuantityStyle::Piece, "v\xE2n\xE3t\xE3", "vinete", true},     // vanata/vinete
    {QuantityStyle::Piece, "m\xE3r", "mere", true},                // mar/mere
    {QuantityStyle::Piece, "portocal\xE3", "portocale", true},     // portocala/portocale
    {QuantityStyle::Piece,
     "\xBA"
     "alot\xE3",
     "\xBA"
     "alote",
     true}, // salota/salote
    {QuantityStyle::Piece, "c\xE3p\xE3\xFE\xE2n\xE3", "c\xE3p\xE3\xFE\xE2ni",
     true},                                                              // capatana/capatani
    {QuantityStyle::Piece, "par\xE3", "pere", true},                     // para/pere
    {QuantityStyle::Piece, "banan\xE3", "banane", true},                 // banana/banane
    {QuantityStyle::Piece, "baghet\xE3", "baghete", true},               // bagheta/baghete
    {QuantityStyle::Piece, "gulie", "gulii", true},                      // gulie/gulii
    {QuantityStyle::Piece, "ridiche", "ridichi", true},                  // ridiche/ridichi
    {QuantityStyle::Piece, "p\xE3st\xE2rnac", "p\xE3st\xE2rnaci", true}, // pastarnac/pastarnaci
    {QuantityStyle::Piece, "cotlet", "cotlete", true},                   // cotlet/cotlete
    {QuantityStyle::Piece, "fileu", "fileuri", true},                    // fileu/fileuri
    {QuantityStyle::Piece, "pulp\xE3", "pulpe", true},                   // pulpa/pulpe
    {QuantityStyle::Piece, "piept", "piepturi", true},                   // piept/piepturi
    {QuantityStyle::Piece, "p\xE3str\xE3v", "p\xE3str\xE3vi", true},     // pastrav/pastravi
    {QuantityStyle::Piece, "\xBAtiulete", "\xBAtiule\xFEi", true},       // stiulete/stiuleti
    {QuantityStyle::Piece, "conopid\xE3", "conopide", true},             // conopida/conopide
    {QuantityStyle::Piece, "doz\xE3", "doze", true},                     // doza/doze
    {QuantityStyle::Piece, "baton", "batoane", true},                    // baton/batoane
    {QuantityStyle::Piece, "borcan", "borcane", true},                   // borcan/borcane
    {QuantityStyle::Piece, "salat\xE3", "salate", true},                 // salata/salate
    {QuantityStyle::Piece, "rodie", "rodii", true},                      // rodie/rodii
    {QuantityStyle::Piece, "gutuie", "gutui", true},                     // gutuie/gutui
    {QuantityStyle::Piece, "piersic\xE3", "piersici", true},             // piersica/piersici
    {QuantityStyle::Piece, "prun\xE3", "prune", true},                   // pruna/prune
    {QuantityStyle::Piece, "limb\xE3", "limbi", true},                   // limba/limbi
    {QuantityStyle::Piece, "antricot", "antricoate", true},              // antricot/antricoate
    {QuantityStyle::Piece, "ciolan", "ciolane", true},                   // ciolan/ciolane
    {QuantityStyle::Piece,
     "gogo\xBA"
     "ar",
     "gogo\xBA"
     "ari",
     true},                                                     // gogosar/gogosari
    {QuantityStyle::Piece, "g\xE2sc\xE3", "g\xE2\xBAte", true}, // gasca/gaste
    {QuantityStyle::Piece, "iepure", "iepuri", true},           // iepure/iepuri
    {QuantityStyle::Piece, "\xBAtiuc\xE3", "\xBAtiuci", true},  // stiuca/stiuci
    {QuantityStyle::Piece, "macrou", "macrouri", true},         // macrou/macrouri
    {QuantityStyle::Piece, "scrumbie", "scrumbii", true},       // scrumbie/scrumbii
    {QuantityStyle::Piece, "dorad\xE3", "dorade", true},        // dorada/dorade
    {QuantityStyle::Piece, "lup", "lupi", true},                // lup/lupi
    {QuantityStyle::Piece, "calamar", "calamari", true},        // calamar/calamari
    {QuantityStyle::WholePiece, "scoic\xE3", "scoici", true},   // scoica/scoici
    {QuantityStyle::Piece, "hering", "heringi", true},          // hering/heringi
    {QuantityStyle::Piece, "ciuperc\xE3", "ciuperci", true},    // ciuperca/ciuperci
    {QuantityStyle::WholePiece, "cirea\xBA\xE3",
     "cire\xBA"
     "e",
     true},                                              // cireasa/cirese
    {QuantityStyle::Piece, "fazan", "fazani", true},     // fazan/fazani
    {QuantityStyle::Piece, "purcel", "purcei", true},    // purcel/purcei
    {QuantityStyle::Piece, "stomac", "stomacuri", true}, // stomac/stomacuri
};

// The letters of the word starting at `i` (a hyphen ends it: "steak-uri").
std::string_view WordAt(std::string_view text, std::size_t i) {
    std::size_t end = i;
    while (end < text.size() && IsLetter(text[end]))
        ++end;
    return text.substr(i, end - i);
}

const UnitWord* FindUnitWord(std::string_view word) {
    if (word.empty())
        return nullptr;
    for (const UnitWord& unit : kUnitWords)
        if (EqualsFolded(word, unit.singular) || EqualsFolded(word, unit.plural))
            return &unit;
    return nullptr;
}

// A word written as the table writes it, rather than typed without diacritics.
bool AsTheBookWritesIt(std::string_view word, const UnitWord& unit) {
    return word == unit.singular || word == unit.plural;
}

// A table form without its diacritics, for an item typed without them.
std::string WithoutDiacritics(std::string_view word) {
    std::string plain;
    for (const char c : word) {
        const char folded = FoldChar(c);
        const bool romanian = static_cast<unsigned char>(c) >= 0x80 && folded != c;
        plain.push_back(romanian ? static_cast<char>(folded - 'A' + 'a') : c);
    }
    return plain;
}

// What follows a leading quantity: blanks, perhaps "de" and blanks, then the noun or unit.
struct UnitAfter {
    std::size_t gap = 0;    // blanks after the quantity
    std::size_t nounAt = 0; // where the noun starts
    std::string_view noun;
};

UnitAfter ReadUnitAfter(std::string_view rest) {
    UnitAfter after;
    std::size_t i = 0;
    while (i < rest.size() && IsSpaceOrTab(rest[i]))
        ++i;
    after.gap = i;
    std::string_view word = WordAt(rest, i);
    if (EqualsFolded(word, "de") && i + 2 < rest.size() && IsSpaceOrTab(rest[i + 2])) {
        std::size_t j = i + 2;
        while (j < rest.size() && IsSpaceOrTab(rest[j]))
            ++j;
        if (!WordAt(rest, j).empty()) {
            i = j;
            word = WordAt(rest, i);
        }
    }
    after.nounAt = i;
    after.noun = word;
    return after;
}

// Romanian puts "de" between a whole number and its noun when the number's last two digits
// are 00 or from 20 up: "20 de ...", "100 de ...", but "101 ...", "2,5 ...".
bool NumberTakesDe(double rounded) {
    if (rounded < 20 || rounded != std::floor(rounded) || rounded > 1e15)
        return false;
    const auto lastTwo = static_cast<long long>(rounded) % 100;
    return lastTwo == 0 || lastTwo >= 20;
}

// Steps in hundredths: the value is rounded to a multiple of the step, never below `least`.
struct Steps {
    long long step;
    long long least;
};

Steps StepsFor(double value, QuantityStyle style) {
    switch (style) {
    case QuantityStyle::Whole:
    case QuantityStyle::WholePiece:
        return {100, 100};
    case QuantityStyle::Decimal:
        return {value >= 1 ? 10 : value >= 0.1 ? 5 : 1, 1};
    case QuantityStyle::Spoon:
        return {value < 3 ? 25 : value < 10 ? 50 : 100, 25};
    case QuantityStyle::Piece:
        return {value < 5 ? 50 : 100, 50};
    }
    return {100, 100};
}

// The rounded value in hundredths; 0 for nothing, a negative number or NaN.
long long RoundedHundredths(double value, QuantityStyle style) {
    if (!(value > 0))
        return 0;
    // Far beyond any kitchen: kept finite for the arithmetic below.
    value = std::min(value, 1e12);
    const Steps steps = StepsFor(value, style);
    const auto units = static_cast<long long>(std::llround(value * 100 / steps.step));
    return std::max(steps.least, units * steps.step);
}

std::string WriteHundredths(long long hundredths, QuantityStyle style) {
    if (hundredths <= 0)
        return "0";
    const long long whole = hundredths / 100;
    const long long part = hundredths % 100;
    if (part == 0)
        return std::to_string(whole);
    if (style == QuantityStyle::Decimal) {
        std::string text = std::to_string(whole) + ',';
        text += static_cast<char>('0' + part / 10);
        if (part % 10 != 0)
            text += static_cast<char>('0' + part % 10);
        return text;
    }
    // Halves and quarters, as spoons and pieces are counted.
    const std::string fraction = part == 50 ? "1/2" : part == 25 ? "1/4" : "3/4";
    return whole > 0 ? std::to_string(whole) + " " + fraction : fraction;
}

// A key that is the same for a unit's singular and plural, for comparing items with the
// quantities the preparation names.
std::string UnitKey(std::string_view noun) {
    if (const UnitWord* unit = FindUnitWord(noun))
        return Folded(unit->singular);
    return Folded(noun);
}

std::string ServingsWord(int servings, bool cedilla) {
    std::string text = std::to_string(servings) + (NumberTakesDe(servings) ? " de " : " ");
    text += servings == 1 ? (cedilla ? "por\xFEie" : "portie") : (cedilla ? "por\xFEii" : "portii");
    return text;
}

// The servings item for `wanted`, spelled as the recipe spells its own (with or without the
// t-cedilla) and with the blanks around it kept.
std::string ServingsItemLike(std::string_view item, int wanted) {
    const std::size_t first = item.find_first_not_of(" \t");
    const std::size_t last = item.find_last_not_of(" \t");
    if (first == std::string_view::npos)
        return ServingsWord(wanted, true);
    const bool cedilla = item.find_first_of("\xFE\xDE") != std::string_view::npos;
    return std::string(item.substr(0, first)) + ServingsWord(wanted, cedilla) +
           std::string(item.substr(last + 1));
}

// The preparation is the page's last text after "\n<hr>": its line breaks are blanks there,
// so no "\n<hr>" of its own follows.
std::string WithNoteBeforePreparation(std::string page, const std::string& note) {
    const std::size_t rule = page.rfind("\n<hr>");
    if (!note.empty() && rule != std::string::npos)
        page.insert(rule + 5, note);
    return page;
}

} // namespace

std::string BookServingsText(int servings) {
    return ServingsWord(servings, true);
}

QuantityStyle StyleOfUnit(std::string_view word) {
    const UnitWord* unit = FindUnitWord(word);
    return unit ? unit->style : QuantityStyle::Piece;
}

std::string FormatQuantity(double value, QuantityStyle style) {
    return WriteHundredths(RoundedHundredths(value, style), style);
}

std::string ScaleItemText(std::string_view item, double factor) {
    if (factor == 1.0)
        return std::string(item);
    const auto q = ParseLeadingQuantity(item);
    if (!q)
        return std::string(item);
    const std::string_view rest = item.substr(q->end);
    const UnitAfter after = ReadUnitAfter(rest);
    const UnitWord* unit = FindUnitWord(after.noun);
    const QuantityStyle style = unit ? unit->style : QuantityStyle::Piece;
    const long long hundredths = RoundedHundredths(q->value * factor, style);

    std::string out(item.substr(0, q->begin));
    out += WriteHundredths(hundredths, style);
    if (after.noun.empty() || after.gap == 0 || (unit && !unit->takesDe)) {
        out += rest; // "250g", an abbreviation or no word: nothing to agree
        return out;
    }
    out += rest.substr(0, after.gap);
    if (NumberTakesDe(static_cast<double>(hundredths) / 100))
        out += "de ";
    if (unit) {
        const char* form = hundredths <= 100 ? unit->singular : unit->plural;
        out += AsTheBookWritesIt(after.noun, *unit) ? std::string(form) : WithoutDiacritics(form);
    } else {
        out += after.noun;
    }
    out += rest.substr(after.nounAt + after.noun.size());
    return out;
}

std::string ServingsNote(std::string_view recipeText, int own) {
    return ServingsNote(ReadRecipe(recipeText), own);
}

std::string ServingsNote(const Recipe& recipe, int own) {
    // Windows-1250 throughout: the lossless form's text folded, as the units are spelled.
    std::vector<std::string> measured;
    const auto items = AllItems(recipe);
    // The book form's first item is the servings item itself.
    for (std::size_t i = recipe.form == RecipeForm::Book ? 1 : 0; i < items.size(); ++i) {
        const std::string item = Cp1250Of(recipe, items[i]);
        if (const auto q = ParseLeadingQuantity(item)) {
            const UnitAfter after = ReadUnitAfter(std::string_view(item).substr(q->end));
            if (!after.noun.empty())
                measured.push_back(UnitKey(after.noun));
        }
    }
    std::string methodText = recipe.preparation;
    for (const std::string& step : recipe.steps)
        methodText += Cp1250Of(recipe, step) + "\n";
    const std::string_view method = methodText;
    for (std::size_t i = 0; i < method.size(); ++i) {
        if (!IsDigit(method[i]) || (i > 0 && (IsDigit(method[i - 1]) || IsLetter(method[i - 1]))))
            continue;
        const auto q = ParseLeadingQuantity(method.substr(i));
        if (!q)
            continue;
        const UnitAfter after = ReadUnitAfter(method.substr(i + q->end));
        if (!after.noun.empty() &&
            std::find(measured.begin(), measured.end(), UnitKey(after.noun)) != measured.end())
            return "<i>Modul de preparare este scris pentru " + ServingsWord(own, true) +
                   ".</i><br>";
    }
    return {};
}

// A vulgar fraction as the book writes it ("1/2"), or null for another character.
const char* FractionSpelling(char32_t ch) {
    switch (ch) {
    case 0x00BC:
        return "1/4";
    case 0x00BD:
        return "1/2";
    case 0x00BE:
        return "3/4";
    case 0x2153:
        return "1/3";
    case 0x2154:
        return "2/3";
    case 0x2155:
        return "1/5";
    case 0x2159:
        return "1/6";
    case 0x215B:
        return "1/8";
    case 0x215C:
        return "3/8";
    case 0x215D:
        return "5/8";
    case 0x215E:
        return "7/8";
    default:
        return nullptr;
    }
}

std::string ScaleUtf8Item(std::string_view item, double factor) {
    // The quantity and its unit lead the item: what the code page holds of its start is
    // scaled there (units agree in Windows-1250 spelling), the rest follows as it was. A
    // fraction sign within the leading quantity ("1½", "¾") is read as "1 1/2", "3/4".
    std::size_t held = 0;
    std::string start;
    bool quantity = true; // only digits and blanks so far
    while (held < item.size()) {
        std::size_t next = held;
        const char32_t ch = NextUtf8(item, next);
        if (const char* fraction = quantity ? FractionSpelling(ch) : nullptr) {
            if (!start.empty() && start.back() >= '0' && start.back() <= '9')
                start.push_back(' ');
            start += fraction;
            held = next;
            quantity = false;
            continue;
        }
        const int byte = ch == 0xFFFD ? -1 : UnicodeToCp1250(ch);
        if (byte < 0)
            break;
        quantity = quantity && ((ch >= '0' && ch <= '9') || ch == ' ');
        start.push_back(static_cast<char>(byte));
        held = next;
    }
    const std::string scaled = ScaleItemText(start, factor);
    if (scaled == start)
        return std::string(item); // nothing scaled: the item as the cook wrote it
    return Cp1250ToUtf8(scaled) + std::string(item.substr(held));
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
    const bool book = recipe.form == RecipeForm::Book;
    std::string page =
        RenderRecipePageText(sourceName, recipe, [&](std::size_t index, std::string_view text) {
            if (index != 0)
                return book ? ScaleItemText(text, factor) : ScaleUtf8Item(text, factor);
            return book ? ServingsItemLike(text, wanted)
                        : Cp1250ToUtf8(ServingsItemLike(Utf8ToCp1250Folded(text), wanted));
        });
    const std::string note = ServingsNote(recipe, *own);
    return WithNoteBeforePreparation(std::move(page), book ? note : Cp1250ToUtf8(note));
}

std::optional<UnitForms> UnitFormsOf(std::string_view word) {
    const UnitWord* unit = FindUnitWord(word);
    if (!unit)
        return std::nullopt;
    return UnitForms{unit->singular, unit->plural};
}

} // namespace savorel
