// The day's first start with a large collection of own recipes: a copy of the packed book in
// a temporary folder (the packed book itself is never written), N own recipes added, then
// the time from the start-up's beginning to the main window shown and painted, the longest stall of
// the window's event loop while the day's backup runs beside it, the backup's own time, and a
// second backup after one changed recipe (what it shares with the first). Run by hand:
//   QT_QPA_PLATFORM=offscreen build/bench/start_bench [N...]     (default 10000 100000)
//   build/bench/start_bench --make N     only makes such a data folder and prints its path,
//                                        for timing cook from outside (the caller removes it)
#include "app/application.h"
#include "app/ui/CMainDlg.h"
#include "core/scramble.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "personal/backup.h"
#include "personal/store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

void WriteScrambledFile(const std::string& path, const std::string& plain) {
    std::ofstream(path, std::ios::binary) << savorel::ScrambleBytes(plain);
}

std::string ReadPlain(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return savorel::ScrambleBytes(bytes); // the table is its own inverse
}

// A fresh data folder under the system's temporary folder: the book's files copied, then
// `count` own recipes as the editor stores them, listed in pers.txt and the catalogue.
std::string MakeDataFolder(int count) {
    const char* base = std::getenv("TMPDIR");
    std::string folder = std::string(base && *base ? base : "/tmp") + "/savorel-start-XXXXXX";
    if (!::mkdtemp(folder.data()))
        return {};
    for (const auto& entry : fs::directory_iterator(BOOK_DATA_DIR))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), folder + "/" + entry.path().filename().string());
    std::string catalogue = ReadPlain(folder + "/virt-dir.txt");
    std::string list;
    for (int i = 1; i <= count; ++i) {
        const std::string file = "xet" + std::to_string(i) + ".txt";
        const std::string name = "Reteta proprie " + std::to_string(i);
        savorel::OwnRecipeFields fields{
            "Autor", name, "4 portii\r\n500 g faina\r\n2 oua\r\n200 ml lapte",
            "Se amesteca totul si se coace " + std::to_string(20 + i % 40) + " de minute."};
        WriteScrambledFile(folder + "/" + file, savorel::OwnRecipeText(fields));
        list += savorel::PersonalRecord(name, file) + "\n";
        catalogue += savorel::CatalogueEntry(name, file) + "\n";
    }
    WriteScrambledFile(folder + "/pers.txt", list);
    WriteScrambledFile(folder + "/virt-dir.txt", catalogue);
    return folder;
}

double ThreadCpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

unsigned long long DiskUse(const std::string& folder) {
    // Blocks of distinct inodes only: a hard-linked copy costs nothing more.
    unsigned long long bytes = 0;
    std::vector<std::pair<dev_t, ino_t>> seen;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        struct stat st;
        if (::lstat(e.path().c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (st.st_nlink > 1) {
            const std::pair<dev_t, ino_t> id{st.st_dev, st.st_ino};
            if (std::find(seen.begin(), seen.end(), id) != seen.end())
                continue;
            seen.push_back(id);
        }
        bytes += static_cast<unsigned long long>(st.st_blocks) * 512;
    }
    return bytes;
}

void Measure(int count) {
    std::printf("%d own recipes: making the data folder...\n", count);
    std::fflush(stdout);
    const std::string folder = MakeDataFolder(count);
    if (folder.empty() || ::chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "no temporary data folder\n");
        return;
    }
    ::sync(); // the generated files' writing is not the start-up's cost
    savorel::Session session;
    session.tempFolder = folder + "/";
    ::setenv("TMP", folder.c_str(), 1);

    QElapsedTimer start;
    start.start();
    const double cpuAtStart = ThreadCpuMs();
    double shownCpu = 0;
    double shown = 0, longestStall = 0, backupDone = 0;
    {
        savorel::Application application(session);
        savorel::ui::CMainDlg w(application);
        w.show();
        w.repaint(); // painted whole: what the user sees first
        shown = start.nsecsElapsed() / 1e6;
        shownCpu = ThreadCpuMs() - cpuAtStart;
        // The event loop runs on while the backup works: the gaps between 10 ms ticks.
        QElapsedTimer tick;
        tick.start();
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            longestStall = std::max(longestStall, tick.nsecsElapsed() / 1e6 - 10);
            tick.restart();
            if (application.DailyBackupDone()) {
                backupDone = start.nsecsElapsed() / 1e6;
                QCoreApplication::quit();
            }
        });
        timer.start(10);
        QCoreApplication::exec();
    }
    const std::vector<std::string> made = savorel::ListBackups();
    // The share of the start-up work alone (stale copies, catalogue, watch, cook.ini).
    QElapsedTimer work;
    work.start();
    {
        savorel::Application application(session);
        savorel::CollectingReporter reporter;
        application.Start(reporter);
    }
    const double workMs = work.nsecsElapsed() / 1e6;
    // On a machine shared with other work the wall time waits for the processor too; the
    // window thread's own processor time is what the start-up costs.
    std::printf("  start-up to main window shown: %.1f ms, of it %.1f ms the window thread's "
                "processor time (the start-up work alone, again: %.1f ms)\n",
                shown, shownCpu, workMs);
    std::printf("  day's backup done beside it after: %.0f ms (%s), longest event-loop stall "
                "meanwhile: %.1f ms\n",
                backupDone, made.empty() ? "none made" : made.back().c_str(), longestStall);

    // The next day: one recipe changed, everything else shared with the first backup.
    WriteScrambledFile("xet1.txt", "Autor~Reteta proprie 1~schimbata~");
    QElapsedTimer next;
    next.start();
    const savorel::BackupResult second = savorel::BackupIfChanged("2999-12-31");
    const double nextMs = next.nsecsElapsed() / 1e6;
    std::printf("  next backup, one file changed: %.0f ms (%s); copii/ holds %.1f MB on disk "
                "for two backups, own files %.1f MB\n",
                nextMs, second == savorel::BackupResult::Made ? "made" : "NOT made",
                DiskUse(savorel::kBackupFolder) / 1e6,
                DiskUse(savorel::kBackupFolder + std::string("/") + made.back()) / 1e6);
    std::fflush(stdout);
    (void)::chdir("/");
    std::error_code error;
    fs::remove_all(folder, error);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--make") {
        const std::string folder = MakeDataFolder(std::atoi(argv[2]));
        std::printf("%s\n", folder.c_str());
        return folder.empty() ? 1 : 0;
    }
    QApplication app(argc, argv);
    savorel::ui::ApplyApplicationLook();
    savorel::ui::SetMessageFunction([](const savorel::ui::MessageRecord&) {});
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (counts.empty())
        counts = {10000, 100000};
    for (const int count : counts)
        if (count > 0 && count <= 1000000)
            Measure(count);
    return 0;
}
