// Servings scaling: the leading quantity, its rounding and the scaled item.
// Input: two bytes for the servings asked and stated (1 to 99 each), eight bytes of a double
// for FormatQuantity, then an item text.
#include "catalogue/servings.h"
#include "fuzz_util.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

using namespace savorel;

namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

// Digits only, as a number; fifteen are more than any quantity read or written here.
std::optional<double> Digits(std::string_view s) {
    if (s.empty() || s.size() > 15)
        return std::nullopt;
    double value = 0;
    for (const char c : s) {
        if (!Digit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The forms a cook writes, read here on their own: "2", "1,5", "1.5", "1/2", "1 1/2".
std::optional<double> ReadQuantity(std::string_view s) {
    const std::size_t blank = s.find_first_of(" \t");
    if (blank != std::string_view::npos) {
        std::size_t rest = blank;
        while (rest < s.size() && Blank(s[rest]))
            ++rest;
        const auto whole = Digits(s.substr(0, blank));
        const auto part = ReadQuantity(s.substr(rest));
        if (!whole || !part || s.substr(rest).find_first_of(",.") != std::string_view::npos ||
            s.substr(rest).find('/') == std::string_view::npos)
            return std::nullopt;
        return *whole + *part;
    }
    const std::size_t mark = s.find_first_of(",./");
    if (mark == std::string_view::npos)
        return Digits(s);
    const auto left = Digits(s.substr(0, mark));
    const auto right = Digits(s.substr(mark + 1));
    if (!left || !right)
        return std::nullopt;
    if (s[mark] == '/')
        return *right == 0 ? std::nullopt : std::optional<double>(*left / *right);
    return *left + *right / std::pow(10.0, static_cast<double>(s.size() - mark - 1));
}

bool Near(double a, double b, double tolerance) {
    return std::fabs(a - b) <= tolerance + 1e-9 * std::max(1.0, std::fabs(b));
}

// The rounding each style promises, in its own words: the step at a value and the least.
struct Promise {
    double step;
    double least;
    bool decimals;  // a decimal comma may appear
    bool fractions; // halves and quarters may appear
};

Promise PromiseOf(QuantityStyle style, double value) {
    switch (style) {
    case QuantityStyle::Whole:
    case QuantityStyle::WholePiece:
        return {1, 1, false, false};
    case QuantityStyle::Decimal:
        return {value >= 1 ? 0.1 : value >= 0.1 ? 0.05 : 0.01, 0.01, true, false};
    case QuantityStyle::Spoon:
        return {value < 3 ? 0.25 : value < 10 ? 0.5 : 1, 0.25, false, true};
    case QuantityStyle::Piece:
        return {value < 5 ? 0.5 : 1, 0.5, false, true};
    }
    return {1, 1, false, false};
}

void CheckFormat(double value, QuantityStyle style) {
    const std::string text = FormatQuantity(value, style);
    FUZZ_CHECK(!text.empty());
    FUZZ_CHECK(text.find_first_not_of("0123456789,/ ") == std::string::npos); // no "-", "nan"
    const auto read = ReadQuantity(text);
    FUZZ_CHECK(read.has_value());
    if (!(value > 0)) {
        FUZZ_CHECK(text == "0");
        return;
    }
    const Promise promise = PromiseOf(style, value);
    FUZZ_CHECK(promise.decimals || text.find(',') == std::string::npos);
    FUZZ_CHECK(promise.fractions || text.find('/') == std::string::npos);
    FUZZ_CHECK(*read >= promise.least - 1e-9);
    if (value <= 1e9 && value >= promise.least)
        FUZZ_CHECK(Near(*read, value, promise.step / 2));
    if (value < promise.least)
        FUZZ_CHECK(Near(*read, promise.least, 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 10)
        return 0;
    const int wanted = 1 + data[0] % 99;
    const int own = 1 + data[1] % 99;
    double value = 0;
    std::memcpy(&value, data + 2, sizeof value);
    const std::string_view item(reinterpret_cast<const char*>(data) + 10, size - 10);

    for (const QuantityStyle style :
         {QuantityStyle::Whole, QuantityStyle::Decimal, QuantityStyle::Spoon,
          QuantityStyle::WholePiece, QuantityStyle::Piece})
        CheckFormat(value, style);

    // The leading quantity: only blanks before it, and its text reads as the value found.
    const auto q = ParseLeadingQuantity(item);
    if (q) {
        FUZZ_CHECK(q->begin < q->end && q->end <= item.size());
        FUZZ_CHECK(item.substr(0, q->begin).find_first_not_of(" \t") == std::string_view::npos);
        const auto read = ReadQuantity(item.substr(q->begin, q->end - q->begin));
        FUZZ_CHECK(read.has_value());
        FUZZ_CHECK(Near(q->value, *read, 0));
        FUZZ_CHECK(q->end == item.size() || !Digit(item[q->end]));
    }

    // At its own number an item is as written; scaled, only its quantity and the words right
    // after it change, and the new quantity is within half a step of the exact one.
    FUZZ_CHECK(ScaleItemText(item, 1.0) == item);
    const double factor = static_cast<double>(wanted) / own;
    const std::string scaled = ScaleItemText(item, factor);
    if (!q) {
        FUZZ_CHECK(scaled == item);
        return 0;
    }
    FUZZ_CHECK(scaled.compare(0, q->begin, item.substr(0, q->begin)) == 0);
    // A rest that starts with another number ("1.5 3/4 kg") could run on from the new one.
    const std::string_view rest = item.substr(q->end);
    const std::size_t next = rest.find_first_not_of(" \t");
    if (next != std::string_view::npos && Digit(rest[next]))
        return 0;
    // Past nine digits a quantity is no longer read as one (nor written by a cook).
    const double exact = q->value * factor;
    if (exact >= 1e8)
        return 0;
    const auto after = ParseLeadingQuantity(scaled);
    FUZZ_CHECK(after.has_value() && after->begin == q->begin);
    const auto read =
        ReadQuantity(std::string_view(scaled).substr(after->begin, after->end - after->begin));
    FUZZ_CHECK(read.has_value());
    if (exact > 0) {
        FUZZ_CHECK(*read > 0);
        // Every style's step is at most one, and none rounds up past one from below it.
        FUZZ_CHECK(Near(*read, exact, 0.5) || (exact < 1 && *read <= 1));
    } else {
        FUZZ_CHECK(*read == 0);
    }
    FUZZ_CHECK(scaled.size() <= item.size() + 16);
    return 0;
}
