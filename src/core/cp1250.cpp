#include "core/cp1250.h"

#include <array>

namespace savorel {

namespace {

constexpr std::array<char16_t, 128> kHighHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

void AppendUtf8(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
    } else if (ch < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else if (ch < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (ch >> 18)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
}

} // namespace

char32_t Cp1250ToUnicode(unsigned char byte) {
    return byte < 0x80 ? char32_t(byte) : char32_t(kHighHalf[byte - 0x80]);
}

int UnicodeToCp1250(char32_t ch) {
    if (ch < 0x80)
        return static_cast<int>(ch);
    switch (ch) {
    case 0x0218:
        ch = 0x015E;
        break; // S comma below -> S cedilla
    case 0x0219:
        ch = 0x015F;
        break;
    case 0x021A:
        ch = 0x0162;
        break; // T comma below -> T cedilla
    case 0x021B:
        ch = 0x0163;
        break;
    default:
        break;
    }
    for (int i = 0; i < 128; ++i)
        if (kHighHalf[i] == ch)
            return 0x80 + i;
    return -1;
}

std::string Cp1250ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        AppendUtf8(out, Cp1250ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

bool Utf8ToCp1250Exact(std::string_view utf8, std::string& out, char32_t* bad) {
    out.clear();
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80         ? 0
                          : (lead >> 5) == 6  ? 1
                          : (lead >> 4) == 14 ? 2
                          : (lead >> 3) == 30 ? 3
                                              : -1;
        bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < utf8.size();
        char32_t ch = 0xFFFD;
        if (valid) {
            ch = extra == 0 ? lead : (lead & (0x3F >> extra));
            for (int k = 1; k <= extra; ++k) {
                const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
                if ((next & 0xC0) != 0x80) {
                    valid = false;
                    ch = 0xFFFD;
                    break;
                }
                ch = (ch << 6) | (next & 0x3F);
            }
        }
        const int byte = valid ? UnicodeToCp1250(ch) : -1;
        if (byte < 0) {
            if (bad)
                *bad = ch;
            return false;
        }
        out.push_back(static_cast<char>(byte));
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

} // namespace savorel
