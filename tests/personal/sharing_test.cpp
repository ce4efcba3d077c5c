// The user's files shared with a second copy of the program, a second account and the
// leftovers of interrupted runs: nothing mixed up, nothing lost.
#include "catalogue/page.h"
#include "core/files.h"
#include "core/folders.h"
#include "core/store_lock.h"
#include "personal/favourites.h"
#include "personal/own_list.h"
#include "personal/records.h"
#include "personal/store.h"
#include "support/read_only_folder.h"
#include "support/support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

using namespace savorel;
using savorel::testing::Exists;
using savorel::testing::ReadBack;
using savorel::testing::TempDataDir;
using savorel::testing::WritePlain;
using savorel::testing::WriteScrambled;

namespace {

const std::string kCatalogue = "m Supe\nh Ciorbe\ni Ciorba de burta ~ RET001.TXT\n";

// Runs `body` in a child process; answers its exit code (0 when the body returned true).
int InChild(const std::function<bool()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body() ? 0 : 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

// Two copies saving own recipes and favourites at once: every save that reports success is
// in every list, and no file name is given twice.
TEST(SharedDataFolder, TwoProcessesSavingAtOnceLoseNothing) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", kCatalogue);
    constexpr int kSaves = 40;
    std::vector<pid_t> children;
    for (int copy = 0; copy < 2; ++copy) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            int stored = 0;
            for (int i = 0; i < kSaves; ++i) {
                const std::string name = "Copia" + std::to_string(copy) + "-" + std::to_string(i);
                const EditorSaveResult r =
                    SaveFromEditor(SaveMode::NewRecipe, {"", name, "apa", name});
                stored += !r.busy && r.outcome.result == StoreResult::Stored;
                stored += AddFavouriteRecord(name, "RET" + name) == AddFavouriteResult::Added;
            }
            ::_exit(stored == 2 * kSaves ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save was not stored";
    }
    const auto records = ReadOwnRecipeList();
    ASSERT_TRUE(records);
    EXPECT_EQ(records->size(), 2u * kSaves);
    std::set<std::string> files;
    for (const std::string& record : *records) {
        const std::string file = FileNameFromEntry(record);
        files.insert(file);
        // Each file holds the recipe its record names.
        std::string text;
        ASSERT_TRUE(ReadRecipeText(file, text));
        EXPECT_EQ(ParseOwnRecipe(text).name + std::string(kPersonalRecordFiller, ' ') + "#" + file,
                  record);
    }
    EXPECT_EQ(files.size(), 2u * kSaves) << "one file name given to two recipes";
    const auto catalogue = ReadListFile("virt-dir.txt");
    ASSERT_TRUE(catalogue);
    EXPECT_EQ(catalogue->size(), 3u + 2u * kSaves);
    const auto favourites = ReadFavourites();
    ASSERT_TRUE(favourites);
    EXPECT_EQ(favourites->size(), 2u * kSaves);
}

// A lock held elsewhere for longer than a save waits: the save says so and writes nothing.
TEST(SharedDataFolder, ASaveThatCannotTakeTheLockWritesNothing) {
    TempDataDir dir;
    WriteScrambled("pref.txt", "Supa" + std::string(55, ' ') + "#RET001.TXT\n");
    const std::string before = ReadBack("pref.txt");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        const int fd = ::open(kStoreLockFile, O_RDWR | O_CREAT, 0644);
        ::flock(fd, LOCK_EX);
        char c = 1;
        (void)!::write(ready[1], &c, 1);
        ::sleep(30);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    {
        const StoreLock lock(std::chrono::milliseconds(50));
        EXPECT_FALSE(lock.Held());
    }
    // Every saver waits as long as StorePatience(); the 5 s it is need not be sat out here.
    EXPECT_EQ(StorePatience(), std::chrono::seconds(5));
    SetStorePatience(std::chrono::milliseconds(200));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(RemoveFavourite("Supa" + std::string(55, ' ') + "#RET001.TXT"),
              RemoveFavouriteResult::Busy);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(200));
    SetStorePatience(kDefaultStorePatience);
    EXPECT_STREQ(RemoveFavouriteMessage(RemoveFavouriteResult::Busy), kStoreBusy);
    EXPECT_EQ(ReadBack("pref.txt"), before);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    // The holder is gone, and with it its lock.
    const StoreLock lock(std::chrono::milliseconds(50));
    EXPECT_TRUE(lock.Held());
    close(ready[0]);
    close(ready[1]);
}

// Links planted under the names the store writes, and temporary copies left by a save that
// was killed half-way.
TEST(SharedDataFolder, PlantedLinksAndLeftoversOfInterruptedSaves) {
    TempDataDir dir;
    WriteScrambled("virt-dir.txt", kCatalogue);
    // reteta.tmp leading to the catalogue: following it would empty the catalogue.
    std::filesystem::create_symlink("virt-dir.txt", "reteta.tmp");
    // xet1.txt leading outside, and a dangling xet2.txt: both names stay taken.
    std::filesystem::create_symlink("/etc/hostname", "xet1.txt");
    std::filesystem::create_symlink("nowhere", "xet2.txt");
    const EditorSaveResult saved = SaveFromEditor(SaveMode::NewRecipe, {"", "Nou", "apa", "x"});
    EXPECT_EQ(saved.written, WorkingFileResult::Written);
    EXPECT_EQ(saved.outcome.result, StoreResult::Stored);
    EXPECT_EQ(saved.outcome.fileName, "xet3.txt");
    // The catalogue kept its lines and got the new one; the link was replaced, not followed.
    EXPECT_EQ(ReadBack("virt-dir.txt", true).substr(0, kCatalogue.size()), kCatalogue);
    EXPECT_EQ(ReadListFile("virt-dir.txt")->size(), 4u);
    EXPECT_FALSE(std::filesystem::is_symlink("reteta.tmp"));
    EXPECT_TRUE(std::filesystem::is_symlink("xet1.txt"));

    // Copies of a killed save: old ones of ours go at start-up, fresh ones (another copy may
    // be writing them now) and names that are not ours stay.
    WritePlain("pers.txt.Ab12Cd", "stale");
    WritePlain("xet3.txt.Zz99yY", "stale");
    WritePlain("pref.txt.new123", "fresh");
    WritePlain("notes.txt.Ab12Cd", "not ours");
    const struct utimbuf old { ::time(nullptr) - 3600, ::time(nullptr) - 3600 };
    for (const char* name : {"pers.txt.Ab12Cd", "xet3.txt.Zz99yY", "notes.txt.Ab12Cd"})
        ::utime(name, &old);
    RemoveStaleWorkingCopies();
    EXPECT_FALSE(Exists("pers.txt.Ab12Cd"));
    EXPECT_FALSE(Exists("xet3.txt.Zz99yY"));
    EXPECT_TRUE(Exists("pref.txt.new123"));
    EXPECT_TRUE(Exists("notes.txt.Ab12Cd"));
}

// Lists the user made read-only are not replaced, though the folder would allow it.
TEST(SharedDataFolder, ReadOnlyListsAreNotReplaced) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "as another user a read-only file is tested only when run as root";
    TempDataDir dir;
    ::chmod(".", 0777);
    WriteScrambled("virt-dir.txt", kCatalogue);
    WriteScrambled("pref.txt", "Supa" + std::string(55, ' ') + "#RET001.TXT\n");
    WriteScrambled("pers.txt", "");
    for (const char* name : {"virt-dir.txt", "pref.txt", "pers.txt"})
        ::chmod(name, 0444);
    const std::string pref = ReadBack("pref.txt"), catalogue = ReadBack("virt-dir.txt");
    EXPECT_EQ(InChild([] {
                  if (::setuid(65534) != 0)
                      return false;
                  ::testing::internal::CaptureStdout();
                  const bool added =
                      AddFavouriteRecord("Nou", "RET002.TXT") == AddFavouriteResult::NotWritten;
                  ::testing::internal::GetCapturedStdout();
                  const bool removed =
                      RemoveFavourite("Supa" + std::string(55, ' ') + "#RET001.TXT") ==
                      RemoveFavouriteResult::NotWritten;
                  const EditorSaveResult saved =
                      SaveFromEditor(SaveMode::NewRecipe, {"", "Nou", "apa", "x"});
                  return added && removed && saved.outcome.result == StoreResult::ListsNotUpdated;
              }),
              0);
    EXPECT_EQ(ReadBack("pref.txt"), pref);
    EXPECT_EQ(ReadBack("virt-dir.txt"), catalogue);
}

// A second account beside the files the first one left in the system temporary folder: it
// gets a folder of its own and its own recipe, never the other's page or copy.
TEST(SharedDataFolder, SecondAccountBesideTheFirstAccountsPages) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "switching to a second account needs root";
    TempDataDir dir;
    ::chmod(dir.path().c_str(), 0755);
    WriteScrambled("RET001.TXT", "#\nSupa mea\n#\n1 l apa\n#\nFierbe.");
    ::chmod("RET001.TXT", 0644);
    // The first account's pages, in the folder it was given.
    const auto first = ResolveTempFolder([](const char*) { return nullptr; });
    ASSERT_TRUE(first);
    CollectingReporter reporter;
    ASSERT_TRUE(RenderRecipePage("RET001.TXT", TempFolderText(*first), BoxForm::Owned, reporter));
    const std::string second = "/tmp/savorel-65534";
    std::filesystem::remove_all(second);
    EXPECT_EQ(InChild([&] {
                  if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                      return false;
                  const auto folder = ResolveTempFolder([](const char*) { return nullptr; });
                  if (!folder || *folder != second)
                      return false;
                  CollectingReporter own;
                  std::string page, copy;
                  return RenderRecipePage("RET001.TXT", TempFolderText(*folder), BoxForm::Owned,
                                          own, &page) &&
                         WriteRecipeCopy("RET001.TXT", TempFolderText(*folder), &copy) &&
                         own.entries.empty() && page.find("Supa mea") != std::string::npos;
              }),
              0);
    struct stat st {};
    ASSERT_EQ(::lstat(second.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    std::filesystem::remove_all(second);
}

// A list that ended without a line feed when a record was appended: the watch lists both
// the unfinished record and the new one, and no empty entry.
TEST(SharedDataFolder, WatchAfterAnUnfinishedLastLine) {
    TempDataDir dir;
    WriteScrambled("pers.txt", "Unu      #xet1.txt\nDoi      #xet2.txt");
    OwnRecipesWatch watch;
    const auto start = watch.Start();
    ASSERT_TRUE(start);
    ASSERT_EQ(start->size(), 1u);
    ASSERT_TRUE(AppendListLine("pers.txt", "Trei      #xet3.txt"));
    const OwnRecipesWatch::Change change = watch.Tick();
    EXPECT_EQ(change.kind, OwnRecipesWatch::Change::Kind::Grown);
    EXPECT_EQ(change.records,
              (std::vector<std::string>{"Doi      #xet2.txt", "Trei      #xet3.txt"}));
    ASSERT_TRUE(AppendListLine("pers.txt", "Patru      #xet4.txt"));
    EXPECT_EQ(watch.Tick().records, std::vector<std::string>{"Patru      #xet4.txt"});
}
