// The main window's catalogue reader: limits hold whatever the file holds.
#include "catalogue/catalogue.h"
#include "core/scramble.h"
#include "fuzz_util.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes =
        savorel::ScrambleBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    if (bytes.empty())
        return 0;
    std::FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
    savorel::CategoryTable table;
    (void)savorel::LoadCatalogueFrom(f, table, nullptr);
    std::fclose(f);
    FUZZ_CHECK(table.categories.size() <= savorel::kMaxCategories);
    for (const auto& c : table.categories) {
        FUZZ_CHECK(c.name.size() <= savorel::kCatalogueNameLimit);
        for (const auto& s : c.subcategories)
            for (const auto& r : s.recipes) {
                FUZZ_CHECK(r.name.size() <= savorel::kCatalogueNameLimit);
                FUZZ_CHECK(r.fileName.size() <= savorel::kCatalogueNameLimit);
                FUZZ_CHECK(r.fileName.find(' ') == std::string::npos);
            }
    }
    return 0;
}
