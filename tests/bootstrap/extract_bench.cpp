// Extraction of a 100 MB synthetic payload against cp of the same files, in the same run,
// on the same disk. Prints the figures; the goal is at most 1.5 times cp's time.
//   bootstrap_bench [FOLDER]   (default: $TMPDIR or /tmp)
#include "bootstrap/payload.h"
#include "payload_builder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

using namespace bootstrap;
using namespace bootstrap::testing;
namespace fs = std::filesystem;

namespace {

struct NoSink final : ExtractionSink {
    int messages = 0;
    void Show(const Message&) override { ++messages; }
    void BeginFiles(int) override {}
    void FileWritten() override {}
};

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1)
        ::setenv("TMPDIR", argv[1], 1);
    ScratchFolder scratch;

    // 760 files, as many as the book's payload, of uneven sizes adding up to 100 MiB.
    constexpr int kFiles = 760;
    constexpr std::int64_t kTotal = 100 << 20;
    std::vector<std::int64_t> sizes(kFiles);
    std::int64_t weightSum = 0;
    for (int i = 0; i < kFiles; ++i)
        weightSum += sizes[i] = 1 + (i * 7919) % 97;
    std::int64_t assigned = 0;
    for (int i = 0; i < kFiles; ++i)
        assigned += sizes[i] = sizes[i] * kTotal / weightSum;
    sizes.back() += kTotal - assigned;

    std::vector<PayloadFile> files;
    const std::string source = scratch / "source";
    fs::create_directory(source);
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "RET%03d.TXT", i);
        files.push_back({name, PatternBytes(static_cast<std::size_t>(sizes[i]), i)});
        WriteFile(source + "/" + name, files.back().bytes);
    }
    const TestPayload payload(std::move(files));
    const std::string self = scratch / "setup";
    payload.WriteProgram(self);

    std::vector<double> extractTimes, cpTimes;
    for (int round = 0; round < 5; ++round) {
        const std::string kit = scratch / ("KIT" + std::to_string(round));
        fs::create_directory(kit);
        NoSink sink;
        auto start = std::chrono::steady_clock::now();
        const int result = ExtractPayload(payload.Table(), kit, self, PayloadOffset, sink);
        extractTimes.push_back(Seconds(std::chrono::steady_clock::now() - start));
        if (result != 1 || sink.messages != 0) {
            std::fprintf(stderr, "extraction failed\n");
            return 1;
        }
        fs::remove_all(kit);

        const std::string copy = scratch / ("CP" + std::to_string(round));
        fs::create_directory(copy);
        const std::string command = "cp -- '" + source + "'/* '" + copy + "'/";
        start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "cp failed\n");
            return 1;
        }
        cpTimes.push_back(Seconds(std::chrono::steady_clock::now() - start));
        fs::remove_all(copy);
    }
    std::sort(extractTimes.begin(), extractTimes.end());
    std::sort(cpTimes.begin(), cpTimes.end());
    const double extract = extractTimes[extractTimes.size() / 2];
    const double cp = cpTimes[cpTimes.size() / 2];
    std::printf("payload: %d files, %lld bytes, in %s\n", kFiles,
                static_cast<long long>(payload.Bytes()), scratch.path().c_str());
    std::printf("extraction: median %.1f ms (best %.1f)\n", extract * 1e3, extractTimes[0] * 1e3);
    std::printf("cp:         median %.1f ms (best %.1f)\n", cp * 1e3, cpTimes[0] * 1e3);
    std::printf("ratio extraction / cp: %.2f (goal: at most 1.50)\n", extract / cp);
    return extract <= 1.5 * cp ? 0 : 3;
}
