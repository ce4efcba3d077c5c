#pragma once

// The tables of the payload this program carries. The build generates their definitions
// from the files it appends (packaging/payload-tables.sh); only the program's main uses them.
#include <cstdint>

namespace bootstrap {

extern const char* const PayloadNames[];
extern const std::int32_t PayloadSizes[];

} // namespace bootstrap
