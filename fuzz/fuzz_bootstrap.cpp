// The bootstrap: the quoted command-line rule and the payload extraction from a program
// file of any content. Input: a command line, "@@", then the program file's bytes; the first
// bytes of the command line also choose the table's sizes.
#include "bootstrap/launch.h"
#include "bootstrap/payload.h"
#include "fuzz_util.h"

#include <cstdint>
#include <sys/stat.h>

namespace {

class CountingSink final : public bootstrap::ExtractionSink {
public:
    void Show(const bootstrap::Message&) override { ++messages; }
    void BeginFiles(int count) override { files = count; }
    void FileWritten() override { ++written; }
    int messages = 0;
    int files = -1;
    int written = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& folder = fuzz::DataFolder();
    const auto [commandLine, image] =
        fuzz::SplitAt(std::string_view(reinterpret_cast<const char*>(data), size), "@@");
    const std::string own = bootstrap::OwnPathFromCommandLine(std::string(commandLine));
    FUZZ_CHECK(own.size() <= commandLine.size());

    fuzz::WriteFile("self", image);
    static const char* const names[] = {"a.txt", "b.txt", "c.txt", nullptr};
    std::int32_t sizes[3];
    for (int i = 0; i < 3; ++i)
        sizes[i] = i < static_cast<int>(commandLine.size())
                       ? static_cast<unsigned char>(commandLine[static_cast<std::size_t>(i)])
                       : 0;
    const bootstrap::PayloadTable table{names, sizes};
    const std::string kit = folder + "/kit";
    mkdir(kit.c_str(), 0700);
    CountingSink sink;
    const std::int64_t offset = image.empty() ? 0 : static_cast<unsigned char>(image[0]) % 64;
    const int result = bootstrap::ExtractPayload(table, kit, folder + "/self", offset, sink);
    FUZZ_CHECK(result == 0 || result == 1);
    FUZZ_CHECK(result == 0 || sink.messages == 0);
    FUZZ_CHECK(result == 0 || sink.written == 3);
    FUZZ_CHECK(sink.written <= 3);
    if (result == 1 &&
        offset + sizes[0] + sizes[1] + sizes[2] <= static_cast<std::int64_t>(image.size())) {
        // Every file holds its bytes of the program file, in table order.
        std::int64_t at = offset;
        for (int i = 0; i < 3; ++i) {
            std::FILE* f = std::fopen((kit + "/" + names[i]).c_str(), "rb");
            FUZZ_CHECK(f);
            std::string got(static_cast<std::size_t>(sizes[i]), '\0');
            FUZZ_CHECK(std::fread(got.data(), 1, got.size(), f) == got.size());
            std::fclose(f);
            FUZZ_CHECK(got == image.substr(static_cast<std::size_t>(at),
                                           static_cast<std::size_t>(sizes[i])));
            at += sizes[i];
        }
    }
    return 0;
}
