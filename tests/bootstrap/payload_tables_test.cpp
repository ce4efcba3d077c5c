// The tables this build generated for the distributable, and the distributable itself: every
// payload file comes out of it as the build put it in.
#include "bootstrap/payload.h"
#include "bootstrap/payload_tables.h"
#include "payload_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace bootstrap {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;

struct Listed {
    std::int64_t size;
    std::string path;
};

std::vector<Listed> ReadList() {
    std::ifstream in(PAYLOAD_LIST);
    std::vector<Listed> list;
    Listed entry;
    while (in >> entry.size && std::getline(in >> std::ws, entry.path))
        list.push_back(entry);
    return list;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

const PayloadTable kTable{PayloadNames, PayloadSizes};

TEST(BuiltPayload, TablesDescribeTheListedFilesInOrder) {
    const std::vector<Listed> list = ReadList();
    const PayloadTotals totals = WalkPayload(kTable);
    ASSERT_EQ(static_cast<std::size_t>(totals.files), list.size());
    for (int i = 0; i < totals.files; ++i) {
        const auto& listed = list[static_cast<std::size_t>(i)];
        EXPECT_EQ(PayloadNames[i], std::filesystem::path(listed.path).filename().string());
        EXPECT_EQ(PayloadSizes[i], listed.size) << PayloadNames[i];
        EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(listed.path)), listed.size)
            << listed.path;
    }
}

TEST(BuiltPayload, InstallerFirstThenTheBookThenUninstallerAndProgram) {
    const int n = WalkPayload(kTable).files;
    ASSERT_GE(n, 5);
    EXPECT_STREQ(PayloadNames[0], "install.exe");
    EXPECT_STREQ(PayloadNames[1], "coffee.gif");
    EXPECT_STREQ(PayloadNames[n - 2], "un.xxx");
    EXPECT_STREQ(PayloadNames[n - 1], "cook.xxx");

    // The book in between: every file of the packed book, by name ignoring case.
    std::vector<std::string> book;
    for (const auto& e : std::filesystem::directory_iterator(BOOK_DATA_DIR))
        if (e.is_regular_file() && Lower(e.path().filename().string()) != "coffee.gif")
            book.push_back(e.path().filename().string());
    std::sort(book.begin(), book.end(),
              [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
    std::vector<std::string> carried(PayloadNames + 2, PayloadNames + n - 2);
    EXPECT_EQ(carried, book);
    EXPECT_NE(std::find(carried.begin(), carried.end(), "virt-dir.txt"), carried.end());

    std::set<std::string> unique;
    for (int i = 0; i < n; ++i)
        EXPECT_TRUE(unique.insert(Lower(PayloadNames[i])).second) << PayloadNames[i];
}

struct QuietSink final : ExtractionSink {
    int messages = 0, written = 0, range = -1;
    void Show(const Message&) override { ++messages; }
    void BeginFiles(int count) override { range = count; }
    void FileWritten() override { ++written; }
};

TEST(BuiltPayload, ExtractsFromTheDistributableIntoTheSourcesBytes) {
    EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(SETUP_FILE)),
              PayloadOffset + WalkPayload(kTable).bytes);
    ScratchFolder scratch;
    QuietSink sink;
    ASSERT_EQ(ExtractPayload(kTable, scratch.path(), SETUP_FILE, PayloadOffset, sink), 1);
    EXPECT_EQ(sink.messages, 0);
    EXPECT_EQ(sink.written, WalkPayload(kTable).files);
    EXPECT_EQ(sink.range, sink.written);
    for (const Listed& f : ReadList()) {
        const std::string name = std::filesystem::path(f.path).filename().string();
        EXPECT_TRUE(ReadFile(scratch / name) == ReadFile(f.path)) << name;
    }
}

} // namespace
} // namespace bootstrap
