// The tolerant JSON reader: it never throws or exhausts the stack; whatever it accepts holds
// only valid UTF-8; and JSON that a strict reader accepts it reads to the same value.
#include "fuzz_util.h"
#include "personal/lenient_json.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    nlohmann::ordered_json lenient;
    std::string error;
    const savorel::LenientJsonResult result = savorel::ParseLenientJson(text, lenient, error);
    FUZZ_CHECK((result == savorel::LenientJsonResult::Error) == !error.empty());
    if (result == savorel::LenientJsonResult::Value) {
        try {
            (void)lenient.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
        } catch (...) {
            FUZZ_CHECK(!"a string of invalid UTF-8 was accepted");
        }
    }
    // The strict reader stops at a NUL byte as at the end (text after it is not JSON at all).
    if (savorel::LenientJsonDepth(text) > savorel::kLenientJsonDepthLimit ||
        text.find('\0') != std::string_view::npos)
        return 0;
    const auto strict = nlohmann::ordered_json::parse(text, nullptr, false);
    if (strict.is_discarded())
        return 0;
    FUZZ_CHECK(result == savorel::LenientJsonResult::Value);
    FUZZ_CHECK(lenient == strict);
    return 0;
}
