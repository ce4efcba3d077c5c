#include "core/folders.h"
#include "support/support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace savorel;
using savorel::testing::Exists;
using savorel::testing::ReadBack;
using savorel::testing::TempDataDir;
using savorel::testing::WritePlain;

namespace {

EnvLookup Env(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const char* name) -> const char* {
        static std::string held;
        auto it = values.find(name);
        if (it == values.end())
            return nullptr;
        held = it->second;
        return held.c_str();
    };
}

} // namespace

TEST(TempFolder, TakesTheFirstUsableOfTmpTmpdirThenAPrivateFolder) {
    TempDataDir dir;
    std::filesystem::create_directory("a");
    std::filesystem::create_directory("b");
    std::filesystem::create_directory("sys");
    std::filesystem::create_directory("run");
    WritePlain("file", "x");
    const std::string a = dir.path() + "/a", b = dir.path() + "/b", sys = dir.path() + "/sys";
    const std::string longName = dir.path() + "/" + std::string(197 - dir.path().size(), 'l');
    std::filesystem::create_directory(longName); // 198 with its slash: too long
    std::filesystem::create_directory(longName.substr(0, longName.size() - 1)); // 197: fits
    std::filesystem::create_directory("line\nbreak");
    const std::string privateFolder = sys + "/savorel-" + std::to_string(::geteuid());
    struct Case {
        std::map<std::string, std::string> env;
        std::string expected;
    };
    const Case cases[] = {
        {{{"TMP", a}, {"TMPDIR", b}}, a},
        {{{"TMP", ""}, {"TMPDIR", b}}, b},
        {{{"TMP", dir.path() + "/nowhere"}, {"TMPDIR", b}}, b},
        {{{"TMP", dir.path() + "/file"}, {"TMPDIR", b}}, b},
        {{{"TMP", longName}, {"TMPDIR", b}}, b},
        {{{"TMP", longName.substr(0, longName.size() - 1)}},
         longName.substr(0, longName.size() - 1)},
        {{{"TMP", dir.path() + "/line\nbreak"}, {"TMPDIR", b}}, b},
        {{{"TMP", "a"}}, a}, // relative: made absolute, so pages have a real address
        {{{"XDG_RUNTIME_DIR", dir.path() + "/run"}}, dir.path() + "/run/savorel"},
        {{}, privateFolder},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolveTempFolder(Env(c.env), sys).value_or("none"), c.expected)
            << (c.env.empty() ? "" : c.env.begin()->second);
    }
    struct stat st {};
    ASSERT_EQ(::lstat(privateFolder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(TempFolder, PrivateFolderPlantedByOthersIsRefused) {
    TempDataDir dir;
    std::filesystem::create_directory("sys");
    const std::string sys = dir.path() + "/sys";
    const std::string name = sys + "/savorel-" + std::to_string(::geteuid());
    // A link under the private folder's name leads where someone else wants pages to go.
    std::filesystem::create_directory("elsewhere");
    std::filesystem::create_directory_symlink(dir.path() + "/elsewhere", name);
    EXPECT_FALSE(ResolveTempFolder(Env({}), sys));
    std::filesystem::remove(name);
    // A folder the user owns but others may enter is closed again.
    std::filesystem::create_directory(name);
    ::chmod(name.c_str(), 0777);
    EXPECT_EQ(ResolveTempFolder(Env({}), sys), name);
    struct stat st {};
    ::stat(name.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a folder to another account needs root";
    std::filesystem::remove(name);
    std::filesystem::create_directory(name);
    ASSERT_EQ(::chown(name.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(ResolveTempFolder(Env({}), sys));
    // Someone else's writable folder named by TMP is passed over too.
    ::chmod(name.c_str(), 0777);
    EXPECT_FALSE(ResolveTempFolder(Env({{"TMP", name}}), sys));
}

TEST(CookIni, HoldsTheFolderAndSlashWithoutLineEnd) {
    TempDataDir dir;
    ASSERT_TRUE(WriteCookIni(TempFolderText("/var/tmp")));
    EXPECT_EQ(ReadBack("cook.ini"), "/var/tmp/");
    EXPECT_EQ(ReadCookIni(), "/var/tmp/");
}

TEST(CookIni, ReadsBackAtMost198Characters) {
    TempDataDir dir;
    const std::string longFolder = "/" + std::string(197, 'x'); // 198 with the slash below: 199
    ASSERT_TRUE(WriteCookIni(TempFolderText(longFolder)));
    EXPECT_EQ(ReadBack("cook.ini").size(), 199u);
    const auto back = ReadCookIni();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), 198u);
    EXPECT_EQ(*back, longFolder);
}

TEST(CookIni, MissingFileHasNoValueAndOneLineIsTaken) {
    TempDataDir dir;
    EXPECT_FALSE(ReadCookIni());
    WritePlain("cook.ini", "/tmp/\nsecond line");
    EXPECT_EQ(ReadCookIni(), "/tmp/");
}

TEST(CookIni, RewrittenAtEveryStart) {
    TempDataDir dir;
    ASSERT_TRUE(WriteCookIni("/first/"));
    ASSERT_TRUE(WriteCookIni("/b/"));
    EXPECT_EQ(ReadBack("cook.ini"), "/b/");
    EXPECT_TRUE(Exists("cook.ini"));
}
