#include "core/ui/qt_text.h"

#include "core/cp1250.h"

namespace savorel::ui {

QString FromCp1250(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes)
        text.append(QChar(static_cast<char16_t>(Cp1250ToUnicode(static_cast<unsigned char>(c)))));
    return text;
}

std::string ToCp1250(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const char32_t ch : text.toStdU32String()) {
        const int b = UnicodeToCp1250(ch);
        bytes.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return bytes;
}

} // namespace savorel::ui
