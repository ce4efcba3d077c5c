// The user's files shared with a second copy of the program, a second account and the
// leftovers of interrupted runs: nothing mixed up, nothing lost.
#include "catalogue/page.h"
#include "core/files.h"
#include "core/folders.h"
#include "core/records.h"
#include "core/store_lock.h"
#include "personal/own_delete.h"
#include "personal/own_list.h"
#include "personal/store.h"
#include "support/read_only_folder.h"
#include "support/support.h"
#include "viewing/favourites.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <set>
#include <thread>

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

// As the shipped catalogue ends: with the own recipes' category, where new recipes go.
const std::string kCatalogue = "m Supe\nh Ciorbe\ni Ciorba de burta ~ RET001.TXT\n"
                               "m Re\xfe"
                               "ete proprii\n  h Re\xfe"
                               "etele mele\n";

// Runs `body` in a child process; answers its exit code (0 when the body returned true).
int InChild(const std::function<bool()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body() ? 0 : 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Whether a list names `file` on one of its lines (pers.txt after the "#", the catalogue
// after the "~").
bool ListNames(const char* list, const std::string& file) {
    const auto lines = ReadListFile(list);
    if (!lines)
        return false;
    for (const std::string& line : *lines) {
        const std::size_t mark = line.find(std::string_view(list) == "pers.txt" ? '#' : '~');
        if (mark == std::string::npos)
            continue;
        std::string named = line.substr(mark + 1);
        named.erase(0, named.find_first_not_of(' '));
        if (named == file)
            return true;
    }
    return false;
}

} // namespace

// One copy deletes an own recipe while another saves a modification of it, started at the
// same moment, many times over. Whichever comes first, no save is lost: a modification
// stored before the delete is the copy kept in sterse/; one that comes after is refused as
// deleted, writes nothing, and is then kept as a new recipe (as the editor offers), named by
// both lists. No recipe file is ever left that no list names.
TEST(SharedDataFolder, DeleteRacingAModificationLeavesNoUnlistedFile) {
    TempDataDir dir;
    const std::string original = "Ana\n#\nCiorba\n#\napa\n#\nvechi";
    constexpr int kRounds = 20;
    int savedFirst = 0, deletedFirst = 0;
    for (int round = 0; round < kRounds; ++round) {
        std::filesystem::remove_all("sterse");
        for (const char* name : {"xet1.txt", "xet2.txt", "reteta.tmp"})
            std::filesystem::remove(name);
        WriteScrambled("virt-dir.txt", kCatalogue + CatalogueEntry("Ciorba", "xet1.txt") + "\n");
        WriteScrambled("pers.txt", PersonalRecord("Ciorba", "xet1.txt") + "\n");
        WriteScrambled("xet1.txt", original);
        const std::string modified = "nou " + std::to_string(round);

        int go[2];
        ASSERT_EQ(::pipe(go), 0);
        const auto start = [&](const std::function<int()>& body) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                char c = 0;
                ::_exit(::read(go[0], &c, 1) == 1 ? body() : 9);
            }
            return pid;
        };
        // 0: stored over xet1.txt; 1: refused as deleted, then stored as a new recipe.
        const pid_t saver = start([&] {
            const OwnRecipeFields fields{"Ana", "Ciorba", "apa", modified};
            const EditorSaveResult r = SaveFromEditor(SaveMode::Modification, fields, "xet1.txt");
            if (r.busy || r.written != WorkingFileResult::Written)
                return 2;
            if (r.outcome.result == StoreResult::Stored)
                return 0;
            if (r.outcome.result != StoreResult::RecipeDeleted || r.outcome.fileName != "xet1.txt")
                return 3;
            const EditorSaveResult kept = SaveFromEditor(SaveMode::NewRecipe, fields);
            return kept.outcome.result == StoreResult::Stored && kept.outcome.fileName == "xet2.txt"
                       ? 1
                       : 4;
        });
        const pid_t deleter = start([] {
            return DeleteOwnRecipe("xet1.txt", PersonalRecord("Ciorba", "xet1.txt")) ==
                           DeleteOwnResult::Deleted
                       ? 0
                       : 1;
        });
        ASSERT_EQ(::write(go[1], "gg", 2), 2);
        int saved = 0, deleted = 0;
        ::waitpid(saver, &saved, 0);
        ::waitpid(deleter, &deleted, 0);
        ::close(go[0]);
        ::close(go[1]);
        ASSERT_TRUE(WIFEXITED(saved) && WIFEXITED(deleted)) << "round " << round;
        ASSERT_EQ(WEXITSTATUS(deleted), 0) << "round " << round;
        const int save = WEXITSTATUS(saved);
        ASSERT_TRUE(save == 0 || save == 1) << "round " << round << ": save answered " << save;

        // The delete always ran, so xet1.txt left every list and went to sterse/.
        EXPECT_FALSE(Exists("xet1.txt")) << "round " << round << ": a file no list names";
        EXPECT_FALSE(ListNames("pers.txt", "xet1.txt"));
        EXPECT_FALSE(ListNames("virt-dir.txt", "xet1.txt"));
        const std::string kept = ReadBack("sterse/xet1.txt", true);
        if (save == 0) {
            ++savedFirst;
            EXPECT_EQ(kept, "Ana\n#\nCiorba\n#\napa\n#\n" + modified) << "round " << round;
            EXPECT_FALSE(Exists("xet2.txt"));
        } else {
            ++deletedFirst;
            EXPECT_EQ(kept, original) << "round " << round << ": the refused save wrote over it";
            EXPECT_TRUE(ListNames("pers.txt", "xet2.txt")) << "round " << round;
            EXPECT_TRUE(ListNames("virt-dir.txt", "xet2.txt")) << "round " << round;
            EXPECT_EQ(ReadBack("xet2.txt", true), "Ana\n#\nCiorba\n#\napa\n#\n" + modified);
        }
        // Nothing else of a recipe lies about: every own recipe file is named by both lists,
        // and no temporary copy was left.
        for (const auto& entry : std::filesystem::directory_iterator(".")) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("xet")) {
                EXPECT_TRUE(ListNames("pers.txt", name) && ListNames("virt-dir.txt", name))
                    << "round " << round << ": " << name << " is named by no list";
            }
        }
    }
    std::cout << "[ race ] " << kRounds << " rounds: modification first " << savedFirst
              << ", delete first " << deletedFirst << "\n";
    RecordProperty("savedFirst", savedFirst);
    RecordProperty("deletedFirst", deletedFirst);
}

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
    EXPECT_EQ(catalogue->size(), 5u + 2u * kSaves);
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

// The day's backup runs on a thread of its own: within one process the lock keeps threads
// apart as it keeps processes apart, and still nests within one thread.
TEST(SharedDataFolder, TheLockKeepsThreadsOfOneProcessApart) {
    TempDataDir dir;
    std::atomic<bool> held{false}, release{false};
    std::thread holder([&] {
        const StoreLock outer;
        const StoreLock nested(std::chrono::milliseconds(0));
        held = outer.Held() && nested.Held();
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    while (!held)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    {
        const StoreLock lock(std::chrono::milliseconds(50));
        EXPECT_FALSE(lock.Held());
    }
    release = true;
    holder.join();
    const StoreLock lock(std::chrono::milliseconds(50));
    EXPECT_TRUE(lock.Held());
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
    EXPECT_EQ(ReadListFile("virt-dir.txt")->size(), 6u);
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
