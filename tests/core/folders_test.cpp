#include "core/folders.h"
#include "support/support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

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

TEST(TempFolder, TakesTmpThenTmpdirThenTheSystemFolder) {
    TempDataDir dir;
    std::filesystem::create_directory("a");
    std::filesystem::create_directory("b");
    const std::string a = dir.path() + "/a", b = dir.path() + "/b";
    EXPECT_EQ(ResolveTempFolder(Env({{"TMP", a}, {"TMPDIR", b}})), a);
    EXPECT_EQ(ResolveTempFolder(Env({{"TMP", ""}, {"TMPDIR", b}})), b);
    EXPECT_EQ(ResolveTempFolder(Env({{"TMP", dir.path() + "/nowhere"}, {"TMPDIR", b}})), b);
    EXPECT_EQ(ResolveTempFolder(Env({})), "/tmp");
    WritePlain("file", "x");
    EXPECT_EQ(ResolveTempFolder(Env({{"TMP", dir.path() + "/file"}})), "/tmp");
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
