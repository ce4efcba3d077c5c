#include "personal/lenient_json.h"

#include "core/cp1250.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace savorel {

using Json = nlohmann::ordered_json;

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    // Blanks and comments; false when a comment never ends.
    bool SkipBlanks() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') {
                ++pos_;
            } else if (Ahead("/*")) {
                const std::size_t end = text_.find("*/", pos_ + 2);
                if (end == std::string_view::npos)
                    return Fail("comentariul /* nu se inchide");
                pos_ = end + 2;
            } else if (Ahead("//")) {
                const std::size_t end = text_.find('\n', pos_);
                pos_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else if (Ahead("<!--") || Ahead("-->")) {
                // As scripts read them: the rest of the line is a comment, so a block wrapped
                // in "<!--" and "-->" on lines of their own is read, one put out of use on
                // one line is not.
                const std::size_t end = text_.find('\n', pos_);
                pos_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else if (Ahead("<![CDATA[")) {
                pos_ += 9;
            } else if (Ahead("]]>")) {
                pos_ += 3;
            } else if (Ahead("\xEF\xBB\xBF")) {
                pos_ += 3;
            } else {
                break;
            }
        }
        return true;
    }

    LenientJsonResult Document(Json& out) {
        std::vector<Json> values;
        for (;;) {
            if (!SkipBlanks())
                return LenientJsonResult::Error;
            while (pos_ < text_.size() && (text_[pos_] == ';' || text_[pos_] == ',')) {
                ++pos_;
                if (!SkipBlanks())
                    return LenientJsonResult::Error;
            }
            if (pos_ >= text_.size())
                break;
            Json value;
            if (!Value(value, 0))
                return LenientJsonResult::Error;
            values.push_back(std::move(value));
        }
        if (values.empty())
            return LenientJsonResult::Empty;
        if (values.size() == 1) {
            out = std::move(values.front());
        } else {
            out = Json::array();
            for (Json& value : values)
                out.push_back(std::move(value));
        }
        return LenientJsonResult::Value;
    }

    std::string Message() const {
        // Line and column of the failure, the column counted in characters.
        std::size_t line = 1, column = 1;
        for (std::size_t i = 0; i < failPos_ && i < text_.size(); ++i) {
            if (text_[i] == '\n') {
                ++line;
                column = 1;
            } else if ((static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80) {
                ++column;
            }
        }
        return "la linia " + std::to_string(line) + ", coloana " + std::to_string(column) + ": " +
               why_;
    }

    bool Fail(std::string why) {
        if (why_.empty()) {
            why_ = std::move(why);
            failPos_ = pos_;
        }
        return false;
    }

private:
    bool Ahead(std::string_view token) const { return text_.substr(pos_).starts_with(token); }

    bool Value(Json& out, int depth) {
        if (!SkipBlanks())
            return false;
        if (pos_ >= text_.size())
            return Fail("textul se termina inainte de o valoare");
        const char c = text_[pos_];
        if (c == '{' || c == '[') {
            // The depth was checked before parsing; this keeps the stack bounded regardless.
            if (depth >= kLenientJsonDepthLimit)
                return Fail("prea multe niveluri");
            return c == '{' ? Object(out, depth + 1) : Array(out, depth + 1);
        }
        if (c == '"') {
            std::string s;
            if (!String(s))
                return false;
            out = std::move(s);
            return true;
        }
        if (c == '-' || (c >= '0' && c <= '9'))
            return Number(out);
        for (const auto& [word, value] : {std::pair<std::string_view, Json>{"true", true},
                                          {"false", false},
                                          {"null", nullptr}}) {
            if (Ahead(word)) {
                pos_ += word.size();
                out = value;
                return true;
            }
        }
        return Fail(std::string("caracter neasteptat '") + PrintableAt(pos_) + "'");
    }

    std::string PrintableAt(std::size_t at) const {
        const unsigned char c = static_cast<unsigned char>(text_[at]);
        if (c >= 0x20 && c < 0x7F)
            return std::string(1, static_cast<char>(c));
        static constexpr char kHex[] = "0123456789ABCDEF";
        return std::string("\\x") + kHex[c >> 4] + kHex[c & 0xF];
    }

    bool Object(Json& out, int depth) {
        out = Json::object();
        ++pos_; // "{"
        for (;;) {
            if (!SkipBlanks())
                return false;
            if (pos_ >= text_.size())
                return Fail("obiectul nu se inchide");
            if (text_[pos_] == '}') {
                ++pos_;
                return true;
            }
            if (text_[pos_] != '"')
                return Fail("se astepta un nume intre ghilimele");
            std::string key;
            if (!String(key) || !SkipBlanks())
                return false;
            if (pos_ >= text_.size() || text_[pos_] != ':')
                return Fail("se astepta ':' dupa nume");
            ++pos_;
            Json value;
            if (!Value(value, depth))
                return false;
            out[key] = std::move(value); // a name given twice: the last value, as strict readers
            if (!SkipBlanks())
                return false;
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue; // a "," before "}" is passed over at the top of the loop
            }
            if (pos_ < text_.size() && text_[pos_] == '}') {
                ++pos_;
                return true;
            }
            return Fail("se astepta ',' sau '}'");
        }
    }

    bool Array(Json& out, int depth) {
        out = Json::array();
        ++pos_; // "["
        for (;;) {
            if (!SkipBlanks())
                return false;
            if (pos_ >= text_.size())
                return Fail("lista nu se inchide");
            if (text_[pos_] == ']') {
                ++pos_;
                return true;
            }
            Json value;
            if (!Value(value, depth))
                return false;
            out.push_back(std::move(value));
            if (!SkipBlanks())
                return false;
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == ']') {
                ++pos_;
                return true;
            }
            return Fail("se astepta ',' sau ']'");
        }
    }

    int Hex4(std::size_t at) const {
        if (at + 4 > text_.size())
            return -1;
        int value = 0;
        for (std::size_t k = at; k < at + 4; ++k) {
            const char c = text_[k];
            int d = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
            if (d < 0)
                return -1;
            value = value * 16 + d;
        }
        return value;
    }

    bool String(std::string& out) {
        const std::size_t open = pos_++;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c == '\\') {
                if (pos_ + 1 >= text_.size())
                    break;
                const char e = text_[pos_ + 1];
                pos_ += 2;
                switch (e) {
                case 'n':
                    out += '\n';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'u': {
                    const int unit = Hex4(pos_);
                    if (unit < 0) {
                        out += 'u'; // not an escape after all: kept as written
                        break;
                    }
                    pos_ += 4;
                    char32_t code = static_cast<char32_t>(unit);
                    if (unit >= 0xD800 && unit <= 0xDBFF && Ahead("\\u")) {
                        const int low = Hex4(pos_ + 2);
                        if (low >= 0xDC00 && low <= 0xDFFF) {
                            code = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                            pos_ += 6;
                        }
                    }
                    if (code >= 0xD800 && code <= 0xDFFF)
                        code = 0xFFFD; // half a pair
                    AppendUtf8(out, code);
                    break;
                }
                default:
                    // "\"", "\\", "\/" as strict JSON has them; "\'" and any other needless
                    // escape is the character itself.
                    pos_ -= 1;
                    CopyCharacter(out);
                    break;
                }
                continue;
            }
            CopyCharacter(out);
        }
        pos_ = open;
        return Fail("sirul de caractere nu se inchide");
    }

    // One character at pos_ copied, a broken UTF-8 byte as U+FFFD.
    void CopyCharacter(std::string& out) {
        const unsigned char lead = static_cast<unsigned char>(text_[pos_]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++pos_;
            return;
        }
        std::size_t next = pos_;
        const char32_t ch = NextUtf8(text_, next);
        if (ch == 0xFFFD && !Ahead("\xEF\xBF\xBD")) {
            AppendUtf8(out, 0xFFFD);
            pos_ = next;
            return;
        }
        out.append(text_.substr(pos_, next - pos_));
        pos_ = next;
    }

    bool Number(Json& out) {
        const std::size_t start = pos_;
        const auto digits = [&] {
            const std::size_t from = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9')
                ++pos_;
            return pos_ - from;
        };
        const bool negative = text_[pos_] == '-';
        if (negative)
            ++pos_;
        const std::size_t intStart = pos_;
        const std::size_t intDigits = digits();
        if (intDigits == 0)
            return Fail("numar fara cifre");
        if (intDigits > 1 && text_[intStart] == '0')
            return Fail("numar cu zero in fata");
        bool integral = true;
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            integral = false;
            if (digits() == 0)
                return Fail("numar fara cifre dupa punct");
        }
        bool negativeExponent = false;
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            integral = false;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-'))
                negativeExponent = text_[pos_++] == '-';
            if (digits() == 0)
                return Fail("numar fara cifre in exponent");
        }
        const char* first = text_.data() + start;
        const char* last = text_.data() + pos_;
        if (integral) {
            // As strict readers keep them: unsigned when not negative, signed when negative,
            // a double when neither holds the value.
            if (!negative) {
                std::uint64_t u = 0;
                if (std::from_chars(first, last, u).ec == std::errc()) {
                    out = u;
                    return true;
                }
            } else {
                std::int64_t s = 0;
                if (std::from_chars(first, last, s).ec == std::errc()) {
                    out = s;
                    return true;
                }
            }
        }
        double value = 0.0;
        const auto [end, ec] = std::from_chars(first, last, value);
        if (ec == std::errc::result_out_of_range && negativeExponent) {
            value = negative ? -0.0 : 0.0; // too small to hold: as good as nothing
        } else if (ec != std::errc() || end != last || !std::isfinite(value)) {
            pos_ = start;
            return Fail("numarul " +
                        std::string(text_.substr(start, std::min<std::size_t>(last - first, 40))) +
                        " este prea mare");
        }
        out = value;
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string why_;
    std::size_t failPos_ = 0;
};

} // namespace

int LenientJsonDepth(std::string_view text) {
    int depth = 0, deepest = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i)
                if (text[i] == '\\')
                    ++i;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            const std::size_t end = text.find("*/", i + 2);
            i = end == std::string_view::npos ? text.size() : end + 1;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            const std::size_t end = text.find('\n', i);
            i = end == std::string_view::npos ? text.size() : end;
        } else if (c == '{' || c == '[') {
            deepest = std::max(deepest, ++depth);
        } else if ((c == '}' || c == ']') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

LenientJsonResult ParseLenientJson(std::string_view text, Json& out, std::string& error) {
    if (text.size() > kLenientJsonSizeLimit) {
        error = "textul JSON are peste " + std::to_string(kLenientJsonSizeLimit >> 20) + " MB";
        return LenientJsonResult::Error;
    }
    if (const int depth = LenientJsonDepth(text); depth > kLenientJsonDepthLimit) {
        error = "textul JSON are " + std::to_string(depth) +
                " de niveluri unul in altul (cel mult " + std::to_string(kLenientJsonDepthLimit) +
                ")";
        return LenientJsonResult::Error;
    }
    Reader reader(text);
    Json value;
    const LenientJsonResult result = reader.Document(value);
    if (result == LenientJsonResult::Error)
        error = reader.Message();
    else if (result == LenientJsonResult::Value)
        out = std::move(value);
    return result;
}

} // namespace savorel
