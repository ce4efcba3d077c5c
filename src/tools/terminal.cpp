#include "tools/terminal.h"

#include "core/cp1250.h"
#include "core/fold.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <iconv.h>
#include <iostream>
#include <langinfo.h>

namespace cookbook {

namespace {

enum class Kind { Bytes, Utf8, Other };

struct State {
    std::string encoding = "WINDOWS-1250";
    Kind kind = Kind::Bytes;
    std::streambuf* rawOut = nullptr;
};

State& Terminal() {
    static State state;
    return state;
}

// Converts with iconv, one call for the whole text. Unconvertible input stops the conversion
// (answering false) unless `replace` is set, when it becomes '?'.
bool IconvText(const char* to, const char* from, const std::string& in, std::string& out,
               bool replace) {
    out.clear();
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    bool ok = true;
    char buffer[256];
    while (left > 0) {
        char* dst = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t r = ::iconv(cd, &src, &left, &dst, &room);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (r != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        if (!replace) {
            ok = false;
            break;
        }
        out.push_back('?'); // EILSEQ or EINVAL: one byte of input cannot be told
        ++src;
        --left;
    }
    ::iconv_close(cd);
    return ok;
}

// Windows-1250 bytes out, the terminal's encoding underneath. The code page has one byte per
// character, so every chunk converts on its own.
class ConvertingBuffer final : public std::streambuf {
public:
    explicit ConvertingBuffer(std::streambuf* under) : m_under(under) {}

protected:
    int_type overflow(int_type ch) override {
        if (traits_type::eq_int_type(ch, traits_type::eof()))
            return sync() == 0 ? traits_type::not_eof(ch) : traits_type::eof();
        const char c = traits_type::to_char_type(ch);
        return xsputn(&c, 1) == 1 ? ch : traits_type::eof();
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        const std::string bytes(s, static_cast<std::size_t>(n));
        std::string text;
        if (Terminal().kind == Kind::Utf8)
            text = savorel::Cp1250ToUtf8(bytes);
        else if (!IconvText(Terminal().encoding.c_str(), "CP1250", bytes, text, true))
            text = bytes;
        const auto wanted = static_cast<std::streamsize>(text.size());
        return m_under->sputn(text.data(), wanted) == wanted ? n : 0;
    }
    int sync() override { return m_under->pubsync(); }

private:
    std::streambuf* m_under;
};

std::string CodePoint(char32_t ch) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(ch));
    return text;
}

} // namespace

void SetUpTerminal() {
    State& state = Terminal();
    state.rawOut = std::cout.rdbuf();
    std::setlocale(LC_CTYPE, "");
    const char* codeset = ::nl_langinfo(CODESET);
    state.encoding = codeset && *codeset ? codeset : "ANSI_X3.4-1968";
    const std::string name =
        savorel::Folded(state.encoding); // an ASCII name: folding is upper case
    if (name == "UTF-8" || name == "UTF8")
        state.kind = Kind::Utf8;
    else if (name == "CP1250" || name == "WINDOWS-1250")
        state.kind = Kind::Bytes;
    else
        state.kind = Kind::Other;
    if (state.kind == Kind::Bytes)
        return;
    // Never freed: the streams flush into them until the very end of the program.
    std::cout.rdbuf(new ConvertingBuffer(std::cout.rdbuf()));
    std::cerr.rdbuf(new ConvertingBuffer(std::cerr.rdbuf()));
}

const std::string& TerminalEncoding() {
    return Terminal().encoding;
}

bool ArgumentToBook(const std::string& argument, std::string& bytes, std::string& problem) {
    const State& state = Terminal();
    if (state.kind == Kind::Bytes) {
        bytes = argument;
        return true;
    }
    if (state.kind == Kind::Utf8) {
        char32_t bad = 0;
        if (savorel::Utf8ToCp1250Exact(argument, bytes, &bad))
            return true;
        problem = bad == 0xFFFD ? "is not valid UTF-8"
                                : "holds the character " + CodePoint(bad) +
                                      ", which the book's encoding (Windows-1250) cannot hold";
        return false;
    }
    if (IconvText("CP1250", state.encoding.c_str(), argument, bytes, false))
        return true;
    problem = "holds a character that cannot be read as " + state.encoding +
              " or that the book's encoding (Windows-1250) cannot hold";
    return false;
}

std::streambuf* RawStdout() {
    return Terminal().rawOut ? Terminal().rawOut : std::cout.rdbuf();
}

} // namespace cookbook
