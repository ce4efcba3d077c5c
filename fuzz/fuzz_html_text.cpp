// Character references and HTML fragments: decoding never fails loudly, gives valid UTF-8 for
// valid UTF-8, decodes each reference once (numeric stand-ins for names change nothing), and
// leaves text without "&" as it is.
#include "core/cp1250.h"
#include "fuzz_util.h"
#include "personal/html_entities.h"
#include "personal/web_page.h"

#include <cstdint>

namespace {

bool ValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        if (savorel::NextUtf8(text, i) == 0xFFFD && text.substr(at, 3) != "\xEF\xBF\xBD")
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string decoded = savorel::DecodeHtmlEntities(text);
    FUZZ_CHECK(savorel::DecodeHtmlEntities(savorel::NamedEntitiesAsNumeric(text)) == decoded);
    if (text.find('&') == std::string_view::npos)
        FUZZ_CHECK(decoded == text);
    const bool valid = ValidUtf8(text);
    if (valid)
        FUZZ_CHECK(ValidUtf8(decoded));
    const std::string shown = savorel::HtmlFragmentText(text);
    if (valid)
        FUZZ_CHECK(ValidUtf8(shown));
    savorel::WebPage page;
    std::string error;
    if (savorel::ReadWebPage(text, page, error)) {
        for (const auto& item : page.items)
            for (const auto& [key, value] : item.properties)
                FUZZ_CHECK(value.item < 0 ||
                           static_cast<std::size_t>(value.item) < page.items.size());
    }
    return 0;
}
