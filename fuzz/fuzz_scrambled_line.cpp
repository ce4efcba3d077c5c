// The scrambled line reader: any bytes, any limit.
#include "core/scramble.h"
#include "fuzz_util.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t limit = data[0];
    std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    FUZZ_CHECK(savorel::ScrambleBytes(savorel::ScrambleBytes(bytes)) == bytes);
    if (bytes.empty())
        return 0;
    std::FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
    std::size_t total = 0;
    for (int guard = 0; !std::feof(f) && guard <= static_cast<int>(bytes.size()); ++guard) {
        const std::string line = savorel::ReadScrambledLine(f, limit);
        FUZZ_CHECK(line.size() <= limit);
        FUZZ_CHECK(line.find('\r') == std::string::npos);
        total += line.size();
    }
    FUZZ_CHECK(std::feof(f)); // every line consumes at least one byte: no endless loop
    FUZZ_CHECK(total <= bytes.size());
    std::fclose(f);
    return 0;
}
