#pragma once

// The payload appended to the bootstrap's program file and its extraction into the KIT folder.
// Plain C++ and POSIX: no Qt, nothing of cook.
#include <cstdint>
#include <optional>
#include <string>

namespace bootstrap {

// Where the payload begins in the program file: the stripped image is padded to this size.
// The build reads this line, pads the image to it and fails when the image outgrows it.
// A multiple of 32768: the image with its tables (over 750 names) and the dynamic imports of
// its window library needs about 56 KB, so 32768 cannot hold it.
inline constexpr std::int64_t PayloadOffset = 65536;

// The two parallel tables compiled into the program: names in payload order ending with a
// null entry, and one size per name.
struct PayloadTable {
    const char* const* names;
    const std::int32_t* sizes;
};

struct PayloadTotals {
    int files = 0;
    std::int64_t bytes = 0;
};
// Walks the names to their null entry, counting them and adding up their sizes.
PayloadTotals WalkPayload(const PayloadTable& table);

inline constexpr const char* kCantOpenSelf = "1. Can't open file";
inline constexpr const char* kLengthUnknown = "length -1";
inline constexpr const char* kCantReadSelf = "2. Can't open file";
inline constexpr const char* kCantPlace = "Can't place in file";
inline constexpr const char* kCantWrite = "1. Can't open file for writing!";

// One message box. No caption: the program's own name.
struct Message {
    std::optional<std::string> caption;
    std::string text;
};

// What the extraction reports to its window.
class ExtractionSink {
public:
    virtual ~ExtractionSink() = default;
    virtual void Show(const Message& message) = 0;
    // The progress range becomes 0..count, one step per file.
    virtual void BeginFiles(int count) = 0;
    // One more file is complete; the progress is to be seen at once.
    virtual void FileWritten() = 0;
};

// Writes every payload file into `kit` under its table name, copying its bytes from `self`
// starting at `offset`. A program file that ends early leaves the file being written short
// and every later one empty. Answers 0 after a message box, 1 when every file was written.
[[nodiscard]] int ExtractPayload(const PayloadTable& table, const std::string& kit,
                                 const std::string& self, std::int64_t offset,
                                 ExtractionSink& sink);

// Test hook: while set, opening the program file for reading (after its length was learnt)
// fails, as when the file is taken away between the two opens.
void SetReadOpenFaultForTesting(bool fail);

} // namespace bootstrap
