#include "core/folders.h"
#include "support/support.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
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

namespace {

// A folder cook may use: a real folder (no link), the user's own, closed to everyone else.
void ExpectPrivate(const std::string& path, const std::string& what) {
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0) << what;
    EXPECT_TRUE(S_ISDIR(st.st_mode)) << what;
    EXPECT_EQ(st.st_uid, ::geteuid()) << what;
    EXPECT_EQ(st.st_mode & 0777, 0700u) << what;
}

} // namespace

// When another account (or a planted link or file) holds the private folder's name, cook
// makes a fresh private folder of its own, and takes it again at the next start.
TEST(TempFolder, ANameTakenByOthersGivesAFreshPrivateFolder) {
    const std::string fixed = "sys/savorel-" + std::to_string(::geteuid());
    const struct {
        const char* what;
        std::function<bool()> plant; // false: cannot be planted as this user
    } cases[] = {
        {"a link to another folder",
         [&] {
             std::filesystem::create_directory("elsewhere");
             std::filesystem::create_directory_symlink("../elsewhere", fixed);
             return true;
         }},
        {"a plain file",
         [&] {
             WritePlain(fixed, "squatter");
             return true;
         }},
        {"a folder of another account",
         [&] {
             std::filesystem::create_directory(fixed);
             return ::geteuid() == 0 && ::chown(fixed.c_str(), 65534, 65534) == 0;
         }},
    };
    for (const auto& c : cases) {
        TempDataDir dir;
        std::filesystem::create_directory("sys");
        const std::string sys = dir.path() + "/sys";
        if (!c.plant()) {
            std::cout << "skipped: " << c.what << " needs root\n";
            continue;
        }
        EXPECT_FALSE(ResolveTempFolder(Env({}), sys)) << c.what;
        const auto fresh = TakeTempFolder(Env({}), sys, std::nullopt);
        ASSERT_TRUE(fresh) << c.what;
        const std::string prefix = sys + "/savorel-" + std::to_string(::geteuid()) + "-";
        EXPECT_EQ(fresh->rfind(prefix, 0), 0u) << c.what << ": " << *fresh;
        EXPECT_EQ(fresh->size(), prefix.size() + 6) << *fresh;
        ExpectPrivate(*fresh, c.what);
        EXPECT_TRUE(!Exists("elsewhere") || std::filesystem::is_empty("elsewhere")) << c.what;
        // The next start finds it named in cook.ini and takes it again.
        EXPECT_EQ(TakeTempFolder(Env({}), sys, TempFolderText(*fresh)), fresh) << c.what;
        // What cook.ini named is taken only when it is such a folder of the user's own.
        for (const std::string& named :
             {dir.path() + "/elsewhere/", sys + "/other-folder/", std::string("/tmp/"),
              *fresh + "/../" + fixed.substr(4) + "/"}) {
            std::filesystem::create_directories(dir.path() + "/elsewhere");
            std::filesystem::create_directories(sys + "/other-folder");
            const auto taken = TakeTempFolder(Env({}), sys, named);
            ASSERT_TRUE(taken) << named;
            EXPECT_NE(*taken + "/", named) << c.what;
            EXPECT_EQ(taken->rfind(prefix, 0), 0u) << named << " gave " << *taken;
        }
        ::chmod(fresh->c_str(), 0755); // opened to others since: closed again when taken
        const auto again = TakeTempFolder(Env({}), sys, TempFolderText(*fresh));
        ASSERT_TRUE(again);
        ExpectPrivate(*again, c.what);
    }
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
